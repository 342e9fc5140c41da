#include "output_file.h"

#include <string>

namespace nandrel {

bool OutputFile::open(const char* path) {
    file_.Abandon();
    stream_ = nullptr;
    failed_ = false;
    if (path == nullptr) return false;
    // A FIFO or a device is refused at once rather than waited on.
    std::string error;
    stream_ = file_.Open(path, &error);
    return stream_ != nullptr;
}

void OutputFile::print(const char* format, ...) {
    if (stream_ == nullptr) return;
    va_list args;
    va_start(args, format);
    if (std::vfprintf(stream_, format, args) < 0) failed_ = true;
    va_end(args);
}

bool OutputFile::close() {
    if (stream_ == nullptr) return false;
    stream_ = nullptr;
    std::string error;
    if (failed_ || !file_.Commit(&error)) {
        file_.Abandon();
        failed_ = true;
    }
    return !failed_;
}

}  // namespace nandrel
