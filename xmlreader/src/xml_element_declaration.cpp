#include "xml_element_declaration.h"

#include "xml_parse_char.h"
#include "xml_text.h"

namespace caprel {

void CXML_ElementDeclaration::Reset() {
    state_ = kNotStarted;
    name_.clear();
}

int CXML_ElementDeclaration::Parse(CXML_ParseChar& reader) {
    if (IsIdle()) return 1;
    switch (state_) {
        case kNotStarted:
            token_.Reset();
            state_ = 101;
            return Feed(token_, reader);
        case 101:
            if (!Feed(token_, reader)) return 0;
            if (token_.IsComplete()) {
                if (!EqualsNoCase(token_.GetText(), "<!ELEMENT")) {
                    return Fail("XML element declaration must begin with <!ELEMENT");
                }
                state_ = 102;
            }
            return 1;
        case 102:
            if (reader.IsWhiteSpace()) return 1;
            token_.Reset();
            state_ = 103;
            return Feed(token_, reader);
        case 103:
            if (!Feed(token_, reader)) return 0;
            if (token_.IsComplete()) {
                name_ = token_.GetText();
                state_ = 104;
            }
            return 1;
        case 104:
            if (reader.Is('>')) state_ = kComplete;
            return 1;
        default:
            return Fail("Unknown element declaration parsing state");
    }
}

}  // namespace caprel
