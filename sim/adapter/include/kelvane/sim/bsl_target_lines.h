// What the bootstrap-loader adapter reaches of a target: its supply, the
// RST/NMI, TEST and TCK pins, and the serial pins of its ROM loader.
#pragma once

#include <cstdint>

#include "kelvane/sim/serial_line.h"

namespace kv::sim {

// The adapter side of the target's transmit pin.
class SerialSink {
  public:
    virtual ~SerialSink() = default;
    // The target starts sending `value` at simulated time `atUs`.
    virtual void transmit(uint8_t value, uint64_t atUs) = 0;
};

class BslTargetLines {
  public:
    virtual ~BslTargetLines() = default;

    // Pin levels as driven by the adapter at simulated time `atUs` (microseconds).
    virtual void setSupply(bool on, uint64_t atUs) = 0;
    virtual void setReset(bool high, uint64_t atUs) = 0;
    virtual void setTest(bool high, uint64_t atUs) = 0;
    virtual void setTck(bool high, uint64_t atUs) = 0;

    // The target's answer on the adapter's bootloader-signal input.
    virtual bool bootloaderSignal() const = 0;

    // Framing of the target's serial port.
    virtual SerialFormat serialFormat() const = 0;
    // A character completed on the target's receive pin at `atUs`.
    virtual void receive(uint8_t value, bool ok, uint64_t atUs) = 0;
    // Where the target's transmit pin goes (nullptr: nowhere).
    virtual void attachTransmitter(SerialSink* sink) = 0;
};

}  // namespace kv::sim
