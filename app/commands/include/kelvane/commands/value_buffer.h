// The value buffer of the memory commands of the pod and of the adapter: a
// count of values of one type (bytes, words or double words), held
// little-endian, new values all ones (erased flash). In project files the
// values stand as the element's text, 8 to a line, each with "0x".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kv {

class CExecuteParams;
class CMapParameterXML;
class CStdioXMLFile;

enum ValueType : std::uint16_t {
    kValueByte = 0,
    kValueByteAscii = 1,
    kValueAscii = 2,
    kValueWord = 3,
    kValueDword = 4,
};

class CValueBuffer {
  public:
    // The longest buffer: the target's whole address space.
    static constexpr std::uint32_t kMaxLength = 0x100000;

    // BYTE, BYTE_ASCII, ASCII, WORD and DWORD.
    static CMapParameterXML& ValueTypeMap();
    static int InitValueTypeMap(std::string& error);
    // 1, 2 or 4; 0 for an unknown type.
    static std::uint32_t ValueSize(std::uint16_t type);
    // The display text of the type, or "Unknown".
    static std::string TypeDescription(std::uint16_t type);

    bool HasBuffer() const { return hasBuffer_; }
    std::uint32_t GetCount() const { return count_; }
    std::uint16_t GetType() const { return type_; }
    std::uint32_t GetValueSize() const { return ValueSize(type_); }
    // The bytes of all values.
    std::uint32_t GetLength() const { return static_cast<std::uint32_t>(bytes_.size()); }
    std::uint8_t* Data() { return bytes_.data(); }
    const std::uint8_t* Data() const { return bytes_.data(); }

    // Sizes the buffer for count values of the type: a type of the same size
    // only changes the type; otherwise new values are all ones and the old
    // bytes are kept at the start. changed reports whether anything changed.
    int SetSize(std::uint32_t count, std::uint16_t type, bool& changed, std::string& error);
    // A copy of another buffer's count, type and values.
    void CopyFrom(const CValueBuffer& other);
    void Free();

    int GetValue(std::uint32_t index, std::uint32_t& value, std::string& error) const;
    int PutValue(std::uint32_t index, std::uint32_t value, std::string& error);

    // One hexadecimal value: "0x" required with prefix (project files),
    // without it plain hexadecimal digits (editing).
    static int ParseValue(const std::string& text, bool prefix, std::uint32_t& value,
                          std::string& error);
    // The value with the type's width and one trailing blank.
    std::string FormatValue(std::uint32_t index, bool prefix) const;

    // Logs a line break, then the values 16 bytes to a line, each line led by
    // the address of its first value when address is set.
    int PrintValues(CExecuteParams* params, bool withAddress, std::uint32_t address,
                    std::string& error) const;
    // A line break, then the first count values 8 to a line with "0x".
    int WriteText(CStdioXMLFile& file, std::uint32_t count) const;
    // Reads count values from the element's text lines; fewer fail with the
    // text "<what> unable to parse the required <count> values", and every
    // refusal ends with the element's place, "(element <name> on line <n>)".
    int ParseText(std::int32_t element, std::uint32_t count, const std::string& what,
                  std::string& error);

  private:
    std::vector<std::uint8_t> bytes_;
    std::uint32_t count_ = 0;
    std::uint16_t type_ = kValueByte;
    bool hasBuffer_ = false;
};

}  // namespace kv
