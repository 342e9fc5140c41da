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
    AdapterWithChip(const DeviceProfile& profile, bool testPin, Config config = {});
    ~AdapterWithChip() override;

    Chip& chip() { return chip_; }
    RomBootLoader& loader() { return loader_; }

  private:
    Chip chip_;
    RomBootLoader loader_;
};

// Whether the chips of a device class have a TEST pin.
bool ChipHasTestPin(const DeviceProfile& profile);

}  // namespace kv::sim
