// A simulated chip whose boot ROM is the simulated loader, behind the
// simulated Tovrin adapter on the USB stand-in, with a manual clock and
// recorded message boxes; and the loader frames the host sent.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "bsl_bench.h"
#include "kelvane/platform/clock.h"
#include "kelvane/sim/chip.h"
#include "kelvane/sim/device_profile.h"
#include "kelvane/sim/rom_bootloader.h"
#include "kelvane/sim/tovrin_adapter.h"

namespace wrapperstest {

// Loader commands on the wire.
constexpr uint8_t kWriteBlock = 0x12;
constexpr uint8_t kReadBlock = 0x14;
constexpr uint8_t kPassword = 0x10;

struct Frame {
    uint8_t command;
    uint32_t address, length;
    std::vector<uint8_t> data;
};

// The profile of a simulated chip with its loader version changed.
kv::sim::DeviceProfile ChipWithLoader(const char* name, uint8_t major, uint8_t minor);

class TovrinBench {
  public:
    explicit TovrinBench(const kv::sim::DeviceProfile& device, bool testPin = false,
                         kv::sim::TovrinAdapter::Config config = {});
    ~TovrinBench();
    TovrinBench(const TovrinBench&) = delete;
    TovrinBench& operator=(const TovrinBench&) = delete;

    // Frames the host sent since the logs were cleared, optionally of one command.
    std::vector<Frame> Frames() const;
    std::vector<Frame> Frames(uint8_t command) const;
    void ClearLogs() { adapter->clearLogs(); }
    std::vector<uint8_t> Peek(uint32_t address, size_t count) const;

    kv::ManualClock clock{1000};
    kv::ScopedClock clockScope{clock};
    kv::sim::Chip chip;
    kv::sim::RomBootLoader loader;
    std::shared_ptr<kv::sim::TovrinAdapter> adapter;
    std::vector<std::string> boxes;

  private:
    kv::MessageBoxHandler previousHandler_;
};

}  // namespace wrapperstest
