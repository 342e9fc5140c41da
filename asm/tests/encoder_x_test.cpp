// MSP430X encodings against words written out by hand from the family
// documentation's extension-word and address-instruction layouts.
#include <gtest/gtest.h>

#include <vector>

#include "kelvane/asm/msp430_asm.h"

namespace kv::asm430 {
namespace {

using W = std::vector<uint16_t>;

template <typename F>
W enc(F f, uint32_t origin = 0x10000) {
    Assembler a(origin);
    f(a);
    return a.words();
}

TEST(EncoderX, PushPopMultiple) {
    EXPECT_EQ(enc([](Assembler& a) { a.pushm_a(4, R11); }), (W{0x143B}));
    EXPECT_EQ(enc([](Assembler& a) { a.popm_a(4, R11); }), (W{0x1638}));
    EXPECT_EQ(enc([](Assembler& a) { a.pushm_w(2, R15); }), (W{0x151F}));
    EXPECT_EQ(enc([](Assembler& a) { a.popm_w(2, R15); }), (W{0x171E}));
    EXPECT_EQ(enc([](Assembler& a) { a.pushm_w(16, R15); }), (W{0x15FF}));
}

TEST(EncoderX, RepeatAndZeroCarry) {
    EXPECT_EQ(enc([](Assembler& a) { a.rpt(4).rrax(reg(R5)); }), (W{0x1843, 0x1105}));
    EXPECT_EQ(enc([](Assembler& a) { a.rpt(R5).addx_a(reg(R7), reg(R7)); }), (W{0x1885, 0x5747}));
    EXPECT_EQ(enc([](Assembler& a) { a.rrux(reg(R5)); }), (W{0x1940, 0x1005}));
    EXPECT_EQ(enc([](Assembler& a) { a.rpt(16).rrux_a(reg(R9)); }), (W{0x190F, 0x1049}));
    EXPECT_EQ(enc([](Assembler& a) { a.rptz(2).addcx(reg(R4), reg(R5)); }), (W{0x1941, 0x6405}));
    EXPECT_EQ(enc([](Assembler& a) { a.movx(reg(R5), reg(R6)); }), (W{0x1840, 0x4506}));
}

TEST(EncoderX, ExtendedFormatI) {
    EXPECT_EQ(enc([](Assembler& a) { a.movx_a(imm(0x12345), absolute(0x54321)); }),
              (W{0x1885, 0x40F2, 0x2345, 0x4321}));
    EXPECT_EQ(enc([](Assembler& a) { a.movx_b(absolute(0x12345), reg(R6)); }),
              (W{0x18C0, 0x4256, 0x2345}));
    EXPECT_EQ(enc([](Assembler& a) { a.addx_a(idx(-2, R5), reg(R6)); }),
              (W{0x1F80, 0x5556, 0xFFFE}));
    EXPECT_EQ(enc([](Assembler& a) { a.popx_a(reg(R5)); }), (W{0x1800, 0x4175}));
    EXPECT_EQ(enc([](Assembler& a) { a.movx_a(imm(-1), reg(R5)); }), (W{0x1800, 0x4375}));
    // Symbolic with a 20-bit distance: from the word at 0x10004 to 0x30000.
    EXPECT_EQ(enc([](Assembler& a) { a.movx(sym(0x30000), reg(R5)); }),
              (W{0x18C0, 0x4015, 0xFFFC}));
}

TEST(EncoderX, EmulatedForms) {
    EXPECT_EQ(enc([](Assembler& a) { a.incx_a(reg(R5)); }), (W{0x1800, 0x5355}));
    EXPECT_EQ(enc([](Assembler& a) { a.tstx_a(reg(R5)); }), (W{0x1800, 0x9345}));
    EXPECT_EQ(enc([](Assembler& a) { a.rlax_a(reg(R5)); }), (W{0x1800, 0x5545}));
    EXPECT_EQ(enc([](Assembler& a) { a.decx(absolute(0x12344)); }), (W{0x1841, 0x8392, 0x2344}));
    EXPECT_EQ(enc([](Assembler& a) { a.clra(R12); }), (W{0x008C, 0x0000}));
    EXPECT_EQ(enc([](Assembler& a) { a.decda(SP); }), (W{0x00B1, 0x0002}));
}

TEST(EncoderX, ExtendedFormatII) {
    EXPECT_EQ(enc([](Assembler& a) { a.pushx_a(reg(R5)); }), (W{0x1800, 0x1245}));
    EXPECT_EQ(enc([](Assembler& a) { a.pushx_a(absolute(0x12345)); }), (W{0x1801, 0x1252, 0x2345}));
    EXPECT_EQ(enc([](Assembler& a) { a.swpbx_a(reg(R5)); }), (W{0x1800, 0x1085}));
    EXPECT_EQ(enc([](Assembler& a) { a.sxtx_a(reg(R5)); }), (W{0x1800, 0x1185}));
    EXPECT_EQ(enc([](Assembler& a) { a.sxtx(reg(R5)); }), (W{0x1840, 0x1185}));
    EXPECT_EQ(enc([](Assembler& a) { a.rrcx_b(idx(4, R6)); }), (W{0x1840, 0x1056, 0x0004}));
}

TEST(EncoderX, AddressInstructions) {
    EXPECT_EQ(enc([](Assembler& a) { a.mova(reg(R5), reg(R6)); }), (W{0x05C6}));
    EXPECT_EQ(enc([](Assembler& a) { a.mova(imm(0x12345), reg(R10)); }), (W{0x018A, 0x2345}));
    EXPECT_EQ(enc([](Assembler& a) { a.mova(ind(R5), reg(R6)); }), (W{0x0506}));
    EXPECT_EQ(enc([](Assembler& a) { a.mova(postinc(R5), reg(R6)); }), (W{0x0516}));
    EXPECT_EQ(enc([](Assembler& a) { a.mova(absolute(0x12345), reg(R6)); }), (W{0x0126, 0x2345}));
    EXPECT_EQ(enc([](Assembler& a) { a.mova(idx(4, R5), reg(R6)); }), (W{0x0536, 0x0004}));
    EXPECT_EQ(enc([](Assembler& a) { a.mova(reg(R5), absolute(0x12345)); }), (W{0x0165, 0x2345}));
    EXPECT_EQ(enc([](Assembler& a) { a.mova(reg(R5), idx(4, R6)); }), (W{0x0576, 0x0004}));
    EXPECT_EQ(enc([](Assembler& a) { a.cmpa(imm(0x10000), reg(R5)); }), (W{0x0195, 0x0000}));
    EXPECT_EQ(enc([](Assembler& a) { a.adda(reg(R4), reg(R5)); }), (W{0x04E5}));
    EXPECT_EQ(enc([](Assembler& a) { a.suba(imm(2), reg(SP)); }), (W{0x00B1, 0x0002}));
    EXPECT_EQ(enc([](Assembler& a) { a.bra(imm(0x10000)); }), (W{0x0180, 0x0000}));
    EXPECT_EQ(enc([](Assembler& a) { a.rrcm_a(2, R5); }), (W{0x0445}));
    EXPECT_EQ(enc([](Assembler& a) { a.rlam_w(4, R12); }), (W{0x0E5C}));
    EXPECT_EQ(enc([](Assembler& a) { a.rram_a(1, R4); }), (W{0x0144}));
    EXPECT_EQ(enc([](Assembler& a) { a.rrum_w(3, R8); }), (W{0x0B58}));
}

TEST(EncoderX, CallaAndReta) {
    EXPECT_EQ(enc([](Assembler& a) { a.calla(imm(0x12345)); }), (W{0x13B1, 0x2345}));
    EXPECT_EQ(enc([](Assembler& a) { a.calla(reg(R5)); }), (W{0x1345}));
    EXPECT_EQ(enc([](Assembler& a) { a.calla(absolute(0x12000)); }), (W{0x1381, 0x2000}));
    EXPECT_EQ(enc([](Assembler& a) { a.calla(idx(2, R5)); }), (W{0x1355, 0x0002}));
    EXPECT_EQ(enc([](Assembler& a) { a.calla(ind(R5)); }), (W{0x1365}));
    EXPECT_EQ(enc([](Assembler& a) { a.calla(postinc(R5)); }), (W{0x1375}));
    // PC-relative: from the word at 0x10002 to 0x20000.
    EXPECT_EQ(enc([](Assembler& a) { a.calla(sym(0x20000)); }), (W{0x1390, 0xFFFE}));
    EXPECT_EQ(enc([](Assembler& a) { a.reta(); }), (W{0x1310}));

    Assembler b(0x1FFF0);
    const Label far = b.newLabel();
    b.calla(imm(far));           // 1FFF0
    b.mova(imm(far), reg(R12));  // 1FFF4
    b.bind(far);                 // 1FFF8
    b.reta();
    EXPECT_EQ(b.words(), (W{0x13B1, 0xFFF8, 0x01 << 8 | 0x008C, 0xFFF8, 0x1310}));
}

TEST(EncoderX, Faults) {
    Assembler a(0x10000);
    EXPECT_THROW(a.rpt(17), AsmError);
    EXPECT_THROW(a.pushm_a(0, R5), AsmError);
    EXPECT_THROW(a.popm_a(4, R2), AsmError);
    EXPECT_THROW(a.rrcm_a(5, R5), AsmError);
    EXPECT_THROW(a.mova(ind(R5), ind(R6)), AsmError);
    EXPECT_THROW(a.mov(imm(0x12345), reg(R5)), AsmError);
    Assembler b(0x10000);
    b.rpt(4);
    EXPECT_THROW(b.movx(idx(2, R5), reg(R6)), AsmError);
    Assembler c(0x10000);
    c.rpt(4);
    EXPECT_THROW(c.mov(reg(R5), reg(R6)), AsmError);
    Assembler d(0x10000);
    const Label far = d.newLabel();
    d.mov(imm(far), reg(R5));
    d.bind(far);
    EXPECT_THROW(d.words(), AsmError);
}

}  // namespace
}  // namespace kv::asm430
