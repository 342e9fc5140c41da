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

bool Refuse(Refusal* why, Refusal reason) {
    if (why != nullptr) *why = reason;
    return false;
}

bool Scan(const char* text, int base, std::uint32_t* value, Refusal* why) {
    if (why != nullptr) *why = Refusal::kNone;
    while (IsSpace(*text))
        ++text;
    bool negative = false;
    // Hexadecimal values are written without a sign.
    if (base == 16 && (*text == '+' || *text == '-')) return Refuse(why, Refusal::kNotANumber);
    if (*text == '+' || *text == '-') {
        negative = *text == '-';
        ++text;
    }
    // One sign only, and the digits right after it.
    if (*text == '+' || *text == '-' || IsSpace(*text)) return Refuse(why, Refusal::kNotANumber);
    char* end = nullptr;
    errno = 0;
    const unsigned long long magnitude = std::strtoull(text, &end, base);
    if (end == text) return Refuse(why, Refusal::kNotANumber);
    if (errno == ERANGE || magnitude > (negative ? kMostNegative : kLargest))
        return Refuse(why, Refusal::kTooWide);
    while (IsSpace(*end))
        ++end;
    if (*end != '\0') return Refuse(why, Refusal::kTextAfter);
    const auto low = static_cast<std::uint32_t>(magnitude);
    *value = negative ? 0u - low : low;
    return true;
}

}  // namespace

bool Decimal(const std::string& text, std::uint32_t* value, Refusal* why) {
    return Scan(text.c_str(), 10, value, why);
}

bool Hex(const std::string& text, std::uint32_t* value, Refusal* why) {
    return Scan(text.c_str(), 16, value, why);
}

bool PrefixedHex(const std::string& text, std::uint32_t* value, Refusal* why) {
    if (text.compare(0, 2, "0x") != 0) return Refuse(why, Refusal::kNotANumber);
    return Scan(text.c_str() + 2, 16, value, why);
}

std::string RefusalText(Refusal why) {
    switch (why) {
        case Refusal::kTooWide:
            return "the number does not fit in 32 bits";
        case Refusal::kTextAfter:
            return "characters follow the number";
        default:
            return {};
    }
}

}  // namespace kv::scan
