// The MSP430X extension: 20-bit registers and addresses, address
// instructions, extension words with repeats, CALLA/RETA, PUSHM/POPM.
#include <gtest/gtest.h>

#include "machine.h"

namespace kv::sim {
namespace {

using asm430::Assembler;
using namespace asm430;  // NOLINT

class Extended : public ::testing::TestWithParam<bool> {
protected:
    test::Machine m{true, GetParam()};
    void steps(int n) {
        for (int i = 0; i < n; ++i)
            m.cpu.step();
    }
};

TEST_P(Extended, MovaForms) {
    Assembler a(0x10000);
    a.mova(imm(0x12345), reg(R5));
    a.mova(ind(R6), reg(R7));
    a.mova(postinc(R6), reg(R8));
    a.mova(absolute(0x20004), reg(R9));
    a.mova(idx(-4, R6), reg(R10));
    a.mova(reg(R5), absolute(0x30000));
    a.mova(reg(R5), idx(2, R11));
    a.mova(reg(R5), reg(R12));
    m.load(a);
    m.bus.load(0x20000, {0x5678, 0xFFF1, 0x9ABC, 0x0002});
    m.cpu.setReg(6, 0x20000);
    m.cpu.setReg(11, 0x2FFFE);
    steps(8);
    EXPECT_EQ(m.cpu.reg(5), 0x12345u) << m.listing;
    EXPECT_EQ(m.cpu.reg(7), 0x15678u);  // only bits 0-3 of the high word count
    EXPECT_EQ(m.cpu.reg(8), 0x15678u);
    EXPECT_EQ(m.cpu.reg(6), 0x20004u);
    EXPECT_EQ(m.cpu.reg(9), 0x29ABCu);
    EXPECT_EQ(m.cpu.reg(10), 0x15678u);
    EXPECT_EQ(m.bus.word(0x30000), 0x2345);
    EXPECT_EQ(m.bus.word(0x30002), 0x0001);
    EXPECT_EQ(m.cpu.reg(12), 0x12345u);
    EXPECT_EQ(m.cpu.pc(), a.here());
}

TEST_P(Extended, AddressArithmeticFlags) {
    struct Case {
        const char* name;
        void (*emit)(Assembler&);
        uint32_t r5, r6, result;
        uint16_t flags;
    } cases[] = {
        {"ADDA carry", [](Assembler& a) { a.adda(imm(1), reg(R5)); }, 0xFFFFF, 0, 0, kSrZ | kSrC},
        {"ADDA overflow", [](Assembler& a) { a.adda(imm(1), reg(R5)); }, 0x7FFFF, 0, 0x80000,
         kSrN | kSrV},
        {"SUBA borrow", [](Assembler& a) { a.suba(imm(1), reg(R5)); }, 0, 0, 0xFFFFF, kSrN},
        {"SUBA register", [](Assembler& a) { a.suba(reg(R6), reg(R5)); }, 0x30000, 0x10000, 0x20000,
         kSrC},
        {"CMPA equal", [](Assembler& a) { a.cmpa(reg(R6), reg(R5)); }, 0x12345, 0x12345, 0x12345,
         kSrZ | kSrC},
        {"ADDA register", [](Assembler& a) { a.adda(reg(R6), reg(R5)); }, 0x0FFFF, 0x00001, 0x10000,
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Assembler a(0x10000);
        c.emit(a);
        m.load(a);
        m.cpu.setReg(5, c.r5);
        m.cpu.setReg(6, c.r6);
        m.cpu.setSr(0);
        m.cpu.step();
        EXPECT_EQ(m.cpu.reg(5), c.result) << m.listing;
        EXPECT_EQ(m.cpu.sr() & (kSrC | kSrZ | kSrN | kSrV), c.flags) << m.listing;
    }
}

TEST_P(Extended, CallaAndRetaAbove64K) {
    Assembler a(0x10000);
    const Label fn = a.newLabel();
    a.calla(imm(fn));  // 10000
    a.calla(reg(R4));  // 10004
    a.jmp(0x10006);    // 10006
    a.space(0x7C);
    a.bind(fn);  // 10100
    a.mov(imm(0x1111), reg(R5));
    a.reta();
    m.load(a);
    m.cpu.setReg(4, 0x10100);
    m.cpu.step();
    EXPECT_EQ(m.cpu.pc(), 0x10100u) << m.listing;
    EXPECT_EQ(m.cpu.reg(1), 0x09FCu);
    EXPECT_EQ(m.bus.word(0x09FC), 0x0004);
    EXPECT_EQ(m.bus.word(0x09FE), 0x0001);
    steps(2);
    EXPECT_EQ(m.cpu.pc(), 0x10004u);
    EXPECT_EQ(m.cpu.reg(1), 0x0A00u);
    m.cpu.step();
    EXPECT_EQ(m.cpu.pc(), 0x10100u);
    steps(2);
    EXPECT_EQ(m.cpu.pc(), 0x10006u);
}

TEST_P(Extended, PushmPopm) {
    Assembler a(0x10000);
    a.pushm_a(3, R10);
    a.pushm_w(2, R15);
    a.mova(imm(0), reg(R8));
    a.mova(imm(0), reg(R9));
    a.mova(imm(0), reg(R10));
    a.mova(imm(0), reg(R14));
    a.mova(imm(0), reg(R15));
    a.popm_w(2, R15);
    a.popm_a(3, R10);
    m.load(a);
    m.cpu.setReg(8, 0x88888);
    m.cpu.setReg(9, 0x99999);
    m.cpu.setReg(10, 0xAAAAA);
    m.cpu.setReg(14, 0xEEEEE);
    m.cpu.setReg(15, 0xFFFFF);
    m.cpu.step();
    // R10 first, at the highest address; R8 last, at the lowest.
    EXPECT_EQ(m.cpu.reg(1), 0x0A00u - 12);
    EXPECT_EQ(m.bus.word(0x09FC), 0xAAAA);
    EXPECT_EQ(m.bus.word(0x09FE), 0x000A);
    EXPECT_EQ(m.bus.word(0x09F4), 0x8888);
    EXPECT_EQ(m.bus.word(0x09F6), 0x0008);
    m.cpu.step();
    EXPECT_EQ(m.cpu.reg(1), 0x0A00u - 16);
    EXPECT_EQ(m.bus.word(0x09F2), 0xFFFF);
    EXPECT_EQ(m.bus.word(0x09F0), 0xEEEE);
    steps(7);
    EXPECT_EQ(m.cpu.reg(1), 0x0A00u) << m.listing;
    EXPECT_EQ(m.cpu.reg(8), 0x88888u);
    EXPECT_EQ(m.cpu.reg(9), 0x99999u);
    EXPECT_EQ(m.cpu.reg(10), 0xAAAAAu);
    EXPECT_EQ(m.cpu.reg(14), 0x0EEEEu);
    EXPECT_EQ(m.cpu.reg(15), 0x0FFFFu);
}

TEST_P(Extended, MultipleRotates) {
    struct Case {
        const char* name;
        void (*emit)(Assembler&);
        uint32_t in;
        uint16_t carryIn;
        uint32_t out;
        uint16_t flags;
    } cases[] = {
        {"RRCM.A #2", [](Assembler& a) { a.rrcm_a(2, R5); }, 0x00003, kSrC, 0xC0000, kSrC | kSrN},
        {"RRCM.W #1", [](Assembler& a) { a.rrcm_w(1, R5); }, 0xF0002, kSrC, 0x08001, kSrN},
        {"RRAM.W #4", [](Assembler& a) { a.rram_w(4, R5); }, 0xF8000, 0, 0x0F800, kSrN},
        {"RRAM.A #3", [](Assembler& a) { a.rram_a(3, R5); }, 0x80004, 0, 0xF0000, kSrC | kSrN},
        {"RLAM.A #4", [](Assembler& a) { a.rlam_a(4, R5); }, 0x12345, 0, 0x23450, kSrC},
        {"RLAM.W #1", [](Assembler& a) { a.rlam_w(1, R5); }, 0x18000, 0, 0x00000, kSrC | kSrZ},
        {"RRUM.W #1", [](Assembler& a) { a.rrum_w(1, R5); }, 0x08001, kSrC, 0x04000, kSrC},
        {"RRUM.A #4", [](Assembler& a) { a.rrum_a(4, R5); }, 0xF0000, 0, 0x0F000, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Assembler a(0x10000);
        c.emit(a);
        m.load(a);
        m.cpu.setReg(5, c.in);
        m.cpu.setSr(c.carryIn | kSrV);
        m.cpu.step();
        EXPECT_EQ(m.cpu.reg(5), c.out) << m.listing;
        EXPECT_EQ(m.cpu.sr() & (kSrC | kSrZ | kSrN | kSrV), c.flags) << m.listing;
    }
}

TEST_P(Extended, ExtendedMemoryOperands) {
    Assembler a(0x10000);
    a.movx_a(imm(0x12345), absolute(0x20000));
    a.addx_a(absolute(0x20000), reg(R5));
    a.movx_a(postinc(R6), reg(R7));
    a.movx(idx(0x10000, R8), reg(R9));  // 20-bit index
    a.movx_b(imm(0xA5), idx(-1, R10));
    a.pushx_a(reg(R5));
    a.popx_a(reg(R11));
    a.rrcx_a(absolute(0x20000));
    m.load(a);
    m.cpu.setReg(5, 0x0FFFF);
    m.cpu.setReg(6, 0x30000);
    m.bus.load(0x30000, {0xCDEF, 0x000A});
    m.cpu.setReg(8, 0x20010);
    m.bus.setWord(0x30010, 0x4321);
    m.cpu.setReg(10, 0x40000);
    m.bus.setWord(0x3FFFE, 0x0000);
    steps(5);
    EXPECT_EQ(m.bus.word(0x20000), 0x2345) << m.listing;
    EXPECT_EQ(m.bus.word(0x20002), 0x0001);
    EXPECT_EQ(m.cpu.reg(5), 0x22344u);
    EXPECT_EQ(m.cpu.reg(7), 0xACDEFu);
    EXPECT_EQ(m.cpu.reg(6), 0x30004u);
    EXPECT_EQ(m.cpu.reg(9), 0x4321u);
    EXPECT_EQ(m.bus.word(0x3FFFE), 0xA500);
    m.cpu.step();
    EXPECT_EQ(m.cpu.reg(1), 0x09FCu);
    m.cpu.step();
    EXPECT_EQ(m.cpu.reg(11), 0x22344u);
    EXPECT_EQ(m.cpu.reg(1), 0x0A00u);
    m.cpu.setSr(0);
    m.cpu.step();
    EXPECT_EQ(m.bus.word(0x20000), 0x91A2);  // 0x12345 >> 1
    EXPECT_EQ(m.bus.word(0x20002), 0x0000);
    EXPECT_EQ(m.cpu.sr() & kSrC, kSrC);
}

TEST_P(Extended, RepeatAndZeroCarry) {
    Assembler a(0x10000);
    a.rpt(4).rrax(reg(R5));              // 0x8000 >> 4, arithmetic
    a.rpt(R7).addx_a(reg(R6), reg(R6));  // R7 = 3: four doublings
    a.rrux(reg(R8));                     // carry taken as zero
    a.rpt(3).rrux_a(reg(R9));
    a.rptz(1).addcx(reg(R10), reg(R11));
    a.rpt(2).addcx(reg(R10), reg(R11));
    a.rpt(3).pushx(reg(R10));
    m.load(a);
    m.cpu.setReg(5, 0x8000);
    m.cpu.setReg(6, 0x01234);
    m.cpu.setReg(7, 0xFFF3);  // only bits 0-3 count
    m.cpu.setReg(8, 0x8000);
    m.cpu.setReg(9, 0x80000);
    m.cpu.setReg(10, 0x0001);
    m.cpu.setReg(11, 0x0001);
    m.cpu.setSr(kSrC);
    m.cpu.step();
    EXPECT_EQ(m.cpu.reg(5), 0xF800u) << m.listing;
    m.cpu.step();
    EXPECT_EQ(m.cpu.reg(6), 0x12340u);
    m.cpu.setSr(kSrC);
    m.cpu.step();
    EXPECT_EQ(m.cpu.reg(8), 0x4000u);
    m.cpu.setSr(kSrC);
    m.cpu.step();
    EXPECT_EQ(m.cpu.reg(9), 0x10000u);
    m.cpu.setSr(kSrC);
    m.cpu.step();
    EXPECT_EQ(m.cpu.reg(11), 0x0002u);
    m.cpu.setSr(kSrC);
    m.cpu.step();
    EXPECT_EQ(m.cpu.reg(11), 0x0005u);  // 2 + 1 + C, then 4 + 1 + 0
    m.cpu.step();
    EXPECT_EQ(m.cpu.reg(1), 0x0A00u - 6);
    EXPECT_EQ(m.bus.word(0x09FA), 0x0001);
    EXPECT_EQ(m.bus.word(0x09FE), 0x0001);
}

TEST_P(Extended, RegisterWidthRules) {
    Assembler a(0x10000);
    a.mov(imm(0x1234), reg(R5));  // a word write clears bits 16-19
    a.add_b(imm(1), reg(R6));     // a byte write clears bits 8-19
    a.sxt(reg(R7));               // extends through bit 19
    a.sxtx(reg(R8));              // through bit 15
    a.sxtx_a(reg(R9));
    a.swpb(reg(R10));
    a.swpbx_a(reg(R11));
    a.movx_a(reg(R5), reg(R12));
    m.load(a);
    m.cpu.setReg(5, 0xFFFFF);
    m.cpu.setReg(6, 0xFFF7F);
    m.cpu.setReg(7, 0x00080);
    m.cpu.setReg(8, 0x00080);
    m.cpu.setReg(9, 0x00080);
    m.cpu.setReg(10, 0x51234);
    m.cpu.setReg(11, 0x51234);
    m.cpu.setReg(12, 0xFFFFF);
    steps(8);
    EXPECT_EQ(m.cpu.reg(5), 0x01234u) << m.listing;
    EXPECT_EQ(m.cpu.reg(6), 0x00080u);
    EXPECT_EQ(m.cpu.reg(7), 0xFFF80u);
    EXPECT_EQ(m.cpu.reg(8), 0x0FF80u);
    EXPECT_EQ(m.cpu.reg(9), 0xFFF80u);
    EXPECT_EQ(m.cpu.reg(10), 0x03412u);
    EXPECT_EQ(m.cpu.reg(11), 0x53412u);
    EXPECT_EQ(m.cpu.reg(12), 0x01234u);
}

TEST_P(Extended, AddressWrapRules) {
    Assembler a(0x10000);
    a.mov(idx(4, R4), reg(R5));     // base above 64K: 20-bit sum
    a.mov(idx(-4, R6), reg(R7));    // negative index below a base above 64K
    a.mov(idx(4, R8), reg(R9));     // base in the lower 64K: wraps there
    a.mov(sym(0x10100), reg(R10));  // PC-relative above 64K
    a.jmp(0x10000);
    m.load(a);
    m.cpu.setReg(4, 0x1FFFE);
    m.bus.setWord(0x20002, 0x1111);
    m.cpu.setReg(6, 0x10002);
    m.bus.setWord(0x0FFFE, 0x2222);
    m.cpu.setReg(8, 0xFFFE);
    m.bus.setWord(0x0002, 0x3333);
    m.bus.setWord(0x10100, 0x4444);
    steps(5);
    EXPECT_EQ(m.cpu.reg(5), 0x1111u) << m.listing;
    EXPECT_EQ(m.cpu.reg(7), 0x2222u);
    EXPECT_EQ(m.cpu.reg(9), 0x3333u);
    EXPECT_EQ(m.cpu.reg(10), 0x4444u);
    EXPECT_EQ(m.cpu.pc(), 0x10000u);
    // A 20-bit value read at the top of memory takes its high word from 0.
    Assembler b(0x10000);
    b.mova(absolute(0xFFFFE), reg(R5));
    m.load(b);
    m.bus.setWord(0xFFFFE, 0x5678);
    m.bus.setWord(0x00000, 0x0003);
    m.cpu.step();
    EXPECT_EQ(m.cpu.reg(5), 0x35678u);
}

TEST_P(Extended, InterruptSavesPcHighBitsInStatusWord) {
    m.bus.setWord(0xFFF0, 0x8000);
    m.bus.setWord(0x8000, 0x1300);  // RETI
    m.cpu.setPc(0x12344);
    m.cpu.setReg(1, 0x0A00);
    m.cpu.setSr(kSrGie | kSrC | kSrScg0 | kSrCpuOff);
    EXPECT_EQ(m.cpu.step(), 0);
    m.cpu.interrupt(0xFFF0);
    EXPECT_EQ(m.cpu.pc(), 0x8000u);
    EXPECT_EQ(m.cpu.sr(), kSrScg0);
    EXPECT_EQ(m.bus.word(0x09FE), 0x2344);
    EXPECT_EQ(m.bus.word(0x09FC), 0x1000 | kSrGie | kSrC | kSrScg0 | kSrCpuOff);
    EXPECT_EQ(m.cpu.step(), 3);
    EXPECT_EQ(m.cpu.pc(), 0x12344u);
    EXPECT_EQ(m.cpu.sr(), kSrGie | kSrC | kSrScg0 | kSrCpuOff);
    EXPECT_EQ(m.cpu.reg(1), 0x0A00u);
}

INSTANTIATE_TEST_SUITE_P(BothPaths, Extended, ::testing::Bool());

}  // namespace
}  // namespace kv::sim
