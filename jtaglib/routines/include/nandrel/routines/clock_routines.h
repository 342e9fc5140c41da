// The clock routines of the flash code's clock set-up.
//
// The two measurements set the DCO as their setting word says, with MCLK taken
// from the DCO undivided, and then count in R10 (high half) and R9 (low half)
// until the debugger stops them; the library lets them run a fixed time and
// reads the count. The exit address is the counting loop: the set-up is done
// when the CPU gets there. The newer-flash clock setting writes the clock
// module at 0x0140 and spins at its exit address; its measurement writes the
// same registers and then counts like the basic clock's.
//
// The library turns a count into MCLK with the routine's own cycles per count
// over the measuring time.
#pragma once

#include <cstdint>
#include <vector>

#include "nandrel/routines/routine_layout.h"

namespace nandrel::routines {

// MCLK cycles per count of the measurement loops.
inline constexpr unsigned kLoopClockCyclesPerCount = 4;
inline constexpr unsigned kBasicClockCyclesPerCount = 3;
inline constexpr unsigned kModuleClockCyclesPerCount = 3;

std::vector<std::uint16_t> ClockMeasureLoopRoutine();
std::vector<std::uint16_t> ClockMeasureBasicRoutine();
std::vector<std::uint16_t> ClockSetNewerFlashRoutine();
std::vector<std::uint16_t> ClockMeasureModuleRoutine();

// Setting words of the measurements: DCO tap (0..27) of a loop clock, range
// and tap (0..7) of a basic clock.
constexpr std::uint16_t LoopClockSetting(unsigned tap) {
    return static_cast<std::uint16_t>((tap * 8u) << 8);
}
constexpr std::uint16_t BasicClockSetting(unsigned range, unsigned tap) {
    return static_cast<std::uint16_t>((range << 8) | ((tap * 32u) & 0xFFu));
}
// Word 3 of the newer-flash clock routines (0x0140 low byte DCO tap, high byte range).
constexpr std::uint16_t ModuleClockSetting(unsigned range, unsigned tap) {
    return static_cast<std::uint16_t>((range << 8) | (tap & 0xFFu));
}

}  // namespace nandrel::routines
