// Names of the modules whose clocks the EEM clock control can stop: entry n
// names the module of clock control bit n, "" where there is none.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace nandrel::device {

inline constexpr std::size_t kClockControlNameCount = 32;
using ClockControlNames = std::array<const char*, kClockControlNameCount>;

// The list of a class; a class beyond the table gives an all-empty list.
const ClockControlNames& GetClassClockControlNames(std::uint32_t deviceClass);

// Points *names at the first of the 32 entries of the device's class. False,
// with nothing written, for a device index outside 0 to 91, a null pointer or
// a pointer whose current value is null (the library reports error 3).
bool GetClockControlModuleNames(std::int32_t deviceIndex, const char* const** names);

}  // namespace nandrel::device
