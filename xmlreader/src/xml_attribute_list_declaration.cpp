#include "xml_attribute_list_declaration.h"

#include <string_view>
#include <unordered_set>

#include "xml_parse_char.h"
#include "xml_text.h"

namespace caprel {

void CXML_AttributeListDeclaration::Reset() {
    state_ = kNotStarted;
    name_.clear();
    declaration_.reset();
    declarations_.RemoveAll();
    checked_.clear();
}

CXML_Token& CXML_AttributeListDeclaration::Token() {
    if (!token_) token_ = std::make_unique<CXML_Token>();
    return *token_;
}

void CXML_AttributeListDeclaration::Complete() {
    state_ = kComplete;
    // A DTD may hold many lists: a complete one keeps nothing of its parsing.
    token_.reset();
    // A later declaration of a name already required or defaulted changes nothing: the
    // attribute is present by then.
    std::unordered_set<std::string_view> seen;
    for (size_t i = 0; i < declarations_.GetSize(); ++i) {
        const CXML_AttributeDeclaration* declaration = declarations_.GetAt(i);
        const int kind = declaration->GetDefaultKind();
        if (kind != CXML_AttributeDeclaration::kDefaultRequired &&
            kind != CXML_AttributeDeclaration::kDefaultValue)
            continue;
        if (seen.insert(declaration->GetName()).second) checked_.push_back(declaration);
    }
}

int CXML_AttributeListDeclaration::Parse(CXML_ParseChar& reader) {
    if (IsIdle()) return 1;
    if (IsOpening())
        return ParseOpening(Token(), reader, "<!ATTLIST",
                            "XML attribute list must begin with <!ATTLIST");
    switch (state_) {
        case kAfterOpening:
            if (reader.IsWhiteSpace()) return 1;
            Token().Reset();
            state_ = 103;
            return Feed(Token(), reader);
        case 103:
            if (!Feed(Token(), reader)) return 0;
            if (Token().IsComplete()) {
                name_ = Token().GetText();
                state_ = 104;
            }
            return 1;
        case 104:
            if (reader.IsWhiteSpace()) return 1;
            if (reader.Is('>')) {
                Complete();
                return 1;
            }
            declaration_ = std::make_unique<CXML_AttributeDeclaration>();
            declaration_->Reset();
            state_ = 105;
            return Feed(*declaration_, reader);
        case 105:
            if (!Feed(*declaration_, reader)) return 0;
            if (declaration_->IsComplete()) {
                declarations_.Add(std::move(declaration_));
                if (reader.Is('>')) {
                    Complete();
                } else {
                    state_ = 104;
                }
            }
            return 1;
        default:
            return Fail("Unknown attribute list declaration parsing state");
    }
}

}  // namespace caprel
