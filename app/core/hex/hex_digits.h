// Strict hexadecimal conversion for the image readers.
#pragma once

#include <cstdint>
#include <string_view>

namespace kv::hex {

inline int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Converts one or more hexadecimal digits and nothing else; false on any other
// character or a value above 32 bits.
inline bool ParseHex(std::string_view text, std::uint32_t* value) {
    if (text.empty()) return false;
    std::uint64_t v = 0;
    for (char c : text) {
        const int d = HexDigit(c);
        if (d < 0) return false;
        v = v * 16 + static_cast<std::uint64_t>(d);
        if (v > 0xFFFFFFFFu) return false;
    }
    *value = static_cast<std::uint32_t>(v);
    return true;
}

}  // namespace kv::hex
