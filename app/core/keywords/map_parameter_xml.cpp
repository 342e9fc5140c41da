#include "kelvane/core/map_parameter_xml.h"

#include <utility>

#include "kelvane/core/xml_reading.h"
#include "kelvane/platform/terminal_text.h"
#include "xml/number_scan.h"

namespace kv {

bool ParseHexOrDecimal(const std::string& text, std::uint32_t* value, std::string* refusal) {
    scan::Refusal why = scan::Refusal::kNone;
    const bool hex = text.size() >= 4 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const bool read =
        hex ? scan::Hex(text.substr(2), value, &why) : scan::Decimal(text, value, &why);
    if (refusal != nullptr) *refusal = scan::RefusalText(why);
    return read;
}

void CMapParameterXML::Add(const std::string& keyword, const std::string& displayText,
                           std::uint32_t value) {
    entries_.push_back(std::make_unique<CParameterXML>(keyword, displayText, value));
}

void CMapParameterXML::AddWord(const std::string& keyword, const std::string& displayText,
                               std::uint32_t value) {
    Add(keyword, displayText, value & 0xFFFFu);
}

void CMapParameterXML::AddDword(const std::string& keyword, const std::string& displayText,
                                std::uint32_t value) {
    Add(keyword, displayText, value);
}

void CMapParameterXML::AddKeyword(const std::string& keyword, std::uint32_t value) {
    Add(keyword, keyword, value);
}

void CMapParameterXML::AddBoolean() {
    AddKeyword("TRUE", 1);
    AddKeyword("FALSE", 0);
}

void CMapParameterXML::RemoveAll() {
    entries_.clear();
}

const CParameterXML* CMapParameterXML::GetAt(std::size_t index) const {
    return index < entries_.size() ? entries_[index].get() : nullptr;
}

const CParameterXML* CMapParameterXML::FindByKeyword(const std::string& keyword) const {
    for (const auto& entry : entries_)
        if (entry->GetKeyword() == keyword) return entry.get();
    return nullptr;
}

const CParameterXML* CMapParameterXML::FindByValue(std::uint32_t value) const {
    for (const auto& entry : entries_)
        if (entry->GetValue() == value) return entry.get();
    return nullptr;
}

int CMapParameterXML::BuildAttList(std::string* out) {
    std::string list;
    for (const auto& entry : entries_) {
        if (!entry) {
            error_ = "Unable to add NULL element to ATTLIST";
            return 0;
        }
        if (!list.empty()) list += '|';
        list += entry->GetKeyword();
    }
    *out = std::move(list);
    return 1;
}

int CMapParameterXML::ParseDWORD(const std::string& text, std::uint32_t* out) {
    refusal_.clear();
    if (!out) {
        error_ = "Unable to parse DWORD to NULL value";
        return 0;
    }
    if (const CParameterXML* entry = FindByKeyword(text)) {
        *out = entry->GetValue();
        return 1;
    }
    if (!ParseHexOrDecimal(text, out, &refusal_)) {
        error_ = "Unable to convert " + Quoted(text) + " to DWORD";
        return 0;
    }
    return 1;
}

int CMapParameterXML::ParseWORD(const std::string& text, std::uint16_t* out) {
    std::uint32_t value = 0;
    if (!ParseDWORD(text, out ? &value : nullptr)) return 0;
    *out = static_cast<std::uint16_t>(value);
    return 1;
}

int CMapParameterXML::ParseLONG(const std::string& text, std::int32_t* out) {
    refusal_.clear();
    if (!out) {
        error_ = "Unable to parse LONG to NULL value";
        return 0;
    }
    if (const CParameterXML* entry = FindByKeyword(text)) {
        *out = static_cast<std::int32_t>(entry->GetValue());
        return 1;
    }
    std::uint32_t value = 0;
    scan::Refusal why = scan::Refusal::kNone;
    const bool read = scan::Decimal(text, &value, &why);
    refusal_ = scan::RefusalText(why);
    if (!read) {
        error_ = "Unable to convert " + Quoted(text) + " to LONG";
        return 0;
    }
    *out = static_cast<std::int32_t>(value);
    return 1;
}

int CMapParameterXML::ParseBOOL(const std::string& text, int* out) {
    std::int32_t value = 0;
    if (!ParseLONG(text, out ? &value : nullptr)) return 0;
    *out = value != 0 ? 1 : 0;
    return 1;
}

int CMapParameterXML::Named(const std::string& text, std::uint32_t value, const char* type) {
    if (FindByValue(value) != nullptr) return 1;
    error_ = "Unable to convert " + Quoted(text) + " to " + type;
    refusal_ = "no keyword has this value";
    return 0;
}

int CMapParameterXML::ParseNamedDWORD(const std::string& text, std::uint32_t* out) {
    std::uint32_t value = 0;
    if (!ParseDWORD(text, out ? &value : nullptr) || !Named(text, value, "DWORD")) return 0;
    *out = value;
    return 1;
}

int CMapParameterXML::ParseNamedWORD(const std::string& text, std::uint16_t* out) {
    std::uint32_t value = 0;
    if (!ParseDWORD(text, out ? &value : nullptr) || !Named(text, value, "WORD")) return 0;
    *out = static_cast<std::uint16_t>(value);
    return 1;
}

int CMapParameterXML::ParseNamedLONG(const std::string& text, std::int32_t* out) {
    std::int32_t value = 0;
    if (!ParseLONG(text, out ? &value : nullptr) ||
        !Named(text, static_cast<std::uint32_t>(value), "LONG"))
        return 0;
    *out = value;
    return 1;
}

int CMapParameterXML::ParseNamedBOOL(const std::string& text, int* out) {
    std::int32_t value = 0;
    if (!ParseNamedLONG(text, out ? &value : nullptr)) return 0;
    *out = value != 0 ? 1 : 0;
    return 1;
}

std::string CMapParameterXML::Expected() const {
    std::string list;
    for (const auto& entry : entries_)
        list += (list.empty() ? "" : ", ") + entry->GetKeyword();
    return "expected one of " + list;
}

std::string CMapParameterXML::TakeError(std::int32_t element, const std::string& name) {
    std::string text = TakeError() + " (" + name + ")";
    if (!refusal_.empty()) text += ": " + refusal_;
    return text + " " + ElementPlace(element) + "; " + Expected();
}

std::string CMapParameterXML::TakeErrorWithExpected() {
    std::string text = TakeError();
    if (!refusal_.empty()) text += ": " + refusal_;
    return text + "; " + Expected();
}

template <class Value, class Parse>
int CMapParameterXML::ReadAttribute(std::int32_t element, const std::string& name, Value* out,
                                    Parse parse) {
    std::string text;
    if (!GetXmlAttribute(element, name, text, error_)) return 0;
    if (!(this->*parse)(text, out)) {
        error_ = TakeError(element, name);
        return 0;
    }
    return 1;
}

int CMapParameterXML::ReadAttributeDWORD(std::int32_t element, const std::string& name,
                                         std::uint32_t* out) {
    return ReadAttribute(element, name, out, &CMapParameterXML::ParseDWORD);
}

int CMapParameterXML::ReadAttributeWORD(std::int32_t element, const std::string& name,
                                        std::uint16_t* out) {
    return ReadAttribute(element, name, out, &CMapParameterXML::ParseWORD);
}

int CMapParameterXML::ReadAttributeLONG(std::int32_t element, const std::string& name,
                                        std::int32_t* out) {
    return ReadAttribute(element, name, out, &CMapParameterXML::ParseLONG);
}

int CMapParameterXML::ReadAttributeBOOL(std::int32_t element, const std::string& name, int* out) {
    return ReadAttribute(element, name, out, &CMapParameterXML::ParseBOOL);
}

int CMapParameterXML::ReadNamedAttributeDWORD(std::int32_t element, const std::string& name,
                                              std::uint32_t* out) {
    return ReadAttribute(element, name, out, &CMapParameterXML::ParseNamedDWORD);
}

int CMapParameterXML::ReadNamedAttributeWORD(std::int32_t element, const std::string& name,
                                             std::uint16_t* out) {
    return ReadAttribute(element, name, out, &CMapParameterXML::ParseNamedWORD);
}

int CMapParameterXML::ReadNamedAttributeLONG(std::int32_t element, const std::string& name,
                                             std::int32_t* out) {
    return ReadAttribute(element, name, out, &CMapParameterXML::ParseNamedLONG);
}

int CMapParameterXML::ReadNamedAttributeBOOL(std::int32_t element, const std::string& name,
                                             int* out) {
    return ReadAttribute(element, name, out, &CMapParameterXML::ParseNamedBOOL);
}

int CMapParameterXML::FillComboBox(ComboBox* combo) {
    if (!combo) {
        error_ = "Unable to fill NULL combo box";
        return 0;
    }
    if (!combo->IsWindow()) {
        error_ = "Combo box is not a window";
        return 0;
    }
    combo->ResetContent();
    for (const auto& entry : entries_) {
        if (!entry->AddToComboBox(*combo)) {
            error_ = entry->GetLastError();
            return 0;
        }
    }
    if (combo->GetCount() > 0) combo->SetCurSel(0);
    return 1;
}

std::string CMapParameterXML::TakeError() {
    return std::exchange(error_, std::string());
}

}  // namespace kv
