#include "output_file.h"

#include <string>

#include "kelvane/platform/input_file.h"

namespace nandrel {

bool OutputFile::open(const char* path) {
    close();
    failed_ = false;
    if (path == nullptr) return false;
    // A FIFO or a device is refused at once rather than waited on.
    std::string error;
    file_ = kv::OpenOutputStream(path, &error);
    return file_ != nullptr;
}

void OutputFile::print(const char* format, ...) {
    if (file_ == nullptr) return;
    va_list args;
    va_start(args, format);
    if (std::vfprintf(file_, format, args) < 0) failed_ = true;
    va_end(args);
}

bool OutputFile::close() {
    if (file_ == nullptr) return false;
    if (std::ferror(file_) != 0) failed_ = true;
    if (std::fclose(file_) != 0) failed_ = true;
    file_ = nullptr;
    return !failed_;
}

}  // namespace nandrel
