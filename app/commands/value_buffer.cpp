#include "kelvane/commands/value_buffer.h"

#include <cstdio>
#include <new>

#include "kelvane/core/execute_params.h"
#include "kelvane/core/map_parameter_xml.h"
#include "kelvane/core/stdio_xml_file.h"
#include "kelvane/core/xml_reading.h"
#include "kelvane/platform/terminal_text.h"

namespace kv {
namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

CMapParameterXML& CValueBuffer::ValueTypeMap() {
    static CMapParameterXML map;
    return map;
}

int CValueBuffer::InitValueTypeMap(std::string& /*error*/) {
    CMapParameterXML& map = ValueTypeMap();
    map.RemoveAll();
    map.AddWord("BYTE", "BYTE", kValueByte);
    map.AddWord("BYTE_ASCII", "BYTE+ASCII", kValueByteAscii);
    map.AddWord("ASCII", "ASCII", kValueAscii);
    map.AddWord("WORD", "WORD", kValueWord);
    map.AddWord("DWORD", "DWORD", kValueDword);
    return 1;
}

std::uint32_t CValueBuffer::ValueSize(std::uint16_t type) {
    switch (type) {
        case kValueByte:
        case kValueByteAscii:
        case kValueAscii:
            return 1;
        case kValueWord:
            return 2;
        case kValueDword:
            return 4;
        default:
            return 0;
    }
}

std::string CValueBuffer::TypeDescription(std::uint16_t type) {
    const CParameterXML* entry = ValueTypeMap().FindByValue(type);
    return entry ? entry->GetDisplayText() : "Unknown";
}

int CValueBuffer::SetSize(std::uint32_t count, std::uint16_t type, bool& changed,
                          std::string& error) {
    changed = false;
    const std::uint32_t size = ValueSize(type);
    if (size == 0) {
        error = "Unknown value type " + std::to_string(type);
        return 0;
    }
    if (hasBuffer_ && count == count_) {
        if (type == type_) return 1;
        if (size == ValueSize(type_)) {
            type_ = type;
            changed = true;
            return 1;
        }
    }
    const std::uint64_t length = std::uint64_t{count} * size;
    if (length > kMaxLength) {
        char text[128];
        std::snprintf(text, sizeof text,
                      "A buffer of %lu values of %lu bytes exceeds the target's address space",
                      static_cast<unsigned long>(count), static_cast<unsigned long>(size));
        error = text;
        return 0;
    }
    std::vector<std::uint8_t> bytes;
    try {
        bytes.assign(static_cast<std::size_t>(length), 0xFF);
    } catch (const std::bad_alloc&) {
        error = "Unable to allocate new buffer";
        return 0;
    }
    const std::size_t keep = std::min(bytes.size(), bytes_.size());
    std::copy(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(keep), bytes.begin());
    bytes_.swap(bytes);
    count_ = count;
    type_ = type;
    hasBuffer_ = true;
    changed = true;
    return 1;
}

void CValueBuffer::CopyFrom(const CValueBuffer& other) {
    bytes_ = other.bytes_;
    count_ = other.count_;
    type_ = other.type_;
    hasBuffer_ = other.hasBuffer_;
}

void CValueBuffer::Free() {
    bytes_.clear();
    bytes_.shrink_to_fit();
    hasBuffer_ = false;
}

int CValueBuffer::GetValue(std::uint32_t index, std::uint32_t& value, std::string& error) const {
    if (!hasBuffer_) {
        error = "Unable to read value from NULL buffer";
        return 0;
    }
    if (index >= count_) {
        char text[64];
        std::snprintf(text, sizeof text, "Index value of %08lX exceeds buffer size",
                      static_cast<unsigned long>(index));
        error = text;
        return 0;
    }
    const std::uint32_t size = GetValueSize();
    value = 0;
    for (std::uint32_t i = 0; i < size; ++i)
        value |= std::uint32_t{bytes_[index * size + i]} << (8 * i);
    return 1;
}

int CValueBuffer::PutValue(std::uint32_t index, std::uint32_t value, std::string& error) {
    if (!hasBuffer_) {
        error = "Unable to write value to NULL buffer";
        return 0;
    }
    if (index >= count_) {
        char text[64];
        std::snprintf(text, sizeof text, "Index value of %08lX exceeds buffer size",
                      static_cast<unsigned long>(index));
        error = text;
        return 0;
    }
    const std::uint32_t size = GetValueSize();
    for (std::uint32_t i = 0; i < size; ++i)
        bytes_[index * size + i] = static_cast<std::uint8_t>(value >> (8 * i));
    return 1;
}

int CValueBuffer::ParseValue(const std::string& text, bool prefix, std::uint32_t& value,
                             std::string& error) {
    std::size_t i = 0;
    if (prefix) {
        if (text.compare(0, 2, "0x") != 0) {
            error = "Unable to parse '" + Quoted(text) + "' for value";
            return 0;
        }
        i = 2;
    } else {
        while (i < text.size() && IsBlank(text[i]))
            ++i;
    }
    // The digits may carry a "0x" of their own, as a "%lX" scan allows.
    if (i + 2 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X') &&
        HexDigit(text[i + 2]) >= 0)
        i += 2;
    std::uint64_t result = 0;
    std::size_t digits = 0;
    for (; i < text.size() && HexDigit(text[i]) >= 0; ++i, ++digits) {
        result = (result << 4) | static_cast<std::uint32_t>(HexDigit(text[i]));
        if (result > 0xFFFFFFFFu) break;
    }
    // A project file's value is one whole number: "0x12zz" is no value, and
    // neither is one of more than 32 bits.
    if (digits == 0 || result > 0xFFFFFFFFu || (prefix && i != text.size())) {
        error = "Unable to parse '" + Quoted(text) + "' for value";
        return 0;
    }
    value = static_cast<std::uint32_t>(result);
    return 1;
}

std::string CValueBuffer::FormatValue(std::uint32_t index, bool prefix) const {
    std::uint32_t value = 0;
    std::string ignored;
    GetValue(index, value, ignored);
    const int width = static_cast<int>(GetValueSize() * 2);
    char text[32];
    std::snprintf(text, sizeof text, "%s%0*lX ", prefix ? "0x" : "", width,
                  static_cast<unsigned long>(value));
    return text;
}

int CValueBuffer::PrintValues(CExecuteParams* params, bool withAddress, std::uint32_t address,
                              std::string& error) const {
    if (!hasBuffer_) {
        error = "Unable to display values from NULL buffer";
        return 0;
    }
    const std::uint32_t size = GetValueSize();
    const std::uint32_t perLine = 16 / size;
    params->LogNewLine();
    for (std::uint32_t first = 0; first < count_; first += perLine) {
        std::string line;
        if (withAddress) {
            char text[32];
            std::snprintf(text, sizeof text,
                          "%05lX: ", static_cast<unsigned long>(address + first * size));
            line = text;
        }
        for (std::uint32_t i = first; i < count_ && i < first + perLine; ++i)
            line += FormatValue(i, false);
        params->Log(line, true);
    }
    return 1;
}

int CValueBuffer::WriteText(CStdioXMLFile& file, std::uint32_t count) const {
    if (!file.WriteNewLine()) return 0;
    std::string line;
    for (std::uint32_t i = 0; i < count && i < count_; ++i) {
        line += FormatValue(i, true);
        if (i % 8 == 7) {
            if (!file.WriteText(line) || !file.WriteNewLine()) return 0;
            line.clear();
        }
    }
    if (!line.empty() && (!file.WriteText(line) || !file.WriteNewLine())) return 0;
    return 1;
}

int CValueBuffer::ParseText(std::int32_t element, std::uint32_t count, const std::string& what,
                            std::string& error) {
    std::string text;
    if (!GetXmlElementText(element, text, false, error)) return 0;
    std::uint32_t stored = 0;
    std::size_t at = 0;
    while (stored < count && at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        at = end + 1;
        while (!line.empty() && IsBlank(line.back()))
            line.pop_back();
        std::size_t pos = 0;
        while (stored < count) {
            while (pos < line.size() && IsBlank(line[pos]))
                ++pos;
            if (pos >= line.size()) break;
            std::size_t stop = pos;
            while (stop < line.size() && !IsBlank(line[stop]))
                ++stop;
            std::uint32_t value = 0;
            const std::string token = line.substr(pos, stop - pos);
            // A refusal names the element, as the attributes' do.
            if (!ParseValue(token, true, value, error)) {
                error += " " + ElementPlace(element);
                return 0;
            }
            const std::uint32_t size = GetValueSize();
            if (size < 4 && (value >> (8 * size)) != 0) {
                error = "Unable to parse '" + Quoted(token) + "' for value: it does not fit in a " +
                        TypeDescription(type_) + " value " + ElementPlace(element);
                return 0;
            }
            if (!PutValue(stored, value, error)) return 0;
            ++stored;
            pos = stop;
        }
    }
    if (stored < count) {
        error = what + " unable to parse the required " + std::to_string(count) + " values " +
                ElementPlace(element);
        return 0;
    }
    return 1;
}

}  // namespace kv
