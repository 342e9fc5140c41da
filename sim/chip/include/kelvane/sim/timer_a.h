// Timer_A3 (TACTL 0x0160, TACCTL0..2 0x0162..0x0166, TAR 0x0170, TACCR0..2
// 0x0172..0x0176, TAIV 0x012E): stop, up, continuous and up/down modes from
// ACLK or SMCLK with the input divider, compare flags and TAIFG. Capture
// inputs and the output units are not modelled (CAP=1 channels stay quiet).
// The counter is kept as elapsed ticks and brought up to date on access.
#pragma once

#include <array>
#include <cstdint>

namespace kv::sim {

enum : uint16_t {
    kTaIfg = 0x0001,
    kTaIe = 0x0002,
    kTaClr = 0x0004,
    kCcIfg = 0x0001,
    kCcIe = 0x0010,
    kCcCap = 0x0100,
};

class TimerA {
  public:
    static bool owns(uint32_t address) {
        return address == 0x012E || (address >= 0x0160 && address <= 0x0177);
    }

    void reset(double now);
    // Register access, after sync(); reading TAIV clears the flag it reports.
    uint16_t read(uint32_t address);
    void write(uint32_t address, uint16_t value, double now);

    // Source selected by TASSEL: 1 ACLK, 2 SMCLK (TACLK and INCLK have no signal).
    int source() const { return (ctl_ >> 8) & 3; }
    // Counts up to `now` at `sourceHz` (the source frequency since the last sync).
    void sync(double now, double sourceHz);
    // Time at which the next enabled interrupt flag sets (infinity when none).
    double nextInterruptTime(double sourceHz) const;

    bool interruptCcr0() const { return (cctl_[0] & (kCcIfg | kCcIe)) == (kCcIfg | kCcIe); }
    bool interruptGroup() const;
    void clearCcr0Flag() { cctl_[0] &= static_cast<uint16_t>(~kCcIfg); }
    uint16_t counter() const { return tar_; }

    // Raw state for saved chips: TACTL, TACCTL0..2, TACCR0..2, TAR.
    std::array<uint16_t, 8> state() const;
    void restore(const std::array<uint16_t, 8>& state, double now);

  private:
    int mode() const { return (ctl_ >> 4) & 3; }
    uint32_t period() const;  // ticks of one period; 0 when the timer stands
    uint32_t position() const;
    uint16_t tarAt(uint32_t pos) const;
    void advance(uint64_t ticks);
    // Ticks from the current position until TAR equals `value` (0 when never).
    uint64_t ticksUntil(uint16_t value) const;
    uint64_t ticksUntilOverflow() const;

    uint16_t ctl_ = 0;
    std::array<uint16_t, 3> cctl_{};
    std::array<uint16_t, 3> ccr_{};
    uint16_t tar_ = 0;
    bool down_ = false;
    double fraction_ = 0;  // part of a tick counted already
    double last_ = 0;
};

}  // namespace kv::sim
