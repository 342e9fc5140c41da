// The text lines of an element, held compactly: every line's characters in one buffer and where
// each line ends, instead of a string per line.
#ifndef CAPREL_TEXT_LINES_H
#define CAPREL_TEXT_LINES_H

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace caprel {

class TextLines {
  public:
    // Appends a character to the line being collected.
    void Append(char c) { text_.push_back(c); }
    // Ends the line being collected; an empty line counts too.
    void EndLine() { ends_.push_back(static_cast<uint32_t>(text_.size())); }

    size_t GetCount() const { return ends_.size(); }
    std::string_view GetLine(size_t line) const {
        const uint32_t begin = line == 0 ? 0 : ends_[line - 1];
        return std::string_view(text_).substr(begin, ends_[line] - begin);
    }

    // Gives back the room kept for more text: the element is complete.
    void Seal() {
        text_.shrink_to_fit();
        ends_.shrink_to_fit();
    }
    void Clear() {
        text_.clear();
        ends_.clear();
    }

  private:
    std::string text_;
    std::vector<uint32_t> ends_;
};

}  // namespace caprel

#endif  // CAPREL_TEXT_LINES_H
