// Addressing modes of the MSP430 instructions, including PC and SP as
// operands, the constant generators, and 16-bit address wrap.
#include <gtest/gtest.h>

#include "machine.h"

namespace kv::sim {
namespace {

using asm430::Assembler;
using namespace asm430;  // NOLINT

class Addressing : public ::testing::TestWithParam<bool> {
protected:
    test::Machine m{GetParam()};
};

TEST_P(Addressing, SourceModes) {
    Assembler a(0x4000);
    a.mov(idx(4, R4), reg(R5));        // indexed
    a.mov(sym(0x0302), reg(R6));       // symbolic
    a.mov(absolute(0x0304), reg(R7));  // absolute
    a.mov(ind(R4), reg(R8));           // indirect
    a.mov(postinc(R4), reg(R9));       // autoincrement, word
    a.mov_b(postinc(R4), reg(R10));    // autoincrement, byte
    a.mov(imm(0x1234), reg(R11));      // immediate
    m.load(a);
    m.bus.load(0x0300, {0x1111, 0x2222, 0x3333, 0x44F4});
    m.cpu.setReg(4, 0x0300);
    for (int i = 0; i < 7; ++i)
        m.cpu.step();
    EXPECT_EQ(m.cpu.reg(5), 0x3333u);
    EXPECT_EQ(m.cpu.reg(6), 0x2222u);
    EXPECT_EQ(m.cpu.reg(7), 0x3333u);
    EXPECT_EQ(m.cpu.reg(8), 0x1111u);
    EXPECT_EQ(m.cpu.reg(9), 0x1111u);
    EXPECT_EQ(m.cpu.reg(10), 0x22u);
    EXPECT_EQ(m.cpu.reg(4), 0x0303u);
    EXPECT_EQ(m.cpu.reg(11), 0x1234u);
    EXPECT_EQ(m.cpu.pc(), a.here());
}

TEST_P(Addressing, DestinationModes) {
    Assembler a(0x4000);
    a.mov(imm(0xAAAA), idx(2, R4));
    a.mov(imm(0xBBBB), sym(0x0304));
    a.mov(imm(0xCCCC), absolute(0x0306));
    a.mov_b(imm(0x5D), idx(9, R4));
    m.load(a);
    m.cpu.setReg(4, 0x0300);
    for (int i = 0; i < 4; ++i)
        m.cpu.step();
    EXPECT_EQ(m.bus.word(0x0302), 0xAAAA);
    EXPECT_EQ(m.bus.word(0x0304), 0xBBBB);
    EXPECT_EQ(m.bus.word(0x0306), 0xCCCC);
    EXPECT_EQ(m.bus.word(0x0308), 0x5D00);
}

TEST_P(Addressing, ConstantGenerators) {
    const int32_t values[] = {0, 1, 2, 4, 8, -1};
    for (int32_t v : values) {
        Assembler a(0x4000);
        a.mov(imm(v), reg(R5));
        a.mov_b(imm(v), reg(R6));
        a.add(imm(v), absolute(0x0300));
        m.load(a);
        m.bus.setWord(0x0300, 0x1000);
        EXPECT_EQ(a.words().size(), 4u) << "constant generator not used for " << v;
        m.cpu.step();
        m.cpu.step();
        m.cpu.step();
        EXPECT_EQ(m.cpu.reg(5), static_cast<uint32_t>(v) & 0xFFFF) << v;
        EXPECT_EQ(m.cpu.reg(6), static_cast<uint32_t>(v) & 0xFF) << v;
        EXPECT_EQ(m.bus.word(0x0300), static_cast<uint16_t>(0x1000 + v)) << v;
    }
}

TEST_P(Addressing, PcAsOperand) {
    Assembler a(0x4000);
    a.word(0x4025);           // MOV @PC,R5: the next word, which then runs
    a.mov(reg(PC), reg(R6));  // 4002: PC reads as the address after the word
    a.add(imm(4), reg(PC));   // 4004: skips the next two words
    a.mov(imm(0xDEAD), reg(R7));
    a.mov(idx(-2, PC), reg(R8));  // 400A: index word at 400C, so its own first word
    m.load(a);
    m.cpu.step();
    EXPECT_EQ(m.cpu.reg(5), 0x4006u);
    EXPECT_EQ(m.cpu.pc(), 0x4002u);
    m.cpu.step();
    EXPECT_EQ(m.cpu.reg(6), 0x4004u);
    m.cpu.step();
    EXPECT_EQ(m.cpu.pc(), 0x400Au);
    m.cpu.step();
    EXPECT_EQ(m.cpu.reg(7), 0u);
    EXPECT_EQ(m.cpu.reg(8), 0x4018u);
    // MOV.B #imm also steps the PC by a whole word.
    Assembler b(0x4000);
    b.mov_b(imm(0x12), reg(R5));
    m.load(b);
    m.cpu.step();
    EXPECT_EQ(m.cpu.pc(), 0x4004u);
    EXPECT_EQ(m.cpu.reg(5), 0x12u);
}

TEST_P(Addressing, StackPointerOperands) {
    Assembler a(0x4000);
    a.push(reg(SP));  // pushes the value before the decrement
    a.mov(idx(0, SP), reg(R5));
    a.push_b(imm(0x77));            // a byte push still moves SP by 2
    a.mov_b(postinc(SP), reg(R6));  // and so does a byte pop
    a.pop(reg(R7));
    m.load(a);
    for (int i = 0; i < 5; ++i)
        m.cpu.step();
    EXPECT_EQ(m.cpu.reg(5), 0x0A00u);
    EXPECT_EQ(m.cpu.reg(6), 0x77u);
    EXPECT_EQ(m.cpu.reg(7), 0x0A00u);
    EXPECT_EQ(m.cpu.reg(1), 0x0A00u);
}

TEST_P(Addressing, CallAndReturn) {
    Assembler a(0x4000);
    const Label fn = a.newLabel();
    a.call(imm(fn));      // 4000
    a.call(postinc(R4));  // 4004: target read before the push
    a.jmp(0x4008);        // 4006
    a.bind(fn);
    a.mov(imm(0x1111), reg(R5));  // 4008
    a.ret();
    m.load(a);
    m.cpu.setReg(4, 0x0300);
    m.bus.setWord(0x0300, 0x4008);
    m.cpu.step();
    EXPECT_EQ(m.cpu.pc(), 0x4008u);
    EXPECT_EQ(m.bus.word(0x09FE), 0x4004);
    m.cpu.step();
    m.cpu.step();
    EXPECT_EQ(m.cpu.pc(), 0x4004u);
    m.cpu.step();
    EXPECT_EQ(m.cpu.reg(4), 0x0302u);
    EXPECT_EQ(m.cpu.pc(), 0x4008u);
    EXPECT_EQ(m.bus.word(0x09FE), 0x4006);
}

TEST_P(Addressing, SourceIncrementBeforeDestination) {
    Assembler a(0x4000);
    a.mov(postinc(R4), idx(0, R4));
    m.load(a);
    m.cpu.setReg(4, 0x0300);
    m.bus.setWord(0x0300, 0xBEEF);
    m.cpu.step();
    EXPECT_EQ(m.bus.word(0x0302), 0xBEEF);
}

TEST_P(Addressing, ConstantRegisterIgnoresWrites) {
    Assembler a(0x4000);
    a.mov(imm(0x1234), reg(CG));
    a.mov(reg(CG), reg(R5));
    m.load(a);
    m.cpu.setReg(5, 0xFFFF);
    m.cpu.step();
    m.cpu.step();
    EXPECT_EQ(m.cpu.reg(3), 0u);
    EXPECT_EQ(m.cpu.reg(5), 0u);
}

TEST_P(Addressing, SixteenBitWrap) {
    Assembler a(0x4000);
    a.mov(idx(4, R4), reg(R5));   // 0xFFFE + 4 wraps to 0x0002
    a.mov(postinc(R6), reg(R7));  // R6 = 0xFFFE wraps to 0
    m.load(a);
    m.cpu.setReg(4, 0xFFFE);
    m.cpu.setReg(6, 0xFFFE);
    m.bus.setWord(0x0002, 0x1357);
    m.bus.setWord(0xFFFE, 0x2468);
    m.cpu.step();
    m.cpu.step();
    EXPECT_EQ(m.cpu.reg(5), 0x1357u);
    EXPECT_EQ(m.cpu.reg(7), 0x2468u);
    EXPECT_EQ(m.cpu.reg(6), GetParam() ? 0x10000u : 0u);
}

TEST_P(Addressing, WritesToSrAndLowPower) {
    Assembler a(0x4000);
    a.bis(imm(kSrCpuOff | kSrGie), reg(SR));
    a.nop();
    m.load(a);
    EXPECT_EQ(m.cpu.step(), 2);
    EXPECT_EQ(m.cpu.sr(), kSrCpuOff | kSrGie);
    EXPECT_EQ(m.cpu.step(), 0);
    EXPECT_EQ(m.cpu.run(100), 0u);
    EXPECT_EQ(m.cpu.pc(), 0x4004u);
    EXPECT_EQ(m.cpu.instructions(), 1u);
}

INSTANTIATE_TEST_SUITE_P(BothCpus, Addressing, ::testing::Bool());

}  // namespace
}  // namespace kv::sim
