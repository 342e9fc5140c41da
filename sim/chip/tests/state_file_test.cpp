#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

#include "chip_fixture.h"

namespace kv::sim::test {
namespace {

std::string tempPath(const char* name) {
    return ::testing::TempDir() + std::to_string(getpid()) + "-" + name;
}

std::vector<char> readFile(const std::string& path) {
    std::vector<char> bytes;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return bytes;
    char buffer[4096];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + got);
    std::fclose(f);
    return bytes;
}

void writeFile(const std::string& path, const std::vector<char>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

TEST(ChipStateFile, RoundTrip) {
    auto chip = poweredChip("MSP430FG4619");
    unlockFlash(*chip, 3);
    eraseSegment(*chip, 0x1FE00);
    writeWord(*chip, 0x1FE00, 0x1357);
    chip->write16(0x1100, 0xBEEF);  // second RAM block
    chip->write8(0x0031, 0x5A);
    chip->setReg(5, 0x12345);
    chip->setReg(0, 0x3100);
    chip->setConfigFuses(0x82);
    chip->addStuckBit({0x2100, 1, false});
    chip->setDcoScale(1.25);
    chip->setDcoLimits(0, 9e6);
    chip->setCrystals(32768, 8e6);
    chip->setStrictFlashTiming(true);
    chip->write16(0x012C, 0xA500);
    ASSERT_TRUE(chip->blowFuse());
    std::string path = tempPath("roundtrip.kvchip");
    std::string error;
    ASSERT_TRUE(chip->save(path, &error)) << error;

    Chip loaded(*findProfile("MSP430FG4619"));
    ASSERT_TRUE(loaded.load(path, &error)) << error;
    EXPECT_TRUE(loaded.powered());
    EXPECT_EQ(loaded.peek16(0x1FE00), 0x1357);
    EXPECT_EQ(loaded.peek16(0x1100), 0xBEEF);
    EXPECT_EQ(loaded.peek8(0x0031), 0x5A);
    EXPECT_EQ(loaded.reg(5), 0x12345u);
    EXPECT_EQ(loaded.reg(0), 0x3100u);
    EXPECT_EQ(loaded.configFuses(), 0x82);
    EXPECT_TRUE(loaded.fuseBlown());
    EXPECT_EQ(loaded.flash().eraseCount(0x1FE00), 1u);
    EXPECT_EQ(loaded.flash().stuckBits().size(), 1u);
    EXPECT_EQ(loaded.flash().fctl3() & kFctl3Lock, 0);
    EXPECT_EQ(loaded.read16(0x0120), chip->read16(0x0120));
    EXPECT_DOUBLE_EQ(loaded.watchdog().counter(), 0.0);  // held since the start
    EXPECT_EQ(loaded.cycles(), chip->cycles());
    EXPECT_DOUBLE_EQ(loaded.clocks().mclkHz(), chip->clocks().mclkHz());
    EXPECT_DOUBLE_EQ(loaded.clocks().scale(), 1.25);
    EXPECT_DOUBLE_EQ(loaded.clocks().dcoMaxHz(), 9e6);
    EXPECT_DOUBLE_EQ(loaded.clocks().xt2Hz(), 8e6);
    EXPECT_TRUE(loaded.flash().strict());
    // The row's program time since its erase goes on counting in the next run.
    EXPECT_GT(chip->flash().rowProgramSeconds(0x1FE00), 0);
    EXPECT_DOUBLE_EQ(loaded.flash().rowProgramSeconds(0x1FE3E),
                     chip->flash().rowProgramSeconds(0x1FE00));
    std::remove(path.c_str());
}

TEST(ChipStateFile, RefusesOtherProfilesAndDamagedFiles) {
    auto chip = poweredChip("MSP430F149");
    std::string path = tempPath("f149.kvchip");
    std::string error;
    ASSERT_TRUE(chip->save(path, &error));

    Chip other(*findProfile("MSP430F2274"));
    EXPECT_FALSE(other.load(path, &error));
    EXPECT_EQ(error, "Chip file is for MSP430F149, not for MSP430F2274");

    std::vector<char> bytes = readFile(path);
    ASSERT_GT(bytes.size(), 100u);
    bytes[100] = static_cast<char>(bytes[100] ^ 0x01);
    writeFile(path, bytes);
    Chip same(*findProfile("MSP430F149"));
    same.poke16(0x0200, 0x4444);
    EXPECT_FALSE(same.load(path, &error));
    EXPECT_EQ(error, "Chip file is damaged: " + path);
    EXPECT_EQ(same.peek16(0x0200), 0x4444);  // nothing changed

    writeFile(path, {'K', 'V', 'C', 'H', 'I', 'P'});
    EXPECT_FALSE(same.load(path, &error));
    EXPECT_EQ(error, "Not a chip file: " + path);
    EXPECT_FALSE(same.load(tempPath("missing.kvchip"), &error));
    EXPECT_EQ(error, "Cannot open chip file " + tempPath("missing.kvchip"));
    std::remove(path.c_str());
}

}  // namespace
// One short mass erase of a blank F149 leaves no cell a verify could tell
// apart: the break is reported when the session closes, and the chip file
// keeps it for the next run, which reports only what breaks after it.
TEST(ChipStateFile, KeepsTheFlashRulesBrokenAndReportsThem) {
    const std::string path = tempPath("breaks.kvchip");
    {
        auto chip = poweredChip("MSP430F149");
        unlockFlash(*chip, 3);
        chip->write16(0x0128, 0xA504);  // one main erase, far short of 200 ms
        chip->write16(0xFFFE, 0);
        chip->idleUntilFlashReady();
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(chip->reportRuleBreaks(), 1u);
        EXPECT_EQ(::testing::internal::GetCapturedStderr(),
                  "Simulated MSP430F149: flash rule broken: mass or main erase short of the "
                  "cumulative mass erase time (tCMErase), last at 01100, 1 time\n");
        ASSERT_TRUE(chip->save(path, nullptr));
    }
    auto next = poweredChip("MSP430F149");
    ASSERT_TRUE(next->load(path, nullptr));
    EXPECT_EQ(next->flash().ruleBreaks().eraseTime, 1u);
    EXPECT_FALSE(next->flash().shortErasedSegments().empty());
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(next->reportRuleBreaks(), 1u);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    unlockFlash(*next, 3);
    writeWord(*next, 0x2000, 0x1234);  // into cells the short erase left
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(next->reportRuleBreaks(), 2u);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find(
                  "write into cells short of the cumulative mass erase time, last at 02000"),
              std::string::npos);
    std::remove(path.c_str());
}

}  // namespace kv::sim::test
