#include "xml_header.h"

#include "xml_parse_char.h"
#include "xml_text.h"

namespace caprel {

void CXML_Header::Reset() {
    state_ = kNotStarted;
    text_.clear();
}

int CXML_Header::Parse(CXML_ParseChar& reader) {
    if (IsIdle()) return 1;
    const char c = reader.GetChar();
    if (IsOpening())
        return ParseOpening(token_, reader, "<?xml", "XML header must begin with <?xml");
    switch (state_) {
        case kAfterOpening:
            if (c == '?') {
                state_ = 103;
            } else {
                text_.push_back(c);
            }
            return 1;
        case 103:
            if (c != '>') return Fail("XML header must end with a ?> token");
            state_ = kComplete;
            return 1;
        default:
            return Fail("Unknown header parsing state");
    }
}

}  // namespace caprel
