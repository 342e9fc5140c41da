// An output text file that remembers whether any write to it failed. It is
// written beside its name and put in place only when closed after writes that
// all succeeded, so a failed write keeps the previous file.
#pragma once

#include <cstdarg>
#include <cstdio>

#include "kelvane/platform/replaced_file.h"

namespace nandrel {

class OutputFile {
  public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile() { file_.Abandon(); }

    // Discards a file still open, then starts the file.
    bool open(const char* path);
    bool isOpen() const { return stream_ != nullptr; }
    bool failed() const { return failed_; }
    void print(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // Puts the file in place; false, with the previous file kept, when it was
    // not open or any write failed.
    bool close();

  private:
    kv::ReplacingFile file_;
    std::FILE* stream_ = nullptr;
    bool failed_ = false;
};

}  // namespace nandrel
