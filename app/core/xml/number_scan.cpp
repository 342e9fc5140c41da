#include "xml/number_scan.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>

namespace kv::scan {

namespace {

constexpr unsigned long long kLargest = 0xFFFFFFFFull;
constexpr unsigned long long kMostNegative = 0x80000000ull;

bool IsSpace(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

bool Scan(const char* text, int base, std::uint32_t* value, bool* tooWide) {
    if (tooWide != nullptr) *tooWide = false;
    while (IsSpace(*text))
        ++text;
    bool negative = false;
    if (*text == '+' || *text == '-') {
        negative = *text == '-';
        ++text;
    }
    // One sign only, and the digits right after it.
    if (*text == '+' || *text == '-' || IsSpace(*text)) return false;
    char* end = nullptr;
    errno = 0;
    const unsigned long long magnitude = std::strtoull(text, &end, base);
    if (end == text) return false;
    if (errno == ERANGE || magnitude > (negative ? kMostNegative : kLargest)) {
        if (tooWide != nullptr) *tooWide = true;
        return false;
    }
    const auto low = static_cast<std::uint32_t>(magnitude);
    *value = negative ? 0u - low : low;
    return true;
}

}  // namespace

bool Decimal(const std::string& text, std::uint32_t* value, bool* tooWide) {
    return Scan(text.c_str(), 10, value, tooWide);
}

bool Hex(const std::string& text, std::uint32_t* value, bool* tooWide) {
    return Scan(text.c_str(), 16, value, tooWide);
}

bool PrefixedHex(const std::string& text, std::uint32_t* value, bool* tooWide) {
    if (tooWide != nullptr) *tooWide = false;
    if (text.compare(0, 2, "0x") != 0) return false;
    return Scan(text.c_str() + 2, 16, value, tooWide);
}

}  // namespace kv::scan
