// The erase routines on the simulated parts.
#include <gtest/gtest.h>

#include "kelvane/sim/flash_controller.h"
#include "routine_runner.h"

namespace nandrel::routines::test {
namespace {

using kv::sim::StopReason;

constexpr std::uint8_t kLockBits = kv::sim::kFctl3Lock | kv::sim::kFctl3LockA;

// Data in a segment and in both its neighbours.
void Fill(kv::sim::Chip& chip, std::uint32_t start, std::uint32_t size) {
    for (std::uint32_t a = start; a < start + size; a += 2)
        Program(chip, a, static_cast<std::uint16_t>(a ^ 0x5AA5));
}

void ExpectFilled(kv::sim::Chip& chip, std::uint32_t start, std::uint32_t size) {
    for (std::uint32_t a = start; a < start + size; a += 2)
        ASSERT_EQ(chip.peek16(a), static_cast<std::uint16_t>(a ^ 0x5AA5)) << std::hex << a;
}

struct SegmentCase {
    Part part;
    std::uint32_t segment;
    std::uint32_t size;
};

class SegmentErase : public ::testing::TestWithParam<SegmentCase> {};

TEST_P(SegmentErase, ErasesOneSegmentAndLocks) {
    const SegmentCase& c = GetParam();
    auto chip = FlashReadyChip(c.part);
    ASSERT_TRUE(chip);
    Fill(*chip, c.segment - c.size, 3 * c.size);
    const std::uint8_t lockA = chip->flash().fctl3() & kv::sim::kFctl3LockA;
    const auto words =
        Erase(c.part, chip->profile().ramStart, kEraseSegment, c.segment, c.size / 2);
    ASSERT_FALSE(words.empty());
    const kv::sim::RunResult run = RunToExit(*chip, words);
    ASSERT_EQ(run.reason, StopReason::Address) << Listing(words);
    EXPECT_EQ(chip->reg(10), 0u) << std::hex << chip->reg(10);
    EXPECT_TRUE(AllErased(*chip, c.segment, c.size));
    ExpectFilled(*chip, c.segment - c.size, c.size);
    ExpectFilled(*chip, c.segment + c.size, c.size);
    EXPECT_EQ(chip->flash().fctl3() & kLockBits, kv::sim::kFctl3Lock | lockA);
    EXPECT_EQ(chip->flash().fctl1(), 0);
    EXPECT_EQ(chip->flash().corruptedOperations(), 0u);
    EXPECT_EQ(chip->pucCount(), 1u);  // the power-on reset only: no key violation
}

INSTANTIATE_TEST_SUITE_P(
    Parts, SegmentErase,
    ::testing::Values(SegmentCase{kF149, 0x1080, 0x80}, SegmentCase{kF149, 0xC000, 0x200},
                      SegmentCase{kF2274, 0x1040, 0x40}, SegmentCase{kF2274, 0xC000, 0x200},
                      SegmentCase{kF11x1, 0xF200, 0x200}, SegmentCase{kFG4619, 0x1080, 0x80},
                      SegmentCase{kFG4619, 0x10000, 0x200}, SegmentCase{kFG4619, 0x1F000, 0x200},
                      SegmentCase{kFcas003, 0xE000, 0x200}));

// Runs a mass or main erase until its check passes, as the library does: the
// older flash needs 200 ms of mass erase in all, one run about 15 ms of it.
int RunsUntilErased(kv::sim::Chip& chip, const std::vector<std::uint16_t>& words) {
    for (int run = 1; run <= 19; ++run) {
        EXPECT_EQ(RunToExit(chip, words).reason, StopReason::Address);
        if (chip.reg(10) == 0) return run;
    }
    return 0;
}

TEST(Erase, MainEraseLeavesInformationMemory) {
    auto chip = FlashReadyChip(kF149);
    Fill(*chip, 0x1000, 0x100);
    Fill(*chip, 0x1100, 0x200);
    Fill(*chip, 0xFE00, 0x200);
    const auto words = Erase(kF149, 0x0200, kEraseMain, 0x1100, (0xFFFF - 0x1100 + 1) / 2);
    const int runs = RunsUntilErased(*chip, words);
    EXPECT_GT(runs, 1);
    EXPECT_LE(runs, 19);
    EXPECT_TRUE(AllErased(*chip, 0x1100, 0xEF00));
    ExpectFilled(*chip, 0x1000, 0x100);
    EXPECT_NE(chip->flash().fctl3() & kv::sim::kFctl3Lock, 0);
}

TEST(Erase, MassEraseTakesInformationMemoryToo) {
    auto chip = FlashReadyChip(kF149);
    Fill(*chip, 0x1000, 0x100);
    Fill(*chip, 0xFE00, 0x200);
    const auto words = Erase(kF149, 0x0200, kEraseMass, 0x1000, (0xFFFF - 0x1000 + 1) / 2);
    EXPECT_GT(RunsUntilErased(*chip, words), 1);
    EXPECT_TRUE(AllErased(*chip, 0x1000, 0xF000));
}

// With LOCKA set a mass erase of a 2xx part leaves the whole information
// memory alone; with it clear the information memory goes too.
TEST(Erase, MassEraseFollowsLockA) {
    for (bool locked : {true, false}) {
        auto chip = FlashReadyChip(kF2274);
        if (!locked) chip->write16(0x012C, 0xA540);  // LOCKA toggles to unlocked
        Fill(*chip, 0x1000, 0x100);
        Fill(*chip, 0x8000, 0x200);
        const auto words = Erase(kF2274, 0x0200, kEraseMass, 0x8000, 0x8000 / 2);
        ASSERT_EQ(RunToExit(*chip, words).reason, StopReason::Address);
        EXPECT_EQ(chip->reg(10), 0u);
        EXPECT_TRUE(AllErased(*chip, 0x8000, 0x8000));
        if (locked) {
            ExpectFilled(*chip, 0x1000, 0x100);
        } else {
            EXPECT_TRUE(AllErased(*chip, 0x1000, 0x100));
        }
        EXPECT_EQ(chip->flash().fctl3() & kLockBits,
                  locked ? kLockBits : std::uint8_t{kv::sim::kFctl3Lock});
    }
}

TEST(Erase, UnlockedSegmentAIsErasedAndStaysUnlocked) {
    auto chip = FlashReadyChip(kF2274);
    chip->write16(0x012C, 0xA540);  // LOCKA toggles to unlocked
    ASSERT_EQ(chip->flash().fctl3() & kv::sim::kFctl3LockA, 0);
    Fill(*chip, 0x1080, 0x80);
    const auto words = Erase(kF2274, 0x0200, kEraseSegment, 0x10C0, 0x20);
    ASSERT_EQ(RunToExit(*chip, words).reason, StopReason::Address);
    EXPECT_EQ(chip->reg(10), 0u);
    EXPECT_TRUE(AllErased(*chip, 0x10C0, 0x40));
    ExpectFilled(*chip, 0x1080, 0x40);
    EXPECT_EQ(chip->flash().fctl3() & kLockBits, kv::sim::kFctl3Lock);
}

TEST(Erase, LockedSegmentAReportsItsFirstCell) {
    auto chip = FlashReadyChip(kF2274);
    Program(*chip, 0x10C6, 0x1234);
    const auto words = Erase(kF2274, 0x0200, kEraseSegment, 0x10C0, 0x20);
    ASSERT_EQ(RunToExit(*chip, words).reason, StopReason::Address);
    EXPECT_EQ(chip->reg(10), 0x10C6u);
    EXPECT_EQ(chip->peek16(0x10C6), 0x1234);
    EXPECT_EQ(chip->flash().fctl3() & kLockBits, kLockBits);
}

struct StuckCase {
    Part part;
    std::uint32_t segment;
    std::uint32_t size;
    std::uint32_t cell;
};

class StuckBit : public ::testing::TestWithParam<StuckCase> {};

TEST_P(StuckBit, EraseCheckReportsTheCell) {
    const StuckCase& c = GetParam();
    auto chip = FlashReadyChip(c.part);
    chip->addStuckBit({c.cell, 3, false});
    const auto words =
        Erase(c.part, chip->profile().ramStart, kEraseSegment, c.segment, c.size / 2);
    ASSERT_EQ(RunToExit(*chip, words).reason, StopReason::Address);
    EXPECT_EQ(chip->reg(10), c.cell & ~1u) << std::hex << chip->reg(10);
    EXPECT_NE(chip->flash().fctl3() & kv::sim::kFctl3Lock, 0);
}

INSTANTIATE_TEST_SUITE_P(Parts, StuckBit,
                         ::testing::Values(StuckCase{kF149, 0xE000, 0x200, 0xE0F3},
                                           StuckCase{kF2274, 0x1000, 0x40, 0x1010},
                                           StuckCase{kFG4619, 0x1FE00, 0x200, 0x1FF41},
                                           StuckCase{kFcas003, 0xD000, 0x200, 0xD17F}));

TEST(Erase, WideMainEraseReachesAbove64K) {
    auto chip = FlashReadyChip(kFG4619);
    Fill(*chip, 0x1000, 0x100);
    Fill(*chip, 0x2100, 0x200);
    Fill(*chip, 0x1FE00, 0x200);
    const std::uint32_t count = (0x1FFFF - 0x2100 + 1) / 2;
    const auto words = Erase(kFG4619, 0x0200, kEraseWideMain, 0x2100, count);
    ASSERT_EQ(RunToExit(*chip, words).reason, StopReason::Address) << Listing(words);
    EXPECT_EQ(chip->reg(10), 0u);
    EXPECT_TRUE(AllErased(*chip, 0x2100, 0x1FFFF - 0x2100 + 1));
    ExpectFilled(*chip, 0x1000, 0x100);
}

TEST(Erase, WideMassEraseTakesEverything) {
    auto chip = FlashReadyChip(kFG4619);
    Fill(*chip, 0x1000, 0x100);
    Fill(*chip, 0x1FE00, 0x200);
    const auto words = Erase(kFG4619, 0x0200, kEraseWideMass, 0x1000, 0x100 / 2);
    ASSERT_EQ(RunToExit(*chip, words).reason, StopReason::Address);
    EXPECT_EQ(chip->reg(10), 0u);
    EXPECT_TRUE(AllErased(*chip, 0x1000, 0x100));
    EXPECT_TRUE(AllErased(*chip, 0x2100, 0x1FFFF - 0x2100 + 1));
}

TEST(Erase, NewerFlashMassErase) {
    auto chip = FlashReadyChip(kFcas003);
    Fill(*chip, 0xC000, 0x200);
    Fill(*chip, 0xFE00, 0x200);
    const auto words = Erase(kFcas003, 0x0500, kEraseMain, 0xC000, 0x4000 / 2);
    ASSERT_EQ(RunToExit(*chip, words).reason, StopReason::Address);
    EXPECT_EQ(chip->reg(10), 0u);
    EXPECT_TRUE(AllErased(*chip, 0xC000, 0x4000));
    EXPECT_EQ(chip->flash().corruptedOperations(), 0u);
}

// The lock word's timing bits are flash timing, not FCTL3 bits: with them set
// the routine still unlocks, erases and locks.
TEST(Erase, TimingBitsInTheLockWordDoNotKeepTheFlashLocked) {
    for (std::uint16_t timing : {0x10, 0x20}) {
        auto chip = FlashReadyChip(kFcas003);
        Fill(*chip, 0xE000, 0x200);
        EraseRequest request;
        request.clockSelect = kClockSelectLoopClock;
        request.command = static_cast<std::uint16_t>(kFlashKey | kEraseSegment | timing);
        request.lock = static_cast<std::uint16_t>(kFlashKey | timing);
        request.address = 0xE000;
        request.wordCount = 0x100;
        const auto words = MakeEraseRoutine(RoutineId::EraseNewerFlash, request, 0x0500);
        ASSERT_EQ(RunToExit(*chip, words).reason, StopReason::Address);
        EXPECT_EQ(chip->reg(10), 0u) << timing;
        EXPECT_TRUE(AllErased(*chip, 0xE000, 0x200));
        EXPECT_EQ(chip->flash().fctl3() & 0x70, kLockBits) << timing;
    }
}

// The code finds its parameters relative to the program counter: loaded
// anywhere in RAM it runs the same.
TEST(Erase, RunsWhereverItIsLoaded) {
    for (std::uint16_t at : {0x0200, 0x0400, 0x0500, 0x0892}) {
        auto chip = FlashReadyChip(kF149);
        Fill(*chip, 0xE000, 0x400);
        const auto words = Erase(kF149, at, kEraseSegment, 0xE200, 0x100);
        ASSERT_EQ(RunToExit(*chip, words).reason, StopReason::Address) << at;
        EXPECT_EQ(chip->reg(10), 0u);
        EXPECT_TRUE(AllErased(*chip, 0xE200, 0x200));
        ExpectFilled(*chip, 0xE000, 0x200);
    }
}

}  // namespace
}  // namespace nandrel::routines::test
