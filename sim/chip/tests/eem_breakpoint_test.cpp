// Breakpoints of the emulation module: where the CPU stops for fetch, read,
// write, register and combined triggers.
#include <gtest/gtest.h>

#include "eem_fixture.h"

namespace kv::sim::test {
namespace {

using namespace kv::asm430;

TEST(EemBreakpoints, CodeBreakpointStopsBeforeTheInstruction) {
    auto chip = poweredChip("MSP430F149");
    Assembler a(0xC000);
    a.mov(imm(1), reg(R4));
    Label target = a.label();
    a.mov(imm(2), reg(R5));
    a.mov(imm(3), reg(R6));
    Label end = a.label();
    a.jmp(end);
    loadProgram(*chip, a);
    chip->setReg(5, 0);
    breakOn(chip->eem(), 0, a.address(target), triggerControl(EemAccess::Fetch));

    RunResult r = runFor(*chip);
    EXPECT_EQ(r.reason, StopReason::EemBreak);
    EXPECT_EQ(r.instructions, 1u);
    EXPECT_EQ(chip->reg(0), a.address(target));
    EXPECT_EQ(chip->reg(4), 1u);
    EXPECT_EQ(chip->reg(5), 0u);  // not executed yet
    EXPECT_TRUE(chip->eem().breakHit());

    // Run again at the breakpoint, the CPU fetches its address again: it stops at once.
    r = runFor(*chip, 3);
    EXPECT_EQ(r.reason, StopReason::EemBreak);
    EXPECT_EQ(r.instructions, 0u);
    EXPECT_EQ(chip->reg(0), a.address(target));
    EXPECT_EQ(chip->reg(5), 0u);
    EXPECT_TRUE(chip->eem().breakHit());

    // Handed its instruction over the data bus (no fetch), it leaves the breakpoint.
    const uint16_t word = chip->peek16(a.address(target));
    chip->cpu().execute(&word, 1);
    r = runFor(*chip, 2);
    EXPECT_EQ(r.reason, StopReason::Instructions);
    EXPECT_EQ(chip->reg(5), 2u);
    EXPECT_EQ(chip->reg(6), 3u);
    EXPECT_FALSE(chip->eem().breakHit());
}

TEST(EemBreakpoints, FetchHoldAlsoStopsBeforeTheInstruction) {
    auto chip = poweredChip("MSP430F2274");
    Assembler a(0x8000);
    Label loop = a.label();
    a.inc(reg(R4));
    Label second = a.label();
    a.inc(reg(R5));
    a.jmp(loop);
    loadProgram(*chip, a);
    chip->setReg(4, 0);
    chip->setReg(5, 0);
    breakOn(chip->eem(), 1, a.address(second), triggerControl(EemAccess::FetchHold));
    EXPECT_EQ(runFor(*chip).reason, StopReason::EemBreak);
    EXPECT_EQ(chip->reg(0), a.address(second));
    EXPECT_EQ(chip->reg(4), 1u);
    EXPECT_EQ(chip->reg(5), 0u);
}

TEST(EemBreakpoints, WriteBreakpointStopsAfterTheWritingInstruction) {
    auto chip = poweredChip("MSP430F149");
    Assembler a(0xC000);
    a.mov(imm(0x1111), absolute(0x0212));  // another address: no stop
    a.mov(imm(0x5555), reg(R7));
    a.mov(reg(R7), absolute(0x0210));
    Label after = a.label();
    a.mov(imm(9), reg(R8));
    Label end = a.label();
    a.jmp(end);
    loadProgram(*chip, a);
    chip->setReg(8, 0);
    breakOn(chip->eem(), 2, 0x0210, triggerControl(EemAccess::Write));

    RunResult r = runFor(*chip);
    EXPECT_EQ(r.reason, StopReason::EemBreak);
    EXPECT_EQ(r.instructions, 3u);
    EXPECT_EQ(chip->reg(0), a.address(after));
    EXPECT_EQ(chip->peek16(0x0210), 0x5555);
    EXPECT_EQ(chip->reg(8), 0u);
}

TEST(EemBreakpoints, ReadBreakpointIgnoresWritesAndFetches) {
    auto chip = poweredChip("MSP430F149");
    Assembler a(0xC000);
    a.mov(imm(0x0240), absolute(0x0240));  // writes 0x0240; its operand word holds 0x0240
    a.add(imm(1), reg(R9));
    a.mov(absolute(0x0240), reg(R10));  // reads 0x0240
    Label after = a.label();
    a.nop();
    Label end = a.label();
    a.jmp(end);
    loadProgram(*chip, a);
    chip->setReg(9, 0);
    breakOn(chip->eem(), 0, 0x0240, triggerControl(EemAccess::NoFetchRead));

    RunResult r = runFor(*chip);
    EXPECT_EQ(r.reason, StopReason::EemBreak);
    EXPECT_EQ(chip->reg(0), a.address(after));
    EXPECT_EQ(chip->reg(10), 0x0240u);
}

TEST(EemBreakpoints, DataBusTriggerOnWrittenValue) {
    auto chip = poweredChip("MSP430F2274");
    Assembler a(0x8000);
    a.clr(reg(R4));
    Label loop = a.label();
    a.inc(reg(R4));
    a.mov(reg(R4), absolute(0x0300));
    Label after = a.label();
    a.jmp(loop);
    loadProgram(*chip, a);
    breakOn(chip->eem(), 0, 0x0005,
            triggerControl(EemAccess::Write, EemOperator::Equal, EemSource::DataBus));
    EXPECT_EQ(runFor(*chip).reason, StopReason::EemBreak);
    EXPECT_EQ(chip->reg(4), 5u);
    EXPECT_EQ(chip->reg(0), a.address(after));
}

TEST(EemBreakpoints, BreakOnlyOnTheCombinationOfTwoTriggers) {
    auto chip = poweredChip("MSP430F149");
    Assembler a(0xC000);
    a.mov(imm(3), absolute(0x0202));  // value matches, address does not
    a.mov(imm(1), absolute(0x0200));  // address matches, value does not
    a.mov(imm(3), absolute(0x0200));  // both
    Label after = a.label();
    a.nop();
    Label end = a.label();
    a.jmp(end);
    loadProgram(*chip, a);
    Eem& eem = chip->eem();
    setTrigger(eem, 0, 0x0200, triggerControl(EemAccess::Write));
    setTrigger(eem, 1, 0x0003,
               triggerControl(EemAccess::Write, EemOperator::Equal, EemSource::DataBus));
    setCombination(eem, 0, 0x3);  // blocks 0 and 1; no combination of their own
    writeEem(eem, kEemBreakReaction, 0x1);

    RunResult r = runFor(*chip);
    EXPECT_EQ(r.reason, StopReason::EemBreak);
    EXPECT_EQ(r.instructions, 3u);
    EXPECT_EQ(chip->reg(0), a.address(after));
    EXPECT_EQ(eem.triggerFlags(), 0x1u);
}

TEST(EemBreakpoints, TriggerWithoutBreakReactionDoesNotStop) {
    auto chip = poweredChip("MSP430F149");
    Assembler a(0xC000);
    Label loop = a.label();
    a.inc(reg(R4));
    a.jmp(loop);
    loadProgram(*chip, a);
    Eem& eem = chip->eem();
    setTrigger(eem, 0, a.address(loop), triggerControl(EemAccess::Fetch));
    setCombination(eem, 0, 0x1);
    RunResult r = runFor(*chip, 50);
    EXPECT_EQ(r.reason, StopReason::Instructions);
    EXPECT_EQ(eem.triggerFlags(), 0x1u);  // fired all the same
    EXPECT_FALSE(eem.breakHit());
}

TEST(EemBreakpoints, RangeAndMaskOnLevelThreePart) {
    auto chip = poweredChip("MSP430FG4619");
    Assembler a(0x2100);
    a.mov(imm(1), absolute(0x02FE));  // below the range
    a.mov(imm(2), absolute(0x0310));  // above it
    a.mov(imm(3), absolute(0x0306));  // inside
    Label inside = a.label();
    a.mov(imm(4), absolute(0x0250));  // mask: 0x024x only
    a.mov(imm(5), absolute(0x024A));
    Label masked = a.label();
    a.nop();
    Label end = a.label();
    a.jmp(end);
    loadProgram(*chip, a);
    Eem& eem = chip->eem();
    setTrigger(eem, 0, 0x0300, triggerControl(EemAccess::Write, EemOperator::GreaterEqual));
    setTrigger(eem, 1, 0x030F, triggerControl(EemAccess::Write, EemOperator::LessEqual));
    setCombination(eem, 0, 0x3);
    setTrigger(eem, 2, 0x0240, triggerControl(EemAccess::Write), 0x000F);
    setCombination(eem, 2, 0x4);
    writeEem(eem, kEemBreakReaction, 0x5);

    EXPECT_EQ(runFor(*chip).reason, StopReason::EemBreak);
    EXPECT_EQ(chip->reg(0), a.address(inside));
    EXPECT_EQ(eem.triggerFlags(), 0x1u);
    EXPECT_EQ(runFor(*chip).reason, StopReason::EemBreak);
    EXPECT_EQ(chip->reg(0), a.address(masked));
    EXPECT_EQ(chip->peek16(0x0250), 4);
}

TEST(EemBreakpoints, OutsideRangeWithAnyOfTwoBlocks) {
    auto chip = poweredChip("MSP430FG4619");
    Assembler a(0x2100);
    a.mov(imm(1), absolute(0x0304));  // inside: no stop
    a.mov(imm(2), absolute(0x0320));  // outside
    Label after = a.label();
    a.nop();
    Label end = a.label();
    a.jmp(end);
    loadProgram(*chip, a);
    Eem& eem = chip->eem();
    setTrigger(eem, 3, 0x02FF, triggerControl(EemAccess::Write, EemOperator::LessEqual));
    setTrigger(eem, 4, 0x0310, triggerControl(EemAccess::Write, EemOperator::GreaterEqual));
    setCombination(eem, 3, kEemCombineAny | 0x18);
    writeEem(eem, kEemBreakReaction, 0x8);
    EXPECT_EQ(runFor(*chip).reason, StopReason::EemBreak);
    EXPECT_EQ(chip->reg(0), a.address(after));
}

TEST(EemBreakpoints, RegisterTriggerStopsAfterTheChangingInstruction) {
    auto chip = poweredChip("MSP430FG4619");
    Assembler a(0x2100);
    a.clr(reg(R5));
    Label loop = a.label();
    a.add(imm(1), reg(R5));
    Label after = a.label();
    a.mov(reg(R5), reg(R6));
    a.jmp(loop);
    loadProgram(*chip, a);
    Eem& eem = chip->eem();
    ASSERT_EQ(eem.registerTriggerBlocks(), 2);
    const int block = eem.busTriggerBlocks();  // the first register trigger block
    breakOn(eem, block, 7,
            triggerControl(EemAccess::DontCare, EemOperator::Equal, EemSource::Register, 5));
    EXPECT_EQ(runFor(*chip).reason, StopReason::EemBreak);
    EXPECT_EQ(chip->reg(5), 7u);
    EXPECT_EQ(chip->reg(6), 6u);
    EXPECT_EQ(chip->reg(0), a.address(after));
}

TEST(EemBreakpoints, RegisterConditionCombinedWithAWrite) {
    auto chip = poweredChip("MSP430FG4619");
    Assembler a(0x2100);
    a.clr(reg(R5));
    Label loop = a.label();
    a.inc(reg(R5));
    a.mov(reg(R5), absolute(0x1200));
    Label after = a.label();
    a.jmp(loop);
    loadProgram(*chip, a);
    Eem& eem = chip->eem();
    setTrigger(eem, 0, 0x1200, triggerControl(EemAccess::Write));
    setTrigger(
        eem, 9, 3,
        triggerControl(EemAccess::DontCare, EemOperator::GreaterEqual, EemSource::Register, 5));
    setCombination(eem, 0, (1u << 9) | 1u);
    writeEem(eem, kEemBreakReaction, 0x1);
    EXPECT_EQ(runFor(*chip).reason, StopReason::EemBreak);
    EXPECT_EQ(chip->reg(0), a.address(after));
    EXPECT_EQ(chip->peek16(0x1200), 3);
}

TEST(EemBreakpoints, WriteDuringInterruptEntryStopsBeforeTheHandler) {
    auto chip = poweredChip("MSP430F149");
    Assembler handler(0xD000);
    handler.reti();
    loadProgram(*chip, handler);
    Assembler a(0xC000);
    a.mov(imm(0x0400), reg(SP));
    a.mov(imm(0x0200), absolute(0x0160));  // Timer_A: SMCLK, up mode
    a.mov(imm(0x0010), absolute(0x0162));  // CCR0 interrupt on
    a.mov(imm(50), absolute(0x0172));
    a.mov(imm(0x0210), absolute(0x0160));
    a.eint();
    Label loop = a.label();
    a.jmp(loop);
    loadProgram(*chip, a);
    chip->poke16(0xFFEC, 0xD000);
    breakOn(chip->eem(), 0, 0x03FE, triggerControl(EemAccess::Write));  // the pushed PC
    EXPECT_EQ(runFor(*chip, 100000).reason, StopReason::EemBreak);
    EXPECT_EQ(chip->reg(0), 0xD000u);
    EXPECT_EQ(chip->reg(1), 0x03FCu);
}

}  // namespace
}  // namespace kv::sim::test
