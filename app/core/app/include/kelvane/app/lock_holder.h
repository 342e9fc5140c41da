// Who holds a file's lock: the kernel lists every flock with the process that
// took it, and the process table gives its program and start.
#pragma once

#include <string>

namespace kv {

// "process 1234 (CmdLineKelvane), running since 2026-12-09 16:50:12" for the
// process holding a flock on the file open as `fd`; "a process this system
// does not name" when the lock list shows none (another machine over a
// network file system, another process namespace).
std::string DescribeLockHolder(int fd);

}  // namespace kv
