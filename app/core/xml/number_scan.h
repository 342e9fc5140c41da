// Number scans of attribute texts, as the C library's formatted scan reads a
// 32-bit long: leading white space is skipped, a sign is allowed and
// characters after the number are ignored. A number that does not fit in 32
// bits (below -2147483648 or above 0xFFFFFFFF) is refused, with `tooWide`
// set when the caller asks, instead of wrapping.
#pragma once

#include <cstdint>
#include <string>

namespace kv::scan {

// "%ld"
bool Decimal(const std::string& text, std::uint32_t* value, bool* tooWide = nullptr);
// "%lx": an optional "0x" of its own is accepted, as the C scan does.
bool Hex(const std::string& text, std::uint32_t* value, bool* tooWide = nullptr);
// "0x%lX": the text must start with "0x" (lower-case x, no white space before).
bool PrefixedHex(const std::string& text, std::uint32_t* value, bool* tooWide = nullptr);

}  // namespace kv::scan
