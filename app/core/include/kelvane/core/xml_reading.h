// Reading functions over the XML reader library (Caprel): element names, text
// lines and typed attribute values of an element of the open document.
//
// Every function returns 1 on success and 0 on failure. When the library
// fails, its last error text is put into the error string; a value that does
// not convert gives "Unable to convert <attribute> value <value> to <type>".
// On failure the output keeps its value, except for ReadXmlBool, which clears
// it first. A handle of -1 means no element.
//
// Numbers are scanned as the C library scans a 32-bit long: white space
// around the number is skipped and a negative text wraps to 32 bits ("-1"
// reads as 0xFFFFFFFF, as the writer's "%ld" stores it). The number must be
// the whole value and fit its field: characters after it, a number beyond 32
// bits, or beyond 16 bits for a WORD, refuse the value. Every refusal names
// the attribute, the element and its line and what the attribute takes:
// "Unable to convert <attribute> value <value> to <type>[: <why>] (element
// <name> on line <n>); expected <form>". Hexadecimal values need their "0x".
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

// "0x" hexadecimal, at most 0xFFFF.
int ReadXmlWordHex(std::int32_t element, const std::string& name, std::uint16_t& out,
                   std::string& error);
// Decimal, 0 to 65535.
int ReadXmlWord(std::int32_t element, const std::string& name, std::uint16_t& out,
                std::string& error);
int ReadXmlDwordHex(std::int32_t element, const std::string& name, std::uint32_t& out,
                    std::string& error);
int ReadXmlDword(std::int32_t element, const std::string& name, std::uint32_t& out,
                 std::string& error);
// The longest time and the highest supply a project may ask for.
inline constexpr std::uint32_t kMostMilliseconds = 60u * 60u * 1000u;
inline constexpr std::uint32_t kMostMillivolts = 3600u;
// A decimal time in milliseconds, 0 to one hour, or a supply in millivolts,
// 0 to 3600: a negative text or a larger value is refused with "Unable to use
// <attribute> value <value>: it must lie between 0 and <most> ms (element
// <name> on line <n>)" (mV for the supply).
int ReadXmlMilliseconds(std::int32_t element, const std::string& name, std::uint32_t& out,
                        std::string& error);
int ReadXmlMillivolts(std::int32_t element, const std::string& name, std::uint32_t& out,
                      std::string& error);
// Decimal, -2147483648 to 2147483647.
int ReadXmlInt(std::int32_t element, const std::string& name, int& out, std::string& error);
// "TRUE" and "FALSE", or a decimal number; 1 for nonzero.
int ReadXmlBool(std::int32_t element, const std::string& name, int& out, std::string& error);

// The library's last error text.
void GetXmlLastError(std::string& out);
// Where the element stands: "(element <name> on line <n>)".
std::string ElementPlace(std::int32_t element);

}  // namespace kv
