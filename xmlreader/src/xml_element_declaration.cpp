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
    if (IsOpening())
        return ParseOpening(token_, reader, "<!ELEMENT",
                            "XML element declaration must begin with <!ELEMENT");
    switch (state_) {
        case kAfterOpening:
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
