#include "kelvane/sim/sim_adapter_target.h"

#include "kelvane/sim/device_rows.h"

namespace kv::sim {

AdapterWithChip::AdapterWithChip(const DeviceProfile& profile, bool testPin, Config config)
    : TovrinAdapter(config),
      chip_(profile), loader_(chip_, LoaderProfile::forChip(profile, testPin)) {
    attachTarget(&loader_);
}

AdapterWithChip::~AdapterWithChip() {
    attachTarget(nullptr);
}

bool ChipHasTestPin(const DeviceProfile& profile) {
    return deviceClassFacts(profile.deviceClass).testPin;
}

}  // namespace kv::sim
