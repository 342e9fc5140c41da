// Chips the window's tests hand the simulated devices through a state file,
// kept apart from the Qt headers (whose keywords the chip model's names meet).
#pragma once

#include <cstdint>
#include <string>

namespace kv::ui::testing {

// A chip of the named profile programmed before the program started: a few
// words of code at 0xE000 (0x4031 first) and every vector 0x1234, which is
// its password; saved as the state file the simulated chip loads.
bool SaveProgrammedChip(const std::string& profile, const std::string& state, std::string* error);
// The word at the address of the chip saved in the state file.
std::uint16_t SavedChipWord(const std::string& profile, const std::string& state,
                            std::uint32_t address);

}  // namespace kv::ui::testing
