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

ScanResult scanLong(const char* text, Radix radix, uint32_t& value) {
    value = 0;
    const char* p = text;
    while (isBlank(*p))
        ++p;
    if (*p == '\0') return ScanResult::kNoInput;

    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    bool sawDigit = false;
    if (radix == Radix::kHex && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        sawDigit = true;  // the "0" of the prefix already makes a number
        p += 2;
    }
    const uint32_t base = static_cast<uint32_t>(radix);
    uint32_t number = 0;
    for (int digit = digitValue(*p, radix); digit >= 0; digit = digitValue(*++p, radix)) {
        number = number * base + static_cast<uint32_t>(digit);
        sawDigit = true;
    }
    if (!sawDigit) return ScanResult::kNoDigits;
    value = negative ? 0u - number : number;
    return ScanResult::kNumber;
}

SerialScan scanSerial(const char* text, uint32_t& value) {
    value = 0;
    const char* p = text;
    while (isBlank(*p))
        ++p;
    if (*p == '\0') return SerialScan::kNoInput;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    const uint64_t limit = negative ? uint64_t{0x80000000} : uint64_t{0xFFFFFFFF};
    uint64_t number = 0;
    bool sawDigit = false;
    bool tooLarge = false;
    for (int digit = digitValue(*p, Radix::kDecimal); digit >= 0;
         digit = digitValue(*++p, Radix::kDecimal)) {
        sawDigit = true;
        if (!tooLarge) number = number * 10 + static_cast<uint64_t>(digit);
        tooLarge = tooLarge || number > limit;
    }
    while (isBlank(*p))
        ++p;
    if (!sawDigit || *p != '\0') return SerialScan::kNotANumber;
    if (tooLarge) return SerialScan::kOutOfRange;
    const uint32_t low = static_cast<uint32_t>(number);
    value = negative ? 0u - low : low;
    return SerialScan::kNumber;
}

}  // namespace kv::plugin
