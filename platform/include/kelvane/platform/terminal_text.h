// Texts that reach the terminal may carry bytes from a file (a line quoted in a
// parse error, a file name from a project). Control bytes are shown escaped so
// that a file can neither hide part of a text nor drive the terminal.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kv {

// How much of a name, value or line a message quotes: a reason after the quote
// still fits a 1024-byte error text, and a value of megabytes never floods the
// terminal.
inline constexpr std::size_t kMaxQuoted = 256;

// The text as a message quotes it: whole up to kMaxQuoted bytes, else its
// first kMaxQuoted bytes followed by "..." to show that it was cut.
std::string Quoted(std::string_view text);

// The text with every control byte but line feed and tab written as "\xNN":
// the C0 controls and DEL, the C1 controls U+0080 to U+009F (both bytes of
// their UTF-8 form) and raw bytes 0x80 to 0x9F that are not part of a UTF-8
// sequence. Other bytes, all other UTF-8 text included, pass unchanged.
std::string EscapeControlBytes(std::string_view text);

}  // namespace kv
