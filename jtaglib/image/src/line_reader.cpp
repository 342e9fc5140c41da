#include "line_reader.h"

#include "nandrel/image/hex_readers.h"

namespace nandrel {

LineReader::LineReader(const char* path) {
    if (path != nullptr) file_ = std::fopen(path, "r");
}

LineReader::~LineReader() {
    if (file_ != nullptr) std::fclose(file_);
}

bool LineReader::next(std::string* line) {
    line->clear();
    tooLong_ = false;
    if (file_ == nullptr) return false;
    int c = std::getc(file_);
    if (c == EOF) {
        failed_ = std::ferror(file_) != 0;
        return false;
    }
    ++lineNumber_;
    while (c != EOF && c != '\n') {
        // Characters beyond the limit are consumed but not kept: the line
        // fails as a whole instead of being read as two lines.
        if (line->size() < kMaxLineLength + 2) {
            line->push_back(static_cast<char>(c));
        }
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
