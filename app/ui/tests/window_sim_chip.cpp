#include "window_sim_chip.h"

#include "kelvane/sim/chip.h"
#include "kelvane/sim/device_profile.h"

namespace kv::ui::testing {

bool SaveProgrammedChip(const std::string& profile, const std::string& state, std::string* error) {
    const sim::DeviceProfile* found = sim::findProfile(profile);
    if (found == nullptr) {
        *error = "no profile " + profile;
        return false;
    }
    sim::Chip chip(*found);
    const std::uint8_t code[] = {0x31, 0x40, 0x00, 0x04};
    chip.poke(0xE000, code, sizeof code);
    for (std::uint32_t a = 0xFFE0; a < 0x10000; a += 2)
        chip.poke16(a, 0x1234);
    return chip.save(state, error);
}

std::uint16_t SavedChipWord(const std::string& profile, const std::string& state,
                            std::uint32_t address) {
    const sim::DeviceProfile* found = sim::findProfile(profile);
    if (found == nullptr) return 0;
    sim::Chip chip(*found);
    std::string error;
    if (!chip.load(state, &error)) return 0;
    return chip.peek16(address);
}

}  // namespace kv::ui::testing
