// Writing a file by replacing it: the new contents go into a temporary file
// beside it ("<name>.~<pid>.<n>"), which is synced and renamed over the file
// only when everything was written. A write that fails (a full disk, a file
// size limit) or a program killed part way leaves the previous file as it
// was; the next write removes the temporary files of ended programs.
#pragma once

#include <cstdio>
#include <string>

namespace kv {

// The file a write of `path` replaces: the target of a symbolic link, so that
// the link stays.
std::string ReplacedPath(const std::string& path);

// Removes the temporary files "<name>.~<pid>.<n>" of `destination` that a
// program killed while writing left behind. A temporary file of a program
// still running is its write in progress and stays.
void RemoveStaleTemps(const std::string& destination);

// Creates a new temporary file beside `destination`, with the mode of the
// file it will replace; its descriptor and `*tempPath`, or -1 with errno set.
int CreateTempBeside(const std::string& destination, std::string* tempPath);

// Makes a rename in the folder of `file` durable; false with `error` set.
bool SyncFolder(const std::string& file, int& error);

// A read-out file: written through a stdio stream into a temporary file and
// put in place by Commit. Destroying it unfinished discards what was written.
class ReplacingFile {
  public:
    ReplacingFile() = default;
    ~ReplacingFile() { Abandon(); }
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // The rules of an output file (input_file.h): only a regular file (or a
    // link to one) or a new one is written, and one the user may not write
    // stays. The stream, or nullptr with `*error` set (the system's text).
    std::FILE* Open(const std::string& path, std::string* error);
    // Closes the stream and renames the temporary file over the path. false
    // with `*error` set when anything failed; the previous file then stays.
    bool Commit(std::string* error);
    // Discards the temporary file.
    void Abandon();

  private:
    std::FILE* file_ = nullptr;
    std::string destination_;
    std::string temp_;
};

}  // namespace kv
