// One entry of a keyword map: the keyword a project file stores, the text the
// user sees and the value the program works with.
#pragma once

#include <cstdint>
#include <string>

namespace kv {

class ComboBox;

class CParameterXML {
  public:
    CParameterXML(std::string keyword, std::string displayText, std::uint32_t value);
    virtual ~CParameterXML() = default;

    const std::string& GetKeyword() const { return keyword_; }
    const std::string& GetDisplayText() const { return displayText_; }
    std::uint32_t GetValue() const { return value_; }
    const std::string& GetLastError() const { return error_; }

    // Appends a row with the display text and this entry as its item data.
    int AddToComboBox(ComboBox& combo);

  private:
    std::string error_ = "No error";
    std::string keyword_;
    std::string displayText_;
    std::uint32_t value_;
};

}  // namespace kv
