// Console mode: runs the project named on the command line once, prints the
// log and every message box with an automatic answer, saves the project when
// the run changed it and returns the result code. The project file is locked
// against other console runs for the whole run.
#pragma once

#include <optional>
#include <string>

#include "kelvane/platform/file_stamp.h"

namespace kv {

// Result codes of a console run (also the process exit code).
enum ConsoleResult : int {
    kResultSuccess = 0,
    kResultFailure = 1,
    kResultNoProject = 3,
    kResultSaveFailed = 26,
    // A signal stopped the run (its targets were switched off). Above every
    // error number of the JTAG library, and below the shell's 126 and up.
    kResultStopped = 100,
};

// Runs the project the command line names; stores the result in the result
// code global and returns it.
int RunCommandLine(const std::string& commandLine);
// Runs the current project once and, when the run changed it, saves it
// before reporting success; modified tells whether the run changed it. The
// save is refused when the file is no longer the one read (`asRead`).
int ExecuteProjectConsole(int& modified, const std::optional<FileStamp>& asRead = std::nullopt);

}  // namespace kv
