// The window program's message boxes: kv::messageBox shows a QMessageBox.
#pragma once

namespace kv::ui {

// Installs the handler; the previous one is restored by RemoveMessageBoxHandler.
void InstallMessageBoxHandler();
void RemoveMessageBoxHandler();

}  // namespace kv::ui
