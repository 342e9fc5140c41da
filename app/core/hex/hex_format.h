// Formatting and critical-error helpers of the hex image classes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "kelvane/platform/format.h"

namespace kv::hex {

// Appends a byte as two upper-case hexadecimal digits.
inline void AppendHexByte(std::string* out, unsigned byte) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    out->push_back(kDigits[(byte >> 4) & 0xF]);
    out->push_back(kDigits[byte & 0xF]);
}

using kv::text::Format;

// How much of a line an error text quotes: a whole record of any usual width.
inline constexpr std::size_t kQuotedLineLength = 64;

// A line of the file as an error text shows it: control bytes escaped, and a
// longer line cut with "...", so that the reason after it always fits a
// caller's error buffer.
std::string QuoteLine(std::string_view line);

// Shows the critical-error message box of a class ("<class> Critical Error",
// error icon) and returns the formatted text.
std::string ReportCriticalError(const char* className, const char* method,
                                const std::string& message);

}  // namespace kv::hex
