// End-to-end bench for the exported interface: a simulated chip whose boot
// ROM is the simulated loader, the simulated Tovrin adapter on the USB
// stand-in, a manual clock, recorded message boxes, and the notices the
// library sends to its registered callback.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bsl_bench.h"
#include "hesmark/hesmark.h"
#include "kelvane/platform/clock.h"
#include "kelvane/sim/chip.h"
#include "kelvane/sim/rom_bootloader.h"
#include "kelvane/sim/tovrin_adapter.h"

namespace hesmarktest {

struct Notice {
    uint32_t kind;
    int32_t flag;  // text notices
    std::string text;
    int32_t operation, value;  // progress notices
};

// A frame the host sent to the loader.
struct Frame {
    uint8_t command;
    uint16_t address, length;
    std::vector<uint8_t> data;
};

// Loaders of the simulated chips.
kv::sim::DeviceProfile OldLoaderChip();  // F149, loader 1.10: needs the patch
kv::sim::DeviceProfile NewLoaderChip();  // F149 with loader 1.61
kv::sim::DeviceProfile LockAChip();      // F2274, loader 2.00, TEST pin, LOCKA
kv::sim::DeviceProfile BigChip();        // FG4619 with loader 2.12: memory offset

class ChipBench {
  public:
    ChipBench(const kv::sim::DeviceProfile& device, bool testPin);
    ~ChipBench();
    ChipBench(const ChipBench&) = delete;
    ChipBench& operator=(const ChipBench&) = delete;

    kv::ManualClock clock{1000};
    kv::ScopedClock clockScope{clock};
    kv::sim::Chip chip;
    kv::sim::RomBootLoader loader;
    std::shared_ptr<kv::sim::TovrinAdapter> adapter;
    std::vector<kv::sim::testing::MessageBoxRecord> boxes;

  private:
    kv::MessageBoxHandler previousHandler_;
};

class HesmarkTest : public ::testing::Test {
  protected:
    explicit HesmarkTest(const kv::sim::DeviceProfile& device = NewLoaderChip(),
                         bool testPin = false);
    void SetUp() override;
    void TearDown() override;

    // Opens, initialises adapter and target; the notices and wire logs start empty.
    void Start();
    // Start, then the blank password (a freshly erased chip).
    void StartUnlocked();
    // The library's last-error text.
    static std::string LastError();
    // Frames sent to the loader since the logs were cleared.
    std::vector<Frame> Frames() const;
    std::vector<Frame> Frames(uint8_t command) const;
    // Texts of the log notices (kind 1), progress values of one operation.
    std::vector<std::string> Logs() const;
    std::vector<int32_t> Progress(int32_t operation) const;
    void ClearLogs();

    std::string TempPath(const std::string& name) const;
    void WriteText(const std::string& path, const std::string& text) const;
    std::string ReadText(const std::string& path) const;
    std::vector<uint8_t> Peek(uint32_t address, size_t count) const;

    ChipBench bench;
    std::vector<Notice> notices;
    std::filesystem::path dir;
    const std::vector<uint8_t> blank = std::vector<uint8_t>(32, 0xFF);
};

}  // namespace hesmarktest
