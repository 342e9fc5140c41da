#include "xml_doctype.h"

#include "kelvane/platform/format.h"

#include "xml_parse_char.h"
#include "xml_text.h"

namespace caprel {

void CXML_DocType::Reset() {
    state_ = kNotStarted;
    name_.clear();
    element_.reset();
    attributeList_.reset();
    elements_.RemoveAll();
    attributeLists_.RemoveAll();
    listsByElement_.clear();
    declared_ = 0;
}

int CXML_DocType::CheckDeclarationCount(size_t reading) {
    if (declared_ + reading <= kMaxDeclarations) return 1;
    return Fail(kv::text::Format("More than %zu declarations in the DTD", kMaxDeclarations));
}

const CXML_AttributeListDeclaration* CXML_DocType::FindAttributeList(
    std::string_view element) const {
    const auto found = listsByElement_.find(element);
    return found == listsByElement_.end() ? nullptr : found->second;
}

int CXML_DocType::StartDeclaration(CXML_ParseChar& reader) {
    const std::string& word = token_.GetText();
    if (word == "<!ELEMENT") {
        element_ = std::make_unique<CXML_ElementDeclaration>();
        state_ = 107;
        return Start(*element_, "<!ELEMENT", reader);
    }
    if (word == "<!ATTLIST") {
        attributeList_ = std::make_unique<CXML_AttributeListDeclaration>();
        state_ = 108;
        return Start(*attributeList_, "<!ATTLIST", reader);
    }
    if (word == "<!--") {
        state_ = 109;
        return Start(comment_, "<!--", reader);
    }
    return Fail("Unrecognized declaration token");
}

int CXML_DocType::Parse(CXML_ParseChar& reader) {
    if (IsIdle()) return 1;
    const bool blank = reader.IsWhiteSpace();
    if (IsOpening())
        return ParseOpening(token_, reader, "<!DOCTYPE", "XML doctype must begin with <!DOCTYPE");
    switch (state_) {
        case kAfterOpening:
            if (blank) return 1;
            token_.Reset();
            state_ = 103;
            return Feed(token_, reader);
        case 103:
            if (reader.Is('[')) {
                name_ = token_.GetText();
                token_.Reset();
                state_ = 105;
                return 1;
            }
            if (!Feed(token_, reader)) return 0;
            if (token_.IsComplete()) {
                name_ = token_.GetText();
                state_ = 104;
            }
            return 1;
        case 104:
            if (blank) return 1;
            if (reader.Is('[')) {
                token_.Reset();
                state_ = 105;
                return 1;
            }
            return Fail("Invalid DOCTYPE delimiter");
        case 105:
            if (blank) return 1;
            if (reader.Is(']')) {
                state_ = 110;
                return 1;
            }
            token_.Reset();
            state_ = 106;
            return Feed(token_, reader);
        case 106:
            if (!Feed(token_, reader)) return 0;
            return token_.IsComplete() ? StartDeclaration(reader) : 1;
        case 107:
            if (!Feed(*element_, reader)) return 0;
            if (element_->IsComplete()) {
                if (!CheckDeclarationCount(1)) return 0;
                ++declared_;
                elements_.Add(std::move(element_));
                state_ = 105;
            }
            return 1;
        case 108:
            if (!Feed(*attributeList_, reader)) return 0;
            // The list itself counts as one.
            if (!CheckDeclarationCount(1 + attributeList_->GetDeclarations().GetSize())) return 0;
            if (attributeList_->IsComplete()) {
                declared_ += 1 + attributeList_->GetDeclarations().GetSize();
                listsByElement_.emplace(attributeList_->GetName(), attributeList_.get());
                attributeLists_.Add(std::move(attributeList_));
                state_ = 105;
            }
            return 1;
        case 109:
            if (!Feed(comment_, reader)) return 0;
            if (comment_.IsComplete()) {
                comment_.Reset();
                state_ = 105;
            }
            return 1;
        case 110:
            if (blank) return 1;
            if (!reader.Is('>')) return Fail("Unrecognized symbol in !DOCTYPE");
            state_ = kComplete;
            return 1;
        default:
            return Fail("Unknown header parsing state");
    }
}

}  // namespace caprel
