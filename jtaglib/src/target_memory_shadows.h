// The registers the library never writes to the chip, kept as shadows that
// memory reads show in their place.
#pragma once

#include <array>
#include <cstdint>

namespace nandrel {

struct MemoryShadows {
    // The watchdog control value the user wrote (password 0x5A in the high
    // byte), the byte at 0x0048 and the bytes at 0x01B0-0x01B3.
    uint16_t watchdogShadow = 0x5A00;
    bool watchdogShadowSet = false;
    uint8_t shadow48 = 0;
    std::array<uint8_t, 4> converterShadow{};
};

}  // namespace nandrel
