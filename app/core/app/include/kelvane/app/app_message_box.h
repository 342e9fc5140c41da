// The message box every part of the program uses. It goes through
// kv::messageBox with the program's title; in console mode the console
// runner's printer is installed there, so every question is printed and
// answered automatically.
#pragma once

#include <string>

namespace kv {

int AppMessageBox(const std::string& text, unsigned type);

// Prints the text, a line end and the automatic answer for the box's button
// set to standard output; returns the id of that button.
int ConsoleMessageBox(const std::string& text, unsigned type);

// The console-mode flag: set at start-up when the program does not run under
// its own name.
bool IsConsoleModeSet();
void SetConsoleModeFlag(bool console);

}  // namespace kv
