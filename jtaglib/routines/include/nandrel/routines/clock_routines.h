// The clock routines of the flash code's clock set-up.
//
// The two measurements set the DCO as their setting word says, with MCLK taken
// from the DCO undivided, and then count in R10 (high half) and R9 (low half)
// until the debugger stops them; the library lets them run a fixed time and
// reads the count. The exit address is the counting loop: the set-up is done
// when the CPU gets there. The newer-flash clock setting writes the clock
// module at 0x0140 and spins at its exit address.
#pragma once

#include <cstdint>
#include <vector>

#include "nandrel/routines/routine_layout.h"

namespace nandrel::routines {

// MCLK cycles per count of the measurement loops.
inline constexpr unsigned kLoopClockCyclesPerCount = 4;
inline constexpr unsigned kBasicClockCyclesPerCount = 3;

std::vector<std::uint16_t> ClockMeasureLoopRoutine();
std::vector<std::uint16_t> ClockMeasureBasicRoutine();
std::vector<std::uint16_t> ClockSetNewerFlashRoutine();

// Setting words of the measurements: DCO tap (0..27) of a loop clock, range
// and tap (0..7) of a basic clock.
constexpr std::uint16_t LoopClockSetting(unsigned tap) {
    return static_cast<std::uint16_t>((tap * 8u) << 8);
}
constexpr std::uint16_t BasicClockSetting(unsigned range, unsigned tap) {
    return static_cast<std::uint16_t>((range << 8) | ((tap * 32u) & 0xFFu));
}

}  // namespace nandrel::routines
