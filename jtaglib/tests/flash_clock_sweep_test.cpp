// Programming on parts whose oscillators run slow or fast: every run either
// programs and verifies with the flash timing generator inside its rated
// 257..476 kHz on every erase and write, or fails with the clock error before
// it touches the flash. The chip model enforces the flash's rules throughout
// and counts every break.
#include <algorithm>
#include <cctype>

#include "flash/flash_device.h"
#include "flash_errors.h"
#include "flash_fixture.h"
#include "kelvane/sim/clock_system.h"
#include "nandrel/device/device_table.h"
#include "nandrel/routines/clock_routines.h"
#include "nandrel/routines/routine_layout.h"

namespace {

struct SweepCase {
    ChipProfile profile;
    double dco;
};

// The flash timing generator's frequency at every clock setting the
// measurement routines can make, on the chip's own clock model: the setting
// bytes each routine writes, read back as MCLK / divider.
std::vector<double> GeneratorFrequencies(kv::sim::ClockSystem clocks, kv::sim::ClockKind kind) {
    using namespace nandrel::routines;
    std::vector<double> out;
    auto bytes = [&](uint32_t address, uint16_t word) {
        clocks.write8(address, static_cast<uint8_t>(word));
        clocks.write8(address + 1, static_cast<uint8_t>(word >> 8));
    };
    switch (kind) {
        case kv::sim::ClockKind::BasicClock:
        case kv::sim::ClockKind::BasicClockPlus:
            clocks.write8(0x58, clocks.read8(0x58) & 0x0F);  // MCLK from the DCO, undivided
            for (unsigned range = 0; range < 16; ++range)
                for (unsigned tap = 0; tap < 8; ++tap) {
                    bytes(0x56, BasicClockSetting(range, tap));
                    out.push_back(clocks.mclkHz() / nandrel::kFlashTimingDivider);
                }
            break;
        case kv::sim::ClockKind::FllPlus:
            clocks.write8(0x54, clocks.read8(0x54) & ~0x18);  // MCLK from the DCO
            bytes(0x52, kLoopClockControl);
            for (unsigned tap = 0; tap < 28; ++tap) {
                bytes(0x50, LoopClockSetting(tap));
                out.push_back(clocks.mclkHz() / nandrel::kFlashTimingDivider);
            }
            break;
        case kv::sim::ClockKind::ClockModule140:
            for (unsigned i = 1; i < 4; ++i)
                bytes(0x140 + 2 * i, kNewerFlashClockSettings[i]);
            for (unsigned range = 0; range < 16; ++range) {
                bytes(0x140, ModuleClockSetting(range, kNewerFlashClockSettings[0] & 0xFF));
                out.push_back(clocks.mclkHz() / 14);
            }
            break;
    }
    return out;
}

// The clock search accepts a generator at 282..428 kHz, a tenth inside the
// rated 257..476 kHz. A part with a setting a hundredth inside that window
// must program; a part with none a hundredth outside it must fail.
enum class Reach { Inside, Outside, AtTheEdge };

Reach WindowReach(const kv::sim::Chip& chip) {
    constexpr double kLow = 282e3;
    constexpr double kHigh = 428e3;
    constexpr double kSlack = 1.01;
    bool inside = false;
    bool nearby = false;
    for (double f : GeneratorFrequencies(chip.clocks(), chip.profile().clock)) {
        inside = inside || (f >= kLow * kSlack && f < kHigh / kSlack);
        nearby = nearby || (f >= kLow / kSlack && f < kHigh * kSlack);
    }
    return inside ? Reach::Inside : nearby ? Reach::AtTheEdge : Reach::Outside;
}

std::string Name(const ::testing::TestParamInfo<SweepCase>& info) {
    std::string name = std::string(info.param.profile.chip) + "_dco_" +
                       std::to_string(static_cast<int>(info.param.dco * 100));
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

class FlashClockSweep : public FlashTest, public ::testing::WithParamInterface<SweepCase> {
  protected:
    void SetUp() override {
        FlashTest::SetUp();
        open(GetParam().profile);
        if (HasFatalFailure()) return;
        chip().setDcoScale(GetParam().dco);
    }
};

// A mass erase and the whole main flash programmed on a chip fresh from the
// factory: where a break leaves nothing verify could see (a short erase of
// cells that read erased), the chip's counters are the witness.
TEST_P(FlashClockSweep, ProgramsInsideTheRatedRangeOrFailsWithTheClockError) {
    const uint32_t length = layout.mainEnd - layout.mainStart + 1;
    const std::vector<ImageSegment> image = {
        {layout.mainStart, pattern(layout.mainStart, length, 9)}};
    const std::string file = path("sweep.txt");
    writeFile(file, textImage(image));

    const Reach reach = WindowReach(chip());
    const int32_t ok = Nandrel_ProgramFile(target, file.c_str(), NANDREL_PROGRAM_ERASE_ALL, 1);
    if (reach == Reach::Inside) {
        EXPECT_EQ(ok, 1) << "a setting puts the generator in the window: " << error();
    }
    if (reach == Reach::Outside) {
        EXPECT_EQ(ok, 0) << "no setting puts the generator in the window";
    }
    const kv::sim::FlashController& flash = chip().flash();
    EXPECT_TRUE(flash.shortErasedSegments().empty());
    EXPECT_EQ(chip().reportRuleBreaks(), 0u);
    RecordProperty("programmed", ok);
    RecordProperty("window", reach == Reach::Inside    ? "inside"
                             : reach == Reach::Outside ? "outside"
                                                       : "at the edge");
    RecordProperty("ftg_low_hz", static_cast<int>(flash.lowestTimingFrequency()));
    RecordProperty("ftg_high_hz", static_cast<int>(flash.highestTimingFrequency()));
    if (ok) {
        EXPECT_GE(flash.lowestTimingFrequency(), 257e3);
        EXPECT_LE(flash.highestTimingFrequency(), 476e3);
        EXPECT_EQ(chipBytes(layout.mainStart, length), image[0].bytes);
        EXPECT_EQ(Nandrel_VerifyFile(target, file.c_str()), 1) << error();
    } else {
        EXPECT_EQ(errorNumber(), nandrel::kErrFrequency) << error();
        EXPECT_EQ(flash.lowestTimingFrequency(), 0);  // no erase or write ran
    }
}

// Every row of the device table with flash as its own simulated chip: a mass
// erase and a write into main flash keep every flash rule the chip knows.
class FlashDeviceRows : public FlashTest, public ::testing::WithParamInterface<uint32_t> {};

TEST_P(FlashDeviceRows, MassEraseAndWriteKeepTheFlashRules) {
    const nandrel::device::DeviceRow* row = nandrel::device::GetDeviceRow(GetParam());
    const std::string name = "row:" + std::to_string(GetParam());
    open(ChipProfile{name.c_str(), row->deviceClass});
    if (HasFatalFailure()) return;
    EXPECT_EQ(Nandrel_Erase(target, NANDREL_ERASE_ALL, layout.infoStart, 2), 1) << error();
    const uint32_t at = std::min<uint32_t>(layout.mainEnd, 0xFFFF) - 0x3F;  // the vectors
    const std::vector<uint8_t> data(0x40, 0x5A);
    EXPECT_EQ(Nandrel_WriteMemory(target, at, data.data(), 0x40), 1) << error();
    EXPECT_EQ(chip().reportRuleBreaks(), 0u) << row->name;
}

std::vector<uint32_t> RowsWithFlash() {
    std::vector<uint32_t> rows;
    for (uint32_t i = 1; i < nandrel::device::kDeviceCount; ++i) {
        const nandrel::device::DeviceRow* row = nandrel::device::GetDeviceRow(i);
        if (row && nandrel::device::GetMemoryLayout(row->deviceClass).mainEnd != 0)
            rows.push_back(i);
    }
    return rows;
}

INSTANTIATE_TEST_SUITE_P(Rows, FlashDeviceRows, ::testing::ValuesIn(RowsWithFlash()),
                         [](const auto& p) { return "row_" + std::to_string(p.param); });

std::vector<SweepCase> Cases() {
    std::vector<SweepCase> cases;
    // The older 4xx parts with the loop clock: F44x, F41x and FG43x.
    const ChipProfile f44x{"row:14", 13}, f41x{"row:9", 9}, fg43x{"row:45", 37};
    for (const ChipProfile& p : {kF1xx, kF2xx, kWide, kNewer, f44x, f41x, fg43x})
        for (double dco : {0.4, 0.41, 0.5, 0.7, 1.0, 1.5, 2.0, 3.0, 4.0, 5.3, 5.5, 5.7, 6.0})
            cases.push_back({p, dco});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Parts, FlashClockSweep, ::testing::ValuesIn(Cases()), Name);

}  // namespace
