// Cycle counts of every instruction format and addressing mode, MSP430 and
// MSP430X, including extension words, repeats and 20-bit operands.
#include <gtest/gtest.h>

#include <functional>

#include "machine.h"

namespace kv::sim {
namespace {

using asm430::Assembler;
using namespace asm430;  // NOLINT

struct CycleCase {
    const char* name;
    std::function<void(Assembler&)> emit;
    int plain;     // MSP430 cycles; 0: no such instruction
    int extended;  // MSP430X cycles
};

const CycleCase kCases[] = {
    // Format I by source and destination mode.
    {"MOV Rn,Rm", [](Assembler& a) { a.mov(reg(R5), reg(R6)); }, 1, 1},
    {"MOV Rn,PC", [](Assembler& a) { a.mov(reg(R5), reg(PC)); }, 2, 2},
    {"ADD Rn,x(Rm)", [](Assembler& a) { a.add(reg(R5), idx(2, R6)); }, 4, 4},
    {"MOV Rn,x(Rm)", [](Assembler& a) { a.mov(reg(R5), idx(2, R6)); }, 4, 3},
    {"XOR Rn,&EDE", [](Assembler& a) { a.xor_(reg(R5), absolute(0x0200)); }, 4, 4},
    {"MOV x(Rn),Rm", [](Assembler& a) { a.mov(idx(2, R5), reg(R6)); }, 3, 3},
    {"MOV x(Rn),PC", [](Assembler& a) { a.mov(idx(2, R5), reg(PC)); }, 3, 3},
    {"ADD x(Rn),x(Rm)", [](Assembler& a) { a.add(idx(2, R5), idx(4, R6)); }, 6, 6},
    {"MOV x(Rn),x(Rm)", [](Assembler& a) { a.mov(idx(2, R5), idx(4, R6)); }, 6, 5},
    {"MOV EDE,TONI", [](Assembler& a) { a.mov(sym(0x0200), sym(0x0202)); }, 6, 5},
    {"AND &EDE,Rm", [](Assembler& a) { a.and_(absolute(0x0200), reg(R6)); }, 3, 3},
    {"AND @Rn,Rm", [](Assembler& a) { a.and_(ind(R5), reg(R6)); }, 2, 2},
    {"MOV @Rn,PC", [](Assembler& a) { a.mov(ind(R5), reg(PC)); }, 3, 3},
    {"XOR @Rn,x(Rm)", [](Assembler& a) { a.xor_(ind(R5), idx(8, R6)); }, 5, 5},
    {"MOV @Rn,x(Rm)", [](Assembler& a) { a.mov(ind(R5), idx(8, R6)); }, 5, 4},
    {"ADD @Rn+,Rm", [](Assembler& a) { a.add(postinc(R5), reg(R6)); }, 2, 2},
    {"RET", [](Assembler& a) { a.ret(); }, 3, 3},
    {"MOV @Rn+,&EDE", [](Assembler& a) { a.mov(postinc(R5), absolute(0x0200)); }, 5, 4},
    {"MOV #N,Rm", [](Assembler& a) { a.mov(imm(0x1234), reg(R6)); }, 2, 2},
    {"BR #N", [](Assembler& a) { a.br(imm(0x4000)); }, 3, 3},
    {"ADD #N,&EDE", [](Assembler& a) { a.add(imm(0x33), absolute(0x0200)); }, 5, 5},
    {"MOV #N,&EDE", [](Assembler& a) { a.mov(imm(0x5A80), absolute(0x0120)); }, 5, 4},
    {"CMP #N,&EDE", [](Assembler& a) { a.cmp(imm(0x33), absolute(0x0200)); }, 5, 4},
    {"BIT #N,&EDE", [](Assembler& a) { a.bit(imm(0x33), absolute(0x0200)); }, 5, 4},
    {"MOV #0,Rm (constant)", [](Assembler& a) { a.mov(imm(0), reg(R6)); }, 1, 1},
    {"MOV #4,Rm (constant)", [](Assembler& a) { a.mov(imm(4), reg(R6)); }, 1, 1},
    {"MOV #-1,PC (constant)", [](Assembler& a) { a.mov(imm(-1), reg(PC)); }, 2, 2},
    {"ADD #8,x(Rm) (constant)", [](Assembler& a) { a.add(imm(8), idx(2, R6)); }, 4, 4},
    {"MOV #1,&EDE (constant)", [](Assembler& a) { a.mov(imm(1), absolute(0x0200)); }, 4, 3},
    // Format II.
    {"RRC Rn", [](Assembler& a) { a.rrc(reg(R5)); }, 1, 1},
    {"RRA x(Rn)", [](Assembler& a) { a.rra(idx(2, R5)); }, 4, 4},
    {"SWPB @Rn", [](Assembler& a) { a.swpb(ind(R5)); }, 3, 3},
    {"SXT @Rn+", [](Assembler& a) { a.sxt(postinc(R5)); }, 3, 3},
    {"RRC &EDE", [](Assembler& a) { a.rrc(absolute(0x0200)); }, 4, 4},
    {"PUSH Rn", [](Assembler& a) { a.push(reg(R5)); }, 3, 3},
    {"PUSH x(Rn)", [](Assembler& a) { a.push(idx(2, R5)); }, 5, 4},
    {"PUSH x(SP)", [](Assembler& a) { a.push(idx(2, SP)); }, 5, 5},
    {"PUSH @Rn", [](Assembler& a) { a.push(ind(R5)); }, 4, 3},
    {"PUSH @Rn+", [](Assembler& a) { a.push(postinc(R5)); }, 4, 3},
    {"PUSH #N", [](Assembler& a) { a.push(imm(0x1234)); }, 4, 3},
    {"PUSH #4 (constant)", [](Assembler& a) { a.push(imm(4)); }, 3, 3},
    {"PUSH &EDE", [](Assembler& a) { a.push(absolute(0x0200)); }, 5, 4},
    {"CALL Rn", [](Assembler& a) { a.call(reg(R5)); }, 4, 3},
    {"CALL x(Rn)", [](Assembler& a) { a.call(idx(2, R5)); }, 5, 4},
    {"CALL x(SP)", [](Assembler& a) { a.call(idx(2, SP)); }, 5, 5},
    {"CALL @Rn", [](Assembler& a) { a.call(ind(R5)); }, 4, 4},
    {"CALL @Rn+", [](Assembler& a) { a.call(postinc(R5)); }, 5, 4},
    {"CALL #N", [](Assembler& a) { a.call(imm(0x4000)); }, 5, 4},
    {"CALL &EDE", [](Assembler& a) { a.call(absolute(0x0200)); }, 5, 4},
    {"RETI", [](Assembler& a) { a.reti(); }, 5, 3},
    {"JMP", [](Assembler& a) { a.jmp(0x4000); }, 2, 2},
    {"JNZ not taken", [](Assembler& a) { a.jnz(0x4000); }, 2, 2},
    // MSP430X: CALLA, RETA, PUSHM, POPM.
    {"RETA", [](Assembler& a) { a.reta(); }, 0, 4},
    {"CALLA Rn", [](Assembler& a) { a.calla(reg(R5)); }, 0, 4},
    {"CALLA x(Rn)", [](Assembler& a) { a.calla(idx(2, R5)); }, 0, 6},
    {"CALLA x(SP)", [](Assembler& a) { a.calla(idx(2, SP)); }, 0, 7},
    {"CALLA @Rn", [](Assembler& a) { a.calla(ind(R5)); }, 0, 5},
    {"CALLA @Rn+", [](Assembler& a) { a.calla(postinc(R5)); }, 0, 5},
    {"CALLA &abs20", [](Assembler& a) { a.calla(absolute(0x10000)); }, 0, 6},
    {"CALLA EDE", [](Assembler& a) { a.calla(sym(0x10000)); }, 0, 6},
    {"CALLA #imm20", [](Assembler& a) { a.calla(imm(0x10000)); }, 0, 4},
    {"PUSHM.A #4", [](Assembler& a) { a.pushm_a(4, R11); }, 0, 10},
    {"PUSHM.W #4", [](Assembler& a) { a.pushm_w(4, R11); }, 0, 6},
    {"POPM.A #1", [](Assembler& a) { a.popm_a(1, R11); }, 0, 4},
    {"POPM.W #16", [](Assembler& a) { a.popm_w(16, R15); }, 0, 18},
    // MSP430X address instructions.
    {"MOVA @Rn,Rm", [](Assembler& a) { a.mova(ind(R5), reg(R6)); }, 0, 3},
    {"MOVA @Rn+,Rm", [](Assembler& a) { a.mova(postinc(R5), reg(R6)); }, 0, 3},
    {"MOVA &abs20,Rm", [](Assembler& a) { a.mova(absolute(0x10000), reg(R6)); }, 0, 4},
    {"MOVA x(Rn),Rm", [](Assembler& a) { a.mova(idx(2, R5), reg(R6)); }, 0, 4},
    {"MOVA Rn,&abs20", [](Assembler& a) { a.mova(reg(R5), absolute(0x10000)); }, 0, 4},
    {"MOVA Rn,x(Rm)", [](Assembler& a) { a.mova(reg(R5), idx(2, R6)); }, 0, 4},
    {"MOVA #imm20,Rm", [](Assembler& a) { a.mova(imm(0x12345), reg(R6)); }, 0, 2},
    {"BRA #imm20", [](Assembler& a) { a.bra(imm(0x12344)); }, 0, 3},
    {"MOVA Rn,Rm", [](Assembler& a) { a.mova(reg(R5), reg(R6)); }, 0, 1},
    {"BRA Rn", [](Assembler& a) { a.bra(reg(R5)); }, 0, 2},
    {"CMPA #imm20,Rm", [](Assembler& a) { a.cmpa(imm(0x12345), reg(R6)); }, 0, 2},
    {"ADDA Rn,Rm", [](Assembler& a) { a.adda(reg(R5), reg(R6)); }, 0, 1},
    {"SUBA #imm20,Rm", [](Assembler& a) { a.suba(imm(2), reg(R6)); }, 0, 2},
    {"RRCM.A #1", [](Assembler& a) { a.rrcm_a(1, R5); }, 0, 1},
    {"RLAM.W #4", [](Assembler& a) { a.rlam_w(4, R5); }, 0, 4},
    // Extension words: repeats and 20-bit memory operands.
    {"MOVX.W Rn,Rm", [](Assembler& a) { a.movx(reg(R5), reg(R6)); }, 0, 1},
    {"RPT #4 RRAX.W Rn", [](Assembler& a) { a.rpt(4).rrax(reg(R5)); }, 0, 4},
    {"RPT #16 ADDX.A Rn,Rm", [](Assembler& a) { a.rpt(16).addx_a(reg(R5), reg(R6)); }, 0, 16},
    {"RPT R7 RLAX.W Rn (R7 = 9)", [](Assembler& a) { a.rpt(R7).addx(reg(R5), reg(R5)); }, 0, 10},
    {"MOVX.W Rn,&abs20", [](Assembler& a) { a.movx(reg(R5), absolute(0x10000)); }, 0, 3},
    {"MOVX.A Rn,&abs20", [](Assembler& a) { a.movx_a(reg(R5), absolute(0x10000)); }, 0, 4},
    {"ADDX.A @Rn,x(Rm)", [](Assembler& a) { a.addx_a(ind(R5), idx(2, R6)); }, 0, 8},
    {"CMPX.A #imm,&abs20", [](Assembler& a) { a.cmpx_a(imm(0x12345), absolute(0x10000)); }, 0, 5},
    {"MOVX.A @Rn+,Rm", [](Assembler& a) { a.movx_a(postinc(R5), reg(R6)); }, 0, 3},
    {"PUSHX.A Rn", [](Assembler& a) { a.pushx_a(reg(R5)); }, 0, 4},
    {"RPT #3 PUSHX.A Rn", [](Assembler& a) { a.rpt(3).pushx_a(reg(R5)); }, 0, 6},
    {"PUSHX.A &abs20", [](Assembler& a) { a.pushx_a(absolute(0x10000)); }, 0, 6},
    {"RRCX.A &abs20", [](Assembler& a) { a.rrcx_a(absolute(0x10000)); }, 0, 6},
    {"RRCX.W &abs20", [](Assembler& a) { a.rrcx(absolute(0x10000)); }, 0, 4},
};

class Cycles : public ::testing::TestWithParam<bool> {};

TEST_P(Cycles, PerInstruction) {
    const bool x = GetParam();
    for (const CycleCase& t : kCases) {
        const int want = x ? t.extended : t.plain;
        if (want == 0) continue;
        SCOPED_TRACE(t.name);
        test::Machine m(x);
        Assembler a(0x4000);
        t.emit(a);
        m.load(a);
        m.cpu.setReg(5, 0x0300);
        m.cpu.setReg(6, 0x0310);
        m.cpu.setReg(7, 9);
        const uint64_t before = m.cpu.cycles();
        EXPECT_EQ(m.cpu.step(), want) << m.listing;
        EXPECT_EQ(m.cpu.cycles() - before, static_cast<uint64_t>(want));
        EXPECT_EQ(m.cpu.instructions(), 1u);
    }
}

TEST_P(Cycles, InterruptEntry) {
    const bool x = GetParam();
    test::Machine m(x);
    m.bus.setWord(0xFFF0, 0x5000);
    m.cpu.setPc(0x4000);
    m.cpu.setReg(1, 0x0A00);
    EXPECT_EQ(m.cpu.interrupt(0xFFF0), x ? 5 : 6);
    EXPECT_EQ(m.cpu.cycles(), x ? 5u : 6u);
}

INSTANTIATE_TEST_SUITE_P(BothCpus, Cycles, ::testing::Bool());

}  // namespace
}  // namespace kv::sim
