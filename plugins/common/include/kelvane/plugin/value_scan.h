// Reading a number from a plug-in's value text. The whole text must be one number: blanks around
// it are skipped, and anything else refuses it, so a value is never guessed from part of a text
// ("42xyz" is not 42, "xyz" is not 0) or cut to 32 bits, since either would write bytes nobody
// asked for.
#ifndef KELVANE_PLUGIN_VALUE_SCAN_H
#define KELVANE_PLUGIN_VALUE_SCAN_H

#include <cstdint>

namespace kv::plugin {

enum class Radix { kDecimal = 10, kHex = 16 };

enum class NumberScan {
    kNoInput,     // the text is empty or white space only
    kNotANumber,  // anything but blanks around one number of the radix
    kOutOfRange,  // beyond 32 bits, or a negative decimal number
    kNumber,
};

// Decimal: an optional sign and digits, from 0 to 4294967295; a negative number is out of range
// for every width, since a serial number counts up from where it stands. Hexadecimal: an optional
// "0x" or "0X" and digits of either case, no sign, at most FFFFFFFF. The value is 0 unless a number
// was read.
NumberScan scanNumber(const char* text, Radix radix, uint32_t& value);

}  // namespace kv::plugin

#endif
