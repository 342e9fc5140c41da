// A test double of the chip's memory for the loader: plain RAM and registers,
// flash with the flash controller's rules (FCTL1/2/3 at 0x0128/0x012A/0x012C
// with key 0xA5; programming only clears bits, erasing sets them; LOCK
// refuses both; LOCKA, toggled by writing 1, protects segment A). Not a chip
// model: no timing, no CPU, no interrupt flags beyond a violation count.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "kelvane/sim/bus.h"

namespace kv::sim::testing {

class FlashTestBus : public Bus {
  public:
    struct Layout {
        uint32_t infoStart = 0x1000, infoEnd = 0x1100, infoSegment = 128;
        uint32_t mainStart = 0x1100, mainEnd = 0x10000, mainSegment = 512;
        bool hasLockA = false;  // segment A (the last info segment) guarded by LOCKA
    };

    FlashTestBus();
    explicit FlashTestBus(Layout layout);

    static Layout layout1xx() { return Layout{}; }
    static Layout layout2xx() { return Layout{0x1000, 0x1100, 64, 0x3100, 0x20000, 512, true}; }

    uint8_t read8(uint32_t address) override;
    uint16_t read16(uint32_t address) override;
    void write8(uint32_t address, uint8_t value) override;
    void write16(uint32_t address, uint16_t value) override;

    // Direct access for tests, past the flash rules.
    void poke(uint32_t address, const std::vector<uint8_t>& bytes);
    std::vector<uint8_t> peek(uint32_t address, size_t count) const;
    bool isFlash(uint32_t address) const;
    bool locked() const { return (fctl3_ & kLock) != 0; }
    bool lockA() const { return (fctl3_ & kLockA) != 0; }
    // Writes with a wrong key, or to flash without a mode or while locked.
    int violations() const { return violations_; }
    int erases() const { return erases_; }

    static constexpr uint16_t kErase = 0x02, kMeras = 0x04, kWrt = 0x40;
    static constexpr uint16_t kLock = 0x10, kLockA = 0x40;

  private:
    bool protectedByLockA(uint32_t address) const;
    void eraseRange(uint32_t start, uint32_t end);
    void flashWrite(uint32_t address, uint8_t value);
    bool writeRegister(uint32_t address, uint16_t value);

    Layout layout_;
    std::vector<uint8_t> memory_;
    uint16_t fctl1_ = 0, fctl2_ = 0x0042, fctl3_ = kLock | kLockA;
    int violations_ = 0;
    int erases_ = 0;
};

}  // namespace kv::sim::testing
