#include "line_reader.h"

#include "kelvane/platform/input_file.h"
#include "nandrel/image/hex_readers.h"

namespace nandrel {

LineReader::LineReader(const char* path) {
    if (path != nullptr) file_ = kv::OpenInputStream(path, "r", &openError_);
}

LineReader::~LineReader() {
    if (file_ != nullptr) std::fclose(file_);
}

bool LineReader::next(std::string* line) {
    line->clear();
    if (file_ == nullptr || tooLong_) return false;
    int c = std::getc(file_);
    if (c == EOF) {
        failed_ = std::ferror(file_) != 0;
        return false;
    }
    ++lineNumber_;
    // A carriage return before the line feed is no part of the line, so one
    // character more than the limit is taken before the line counts as too long.
    while (c != EOF && c != '\n') {
        line->push_back(static_cast<char>(c));
        if (line->size() > kMaxLineLength + 1) break;
        c = std::getc(file_);
    }
    if (c == EOF && std::ferror(file_) != 0) {
        failed_ = true;
        return false;
    }
    if (!line->empty() && line->back() == '\r') line->pop_back();
    tooLong_ = line->size() > kMaxLineLength;
    return true;
}

}  // namespace nandrel
