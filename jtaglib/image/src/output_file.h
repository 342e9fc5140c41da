// An output text file that remembers whether any write to it failed.
#pragma once

#include <cstdarg>
#include <cstdio>

namespace nandrel {

class OutputFile {
  public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile() { close(); }

    // Closes a file still open, then creates the file (truncating it).
    bool open(const char* path);
    bool isOpen() const { return file_ != nullptr; }
    bool failed() const { return failed_; }
    void print(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // Closes the file; false when it was not open or any write failed.
    bool close();

  private:
    std::FILE* file_ = nullptr;
    bool failed_ = false;
};

}  // namespace nandrel
