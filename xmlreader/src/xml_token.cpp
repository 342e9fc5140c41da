#include "xml_token.h"

#include "xml_parse_char.h"

namespace caprel {

void CXML_Token::ResetWith(std::string_view terminators) {
    state_ = kNotStarted;
    text_.clear();
    terminators_ = terminators;
}

void CXML_Token::CompleteWith(char c) {
    text_.push_back(c);
    state_ = kComplete;
}

int CXML_Token::Parse(CXML_ParseChar& reader) {
    if (IsIdle()) return 1;
    if (state_ != kNotStarted) return Fail("Unknown header parsing state");
    const char c = reader.GetChar();
    if (reader.IsWhiteSpace() || terminators_.find(c) != std::string_view::npos) {
        state_ = kComplete;
    } else {
        text_.push_back(c);
    }
    return 1;
}

}  // namespace caprel
