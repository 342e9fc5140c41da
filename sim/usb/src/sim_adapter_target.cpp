#include "kelvane/sim/sim_adapter_target.h"

#include <filesystem>

#include "kelvane/sim/device_rows.h"

namespace kv::sim {

AdapterWithChip::AdapterWithChip(const DeviceProfile& profile, bool testPin, Config config,
                                 std::string statePath)
    : TovrinAdapter(config),
      chip_(std::make_shared<Chip>(profile)),
      loader_(*chip_, LoaderProfile::forChip(profile, testPin)),
      statePath_(std::move(statePath)) {
    if (!statePath_.empty() && std::filesystem::exists(statePath_) &&
        !chip_->load(statePath_, &stateError_) && stateError_.empty())
        stateError_ = "Cannot load chip file " + statePath_;
    attachTarget(&loader_);
}

AdapterWithChip::AdapterWithChip(std::shared_ptr<Chip> chip, bool testPin, Config config,
                                 std::string statePath)
    : TovrinAdapter(config),
      chip_(std::move(chip)),
      loader_(*chip_, LoaderProfile::forChip(chip_->profile(), testPin)),
      statePath_(std::move(statePath)) {
    attachTarget(&loader_);
}

AdapterWithChip::~AdapterWithChip() {
    endSession();
    attachTarget(nullptr);
}

void AdapterWithChip::close() {
    TovrinAdapter::close();
    endSession();
}

void AdapterWithChip::endSession() {
    chip_->reportRuleBreaks();
    // A file that did not load is left alone rather than overwritten.
    if (!statePath_.empty() && stateError_.empty()) chip_->save(statePath_, nullptr);
}

bool ChipHasTestPin(const DeviceProfile& profile) {
    return deviceClassFacts(profile.deviceClass).testPin;
}

}  // namespace kv::sim
