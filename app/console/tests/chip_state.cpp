#include "chip_state.h"

#include <filesystem>

#include "kelvane/sim/chip.h"
#include "kelvane/sim/device_profile.h"

namespace kv::testing {

std::optional<bool> ChipPowered(const std::string& state, const char* device) {
    const sim::DeviceProfile* profile = sim::findProfile(device);
    if (profile == nullptr || !std::filesystem::exists(state)) return std::nullopt;
    sim::Chip chip(*profile);
    std::string error;
    if (!chip.load(state, &error)) return std::nullopt;
    return chip.powered();
}

}  // namespace kv::testing
