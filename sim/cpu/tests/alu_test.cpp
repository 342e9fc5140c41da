// Results and flags of every arithmetic and logic instruction, byte and word,
// with register and memory operands, on both CPU kinds and both bus paths.
#include <gtest/gtest.h>

#include <tuple>

#include "machine.h"

namespace kv::sim {
namespace {

using asm430::Assembler;
using namespace asm430;  // NOLINT: registers and operand helpers read like assembly

constexpr uint16_t C = kSrC, Z = kSrZ, N = kSrN, V = kSrV;
constexpr uint16_t kFlags = C | Z | N | V;

using Two = Assembler& (Assembler::*)(const Operand&, const Operand&);
using One = Assembler& (Assembler::*)(const Operand&);

struct TwoCase {
    const char* name;
    Two op;
    bool byte;
    uint16_t src, dst, srIn, result, flags;
};

const TwoCase kTwo[] = {
    {"ADD overflow", &Assembler::add, false, 0x0001, 0x7FFF, 0, 0x8000, N | V},
    {"ADD carry zero", &Assembler::add, false, 0x0001, 0xFFFF, 0, 0x0000, Z | C},
    {"ADD both negative", &Assembler::add, false, 0x8000, 0x8000, 0, 0x0000, Z | C | V},
    {"ADD plain", &Assembler::add, false, 0x1234, 0x1111, kFlags, 0x2345, 0},
    {"ADDC with carry", &Assembler::addc, false, 0x0001, 0x0001, C, 0x0003, 0},
    {"ADDC carry out", &Assembler::addc, false, 0x0000, 0xFFFF, C, 0x0000, Z | C},
    {"SUB no borrow", &Assembler::sub, false, 0x0003, 0x0005, 0, 0x0002, C},
    {"SUB borrow", &Assembler::sub, false, 0x0005, 0x0003, 0, 0xFFFE, N},
    {"SUB overflow", &Assembler::sub, false, 0x0001, 0x8000, 0, 0x7FFF, C | V},
    {"SUB equal", &Assembler::sub, false, 0x1234, 0x1234, 0, 0x0000, Z | C},
    {"SUBC carry clear", &Assembler::subc, false, 0x0003, 0x0005, 0, 0x0001, C},
    {"SUBC carry set", &Assembler::subc, false, 0x0003, 0x0005, C, 0x0002, C},
    {"CMP equal", &Assembler::cmp, false, 0x4000, 0x4000, 0, 0x4000, Z | C},
    {"CMP less", &Assembler::cmp, false, 0x0002, 0x0001, 0, 0x0001, N},
    {"CMP signed overflow", &Assembler::cmp, false, 0x0001, 0x8000, 0, 0x8000, C | V},
    {"DADD carry between digits", &Assembler::dadd, false, 0x0001, 0x0099, 0, 0x0100, 0},
    {"DADD decimal carry out", &Assembler::dadd, false, 0x0001, 0x9999, 0, 0x0000, Z | C},
    {"DADD carry in", &Assembler::dadd, false, 0x0001, 0x0001, C, 0x0003, 0},
    {"DADD digits", &Assembler::dadd, false, 0x1234, 0x5678, 0, 0x6912, 0},
    {"DADD negative result", &Assembler::dadd, false, 0x4000, 0x5000, 0, 0x9000, N | V},
    {"AND", &Assembler::and_, false, 0xFF00, 0x8F0F, 0, 0x8F00, N | C},
    {"AND zero", &Assembler::and_, false, 0x00F0, 0x0F0F, kFlags, 0x0000, Z},
    {"BIT keeps destination", &Assembler::bit, false, 0x0010, 0x0030, 0, 0x0030, C},
    {"BIT zero", &Assembler::bit, false, 0x0001, 0x0030, kFlags, 0x0030, Z},
    {"BIC no flags", &Assembler::bic, false, 0x00FF, 0x1234, kFlags, 0x1200, kFlags},
    {"BIS no flags", &Assembler::bis, false, 0x8001, 0x1234, 0, 0x9235, 0},
    {"XOR both negative", &Assembler::xor_, false, 0x8000, 0x8000, 0, 0x0000, Z | V},
    {"XOR", &Assembler::xor_, false, 0x8000, 0x0001, 0, 0x8001, N | C},
    {"MOV no flags", &Assembler::mov, false, 0x0000, 0x1234, C | N, 0x0000, C | N},
    {"ADD.B overflow", &Assembler::add_b, true, 0x01, 0x7F, 0, 0x80, N | V},
    {"ADD.B carry", &Assembler::add_b, true, 0x01, 0xFF, 0, 0x00, Z | C},
    {"ADDC.B", &Assembler::addc_b, true, 0x10, 0x20, C, 0x31, 0},
    {"SUB.B borrow", &Assembler::sub_b, true, 0x01, 0x00, 0, 0xFF, N},
    {"SUB.B overflow", &Assembler::sub_b, true, 0x01, 0x80, 0, 0x7F, C | V},
    {"SUBC.B", &Assembler::subc_b, true, 0x01, 0x03, 0, 0x01, C},
    {"CMP.B", &Assembler::cmp_b, true, 0x80, 0x80, 0, 0x80, Z | C},
    {"DADD.B", &Assembler::dadd_b, true, 0x38, 0x45, 0, 0x83, N | V},
    {"DADD.B carry out", &Assembler::dadd_b, true, 0x01, 0x99, 0, 0x00, Z | C},
    {"AND.B", &Assembler::and_b, true, 0x81, 0x80, 0, 0x80, N | C},
    {"BIT.B", &Assembler::bit_b, true, 0x01, 0x02, kFlags, 0x02, Z},
    {"BIC.B", &Assembler::bic_b, true, 0x0F, 0xFF, 0, 0xF0, 0},
    {"BIS.B", &Assembler::bis_b, true, 0x0F, 0xF0, 0, 0xFF, 0},
    {"XOR.B", &Assembler::xor_b, true, 0x80, 0x80, 0, 0x00, Z | V},
    {"MOV.B", &Assembler::mov_b, true, 0xA5, 0x00, 0, 0xA5, 0},
};

struct OneCase {
    const char* name;
    One op;
    bool byte;
    uint16_t value, srIn, result, flags;
};

const OneCase kOne[] = {
    {"RRC carry in", &Assembler::rrc, false, 0x0001, C | V, 0x8000, C | N},
    {"RRC zero", &Assembler::rrc, false, 0x0001, 0, 0x0000, C | Z},
    {"RRC.B", &Assembler::rrc_b, true, 0x02, C, 0x81, N},
    {"RRA negative", &Assembler::rra, false, 0x8001, V, 0xC000, C | N},
    {"RRA", &Assembler::rra, false, 0x0004, C, 0x0002, 0},
    {"RRA.B", &Assembler::rra_b, true, 0x81, 0, 0xC0, C | N},
    {"SXT negative", &Assembler::sxt, false, 0x1280, V, 0xFF80, N | C},
    {"SXT positive", &Assembler::sxt, false, 0xFF7F, 0, 0x007F, C},
    {"SXT zero", &Assembler::sxt, false, 0xFF00, C, 0x0000, Z},
    {"SWPB no flags", &Assembler::swpb, false, 0x1234, kFlags, 0x3412, kFlags},
};

class Alu : public ::testing::TestWithParam<std::tuple<bool, bool>> {
protected:
    bool extended() const { return std::get<0>(GetParam()); }
    bool direct() const { return std::get<1>(GetParam()); }
};

TEST_P(Alu, TwoOperandsInRegisters) {
    for (const TwoCase& t : kTwo) {
        SCOPED_TRACE(t.name);
        test::Machine m(extended(), direct());
        Assembler a(0x4000);
        (a.*t.op)(reg(R4), reg(R5));
        m.load(a);
        m.cpu.setReg(4, 0xAB00 * t.byte | t.src);
        m.cpu.setReg(5, 0xCD00 * t.byte | t.dst);
        m.cpu.setSr(t.srIn);
        m.cpu.step();
        // A byte result clears the high byte of the register; CMP and BIT
        // leave the register alone.
        const bool compares = t.op == &Assembler::cmp_b || t.op == &Assembler::bit_b;
        EXPECT_EQ(m.cpu.reg(5), compares ? (0xCD00u | t.dst) : t.result) << m.listing;
        EXPECT_EQ(m.cpu.sr() & kFlags, t.flags) << m.listing;
    }
}

TEST_P(Alu, TwoOperandsInMemory) {
    for (const TwoCase& t : kTwo) {
        SCOPED_TRACE(t.name);
        test::Machine m(extended(), direct());
        Assembler a(0x4000);
        (a.*t.op)(immLong(t.src), absolute(0x0301));
        m.load(a);
        m.bus.setWord(0x0300, 0x5A5A);
        m.bus.setWord(0x0302, 0x5A5A);
        if (t.byte)
            m.bus.setByte(0x0301, static_cast<uint8_t>(t.dst));
        else
            m.bus.setWord(0x0300, t.dst);
        m.cpu.setSr(t.srIn);
        m.cpu.step();
        if (t.byte) {
            EXPECT_EQ(m.bus.byte(0x0301), t.result) << m.listing;
            EXPECT_EQ(m.bus.byte(0x0300), 0x5A) << m.listing;
        } else {
            // Word accesses go to the even address.
            EXPECT_EQ(m.bus.word(0x0300), t.result) << m.listing;
        }
        EXPECT_EQ(m.bus.word(0x0302), 0x5A5A);
        EXPECT_EQ(m.cpu.sr() & kFlags, t.flags) << m.listing;
    }
}

TEST_P(Alu, OneOperand) {
    for (const OneCase& t : kOne) {
        SCOPED_TRACE(t.name);
        for (bool memory : {false, true}) {
            test::Machine m(extended(), direct());
            Assembler a(0x4000);
            (a.*t.op)(memory ? idx(2, R6) : reg(R5));
            m.load(a);
            m.cpu.setReg(5, t.value);
            m.cpu.setReg(6, 0x02FE);
            m.bus.setWord(0x0300, t.value);
            m.cpu.setSr(t.srIn);
            m.cpu.step();
            const uint32_t got = memory ? m.bus.word(0x0300) : m.cpu.reg(5);
            const uint32_t mask = t.byte ? 0xFF : 0xFFFF;
            EXPECT_EQ(got & mask, t.result) << m.listing;
            if (t.byte && !memory) {
                EXPECT_EQ(got, t.result) << m.listing;
            }
            if (t.byte && memory) {
                EXPECT_EQ(got >> 8, t.value >> 8u) << m.listing;
            }
            EXPECT_EQ(m.cpu.sr() & kFlags, t.flags) << m.listing;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(BothCpusBothPaths, Alu,
                         ::testing::Combine(::testing::Bool(), ::testing::Bool()));

}  // namespace
}  // namespace kv::sim
