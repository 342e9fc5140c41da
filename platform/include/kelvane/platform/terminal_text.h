// Texts that reach the terminal may carry bytes from a file (a line quoted in a
// parse error, a file name from a project). Control bytes are shown escaped so
// that a file can neither hide part of a text nor drive the terminal.
#pragma once

#include <string>
#include <string_view>

namespace kv {

// The text with every control byte but line feed and tab written as "\xNN"
// ; other bytes, UTF-8 included, pass unchanged.
std::string EscapeControlBytes(std::string_view text);

}  // namespace kv
