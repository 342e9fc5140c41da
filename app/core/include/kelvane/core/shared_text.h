// A text that many objects hold alike, such as the element name, display name, description and
// group that every command of one class carries: all holders of equal texts refer to one copy,
// kept for the life of the program.
#pragma once

#include <string>
#include <string_view>

namespace kv {

class SharedText {
  public:
    SharedText() : text_(&Share({})) {}
    SharedText(std::string_view text) : text_(&Share(text)) {}  // NOLINT: stands for a string
    SharedText(const char* text) : SharedText(std::string_view(text)) {}  // NOLINT: same
    SharedText(const std::string& text) : SharedText(std::string_view(text)) {}  // NOLINT: same

    const std::string& Get() const { return *text_; }
    operator const std::string&() const { return *text_; }  // NOLINT: stands for a string
    friend bool operator==(const SharedText& shared, std::string_view text) {
        return shared.Get() == text;
    }
    friend std::string operator+(const SharedText& shared, std::string_view text) {
        return std::string(shared.Get()).append(text);
    }
    friend std::string operator+(std::string_view text, const SharedText& shared) {
        return std::string(text).append(shared.Get());
    }

  private:
    // The one copy of the text; made on first use.
    static const std::string& Share(std::string_view text);

    const std::string* text_;
};

}  // namespace kv
