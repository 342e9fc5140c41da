// Reading a number from a value text the way a "%ld" or "%lX" scan into a 32-bit long does:
// leading white space is skipped, an optional sign and (hexadecimal only) an optional "0x" are
// accepted, and the digits that follow are gathered modulo 2^32, so a text beyond 32 bits keeps
// its low 32 bits and "-1" is 0xFFFFFFFF. Scanning stops at the first character that is not a
// digit of the radix.
#ifndef KELVANE_PLUGIN_VALUE_SCAN_H
#define KELVANE_PLUGIN_VALUE_SCAN_H

#include <cstdint>

namespace kv::plugin {

enum class ScanResult {
    kNoInput,   // the text is empty or white space only: nothing was there to scan
    kNoDigits,  // input was there but no number started it; the value is 0
    kNumber,    // a number was read
};

enum class Radix { kDecimal = 10, kHex = 16 };

// Stores the value read (0 unless a number was read) in value.
ScanResult scanLong(const char* text, Radix radix, uint32_t& value);

enum class SerialScan {
    kNoInput,     // the text is empty or white space only
    kNotANumber,  // anything but blanks, an optional sign, decimal digits and blanks
    kOutOfRange,  // below -2147483648 or above 4294967295
    kNumber,
};

// Reads a serial number: the whole text must be one decimal number, between
// -2147483648 and 4294967295, and is stored as its 32-bit pattern in value
// (0 unless a number was read). A serial number is never guessed from part of
// a text or cut to 32 bits, since either would write a number already issued.
SerialScan scanSerial(const char* text, uint32_t& value);

}  // namespace kv::plugin

#endif
