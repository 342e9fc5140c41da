// Programs on the simulated CPU that use the chip as the flash routines do.
#include <gtest/gtest.h>

#include "chip_fixture.h"
#include "kelvane/asm/msp430_asm.h"

namespace kv::sim::test {
namespace {

using namespace kv::asm430;

void load(Chip& chip, const Assembler& a) {
    std::vector<uint16_t> words = a.words();
    for (size_t i = 0; i < words.size(); ++i)
        chip.poke16(a.origin() + 2 * static_cast<uint32_t>(i), words[i]);
}

// Waits while FCTL3.BUSY is set.
void pollBusy(Assembler& a) {
    Label wait = a.label();
    a.bit(imm(1), absolute(0x012C));
    a.jnz(wait);
}

TEST(ChipPrograms, RoutineInRamErasesAndProgramsFlash) {
    auto chip = poweredChip("MSP430F149");
    chip->poke16(0xF000, 0x0000);
    for (uint16_t i = 0; i < 8; ++i)
        chip->poke16(0x0400 + 2u * i, static_cast<uint16_t>(0x1111 * i));

    Assembler a(0x0220);
    a.mov(imm(0x5A80), absolute(0x0120));
    a.mov(imm(0xA542), absolute(0x012A));  // MCLK / 3
    a.mov(imm(0xA500), absolute(0x012C));  // unlock
    a.mov(imm(0xA502), absolute(0x0128));  // segment erase
    a.mov(imm(0), absolute(0xF000));
    pollBusy(a);
    a.mov(imm(0xA540), absolute(0x0128));  // write
    a.mov(imm(0x0400), reg(R4));
    a.mov(imm(0xF000), reg(R5));
    a.mov(imm(8), reg(R6));
    Label next = a.label();
    a.mov(postinc(R4), idx(0, R5));
    pollBusy(a);
    a.incd(reg(R5));
    a.dec(reg(R6));
    a.jnz(next);
    a.mov(imm(0xA500), absolute(0x0128));
    a.mov(imm(0xA510), absolute(0x012C));  // lock
    Label exit = a.label();
    a.jmp(exit);
    load(*chip, a);
    chip->setReg(0, 0x0220);

    RunLimits limits;
    limits.stopAddress = a.address(exit);
    limits.maxCycles = 10'000'000;
    RunResult result = chip->run(limits);
    EXPECT_EQ(result.reason, StopReason::Address);
    for (uint16_t i = 0; i < 8; ++i)
        EXPECT_EQ(chip->peek16(0xF000 + 2u * i), 0x1111 * i);
    EXPECT_EQ(chip->peek16(0xF010), 0xFFFF);
    EXPECT_EQ(chip->flash().eraseCount(0xF000), 1u);
    EXPECT_FALSE(chip->flash().accessViolation());
    EXPECT_TRUE(chip->flash().fctl3() & kFctl3Lock);
    // The erase alone takes 4819 timing generator cycles of MCLK / 3.
    EXPECT_GT(result.cycles, 4819u * 3);
}

TEST(ChipPrograms, ReadingBusyFlashFromRamIsAnAccessViolation) {
    auto chip = poweredChip("MSP430F149");
    chip->poke16(0xF000, 0x1234);
    Assembler a(0x0220);
    a.mov(imm(0xA542), absolute(0x012A));
    a.mov(imm(0xA500), absolute(0x012C));
    a.mov(imm(0xA502), absolute(0x0128));
    a.mov(imm(0), absolute(0xF000));
    a.mov(absolute(0xF000), reg(R5));
    Label exit = a.label();
    a.jmp(exit);
    load(*chip, a);
    chip->setReg(0, 0x0220);
    RunLimits limits;
    limits.stopAddress = a.address(exit);
    EXPECT_EQ(chip->run(limits).reason, StopReason::Address);
    EXPECT_EQ(chip->reg(5), 0x3FFFu);
    EXPECT_TRUE(chip->flash().accessViolation());
    EXPECT_TRUE(chip->flash().busy());
}

TEST(ChipPrograms, CodeInFlashIsHeldWhileItProgramsFlash) {
    auto chip = poweredChip("MSP430F149");
    Assembler a(0xC000);
    a.mov(imm(0xA542), absolute(0x012A));
    a.mov(imm(0xA500), absolute(0x012C));
    a.mov(imm(0xA540), absolute(0x0128));
    a.mov(imm(0x4321), absolute(0xE000));
    a.mov(absolute(0xE000), reg(R5));
    Label exit = a.label();
    a.jmp(exit);
    load(*chip, a);
    chip->setReg(0, 0xC000);
    RunLimits limits;
    limits.stopAddress = a.address(exit);
    RunResult result = chip->run(limits);
    EXPECT_EQ(result.reason, StopReason::Address);
    EXPECT_EQ(chip->reg(5), 0x4321u);
    EXPECT_FALSE(chip->flash().accessViolation());
    EXPECT_GE(result.cycles, 35u * 3);
}

TEST(ChipPrograms, ExtendedCpuProgramsFlashAbove64K) {
    auto chip = poweredChip("MSP430FG4619");
    Assembler a(0x1100);
    a.mov(imm(0xA542), absolute(0x012A));
    a.mov(imm(0xA500), absolute(0x012C));
    a.mov(imm(0xA540), absolute(0x0128));
    a.movx(imm(0x2468), absolute(0x1FF00));
    pollBusy(a);
    a.movx(absolute(0x1FF00), reg(R7));
    a.mov(imm(0xA510), absolute(0x012C));
    Label exit = a.label();
    a.jmp(exit);
    load(*chip, a);
    chip->setReg(0, 0x1100);
    RunLimits limits;
    limits.stopAddress = a.address(exit);
    EXPECT_EQ(chip->run(limits).reason, StopReason::Address);
    EXPECT_EQ(chip->peek16(0x1FF00), 0x2468);
    EXPECT_EQ(chip->reg(7), 0x2468u);
}

TEST(ChipPrograms, WatchdogIntervalMeasuresTheClock) {
    // The loop is 7 cycles (INC 1, BIT #1,&IFG1 4, JZ 2); the watchdog counts 512 ACLK cycles.
    auto chip = poweredChip("MSP430F2274");
    Assembler a(0x0220);
    a.clr_b(absolute(0x0002));
    a.mov(imm(0x5A1E), absolute(0x0120));  // interval, ACLK, 512, clear
    a.clr(reg(R10));
    Label loop = a.label();
    a.inc(reg(R10));
    a.bit_b(imm(1), absolute(0x0002));
    a.jz(loop);
    Label exit = a.label();
    a.jmp(exit);
    load(*chip, a);
    chip->setReg(0, 0x0220);
    RunLimits limits;
    limits.stopAddress = a.address(exit);
    ASSERT_EQ(chip->run(limits).reason, StopReason::Address);
    double measured = chip->reg(10) * 7.0 / (512.0 / 32768.0);
    EXPECT_NEAR(measured, chip->clocks().mclkHz(), 0.01 * chip->clocks().mclkHz());
}

TEST(ChipPrograms, WatchdogInterruptWakesLowPowerMode) {
    auto chip = poweredChip("MSP430F149");
    Assembler isr(0xD000);
    isr.inc(reg(R6));
    isr.reti();
    load(*chip, isr);
    chip->poke16(0xFFF4, 0xD000);
    Assembler a(0xC000);
    a.mov(imm(0x0A00), reg(SP));
    a.clr(reg(R6));
    a.mov(imm(0x5A1F), absolute(0x0120));  // interval, ACLK / 64, clear
    a.bis_b(imm(kWdtIe), absolute(0x0000));
    Label sleep = a.label();
    a.bis(imm(kSrGie | kSrCpuOff), reg(SR));
    a.jmp(sleep);
    load(*chip, a);
    chip->setReg(0, 0xC000);
    RunLimits limits;
    limits.maxCycles = static_cast<uint64_t>(chip->clocks().mclkHz() / 10);  // 100 ms
    RunResult result = chip->run(limits);
    EXPECT_EQ(result.reason, StopReason::CycleBudget);
    // 100 ms at 512 interrupts per second.
    EXPECT_NEAR(static_cast<double>(chip->reg(6)), 51.2, 2.0);
    EXPECT_LT(result.instructions, 400u);  // asleep between interrupts

    // With nothing that could wake it, a sleeping CPU ends the run.
    chip->write16(0x0120, 0x5A80);
    EXPECT_EQ(chip->run(RunLimits{}).reason, StopReason::Sleeping);
}

TEST(ChipPrograms, AccessViolationRaisesTheNmi) {
    auto chip = poweredChip("MSP430F149");
    Assembler nmi(0xD000);
    nmi.mov(imm(0x0BAD), reg(R8));
    Label stay = nmi.label();
    nmi.jmp(stay);
    load(*chip, nmi);
    chip->poke16(0xFFFC, 0xD000);
    Assembler a(0xC000);
    a.mov(imm(0x0A00), reg(SP));
    a.bis_b(imm(kAccvIe), absolute(0x0000));
    a.mov(imm(0), absolute(0xE000));  // the flash is locked
    a.mov(imm(0x600D), reg(R8));
    load(*chip, a);
    chip->setReg(0, 0xC000);
    RunLimits limits;
    limits.stopAddress = nmi.address(stay);
    limits.maxCycles = 1000;
    EXPECT_EQ(chip->run(limits).reason, StopReason::Address);
    EXPECT_EQ(chip->reg(8), 0x0BADu);
    EXPECT_EQ(chip->ie1() & kAccvIe, 0);  // taking the NMI clears the enable
}

TEST(ChipPrograms, RunningWatchdogResetsTheProgram) {
    auto chip = poweredChip("MSP430F149");
    Assembler a(0xC000);
    a.inc(reg(R4));
    Label loop = a.label();
    a.jmp(loop);
    load(*chip, a);
    chip->poke16(0xFFFE, 0xC000);
    chip->por();
    uint64_t pucs = chip->pucCount();
    RunLimits limits;
    limits.maxCycles = static_cast<uint64_t>(32768 * 2.5);
    chip->run(limits);
    EXPECT_EQ(chip->pucCount(), pucs + 2);
    EXPECT_EQ(chip->lastResetCause(), ResetCause::WatchdogTimeout);
}

TEST(ChipPrograms, WrongKeyFromTheCpuResetsAfterTheInstruction) {
    auto chip = poweredChip("MSP430F149");
    Assembler a(0xC000);
    a.mov(imm(0x1234), reg(R9));
    a.mov(imm(0x9600), absolute(0x0128));
    a.mov(imm(0x5678), reg(R9));
    load(*chip, a);
    chip->poke16(0xFFFE, 0xE000);
    chip->poke16(0xE000, 0x3FFF);
    chip->setReg(0, 0xC000);
    RunLimits limits;
    limits.maxInstructions = 2;
    chip->run(limits);
    EXPECT_EQ(chip->lastResetCause(), ResetCause::FlashKey);
    EXPECT_EQ(chip->reg(0), 0xE000u);
    EXPECT_EQ(chip->reg(9), 0x1234u);
}

TEST(ChipPrograms, BreakpointsStepsAndConditions) {
    auto chip = poweredChip("MSP430F149");
    Assembler a(0xC000);
    Label loop = a.label();
    a.inc(reg(R4));
    Label second = a.label();
    a.inc(reg(R5));
    a.jmp(loop);
    load(*chip, a);
    chip->setReg(0, 0xC000);
    chip->addBreakpoint(a.address(second));
    RunResult r = chip->run(RunLimits{});
    EXPECT_EQ(r.reason, StopReason::Breakpoint);
    EXPECT_EQ(chip->reg(0), a.address(second));
    EXPECT_EQ(chip->reg(4), 1u);
    r = chip->run(RunLimits{});  // fetches the breakpoint's address again: stops at once
    EXPECT_EQ(r.reason, StopReason::Breakpoint);
    EXPECT_EQ(r.instructions, 0u);
    chip->clearBreakpoints();

    r = chip->step();
    EXPECT_EQ(r.reason, StopReason::Instructions);
    EXPECT_EQ(r.instructions, 1u);
    EXPECT_EQ(chip->reg(5), 1u);
    chip->addBreakpoint(a.address(second));
    r = chip->run(RunLimits{});  // stepped off, it comes back to the breakpoint
    EXPECT_EQ(r.reason, StopReason::Breakpoint);
    EXPECT_EQ(r.instructions, 2u);
    EXPECT_EQ(chip->reg(4), 2u);
    chip->clearBreakpoints();
    r = chip->step();
    EXPECT_EQ(chip->reg(5), 2u);

    RunLimits limits;
    limits.stopWhen = [&] { return chip->reg(4) == 10; };
    EXPECT_EQ(chip->run(limits).reason, StopReason::Condition);
    EXPECT_EQ(chip->reg(4), 10u);
    limits = RunLimits{};
    limits.maxCycles = 1000;
    r = chip->run(limits);
    EXPECT_EQ(r.reason, StopReason::CycleBudget);
    EXPECT_GE(r.cycles, 1000u);
    EXPECT_LT(r.cycles, 1003u);
}

TEST(ChipPrograms, FllFollowsScg0) {
    auto chip = poweredChip("MSP430FG4619");
    Assembler a(0x1100);
    a.bis(imm(kSrScg0), reg(SR));
    a.mov_b(imm(0x00), absolute(0x0051));  // DCO tap 0 with the loop off
    Label loop = a.label();
    a.jmp(loop);
    load(*chip, a);
    chip->setReg(0, 0x1100);
    RunLimits limits;
    limits.maxCycles = 100000;
    chip->run(limits);
    double slow = chip->clocks().mclkHz();
    EXPECT_LT(slow, 0.6e6);
    chip->setReg(2, 0);  // loop on again
    chip->run(limits);
    EXPECT_NEAR(chip->clocks().mclkHz(), 32 * 32768.0, 0.05 * 32 * 32768.0);
}

TEST(ChipPrograms, InstructionsFedByTheDebugger) {
    auto chip = poweredChip("MSP430F149");
    Assembler a(0);
    a.mov(imm(0x1234), absolute(0x0210));
    std::vector<uint16_t> words = a.words();
    size_t used = 0;
    uint64_t before = chip->cycles();
    int cycles = chip->executeFed(words.data(), words.size(), &used);
    EXPECT_EQ(used, 3u);
    EXPECT_EQ(cycles, 5);
    EXPECT_EQ(chip->cycles(), before + 5);
    EXPECT_EQ(chip->read16(0x0210), 0x1234);
    // A fed write with the wrong key resets the chip once the instruction ends.
    Assembler bad(0);
    bad.mov(imm(0x0000), absolute(0x0120));
    words = bad.words();
    uint64_t pucs = chip->pucCount();
    chip->executeFed(words.data(), words.size());
    EXPECT_EQ(chip->pucCount(), pucs + 1);
    EXPECT_EQ(chip->lastResetCause(), ResetCause::WatchdogPassword);
}

}  // namespace
}  // namespace kv::sim::test
