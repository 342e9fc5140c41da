// Opening a file the user named as input (a project, an image, a password or
// patch file): only a regular file is read, or a symbolic link to one. A FIFO,
// a device or a folder would block the station or never end, so it is refused
// at once with a text that says what it is. Opening never waits on the path.
#pragma once

#include <cstdio>
#include <string>

namespace kv {

// Opens the file for reading; the descriptor, or -1 with `*error` set: the
// system's text (errno from the open) for a file that cannot be opened, or
// "<path> is a folder, not a file" and the like, with errno EISDIR for a
// folder and EINVAL for anything else that is not a regular file.
int OpenInputFile(const std::string& path, std::string* error);

// The same as a stdio stream in mode "r" or "rb"; nullptr with `*error` set.
std::FILE* OpenInputStream(const std::string& path, const char* mode, std::string* error);

// Whether a file the user named as output (a read-out) may be written: the
// same rule, so a FIFO or a device never holds the run with the target
// powered. A missing file may be, a regular one (or the file a link leads
// to) when the user may write it; false with `*error` and errno set as above
// or as the system's check of the write permission sets them. The file is
// then written by replacing it (replaced_file.h).
bool CheckOutputFile(const std::string& path, std::string* error);

}  // namespace kv
