// The watchdog timer (WDTCTL at 0x0120): password 0x5A on writes, 0x69 in the
// high byte on reads, hold bit, watchdog or interval mode, SMCLK or ACLK.
// Its 16-bit counter is kept as elapsed source-clock cycles.
#pragma once

#include <cstdint>

namespace kv::sim {

enum : uint8_t {
    kWdtIs0 = 0x01,
    kWdtIs1 = 0x02,
    kWdtSsel = 0x04,
    kWdtCntcl = 0x08,
    kWdtTmsel = 0x10,
    kWdtHold = 0x80,
};

class Watchdog {
  public:
    // PUC state: running in watchdog mode from SMCLK with the 32768-cycle interval.
    void puc(double now);

    uint16_t read() const { return static_cast<uint16_t>(0x6900 | control_); }
    uint8_t control() const { return control_; }
    // Writes WDTCTL; false when the password is wrong (the caller raises a PUC).
    bool write(uint16_t value, double now);

    bool held() const { return (control_ & kWdtHold) != 0; }
    bool intervalMode() const { return (control_ & kWdtTmsel) != 0; }
    bool fromAclk() const { return (control_ & kWdtSsel) != 0; }
    uint32_t interval() const;
    double counter() const { return count_; }

    // Brings the counter up to `now` at the source frequency that ran since the last sync.
    void sync(double now, double sourceHz);
    // Time at which the counter reaches the interval (infinity when it cannot).
    double expiryTime(double sourceHz) const;
    // After a sync: true (once per interval) when the counter reached the interval.
    bool takeExpiry();

    // State transfer for saved chips.
    void restore(uint8_t control, double count, double now);

  private:
    uint8_t control_ = 0;
    double count_ = 0;
    double last_ = 0;
};

}  // namespace kv::sim
