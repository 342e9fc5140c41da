// The serial line between the adapter and the target: character framing, the
// time a character takes and what a receiver set up differently makes of it.
#pragma once

#include <cstdint>

#include "kelvane/platform/usb.h"

namespace kv::sim {

// Framing in the USB stand-in's codes (kBits8, kStopBits1, kParityEven, ...).
struct SerialFormat {
    uint32_t baud = 9600;
    uint8_t dataBits = kv::usb::kBits8;
    uint8_t stopBits = kv::usb::kStopBits1;
    uint8_t parity = kv::usb::kParityEven;

    bool operator==(const SerialFormat&) const = default;
};

// Bit times of one character: start, data, parity and stop bits.
unsigned characterBits(const SerialFormat& format);
// Microseconds one character takes on the line (at least 1).
uint64_t characterTimeUs(const SerialFormat& format);

struct ReceivedCharacter {
    uint8_t value;
    bool ok;  // false on a bad start bit, a parity error or a framing error
};

// What a receiver with framing `rx` reads when a sender with framing `tx`
// sends `value`: the sender's waveform sampled in the middle of each of the
// receiver's bit times. Equal framings pass the value unchanged.
ReceivedCharacter receiveCharacter(uint8_t value, const SerialFormat& tx, const SerialFormat& rx);

}  // namespace kv::sim
