// The write routines on the simulated parts.
#include <gtest/gtest.h>

#include <vector>

#include "kelvane/sim/flash_controller.h"
#include "nandrel/routines/relocation.h"
#include "routine_runner.h"

namespace nandrel::routines::test {
namespace {

using kv::sim::StopReason;

std::vector<std::uint16_t> Pattern(std::size_t words, std::uint16_t seed) {
    std::vector<std::uint16_t> data(words);
    for (std::size_t i = 0; i < words; ++i)
        data[i] = static_cast<std::uint16_t>(seed + i * 0x0101u);
    return data;
}

std::vector<std::uint16_t> Write(const Part& part, std::uint16_t ramStart, std::uint32_t address,
                                 const std::vector<std::uint16_t>& data) {
    WriteRequest request;
    request.clockSelect = part.clockSelect;
    request.address = address;
    request.data = data;
    request.newerFlash = part.newerFlash;
    return MakeWriteRoutine(part.write, request, ramStart);
}

struct WriteCase {
    Part part;
    std::uint32_t address;
    std::size_t words;
};

class BlockWrite : public ::testing::TestWithParam<WriteCase> {};

TEST_P(BlockWrite, WritesEveryWordAndLocks) {
    const WriteCase& c = GetParam();
    auto chip = FlashReadyChip(c.part);
    ASSERT_TRUE(chip);
    const std::uint8_t lockA = chip->flash().fctl3() & kv::sim::kFctl3LockA;
    const std::vector<std::uint16_t> data = Pattern(c.words, 0x1234);
    const auto words = Write(c.part, chip->profile().ramStart, c.address, data);
    ASSERT_FALSE(words.empty());
    ASSERT_TRUE(RoutineFitsInRam(words.size(), chip->profile().ramStart, chip->profile().ramEnd));
    const kv::sim::RunResult run = RunToExit(*chip, words);
    ASSERT_EQ(run.reason, StopReason::Address) << Listing(words);
    EXPECT_EQ(chip->reg(8), 0u) << std::hex << chip->reg(8);
    for (std::size_t i = 0; i < data.size(); ++i)
        ASSERT_EQ(chip->peek16(c.address + 2 * static_cast<std::uint32_t>(i)), data[i]) << i;
    EXPECT_EQ(chip->peek16(c.address - 2), 0xFFFF);
    EXPECT_EQ(chip->peek16(c.address + 2 * static_cast<std::uint32_t>(data.size())), 0xFFFF);
    EXPECT_EQ(chip->flash().fctl3() & (kv::sim::kFctl3Lock | kv::sim::kFctl3LockA),
              kv::sim::kFctl3Lock | lockA);
    EXPECT_EQ(chip->flash().fctl1(), 0);
    EXPECT_EQ(chip->flash().fctl2(), c.part.newerFlash ? 0x4D : 0x44);  // from word 16
    EXPECT_EQ(chip->flash().corruptedOperations(), 0u);
    EXPECT_EQ(chip->pucCount(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Parts, BlockWrite,
    ::testing::Values(WriteCase{kF149, 0x1100, 200}, WriteCase{kF149, 0x1000, 64},
                      WriteCase{kF2274, 0xF000, 100},
                      // the whole RAM of a 256-byte part: routine and 74 data words
                      WriteCase{kF11x1, 0xF800, 74}, WriteCase{kF11x1, 0xEF00, 64},
                      WriteCase{kFG4619, 0xFFC0, 64},  // across 0x10000
                      WriteCase{kFG4619, 0x1FF00, 128}, WriteCase{kFcas003, 0xC100, 300}));

TEST(Write, WriteOverUnerasedFlashFails) {
    auto chip = FlashReadyChip(kF149);
    Program(*chip, 0xE004, 0x00FF);
    const std::vector<std::uint16_t> data = {0x1111, 0x2222, 0x3333, 0x4444};
    const auto words = Write(kF149, 0x0200, 0xE000, data);
    ASSERT_EQ(RunToExit(*chip, words).reason, StopReason::Address);
    EXPECT_EQ(chip->reg(8), 0xE004u);
    EXPECT_EQ(chip->peek16(0xE000), 0x1111);
    EXPECT_EQ(chip->peek16(0xE002), 0x2222);
    EXPECT_EQ(chip->peek16(0xE004), 0x3333 & 0x00FF);  // programming only clears bits
    EXPECT_EQ(chip->peek16(0xE006), 0xFFFF);           // the write stopped there
    EXPECT_NE(chip->flash().fctl3() & kv::sim::kFctl3Lock, 0);
    EXPECT_EQ(chip->flash().fctl1(), 0);
}

TEST(Write, ErasedValueOverProgrammedCellFails) {
    auto chip = FlashReadyChip(kF2274);
    Program(*chip, 0xF002, 0x1234);
    const std::vector<std::uint16_t> data = {0xFFFF, 0xFFFF};
    const auto words = Write(kF2274, 0x0200, 0xF000, data);
    ASSERT_EQ(RunToExit(*chip, words).reason, StopReason::Address);
    EXPECT_EQ(chip->reg(8), 0xF002u);
}

TEST(Write, WideWriteOverUnerasedFlashReportsTheWideAddress) {
    auto chip = FlashReadyChip(kFG4619);
    Program(*chip, 0x10002, 0x0000);
    const std::vector<std::uint16_t> data = {0xAAAA, 0x5555, 0x1234};
    const auto words = Write(kFG4619, 0x0200, 0xFFFE, data);
    ASSERT_EQ(RunToExit(*chip, words).reason, StopReason::Address) << Listing(words);
    EXPECT_EQ(chip->reg(8), 0x10002u);
    EXPECT_EQ(chip->peek16(0xFFFE), 0xAAAA);
    EXPECT_EQ(chip->peek16(0x10000), 0x5555);
}

TEST(Write, LockedSegmentAIsNotWritten) {
    auto chip = FlashReadyChip(kF2274);
    const std::vector<std::uint16_t> data = {0x0102, 0x0304};
    const auto words = Write(kF2274, 0x0200, 0x10C0, data);
    ASSERT_EQ(RunToExit(*chip, words).reason, StopReason::Address);
    EXPECT_EQ(chip->reg(8), 0x10C0u);
    EXPECT_TRUE(AllErased(*chip, 0x10C0, 0x40));
    EXPECT_NE(chip->flash().fctl3() & kv::sim::kFctl3LockA, 0);
}

// At 0x0500 the data address is 0x056C; ORing the RAM start into the template's
// 0x026C would point at 0x076C and write whatever lies there.
TEST(Write, RelocatedDataAddressIsRight) {
    auto chip = FlashReadyChip(kFcas003);
    const std::vector<std::uint8_t> junk(0x40, 0x00);
    chip->debugWrite(0x076C, junk.data(), junk.size());
    const std::vector<std::uint16_t> data = Pattern(8, 0x4321);
    const auto words = Write(kFcas003, 0x0500, 0xD000, data);
    ASSERT_EQ(words[WriteWords::kDataAddress], 0x056C);
    ASSERT_EQ(RunToExit(*chip, words).reason, StopReason::Address);
    EXPECT_EQ(chip->reg(8), 0u);
    for (std::size_t i = 0; i < data.size(); ++i)
        EXPECT_EQ(chip->peek16(0xD000 + 2 * static_cast<std::uint32_t>(i)), data[i]);
}

}  // namespace
}  // namespace nandrel::routines::test
