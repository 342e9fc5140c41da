// Reads a text file line by line for the image readers.
#pragma once

#include <cstdio>
#include <string>

namespace nandrel {

class LineReader {
  public:
    // Opens a regular file only (see openError()).
    explicit LineReader(const char* path);
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;
    ~LineReader();

    bool isOpen() const { return file_ != nullptr; }
    // Why the file did not open: the system's text, or that the path names a
    // folder, FIFO or device.
    const std::string& openError() const { return openError_; }

    // Reads the next line without its line feed. False at the end of the file or
    // on a read error (see failed()). A line longer than the limit is returned
    // cut, with tooLong() set, and ends the reading: nothing after it is read,
    // so a file without line feeds costs no more than one line.
    bool next(std::string* line);
    bool failed() const { return failed_; }
    bool tooLong() const { return tooLong_; }
    int lineNumber() const { return lineNumber_; }

  private:
    std::FILE* file_ = nullptr;
    bool failed_ = false;
    bool tooLong_ = false;
    int lineNumber_ = 0;
    std::string openError_;
};

}  // namespace nandrel
