// A number of 1, 2 or 4 bytes, written little-endian. A serial number is read as signed decimal
// and its next value is the decimal text of value + 1 (32-bit, so 2147483647 is followed by
// -2147483648); a hexadecimal overlay value is read as hexadecimal and its next value is the
// same value in upper-case hexadecimal without leading zeros.
//
// A value text must be one whole number: a serial text decimal ("abc" and "42xyz" are refused,
// never written as 0 or 42) between -2147483648 and 4294967295, an overlay text hexadecimal with
// or without "0x" and no sign ("xyz", "12zz" and "-1" are refused, never written as 0, 12 or FF).
// The DWORD serial number 0xFFFFFFFF is written once; its next value, 4294967296, is refused, so
// a DWORD serial never wraps to 0 either.
//
// A BYTE or WORD value that does not fit its bytes is refused when parsed, so no value is cut to
// its low bytes: the 32-bit value must lie between 0 and the largest unsigned value of the size
// (255 for BYTE, 65535 for WORD); a negative serial value, being a 32-bit pattern above these, is
// refused as well.
#ifndef KELVANE_PLUGIN_NUMBER_ALGORITHM_H
#define KELVANE_PLUGIN_NUMBER_ALGORITHM_H

#include <cstdint>

#include "kelvane/plugin/algorithm.h"

namespace kv::plugin {

enum class NumberStyle {
    kSerial,  // decimal, counts up by one per run
    kHex,     // hexadecimal, stays the same
};

class NumberAlgorithm final : public Algorithm {
  public:
    // width: 1, 2 or 4 bytes.
    constexpr NumberAlgorithm(uint32_t width, NumberStyle style) : width_(width), style_(style) {}

    bool parse(const char* text, ErrorText& error) override;
    uint32_t overlaySize() const override { return width_; }
    bool render(uint8_t* buffer, uint32_t size, ErrorText& error) const override;
    const char* nextValue() const override { return next_; }

    uint32_t value() const { return value_; }

  private:
    const char* widthName() const;
    bool fits(uint32_t value) const;

    uint32_t width_;
    NumberStyle style_;
    uint32_t value_ = 0;
    char next_[16] = {};  // "-2147483648" at the longest
};

}  // namespace kv::plugin

#endif
