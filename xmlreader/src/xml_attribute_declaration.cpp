#include "xml_attribute_declaration.h"

#include <array>
#include <utility>

#include "kelvane/platform/format.h"
#include "xml_parse_char.h"

namespace caprel {

namespace {

constexpr std::string_view kEnumTerminators = ")|";

constexpr std::array<std::pair<std::string_view, int>, 8> kSimpleTypes = {{
    {"CDATA", CXML_AttributeDeclaration::kTypeCdata},
    {"ID", CXML_AttributeDeclaration::kTypeId},
    {"IDREF", CXML_AttributeDeclaration::kTypeIdref},
    {"IDREFS", CXML_AttributeDeclaration::kTypeIdrefs},
    {"ENTITY", CXML_AttributeDeclaration::kTypeEntity},
    {"ENTITIES", CXML_AttributeDeclaration::kTypeEntities},
    {"NMTOKEN", CXML_AttributeDeclaration::kTypeNmtoken},
    {"NMTOKENS", CXML_AttributeDeclaration::kTypeNmtokens},
}};

}  // namespace

void CXML_AttributeDeclaration::Reset() {
    state_ = kNotStarted;
    name_.clear();
    type_ = kTypeNone;
    defaultKind_ = kDefaultNone;
    defaultValue_.clear();
    enumValues_.clear();
}

int CXML_AttributeDeclaration::TakeType() {
    const std::string& word = Token().GetText();
    for (const auto& [keyword, type] : kSimpleTypes) {
        if (word == keyword) {
            type_ = type;
            state_ = 108;
            return 1;
        }
    }
    if (word == "NOTATION") {
        type_ = kTypeNotation;
        state_ = 104;
        return 1;
    }
    type_ = kTypeUnrecognised;
    return Fail(kv::text::Format("Unrecognized attribute declaration type '%s'", word.c_str()));
}

int CXML_AttributeDeclaration::TakeDefaultKind() {
    const std::string& word = Token().GetText();
    if (word == "#REQUIRED") {
        defaultKind_ = kDefaultRequired;
        state_ = kComplete;
    } else if (word == "#IMPLIED") {
        defaultKind_ = kDefaultImplied;
        state_ = kComplete;
    } else if (word == "#FIXED") {
        defaultKind_ = kDefaultFixed;
        Token().Reset();
        state_ = 110;
    } else {
        defaultKind_ = kDefaultUnrecognised;
        return Fail(kv::text::Format("Unrecognized attribute default type '%s'", word.c_str()));
    }
    return 1;
}

CXML_Token& CXML_AttributeDeclaration::Token() {
    if (!token_) token_ = std::make_unique<CXML_Token>();
    return *token_;
}

int CXML_AttributeDeclaration::Parse(CXML_ParseChar& reader) {
    if (IsIdle()) return 1;
    const int ok = Step(reader);
    // A DTD may hold many declarations: a complete one keeps nothing of its parsing.
    if (state_ == kComplete) token_.reset();
    return ok;
}

int CXML_AttributeDeclaration::Step(CXML_ParseChar& reader) {
    const char c = reader.GetChar();
    const bool blank = reader.IsWhiteSpace();
    switch (state_) {
        case kNotStarted:
            Token().Reset();
            state_ = 101;
            return Feed(Token(), reader);
        case 101:
            if (!Feed(Token(), reader)) return 0;
            if (Token().IsComplete()) {
                name_ = Token().GetText();
                Token().Reset();
                state_ = 102;
            }
            return 1;
        case 102:
            if (blank) return 1;
            if (c == '(') {
                type_ = kTypeEnumeration;
                state_ = 105;
                return 1;
            }
            state_ = 103;
            return Feed(Token(), reader);
        case 103:
            if (!Feed(Token(), reader)) return 0;
            return Token().IsComplete() ? TakeType() : 1;
        case 104:
            if (c == ')') state_ = 108;
            return 1;
        case 105:
            if (blank) return 1;
            if (c == ')') {
                state_ = 108;
                return 1;
            }
            if (c == '|') return Fail("Invalid location for separator symbol");
            Token().ResetWith(kEnumTerminators);
            state_ = 106;
            return Feed(Token(), reader);
        case 106:
            if (!Feed(Token(), reader)) return 0;
            if (Token().IsComplete()) {
                enumValues_.push_back(Token().GetText());
                Token().ResetWith(kEnumTerminators);
                if (c == ')') {
                    state_ = 108;
                } else if (c == '|') {
                    state_ = 105;
                } else if (blank) {
                    state_ = 107;
                }
            }
            return 1;
        case 107:
            if (blank) return 1;
            if (c == ')') {
                state_ = 108;
            } else if (c == '|') {
                state_ = 105;
            } else {
                return Fail(kv::text::Format("Unexpected char '%s'", reader.Shown().c_str()));
            }
            return 1;
        case 108:
            if (blank) return 1;
            if (c == '"') {
                defaultKind_ = kDefaultValue;
                state_ = 111;
                return 1;
            }
            Token().Reset();
            state_ = 109;
            if (!Feed(Token(), reader)) return 0;
            if (c != '#') {
                defaultKind_ = kDefaultUnrecognised;
                return Fail(
                    kv::text::Format("Unrecognized character '%s' in default declaration",
                                     reader.Shown().c_str()));
            }
            return 1;
        case 109:
            if (c == 'D') {
                Token().CompleteWith(c);
            } else if (!Feed(Token(), reader)) {
                return 0;
            }
            return Token().IsComplete() ? TakeDefaultKind() : 1;
        case 110:
            if (blank) return 1;
            if (c == '"') {
                state_ = 111;
                return 1;
            }
            defaultKind_ = kDefaultUnrecognised;
            return Fail(kv::text::Format("Unrecognized attribute default delimiter '%s'",
                                         Token().GetText().c_str()));
        case 111:
            if (c == '"') {
                state_ = kComplete;
            } else {
                defaultValue_.push_back(c);
            }
            return 1;
        default:
            return Fail("Unknown attribute declaration parsing state");
    }
}

}  // namespace caprel
