// What a simulated chip's state file says, for the tests that run the
// programs as processes. Apart from the Qt headers, whose keywords the chip's
// headers use as names, so the window's tests can use it too.
#pragma once

#include <optional>
#include <string>

namespace kv::testing {

// Whether the chip of the device kept in the state file is powered; nothing
// when no chip was saved there.
std::optional<bool> ChipPowered(const std::string& state, const char* device);

}  // namespace kv::testing
