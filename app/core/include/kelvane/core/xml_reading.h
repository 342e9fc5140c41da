// Reading functions over the XML reader library (Caprel): element names, text
// lines and typed attribute values of an element of the open document.
//
// Every function returns 1 on success and 0 on failure. When the library
// fails, its last error text is put into the error string; a value that does
// not convert gives "Unable to convert <attribute> value <value> to <type>".
// On failure the output keeps its value, except for ReadXmlBool, which clears
// it first. A handle of -1 means no element.
//
// Numbers are scanned as the C library scans a 32-bit long: leading white
// space is skipped, characters after the number are ignored and values wrap
// to 32 bits ("-1" reads as 0xFFFFFFFF). Hexadecimal values need their "0x".
#pragma once

#include <cstdint>
#include <string>

namespace kv {

// 1 when the element's name is exactly the name.
int IsXmlElementNamed(std::int32_t element, const std::string& name, std::string& error);
int GetXmlElementLine(std::int32_t element, std::int32_t index, std::string& out,
                      std::string& error);
// All text lines joined with "\n". With trim, each line loses its trailing
// white space and lines left empty are skipped.
int GetXmlElementText(std::int32_t element, std::string& out, bool trim, std::string& error);
int GetXmlAttribute(std::int32_t element, const std::string& name, std::string& out,
                    std::string& error);

// "0x" hexadecimal, kept to the low 16 bits.
int ReadXmlWordHex(std::int32_t element, const std::string& name, std::uint16_t& out,
                   std::string& error);
// Decimal, kept to the low 16 bits.
int ReadXmlWord(std::int32_t element, const std::string& name, std::uint16_t& out,
                std::string& error);
int ReadXmlDwordHex(std::int32_t element, const std::string& name, std::uint32_t& out,
                    std::string& error);
int ReadXmlDword(std::int32_t element, const std::string& name, std::uint32_t& out,
                 std::string& error);
int ReadXmlInt(std::int32_t element, const std::string& name, int& out, std::string& error);
// "TRUE" and "FALSE", or a decimal number; 1 for nonzero.
int ReadXmlBool(std::int32_t element, const std::string& name, int& out, std::string& error);

// The library's last error text.
void GetXmlLastError(std::string& out);
// The addition to a conversion text for a number that does not fit in 32
// bits: ": the number does not fit in 32 bits (element <name>)".
std::string NumberTooWide(std::int32_t element);

}  // namespace kv
