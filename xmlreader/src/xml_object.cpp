#include "xml_object.h"

#include "xml_parse_char.h"
#include "xml_text.h"
#include "xml_token.h"

namespace caprel {

std::string CXML_Object::TakeError() {
    std::string text = std::move(error_);
    error_.clear();
    return text;
}

int CXML_Object::Fail(std::string text) {
    error_ = std::move(text);
    state_ = kFailed;
    return 0;
}

int CXML_Object::FailWith(CXML_Object& child) {
    return Fail(child.TakeError());
}

int CXML_Object::Feed(CXML_Object& child, CXML_ParseChar& reader) {
    if (!child.Parse(reader) || child.GetState() == kFailed) return FailWith(child);
    return 1;
}

int CXML_Object::Start(CXML_Object& child, std::string_view prefix, CXML_ParseChar& reader) {
    child.Reset();
    const char current = reader.GetChar();
    const int column = reader.GetColumn();
    const int first = column - static_cast<int>(prefix.size());
    int ok = 1;
    for (size_t i = 0; i < prefix.size(); ++i) {
        reader.SetColumn(first + static_cast<int>(i));
        reader.SetChar(prefix[i]);
        ok = Feed(child, reader);
        if (!ok) break;
    }
    reader.SetColumn(column);
    reader.SetChar(current);
    return ok ? Feed(child, reader) : 0;
}

int CXML_Object::ParseOpening(CXML_Token& token, CXML_ParseChar& reader, std::string_view keyword,
                              const char* message) {
    if (state_ == kNotStarted) {
        token.Reset();
        state_ = kOpening;
        return Feed(token, reader);
    }
    if (!Feed(token, reader)) return 0;
    if (token.IsComplete()) {
        if (!EqualsNoCase(token.GetText(), keyword)) return Fail(message);
        state_ = kAfterOpening;
    }
    return 1;
}

}  // namespace caprel
