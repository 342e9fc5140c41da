// Number scans of attribute texts, as the C library's formatted scan reads a
// 32-bit long: white space around the number is skipped and a sign is
// allowed. The number must be all the text holds: characters after it
// refuse the value instead of being ignored, since "0x3E8" read as a
// decimal 0 or "3/00" read as 3 would run with a value nobody wrote. A
// number that does not fit in 32 bits (below -2147483648 or above
// 0xFFFFFFFF) is refused too, instead of wrapping. `why`, when the caller
// asks, tells which rule refused the text.
#pragma once

#include <cstdint>
#include <string>

namespace kv::scan {

enum class Refusal { kNone, kNotANumber, kTooWide, kTextAfter };

// "%ld"
bool Decimal(const std::string& text, std::uint32_t* value, Refusal* why = nullptr);
// "%lx": an optional "0x" of its own is accepted, as the C scan does.
bool Hex(const std::string& text, std::uint32_t* value, Refusal* why = nullptr);
// "0x%lX": the text must start with "0x" (lower-case x, no white space before).
bool PrefixedHex(const std::string& text, std::uint32_t* value, Refusal* why = nullptr);

// What a refusal adds to a conversion text: "the number does not fit in 32
// bits", "characters follow the number"; empty for a text with no number.
std::string RefusalText(Refusal why);

}  // namespace kv::scan
