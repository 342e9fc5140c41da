#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>

#include "chip_fixture.h"
#include "kelvane/asm/msp430_asm.h"

namespace kv::sim::test {
namespace {

using namespace kv::asm430;

// MCLK cycles that take `ticks` cycles of a clock at `hz`.
uint64_t mclkCycles(const Chip& chip, double ticks, double hz) {
    return static_cast<uint64_t>(std::ceil(ticks * chip.clocks().mclkHz() / hz));
}

TEST(TimerA, ContinuousModeFromSmclk) {
    auto chip = poweredChip("MSP430F149");
    chip->write16(0x0160, 0x0224);  // SMCLK, continuous, clear
    chip->idle(1000);               // SMCLK is MCLK
    EXPECT_EQ(chip->read16(0x0170), 1000);
    EXPECT_EQ(chip->read16(0x0160) & kTaIfg, 0);
    chip->idle(0x10000 - 1000);
    EXPECT_EQ(chip->read16(0x0170), 0);
    EXPECT_TRUE(chip->read16(0x0160) & kTaIfg);
    chip->write16(0x0160, 0x02E4);  // divided by 8
    chip->idle(800);
    EXPECT_EQ(chip->read16(0x0170), 100);
    chip->write16(0x0160, 0x0204);  // stopped
    chip->idle(800);
    EXPECT_EQ(chip->read16(0x0170), 0);
}

TEST(TimerA, UpModeFromAclkSetsTheCompareFlags) {
    auto chip = poweredChip("MSP430F149");
    chip->write16(0x0172, 99);  // period 100 ACLK cycles
    chip->write16(0x0174, 40);
    chip->write16(0x0160, 0x0114);  // ACLK, up, clear
    chip->idle(mclkCycles(*chip, 39.5, 32768));
    EXPECT_EQ(chip->read16(0x0164) & kCcIfg, 0);
    chip->idle(mclkCycles(*chip, 1, 32768));
    EXPECT_TRUE(chip->read16(0x0164) & kCcIfg);
    EXPECT_EQ(chip->read16(0x0162) & kCcIfg, 0);
    chip->idle(mclkCycles(*chip, 60, 32768));
    EXPECT_TRUE(chip->read16(0x0162) & kCcIfg);
    EXPECT_TRUE(chip->read16(0x0160) & kTaIfg);
    EXPECT_LT(chip->read16(0x0170), 2);
    // Capture channels do not compare.
    chip->write16(0x0166, kCcCap);
    chip->write16(0x0176, 10);
    chip->idle(mclkCycles(*chip, 200, 32768));
    EXPECT_EQ(chip->read16(0x0166) & kCcIfg, 0);
}

TEST(TimerA, UpDownModeCountsBack) {
    auto chip = poweredChip("MSP430F149");
    chip->write16(0x0172, 1000);
    chip->write16(0x0160, 0x0234);  // SMCLK, up/down, clear
    chip->idle(1500);
    EXPECT_EQ(chip->read16(0x0170), 500);
    EXPECT_TRUE(chip->read16(0x0162) & kCcIfg);
    EXPECT_EQ(chip->read16(0x0160) & kTaIfg, 0);
    chip->idle(500);
    EXPECT_EQ(chip->read16(0x0170), 0);
    EXPECT_TRUE(chip->read16(0x0160) & kTaIfg);
    chip->idle(10);
    EXPECT_EQ(chip->read16(0x0170), 10);
}

TEST(TimerA, TaivReportsAndClearsTheHighestFlag) {
    auto chip = poweredChip("MSP430F149");
    chip->write16(0x0164, kCcIe | kCcIfg);
    chip->write16(0x0166, kCcIe | kCcIfg);
    chip->write16(0x0160, kTaIe | kTaIfg);
    EXPECT_EQ(chip->read16(0x012E), 2);
    EXPECT_EQ(chip->read16(0x012E), 4);
    EXPECT_EQ(chip->read16(0x012E), 10);
    EXPECT_EQ(chip->read16(0x012E), 0);
    // Byte access to a word register keeps the other byte.
    chip->write16(0x0172, 0x1234);
    chip->write8(0x0172, 0x78);
    EXPECT_EQ(chip->read16(0x0172), 0x1278);
    EXPECT_EQ(chip->read8(0x0173), 0x12);
}

TEST(TimerA, Ccr0InterruptWakesTheCpuEveryPeriod) {
    auto chip = poweredChip("MSP430F2274");
    Assembler isr(0xE000);
    isr.inc(reg(R6));
    isr.reti();
    Assembler group(0xE100);
    group.add(absolute(0x012E), reg(R7));  // reading TAIV clears the flag
    group.reti();
    Assembler a(0xC000);
    a.mov(imm(0x0600), reg(SP));
    a.clr(reg(R6));
    a.clr(reg(R7));
    a.mov(imm(327), absolute(0x0172));  // 10 ms periods from ACLK
    a.mov(imm(kCcIe), absolute(0x0162));
    a.mov(imm(0x0116), absolute(0x0160));  // ACLK, up, clear, TAIE
    Label sleep = a.label();
    a.bis(imm(kSrGie | kSrCpuOff), reg(SR));
    a.jmp(sleep);
    for (const Assembler* p : {&isr, &group, &a}) {
        std::vector<uint16_t> words = p->words();
        for (size_t i = 0; i < words.size(); ++i)
            chip->poke16(p->origin() + 2 * static_cast<uint32_t>(i), words[i]);
    }
    chip->poke16(0xFFF2, 0xE000);
    chip->poke16(0xFFF0, 0xE100);
    chip->setReg(0, 0xC000);
    RunLimits limits;
    limits.maxCycles = static_cast<uint64_t>(chip->clocks().mclkHz() * 0.105);
    chip->run(limits);
    EXPECT_EQ(chip->reg(6), 10u);
    EXPECT_EQ(chip->reg(7), 100u);  // ten TAIFG interrupts, TAIV 10 each
}

TEST(TimerA, TimerAGatedMeasurementOfTheDco) {
    // Count 5-cycle loops while the timer runs 1000 ACLK cycles.
    auto chip = poweredChip("MSP430F149");
    Assembler a(0x0220);
    a.clr(reg(R9));
    a.mov(imm(999), absolute(0x0172));
    a.mov(imm(0x0114), absolute(0x0160));  // ACLK, up, clear
    Label loop = a.label();
    a.inc(reg(R9));
    a.bit(imm(kCcIfg), absolute(0x0162));
    a.jz(loop);
    Label exit = a.label();
    a.jmp(exit);
    std::vector<uint16_t> words = a.words();
    for (size_t i = 0; i < words.size(); ++i)
        chip->poke16(0x0220 + 2 * static_cast<uint32_t>(i), words[i]);
    chip->setReg(0, 0x0220);
    RunLimits limits;
    limits.stopAddress = a.address(exit);
    ASSERT_EQ(chip->run(limits).reason, StopReason::Address);
    double measured = chip->reg(9) * 7.0 * 32768.0 / 1000.0;
    EXPECT_NEAR(measured, chip->clocks().mclkHz(), 0.01 * chip->clocks().mclkHz());
}

TEST(TimerA, SavedWithTheChip) {
    auto chip = poweredChip("MSP430F149");
    chip->write16(0x0172, 500);
    chip->write16(0x0160, 0x0214);
    chip->write16(0x0120, 0x5A08);  // watchdog running from a cleared counter
    chip->idle(123);
    std::string path = ::testing::TempDir() + std::to_string(getpid()) + "-timer.kvchip";
    std::string error;
    ASSERT_TRUE(chip->save(path, &error)) << error;
    Chip loaded(*findProfile("MSP430F149"));
    ASSERT_TRUE(loaded.load(path, &error)) << error;
    EXPECT_EQ(loaded.read16(0x0170), 123);
    EXPECT_EQ(loaded.read16(0x0172), 500);
    EXPECT_EQ(loaded.read16(0x0160), 0x0210);
    EXPECT_NEAR(loaded.watchdog().counter(), 123.0, 0.01);
    std::remove(path.c_str());
}

}  // namespace
}  // namespace kv::sim::test
