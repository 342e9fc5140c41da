#include "kelvane/core/xml_reading.h"

#include <caprel/caprel.h>

#include <utility>
#include <vector>

#include "kelvane/platform/terminal_text.h"
#include "xml/number_scan.h"

namespace kv {

namespace {

constexpr std::uint32_t kErrorBufferSize = 1024;

// The library's text for a call that just failed. A library that leaves no
// text gets the caller's own, so an earlier failure's text is never reused.
void TakeLibraryError(std::string& error, const std::string& fallback) {
    std::string text;
    GetXmlLastError(text);
    error = text.empty() ? fallback : text;
}

// Reads a whole text through the library's copy rule: the size first, then
// the text, so that nothing is cut at a fixed buffer length.
template <class Copy>
bool CopyFull(Copy copy, std::string& out) {
    std::uint32_t needed = 0;
    if (!copy(nullptr, 0, &needed) || needed == 0) return false;
    std::vector<char> buffer(needed);
    std::uint32_t count = 0;
    if (!copy(buffer.data(), needed, &count)) return false;
    out.assign(buffer.data(), count);
    return true;
}

bool ReadName(std::int32_t element, std::string& out) {
    return CopyFull(
        [&](char* buffer, std::uint32_t size, std::uint32_t* count) {
            return GetElementName_Caprel(element, buffer, size, count) != 0;
        },
        out);
}

bool ReadLine(std::int32_t element, std::int32_t index, std::string& out) {
    return CopyFull(
        [&](char* buffer, std::uint32_t size, std::uint32_t* count) {
            return GetElementLine_Caprel(element, index, buffer, size, count) != 0;
        },
        out);
}

}  // namespace

std::string ElementPlace(std::int32_t element) {
    std::string elementName;
    if (!ReadName(element, elementName)) elementName = "?";
    // The library tells an element's line only in the text it leaves for an
    // attribute the element lacks; no attribute can be named "<".
    std::string line = "?";
    std::string text;
    if (!CopyFull(
            [&](char* buffer, std::uint32_t size, std::uint32_t* count) {
                return GetAttributeValue_Caprel(element, "<", buffer, size, count) != 0;
            },
            text)) {
        GetXmlLastError(text);
        const std::string marker = " on line ";
        const auto at = text.rfind(marker);
        if (at != std::string::npos) line = text.substr(at + marker.size());
    }
    return "(element " + Quoted(elementName) + " on line " + line + ")";
}

namespace {

// What each reader takes, as its refusals say it.
constexpr const char* kDecimalForm = "a decimal number";
constexpr const char* kHexForm = "a hexadecimal number starting with 0x";
constexpr const char* kWordForm = "a decimal number from 0 to 65535";
constexpr const char* kWordHexForm = "a hexadecimal number starting with 0x, at most 0xFFFF";
constexpr const char* kIntForm = "a decimal number from -2147483648 to 2147483647";
constexpr const char* kBoolForm = "TRUE or FALSE";

std::string ConvertError(const std::string& name, const std::string& value, const char* type) {
    return "Unable to convert " + name + " value " + Quoted(value) + " to " + type;
}

// The text of a refused value: the conversion, why (when a number was there),
// where the element stands and what the attribute takes.
std::string Refused(std::int32_t element, const std::string& name, const std::string& value,
                    const char* type, const std::string& reason, const char* form) {
    return ConvertError(name, value, type) + (reason.empty() ? "" : ": " + reason) + " " +
           ElementPlace(element) + "; expected " + form;
}

// Reads the attribute and scans it; the scan's 32-bit result goes to the
// caller. A WORD reader passes its largest value, 0xFFFF: above it the
// number does not fit in 16 bits.
template <class Scan>
int ReadNumber(std::int32_t element, const std::string& name, std::uint32_t& value,
               const char* type, Scan scan, const char* form, std::string& error,
               std::uint32_t largest = 0xFFFFFFFFu) {
    std::string text;
    if (!GetXmlAttribute(element, name, text, error)) return 0;
    scan::Refusal why = scan::Refusal::kNone;
    std::uint32_t scanned = 0;
    if (!scan(text, &scanned, &why)) {
        error = Refused(element, name, text, type, scan::RefusalText(why), form);
        return 0;
    }
    if (scanned > largest) {
        error = Refused(element, name, text, type, "the number does not fit in 16 bits", form);
        return 0;
    }
    value = scanned;
    return 1;
}

// Reads a decimal DWORD that must lie between 0 and the largest value; a
// negative text (a DWORD of 2^31 or more) lies above it.
int ReadBoundedDword(std::int32_t element, const std::string& name, std::uint32_t largest,
                     const char* unit, std::uint32_t& out, std::string& error) {
    std::uint32_t value = 0;
    if (!ReadNumber(element, name, value, "DWORD", scan::Decimal, kDecimalForm, error)) return 0;
    if (value > largest) {
        std::string text;
        GetXmlAttribute(element, name, text, error);
        error = "Unable to use " + name + " value " + Quoted(text) +
                ": it must lie between 0 and " + std::to_string(largest) + " " + unit + " " +
                ElementPlace(element);
        return 0;
    }
    out = value;
    return 1;
}

}  // namespace

void GetXmlLastError(std::string& out) {
    char buffer[kErrorBufferSize] = {};
    const std::int32_t count = GetLastError_Caprel(buffer, kErrorBufferSize);
    out.assign(buffer, count > 0 ? static_cast<std::size_t>(count) : 0);
}

int IsXmlElementNamed(std::int32_t element, const std::string& name, std::string& error) {
    std::string actual;
    if (!ReadName(element, actual)) {
        TakeLibraryError(error, "Unable to read element name");
        return 0;
    }
    return actual == name ? 1 : 0;
}

int GetXmlElementLine(std::int32_t element, std::int32_t index, std::string& out,
                      std::string& error) {
    if (!ReadLine(element, index, out)) {
        TakeLibraryError(error, "Unable to read text line " + std::to_string(index));
        return 0;
    }
    return 1;
}

int GetXmlElementText(std::int32_t element, std::string& out, bool trim, std::string& error) {
    std::int32_t lines = 0;
    if (!GetElementLineCount_Caprel(element, &lines)) {
        TakeLibraryError(error, "Unable to read text line count");
        return 0;
    }
    std::string text;
    bool first = true;
    for (std::int32_t index = 0; index < lines; ++index) {
        std::string line;
        if (!GetXmlElementLine(element, index, line, error)) return 0;
        if (trim) {
            const auto end = line.find_last_not_of(" \t\r\n\v\f");
            line.erase(end == std::string::npos ? 0 : end + 1);
            if (line.empty()) continue;
        }
        if (!first) text += '\n';
        text += line;
        first = false;
    }
    out = std::move(text);
    return 1;
}

int GetXmlAttribute(std::int32_t element, const std::string& name, std::string& out,
                    std::string& error) {
    const bool read = CopyFull(
        [&](char* buffer, std::uint32_t size, std::uint32_t* count) {
            return GetAttributeValue_Caprel(element, name.c_str(), buffer, size, count) != 0;
        },
        out);
    if (!read) {
        TakeLibraryError(error, "Unable to read attribute " + name);
        return 0;
    }
    return 1;
}

int ReadXmlWordHex(std::int32_t element, const std::string& name, std::uint16_t& out,
                   std::string& error) {
    std::uint32_t value = 0;
    if (!ReadNumber(element, name, value, "WORD", scan::PrefixedHex, kWordHexForm, error, 0xFFFFu))
        return 0;
    out = static_cast<std::uint16_t>(value);
    return 1;
}

int ReadXmlWord(std::int32_t element, const std::string& name, std::uint16_t& out,
                std::string& error) {
    std::uint32_t value = 0;
    if (!ReadNumber(element, name, value, "WORD", scan::Decimal, kWordForm, error, 0xFFFFu))
        return 0;
    out = static_cast<std::uint16_t>(value);
    return 1;
}

int ReadXmlDwordHex(std::int32_t element, const std::string& name, std::uint32_t& out,
                    std::string& error) {
    return ReadNumber(element, name, out, "DWORD", scan::PrefixedHex, kHexForm, error);
}

int ReadXmlDword(std::int32_t element, const std::string& name, std::uint32_t& out,
                 std::string& error) {
    return ReadNumber(element, name, out, "DWORD", scan::Decimal, kDecimalForm, error);
}

int ReadXmlMilliseconds(std::int32_t element, const std::string& name, std::uint32_t& out,
                        std::string& error) {
    return ReadBoundedDword(element, name, kMostMilliseconds, "ms", out, error);
}

int ReadXmlMillivolts(std::int32_t element, const std::string& name, std::uint32_t& out,
                      std::string& error) {
    return ReadBoundedDword(element, name, kMostMillivolts, "mV", out, error);
}

int ReadXmlInt(std::int32_t element, const std::string& name, int& out, std::string& error) {
    std::string text;
    if (!GetXmlAttribute(element, name, text, error)) return 0;
    // The scan takes a 32-bit pattern; an int holds only the signed half of it.
    std::uint32_t value = 0;
    scan::Refusal why = scan::Refusal::kNone;
    const bool read = scan::Decimal(text, &value, &why);
    const bool negative = text.find('-') != std::string::npos;
    if (!read || (!negative && value > 0x7FFFFFFFu)) {
        error =
            Refused(element, name, text, "int",
                    read ? "the number does not fit in an int" : scan::RefusalText(why), kIntForm);
        return 0;
    }
    out = static_cast<int>(value);
    return 1;
}

int ReadXmlBool(std::int32_t element, const std::string& name, int& out, std::string& error) {
    out = 0;
    std::string text;
    if (!GetXmlAttribute(element, name, text, error)) return 0;
    // The writer's own form first, then a number.
    if (text == "TRUE" || text == "FALSE") {
        out = text == "TRUE" ? 1 : 0;
        return 1;
    }
    std::uint32_t value = 0;
    scan::Refusal why = scan::Refusal::kNone;
    if (!scan::Decimal(text, &value, &why)) {
        error = Refused(element, name, text, "WORD", scan::RefusalText(why), kBoolForm);
        return 0;
    }
    out = value != 0 ? 1 : 0;
    return 1;
}

}  // namespace kv
