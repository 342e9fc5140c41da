#include "kelvane/plugin/number_algorithm.h"

#include <cstdio>

#include "kelvane/plugin/value_scan.h"

namespace kv::plugin {

const char* NumberAlgorithm::widthName() const {
    switch (width_) {
        case 1:
            return "BYTE";
        case 2:
            return "WORD";
        default:
            return "DWORD";
    }
}

bool NumberAlgorithm::fits(uint32_t value) const {
    return width_ >= 4 || value < (uint32_t{1} << (8 * width_));
}

bool NumberAlgorithm::parse(const char* text, ErrorText& error) {
    value_ = 0;
    if (text == nullptr) {
        error.format("Value text for %s algorithm must not be NULL", widthName());
        return false;
    }
    const bool serial = style_ == NumberStyle::kSerial;
    uint32_t value = 0;
    switch (scanNumber(text, serial ? Radix::kDecimal : Radix::kHex, value)) {
        case NumberScan::kNoInput:
            error.format("Unable to convert '%s' to the desired format", text);
            return false;
        case NumberScan::kNotANumber:
            error.format("Value '%s' is not a %s number for %s algorithm", text,
                         serial ? "decimal" : "hexadecimal", widthName());
            return false;
        case NumberScan::kOutOfRange:
            error.format("Value '%s' out of range for %s algorithm", text, widthName());
            return false;
        case NumberScan::kNumber:
            break;
    }
    if (!fits(value)) {
        error.format("Value '%s' out of range for %s algorithm", text, widthName());
        return false;
    }
    value_ = value;
    if (style_ == NumberStyle::kSerial && value_ == 0xFFFFFFFFu) {
        // The last 32-bit number: the next one is past the range, so the next
        // run is refused instead of starting again at 0.
        std::snprintf(next_, sizeof next_, "%s", "4294967296");
    } else if (style_ == NumberStyle::kSerial) {
        // Unsigned, as the chip holds it.
        std::snprintf(next_, sizeof next_, "%u", static_cast<unsigned>(value_ + 1u));
    } else {
        std::snprintf(next_, sizeof next_, "%X", static_cast<unsigned>(value_));
    }
    return true;
}

bool NumberAlgorithm::render(uint8_t* buffer, uint32_t size, ErrorText& error) const {
    if (size < width_) {
        error.format("Buffer too small for %s algorithm", widthName());
        return false;
    }
    if (buffer == nullptr) {
        error.format("NULL buffer for %s algorithm", widthName());
        return false;
    }
    for (uint32_t i = 0; i < width_; ++i) {
        buffer[i] = static_cast<uint8_t>(value_ >> (8 * i));
    }
    return true;
}

}  // namespace kv::plugin
