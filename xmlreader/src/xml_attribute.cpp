#include "xml_attribute.h"

#include "kelvane/platform/format.h"
#include "xml_parse_char.h"

namespace caprel {

void CXML_Attribute::Reset() {
    state_ = kNotStarted;
    name_.clear();
    value_.clear();
}

int CXML_Attribute::UnexpectedCharacter(const CXML_ParseChar& reader) {
    return Fail(kv::text::Format("Unexpected '%s' in attribute '%s' definition",
                                 reader.Shown().c_str(), name_.c_str()));
}

int CXML_Attribute::Parse(CXML_ParseChar& reader) {
    if (IsIdle()) return 1;
    const char c = reader.GetChar();
    switch (state_) {
        case kNotStarted:
            token_.Reset();
            state_ = 101;
            return Feed(token_, reader);
        case 101:
            if (c == '=') {
                name_ = token_.GetText();
                state_ = 103;
                return 1;
            }
            if (!Feed(token_, reader)) return 0;
            if (token_.IsComplete()) {
                name_ = token_.GetText();
                state_ = 102;
            }
            return 1;
        case 102:
            if (c == '=') {
                state_ = 103;
                return 1;
            }
            if (reader.IsWhiteSpace()) return 1;
            return UnexpectedCharacter(reader);
        case 103:
            if (c == '"') {
                value_.clear();
                state_ = 104;
                return 1;
            }
            if (reader.IsWhiteSpace()) return 1;
            return UnexpectedCharacter(reader);
        case 104:
            if (c == '"') {
                state_ = kComplete;
            } else {
                value_.push_back(c);
            }
            return 1;
        default:
            return Fail("Unknown attribute parsing state");
    }
}

}  // namespace caprel
