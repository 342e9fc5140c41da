// A simulated Tovrin adapter with a chip on its connector: the chip model, its
// ROM bootstrap loader and the adapter, kept alive together for a backend.
#pragma once

#include <memory>
#include <string>

#include "kelvane/sim/chip.h"
#include "kelvane/sim/rom_bootloader.h"
#include "kelvane/sim/tovrin_adapter.h"

namespace kv::sim {

class AdapterWithChip final : public TovrinAdapter {
  public:
    // `testPin`: the chip's loader is entered on TEST (otherwise on TCK).
    // `statePath`: the chip's state file, loaded here when it exists and saved
    // whenever a session closes (empty: none).
    AdapterWithChip(const DeviceProfile& profile, bool testPin, Config config = {},
                    std::string statePath = {});
    // An adapter on the board of a pod: its loader is the boot ROM of the
    // pod's chip (one memory, one state file, which the pod has loaded
    // already and which is saved whenever either session closes).
    AdapterWithChip(std::shared_ptr<Chip> chip, bool testPin, Config config,
                    std::string statePath);
    ~AdapterWithChip() override;

    // A session closes: the chip reports its rule breaks and is saved.
    void close() override;
    // Why the state file did not load (empty when it did or there is none).
    const std::string& stateError() const { return stateError_; }

    Chip& chip() { return *chip_; }
    RomBootLoader& loader() { return loader_; }

  private:
    void endSession();

    std::shared_ptr<Chip> chip_;
    RomBootLoader loader_;
    std::string statePath_;
    std::string stateError_;
};

// Whether the chips of a device class have a TEST pin.
bool ChipHasTestPin(const DeviceProfile& profile);

}  // namespace kv::sim
