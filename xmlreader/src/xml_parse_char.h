// The character reader: the character being parsed and where it stands in the file.
#ifndef CAPREL_XML_PARSE_CHAR_H
#define CAPREL_XML_PARSE_CHAR_H

#include <cstdint>
#include <string>
#include <string_view>

namespace caprel {

class CXML_ParseChar {
  public:
    explicit CXML_ParseChar(intptr_t callerValue = 0) : callerValue_(callerValue) {}

    void SetChar(char c) { char_ = c; }
    char GetChar() const { return char_; }
    bool Is(char c) const { return char_ == c; }
    bool IsWhiteSpace() const { return IsWhiteSpace(char_); }
    static bool IsWhiteSpace(char c) { return c == '\t' || c == '\n' || c == '\r' || c == ' '; }

    // The line is viewed, not copied: the text it stands in outlives the reading.
    void SetLine(std::string_view text, int number) {
        line_ = text;
        lineNumber_ = number;
    }
    std::string_view GetLine() const { return line_; }
    int GetLineNumber() const { return lineNumber_; }
    int GetColumn() const { return column_; }
    void SetColumn(int column) { column_ = column; }
    intptr_t GetCallerValue() const { return callerValue_; }
    // The character being parsed as a message quotes it: a printable ASCII
    // character as it is, a UTF-8 character whole (never its lead byte
    // alone), any other byte as "\xNN".
    std::string Shown() const;

  private:
    std::string_view line_;
    int lineNumber_ = 1;
    int column_ = 1;
    intptr_t callerValue_;
    char char_ = 0;
};

}  // namespace caprel

#endif  // CAPREL_XML_PARSE_CHAR_H
