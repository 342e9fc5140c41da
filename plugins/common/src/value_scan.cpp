#include "kelvane/plugin/value_scan.h"

namespace kv::plugin {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int digitValue(char c, Radix radix) {
    if (c >= '0' && c <= '9') return c - '0';
    if (radix == Radix::kHex) {
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    }
    return -1;
}

}  // namespace

NumberScan scanNumber(const char* text, Radix radix, uint32_t& value) {
    value = 0;
    const char* p = text;
    while (isBlank(*p))
        ++p;
    if (*p == '\0') return NumberScan::kNoInput;
    bool negative = false;
    if (radix == Radix::kDecimal && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    if (radix == Radix::kHex && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) p += 2;
    // Serial numbers are unsigned: below 0 lies no number a chip could hold
    // for one, "-0" being 0.
    const uint64_t limit = negative ? uint64_t{0} : uint64_t{0xFFFFFFFF};
    const uint64_t base = static_cast<uint64_t>(radix);
    uint64_t number = 0;
    bool sawDigit = false;
    bool tooLarge = false;
    for (int digit = digitValue(*p, radix); digit >= 0; digit = digitValue(*++p, radix)) {
        sawDigit = true;
        if (!tooLarge) number = number * base + static_cast<uint64_t>(digit);
        tooLarge = tooLarge || number > limit;
    }
    while (isBlank(*p))
        ++p;
    if (!sawDigit || *p != '\0') return NumberScan::kNotANumber;
    if (tooLarge) return NumberScan::kOutOfRange;
    value = static_cast<uint32_t>(number);
    return NumberScan::kNumber;
}

}  // namespace kv::plugin
