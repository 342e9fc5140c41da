// JTAG instruction codes travel to the pod least significant bit first: bit 0
// of the value is bit 7 of the byte on the wire. The library and the
// simulated pod turn them with this one table.
#pragma once

#include <array>
#include <cstdint>

namespace kv {

inline constexpr std::array<uint8_t, 256> BitReverseByte = [] {
    std::array<uint8_t, 256> table{};
    for (unsigned v = 0; v < 256; ++v) {
        unsigned r = 0;
        for (unsigned bit = 0; bit < 8; ++bit)
            if (v & (1u << bit)) r |= 0x80u >> bit;
        table[v] = static_cast<uint8_t>(r);
    }
    return table;
}();

}  // namespace kv
