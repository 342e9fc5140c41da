// Small programs end to end, written with the encoder: loops, subroutines,
// decimal arithmetic, interrupts out of low-power mode, the JTAG instruction
// feed and the bus fast path.
#include <gtest/gtest.h>

#include <vector>

#include "machine.h"

namespace kv::sim {
namespace {

using asm430::Assembler;
using namespace asm430;  // NOLINT

class Programs : public ::testing::TestWithParam<bool> {
protected:
    test::Machine m{GetParam()};
};

TEST_P(Programs, ByteCopyLoop) {
    Assembler a(0xF000);
    a.mov(imm(0x0300), reg(R4));
    a.mov(imm(0x0400), reg(R5));
    a.mov(imm(16), reg(R6));
    const Label loop = a.label();
    a.mov_b(postinc(R4), idx(0, R5));
    a.inc(reg(R5));
    a.dec(reg(R6));
    a.jnz(loop);
    const uint32_t end = a.here();
    a.jmp(end);
    m.load(a);
    for (uint32_t i = 0; i < 16; ++i)
        m.bus.setByte(0x0300 + i, static_cast<uint8_t>(0xA0 + i));
    const int cycles = m.runTo(end);
    for (uint32_t i = 0; i < 16; ++i)
        EXPECT_EQ(m.bus.byte(0x0400 + i), 0xA0 + i) << m.listing;
    // 2 + 2 + 2 to set up, then 16 rounds of MOV.B (5, MSP430X 4), INC, DEC, JNZ.
    EXPECT_EQ(cycles, 6 + 16 * (GetParam() ? 8 : 9));
    EXPECT_EQ(m.cpu.instructions(), 3u + 16 * 4);
}

TEST_P(Programs, ShiftAndAddMultiply) {
    Assembler a(0xF000);
    const Label mul = a.newLabel();
    a.mov(imm(123), reg(R12));
    a.mov(imm(56), reg(R13));
    a.call(imm(mul));
    const uint32_t end = a.here();
    a.jmp(end);
    // R14 = R12 * R13 (16 bits)
    a.bind(mul);
    a.push(reg(R10));
    a.clr(reg(R14));
    const Label loop = a.label();
    const Label skip = a.newLabel();
    a.bit(imm(1), reg(R13));
    a.jz(skip);
    a.add(reg(R12), reg(R14));
    a.bind(skip);
    a.rla(reg(R12));
    a.clrc();
    a.rrc(reg(R13));
    a.jnz(loop);
    a.pop(reg(R10));
    a.ret();
    m.load(a);
    m.runTo(end);
    EXPECT_EQ(m.cpu.reg(14), 123u * 56u) << m.listing;
    EXPECT_EQ(m.cpu.reg(1), 0x0A00u);
}

TEST_P(Programs, DecimalCounter) {
    Assembler a(0xF000);
    a.clr(reg(R5));
    a.mov(imm(1234), reg(R6));
    const Label loop = a.label();
    a.clrc();
    a.dadd(imm(1), reg(R5));
    a.dec(reg(R6));
    a.jnz(loop);
    const uint32_t end = a.here();
    a.jmp(end);
    m.load(a);
    m.runTo(end);
    EXPECT_EQ(m.cpu.reg(5), 0x1234u) << m.listing;
}

TEST_P(Programs, InterruptWakesLowPowerMode) {
    Assembler a(0xF000);
    a.mov(imm(0x0A00), reg(SP));
    a.clr(reg(R5));
    a.bis(imm(kSrCpuOff | kSrGie), reg(SR));  // sleep until the handler says so
    a.inc(reg(R5));
    const uint32_t end = a.here();
    a.jmp(end);
    const Label isr = a.label();
    a.add(imm(0x10), reg(R5));
    a.bic(imm(kSrCpuOff), idx(0, SP));  // wake main on return
    a.reti();
    m.load(a);
    m.bus.setWord(0xFFFE, 0xF000);
    m.bus.setWord(0xFFF4, static_cast<uint16_t>(a.address(isr)));
    m.cpu.reset();
    EXPECT_EQ(m.cpu.pc(), 0xF000u);
    EXPECT_EQ(m.cpu.run(1000), 2u + 1u + 2u) << m.listing;
    EXPECT_EQ(m.cpu.step(), 0);
    EXPECT_EQ(m.cpu.reg(5), 0u);
    m.cpu.interrupt(0xFFF4);
    EXPECT_EQ(m.cpu.sr() & kSrGie, 0);
    m.runTo(end);
    EXPECT_EQ(m.cpu.reg(5), 0x11u);
    EXPECT_EQ(m.cpu.sr() & (kSrGie | kSrCpuOff), kSrGie);
}

TEST_P(Programs, JtagInstructionFeed) {
    m.cpu.setPc(0x4000);
    m.cpu.setSr(kSrCpuOff);  // the feed runs even with the CPU off
    const std::vector<uint16_t> words = [] {
        Assembler a;
        a.mov(imm(0x5A80), absolute(0x0120));
        return a.words();
    }();
    size_t used = 0;
    EXPECT_EQ(m.cpu.execute(words.data(), words.size(), &used), GetParam() ? 4 : 5);
    EXPECT_EQ(used, 3u);
    EXPECT_EQ(m.bus.word(0x0120), 0x5A80);
    EXPECT_EQ(m.cpu.pc(), 0x4006u);
    // Setting the PC with MOV #addr,PC.
    const uint16_t setPc[] = {0x4030, 0xE000};
    m.cpu.execute(setPc, 2);
    EXPECT_EQ(m.cpu.pc(), 0xE000u);
    // Words not given come from memory.
    m.bus.setWord(0xE002, 0x0077);
    const uint16_t first[] = {0x4035};  // MOV #...,R5
    EXPECT_EQ(m.cpu.execute(first, 1, &used), 2);
    EXPECT_EQ(used, 1u);
    EXPECT_EQ(m.cpu.reg(5), 0x77u);
    EXPECT_EQ(m.cpu.pc(), 0xE004u);
}

TEST_P(Programs, ChecksumRoutineAbove64K) {
    if (!GetParam()) GTEST_SKIP() << "MSP430X program";
    Assembler a(0x10000);
    const Label sum = a.newLabel();
    a.mova(imm(0x0A00), reg(SP));
    a.mova(imm(0x23000), reg(R12));
    a.mov(imm(8), reg(R13));
    a.calla(imm(sum));
    const uint32_t end = a.here();
    a.jmp(end);
    // R12: words, R13: count; R12 = sum. Keeps R9-R10.
    a.bind(sum);
    a.pushm_a(2, R10);
    a.clr(reg(R10));
    const Label loop = a.label();
    a.addx(postinc(R12), reg(R10));
    a.dec(reg(R13));
    a.jnz(loop);
    a.movx_a(reg(R10), reg(R12));
    a.popm_a(2, R10);
    a.reta();
    m.load(a);
    m.cpu.setReg(10, 0xABCDE);
    m.cpu.setReg(9, 0x12345);
    for (uint32_t i = 0; i < 8; ++i)
        m.bus.setWord(0x23000 + 2 * i, static_cast<uint16_t>(i + 1));
    m.runTo(end);
    EXPECT_EQ(m.cpu.reg(12), 36u) << m.listing;
    EXPECT_EQ(m.cpu.reg(10), 0xABCDEu);
    EXPECT_EQ(m.cpu.reg(9), 0x12345u);
    EXPECT_EQ(m.cpu.reg(1), 0x0A00u);
}

TEST_P(Programs, IllegalWords) {
    std::vector<std::pair<uint32_t, uint16_t>> seen;
    m.cpu.setIllegalHandler([&](uint32_t at, uint16_t w) { seen.emplace_back(at, w); });
    const bool x = GetParam();
    m.bus.load(0x4000, {x ? uint16_t{0x1320} : uint16_t{0x0000}, 0x1800, 0x4303});
    m.cpu.setPc(0x4000);
    EXPECT_EQ(m.cpu.step(), 1);
    EXPECT_EQ(m.cpu.pc(), 0x4002u);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].first, 0x4000u);
    EXPECT_EQ(m.cpu.illegalInstructions(), 1u);
    if (!x) {
        EXPECT_EQ(m.cpu.step(), 1);  // an extension word means nothing here
        EXPECT_EQ(m.cpu.pc(), 0x4004u);
        EXPECT_EQ(m.cpu.illegalInstructions(), 2u);
    }
}

TEST(DirectPages, AskedOnceAndAgainAfterInvalidation) {
    test::Machine m(false, true);
    Assembler a(0xF000);
    const Label loop = a.label();
    a.add(absolute(0x0300), reg(R5));
    a.jmp(loop);
    m.load(a);
    m.bus.setWord(0x0300, 1);
    for (int i = 0; i < 10; ++i)
        m.cpu.step();
    EXPECT_EQ(m.cpu.reg(5), 5u);
    EXPECT_EQ(m.bus.reads, 0u);
    EXPECT_EQ(m.bus.pagesAsked, 2u);  // code page and data page, reading only
    m.bus.setDirect(false);
    m.cpu.invalidateDirectPages(0x0300, 0x0302);
    for (int i = 0; i < 10; ++i)
        m.cpu.step();
    EXPECT_EQ(m.cpu.reg(5), 10u);
    EXPECT_EQ(m.bus.reads, 5u);  // the data page goes through the bus now
    EXPECT_EQ(m.bus.pagesAsked, 3u);
}

INSTANTIATE_TEST_SUITE_P(BothCpus, Programs, ::testing::Bool());

}  // namespace
}  // namespace kv::sim
