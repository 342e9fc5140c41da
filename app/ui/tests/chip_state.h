// What a simulated chip's state file says, for tests of the window: read
// apart from the Qt headers, whose keywords the chip's headers use as names.
#pragma once

#include <optional>
#include <string>

namespace kv::ui::testing {

// Whether the chip of the device kept in the state file is powered; nothing
// when no chip was saved there.
std::optional<bool> ChipPowered(const std::string& state, const char* device);

}  // namespace kv::ui::testing
