#include "xml_comment.h"

#include "xml_parse_char.h"
#include "xml_text.h"

namespace caprel {

void CXML_Comment::Reset() {
    state_ = kNotStarted;
    text_.clear();
}

int CXML_Comment::Parse(CXML_ParseChar& reader) {
    if (IsIdle()) return 1;
    const char c = reader.GetChar();
    if (IsOpening())
        return ParseOpening(token_, reader, "<!--", "XML comment must begin with <!--");
    switch (state_) {
        case kAfterOpening:
            if (c == '-') {
                state_ = 103;
            } else {
                text_.push_back(c);
            }
            return 1;
        case 103:
            if (c == '-') {
                state_ = 104;
            } else {
                text_.push_back('-');
                text_.push_back(c);
                state_ = 102;
            }
            return 1;
        case 104:
            if (c != '>') return Fail("XML comment must end with a --> token");
            state_ = kComplete;
            return 1;
        default:
            return Fail("Unknown comment parsing state");
    }
}

}  // namespace caprel
