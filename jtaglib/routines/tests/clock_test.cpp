// The clock routines on the simulated parts, and the clock searches of the
// flash code driven by them.
#include <gtest/gtest.h>

#include <cmath>

#include "nandrel/routines/clock_routines.h"
#include "routine_runner.h"

namespace nandrel::routines::test {
namespace {

using kv::sim::StopReason;

constexpr double kMeasureSeconds = 0.020;  // the debugger's wait before it stops the count

std::unique_ptr<kv::sim::Chip> HeldChip(const char* profile) {
    auto chip = std::make_unique<kv::sim::Chip>(*kv::sim::findProfile(profile));
    chip->powerOn();
    chip->write16(0x0120, 0x5A80);
    return chip;
}

// Runs a measurement for the debugger's 20 ms; the count R10:R9.
std::uint32_t Measure(kv::sim::Chip& chip, std::vector<std::uint16_t> words) {
    const kv::sim::RunResult setUp = RunToExit(chip, words);
    EXPECT_EQ(setUp.reason, StopReason::Address) << Listing(words);
    RunFor(chip, kMeasureSeconds);
    return (chip.reg(10) << 16) | (chip.reg(9) & 0xFFFF);
}

std::uint32_t MeasureBasic(kv::sim::Chip& chip, unsigned range, unsigned tap) {
    std::vector<std::uint16_t> words = ClockMeasureBasicRoutine();
    words[ClockMeasureBasicWords::kSetting] = BasicClockSetting(range, tap);
    return Measure(chip, words);
}

std::uint32_t MeasureLoop(kv::sim::Chip& chip, unsigned tap) {
    std::vector<std::uint16_t> words = ClockMeasureLoopRoutine();
    words[ClockMeasureLoopWords::kSetting] = LoopClockSetting(tap);
    return Measure(chip, words);
}

TEST(ClockMeasureBasic, CountRisesWithEverySetting) {
    for (const char* profile : {"MSP430F149", "MSP430F2274"}) {
        auto chip = HeldChip(profile);
        const unsigned ranges =
            chip->profile().clock == kv::sim::ClockKind::BasicClockPlus ? 16 : 8;
        std::uint32_t previousRange = 0;
        for (unsigned range = 0; range < ranges; ++range) {
            std::uint32_t previous = 0;
            for (unsigned tap = 0; tap < 8; ++tap) {
                const std::uint32_t count = MeasureBasic(*chip, range, tap);
                EXPECT_GT(count, previous) << profile << " range " << range << " tap " << tap;
                previous = count;
                const double expected =
                    chip->clocks().mclkHz() * kMeasureSeconds / kBasicClockCyclesPerCount;
                EXPECT_NEAR(count, expected, expected * 0.01 + 2);
                if (tap == 0) {
                    EXPECT_GT(count, previousRange) << profile << " range " << range;
                    previousRange = count;
                }
            }
        }
        EXPECT_EQ(chip->reg(2) & 0x0008, 0u);  // interrupts stayed off
    }
}

TEST(ClockMeasureLoop, CountRisesWithEveryTap) {
    auto chip = HeldChip("MSP430FG4619");
    std::uint32_t previous = 0;
    for (unsigned tap = 0; tap <= 27; ++tap) {
        const std::uint32_t count = MeasureLoop(*chip, tap);
        EXPECT_GT(count, previous) << "tap " << tap;
        previous = count;
        const double expected =
            chip->clocks().mclkHz() * kMeasureSeconds / kLoopClockCyclesPerCount;
        EXPECT_NEAR(count, expected, expected * 0.01 + 2) << "tap " << tap;
        EXPECT_EQ(chip->read8(0x0051), tap * 8);  // the loop did not retune the DCO
    }
}

TEST(ClockMeasureLoop, HighHalfCarries) {
    auto chip = HeldChip("MSP430FG4619");
    std::vector<std::uint16_t> words = ClockMeasureLoopRoutine();
    words[ClockMeasureLoopWords::kSetting] = LoopClockSetting(27) | 0x20;  // SCFI0 FN_8
    const std::uint32_t count = Measure(*chip, words);
    const double expected = chip->clocks().mclkHz() * kMeasureSeconds / kLoopClockCyclesPerCount;
    EXPECT_GT(count, 0xFFFFu);
    EXPECT_NEAR(count, expected, expected * 0.01);
}

// The searches the flash code runs with these routines end where the flash
// timing generator (MCLK / 5) is within its 257..476 kHz.
TEST(ClockSearch, BasicClockWalkEndsInTheFlashRange) {
    for (const char* profile : {"MSP430F149", "MSP430F2274"}) {
        auto chip = HeldChip(profile);
        const int maxRange = chip->profile().clock == kv::sim::ClockKind::BasicClockPlus ? 15 : 7;
        int range = 7;
        int tap = 3;
        double f = 0;
        bool found = false;
        for (int guard = 0; guard < 200 && !found; ++guard) {
            f = MeasureBasic(*chip, static_cast<unsigned>(range), static_cast<unsigned>(tap)) *
                3.3 * 50;
            if (f < 1410000) {
                if (++tap > 7) {
                    tap = 0;
                    ASSERT_LE(++range, maxRange);
                }
            } else if (f >= 2140001) {
                if (--tap == 0) {
                    tap = 7;
                    ASSERT_GT(--range, 0);
                }
            } else {
                found = true;
            }
        }
        ASSERT_TRUE(found) << profile;
        const double ftg = chip->clocks().mclkHz() / 5;
        EXPECT_GE(ftg, 257e3) << profile;
        EXPECT_LE(ftg, 476e3) << profile;
    }
}

TEST(ClockSearch, LoopClockBisectionEndsInTheFlashRange) {
    auto chip = HeldChip("MSP430FG4619");
    auto frequency = [&](int tap) {
        return MeasureLoop(*chip, static_cast<unsigned>(tap)) * 3.7 * 50;
    };
    int low = 0;
    int high = 27;
    bool movedHigh = false;
    double f = 0;
    while (high - low > 1) {
        const int mid = (low + high) / 2;
        f = frequency(mid);
        movedHigh = f >= 2140001;
        (movedHigh ? high : low) = mid;
    }
    if (movedHigh) f = frequency(low);
    EXPECT_GE(f, 1285000);
    EXPECT_LE(f, 2380000);
    const double ftg = chip->clocks().mclkHz() / 5;
    EXPECT_GE(ftg, 257e3);
    EXPECT_LE(ftg, 476e3);

    // Flash work at that clock keeps the loop off and the timing in range.
    chip->setStrictFlashTiming(true);
    Program(*chip, 0x3000, 0x1234);
    const auto erase = Erase(kFG4619, 0x0200, kEraseSegment, 0x3000, 0x100);
    ASSERT_EQ(RunToExit(*chip, erase).reason, StopReason::Address);
    EXPECT_EQ(chip->reg(10), 0u);
    EXPECT_EQ(chip->flash().corruptedOperations(), 0u);
}

TEST(ClockSetNewerFlash, SetsTheClockModule) {
    auto chip = HeldChip("TMS430FCAS003");
    std::vector<std::uint16_t> words = ClockSetNewerFlashRoutine();
    ASSERT_EQ(words[kLoadAddressWord], chip->profile().ramStart);
    ASSERT_EQ(RunToExit(*chip, words).reason, StopReason::Address) << Listing(words);
    for (std::uint32_t i = 0; i < 4; ++i)
        EXPECT_EQ(chip->read16(0x0140 + 2 * i), kNewerFlashClockSettings[i]) << i;
    // The template's range gives 2.38 MHz: MCLK / 14 (FCTL2 0xA54D) is 170 kHz,
    // below the flash's rated range, so the library chooses the range.
    EXPECT_NEAR(chip->clocks().mclkHz(), 2.38e6, 0.01e6);
    EXPECT_LT(chip->clocks().mclkHz() / 14, chip->profile().ftgMinHz);
    words[ClockSetNewerFlashWords::kRegisters] = ModuleClockSetting(12, 0x82);
    ASSERT_EQ(RunToExit(*chip, words).reason, StopReason::Address) << Listing(words);
    const double ftg = chip->clocks().mclkHz() / 14;
    EXPECT_GE(ftg, chip->profile().ftgMinHz);
    EXPECT_LE(ftg, chip->profile().ftgMaxHz);
}

TEST(ClockMeasureModule, CountsThreeCyclesAPassAtEveryRange) {
    auto chip = HeldChip("TMS430FCAS003");
    std::uint32_t previous = 0;
    for (unsigned range = 0; range < 16; ++range) {
        std::vector<std::uint16_t> words = ClockMeasureModuleRoutine();
        ASSERT_EQ(words[kLoadAddressWord], chip->profile().ramStart);
        words[ClockMeasureModuleWords::kRegisters] = ModuleClockSetting(range, 0x82);
        const std::uint32_t count = Measure(*chip, words);
        EXPECT_GT(count, previous) << "range " << range;
        previous = count;
        const double expected =
            chip->clocks().mclkHz() * kMeasureSeconds / kModuleClockCyclesPerCount;
        EXPECT_NEAR(count, expected, expected * 0.01 + 2) << "range " << range;
        EXPECT_EQ(chip->read16(0x0140), ModuleClockSetting(range, 0x82));
    }
}

// A word written to a byte-wide peripheral register changes the low byte only
// (the high byte is ignored); the measurements write DCOCTL and BCSCTL1 with
// byte instructions for this reason.
TEST(ChipModel, WordWriteToBytePeripheralKeepsTheHighByte) {
    auto chip = HeldChip("MSP430F149");
    const std::uint8_t bcsctl1 = chip->read8(0x0057);
    chip->write16(0x0056, 0x0360);
    EXPECT_EQ(chip->read8(0x0056), 0x60);
    EXPECT_EQ(chip->read8(0x0057), bcsctl1);
}

}  // namespace
}  // namespace nandrel::routines::test
