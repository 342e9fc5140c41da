#include "xml/number_scan.h"

#include <cstdio>

namespace kv::scan {

bool Decimal(const std::string& text, std::uint32_t* value) {
    long long scanned = 0;
    if (std::sscanf(text.c_str(), "%lld", &scanned) != 1) return false;
    *value = static_cast<std::uint32_t>(scanned);
    return true;
}

bool Hex(const std::string& text, std::uint32_t* value) {
    unsigned long long scanned = 0;
    if (std::sscanf(text.c_str(), "%llx", &scanned) != 1) return false;
    *value = static_cast<std::uint32_t>(scanned);
    return true;
}

bool PrefixedHex(const std::string& text, std::uint32_t* value) {
    unsigned long long scanned = 0;
    if (std::sscanf(text.c_str(), "0x%llx", &scanned) != 1) return false;
    *value = static_cast<std::uint32_t>(scanned);
    return true;
}

}  // namespace kv::scan
