// Helpers shared by the chip tests: a powered chip of a named profile and
// the flash controller sequences that the downloaded routines use.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "kelvane/sim/chip.h"

namespace kv::sim::test {

inline std::unique_ptr<Chip> poweredChip(const std::string& name) {
    const DeviceProfile* profile = findProfile(name);
    EXPECT_NE(profile, nullptr) << name;
    auto chip = std::make_unique<Chip>(*profile);
    chip->powerOn();
    // Most tests do not want the watchdog to reset the chip under them.
    chip->write16(0x0120, 0x5A80);
    return chip;
}

// Flash timing generator from MCLK divided by `divider`, controller unlocked.
inline void unlockFlash(Chip& chip, int divider) {
    chip.write16(0x012A, static_cast<uint16_t>(0xA540 | (divider - 1)));
    chip.write16(0x012C, 0xA500);
}

inline void eraseSegment(Chip& chip, uint32_t address) {
    chip.write16(0x0128, 0xA502);
    chip.write16(address, 0);
    chip.idleUntilFlashReady();
}

inline void writeWord(Chip& chip, uint32_t address, uint16_t value) {
    chip.write16(0x0128, 0xA540);
    chip.write16(address, value);
    chip.idleUntilFlashReady();
    chip.write16(0x0128, 0xA500);
}

}  // namespace kv::sim::test
