// Test bench for the bootstrap-loader wire: a manual clock in force, a chip
// memory test double, the ROM loader on it, the simulated adapter with the
// loader attached, and the USB stand-in opening that adapter. Message boxes
// are recorded instead of shown.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "flash_test_bus.h"
#include "kelvane/platform/clock.h"
#include "kelvane/platform/message_box.h"
#include "kelvane/platform/usb_backend.h"
#include "kelvane/sim/rom_bootloader.h"
#include "kelvane/sim/tovrin_adapter.h"

namespace kv::sim::testing {

// Opens one device by its description.
class SingleDeviceBackend : public kv::usb::Backend {
  public:
    explicit SingleDeviceBackend(std::shared_ptr<kv::usb::Device> device)
        : device_(std::move(device)) {}
    kv::usb::Status open(const std::string& description,
                         std::shared_ptr<kv::usb::Device>* device) override;

  private:
    std::shared_ptr<kv::usb::Device> device_;
};

struct MessageBoxRecord {
    std::string text, caption;
    unsigned type;
};

class BslBench {
  public:
    explicit BslBench(LoaderProfile profile = LoaderProfile::f149(),
                      FlashTestBus::Layout layout = FlashTestBus::layout1xx(),
                      uint32_t startTick = 1000, TovrinAdapter::Config adapterConfig = {});
    ~BslBench();
    BslBench(const BslBench&) = delete;
    BslBench& operator=(const BslBench&) = delete;

    // Takes the adapter away from the USB stand-in (opens fail: device not found).
    void unplugAdapter();
    // The 32 password bytes as the chip holds them at 0xFFE0.
    std::vector<uint8_t> password() const { return bus.peek(0xFFE0, 32); }

    kv::ManualClock clock;
    kv::ScopedClock clockScope;
    FlashTestBus bus;
    RomBootLoader loader;
    std::shared_ptr<TovrinAdapter> adapter;
    std::vector<MessageBoxRecord> boxes;

  private:
    kv::MessageBoxHandler previousHandler_;
};

}  // namespace kv::sim::testing
