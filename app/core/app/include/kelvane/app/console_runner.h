// Console mode: runs the project named on the command line once, prints the
// log and every message box with an automatic answer, saves the project when
// the run changed it and returns the result code. The project file is locked
// against other console runs for the whole run.
#pragma once

#include <string>

namespace kv {

// Result codes of a console run (also the process exit code).
enum ConsoleResult : int {
    kResultSuccess = 0,
    kResultFailure = 1,
    kResultNoProject = 3,
    kResultSaveFailed = 26,
};

// Runs the project the command line names; stores the result in the result
// code global and returns it.
int RunCommandLine(const std::string& commandLine);
// Runs the current project once and, when the run changed it, saves it
// before reporting success; modified tells whether the run changed it.
int ExecuteProjectConsole(int& modified);

}  // namespace kv
