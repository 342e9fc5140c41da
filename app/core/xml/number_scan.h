// Number scans of attribute texts, as the C library's formatted scan reads a
// 32-bit long: leading white space is skipped, a sign is allowed, characters
// after the number are ignored, and the value wraps to 32 bits.
#pragma once

#include <cstdint>
#include <string>

namespace kv::scan {

// "%ld"
bool Decimal(const std::string& text, std::uint32_t* value);
// "%lx": an optional "0x" of its own is accepted, as the C scan does.
bool Hex(const std::string& text, std::uint32_t* value);
// "0x%lX": the text must start with "0x" (lower-case x, no white space before).
bool PrefixedHex(const std::string& text, std::uint32_t* value);

}  // namespace kv::scan
