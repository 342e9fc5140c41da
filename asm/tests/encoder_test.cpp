// The encoder against instruction words written out by hand from the family
// documentation's encoding tables.
#include <gtest/gtest.h>

#include <vector>

#include "kelvane/asm/msp430_asm.h"

namespace kv::asm430 {
namespace {

using W = std::vector<uint16_t>;

template <typename F>
W enc(F f, uint32_t origin = 0xF000) {
    Assembler a(origin);
    f(a);
    return a.words();
}

TEST(Encoder, FormatIAddressingModes) {
    EXPECT_EQ(enc([](Assembler& a) { a.mov(imm(0x5A80), absolute(0x0120)); }),
              (W{0x40B2, 0x5A80, 0x0120}));
    EXPECT_EQ(enc([](Assembler& a) { a.mov_b(postinc(R15), idx(0, R14)); }), (W{0x4FFE, 0x0000}));
    EXPECT_EQ(enc([](Assembler& a) { a.mov(reg(R5), reg(R8)); }), (W{0x4508}));
    EXPECT_EQ(enc([](Assembler& a) { a.add(reg(R5), idx(4, R6)); }), (W{0x5586, 0x0004}));
    EXPECT_EQ(enc([](Assembler& a) { a.and_(ind(R4), reg(R5)); }), (W{0xF425}));
    EXPECT_EQ(enc([](Assembler& a) { a.xor_(idx(-2, R4), idx(6, R9)); }),
              (W{0xE499, 0xFFFE, 0x0006}));
    EXPECT_EQ(enc([](Assembler& a) { a.cmp_b(absolute(0x0200), reg(R7)); }), (W{0x9257, 0x0200}));
    // Symbolic: the word holds the distance from its own address.
    EXPECT_EQ(enc([](Assembler& a) { a.mov(sym(0xF100), reg(R6)); }), (W{0x4016, 0x00FE}));
    EXPECT_EQ(enc([](Assembler& a) { a.mov(reg(R6), sym(0xF000)); }), (W{0x4680, 0xFFFE}));
    EXPECT_EQ(enc([](Assembler& a) { a.sub(imm(0x1234), reg(SP)); }), (W{0x8031, 0x1234}));
    EXPECT_EQ(enc([](Assembler& a) { a.bis_b(imm(0x10), absolute(0x0021)); }),
              (W{0xD0F2, 0x0010, 0x0021}));
}

TEST(Encoder, ConstantGenerator) {
    EXPECT_EQ(enc([](Assembler& a) { a.mov(imm(0), reg(R5)); }), (W{0x4305}));
    EXPECT_EQ(enc([](Assembler& a) { a.mov(imm(1), reg(R5)); }), (W{0x4315}));
    EXPECT_EQ(enc([](Assembler& a) { a.mov(imm(2), reg(R5)); }), (W{0x4325}));
    EXPECT_EQ(enc([](Assembler& a) { a.mov(imm(4), reg(R5)); }), (W{0x4225}));
    EXPECT_EQ(enc([](Assembler& a) { a.mov(imm(8), reg(R5)); }), (W{0x4235}));
    EXPECT_EQ(enc([](Assembler& a) { a.mov(imm(-1), reg(R5)); }), (W{0x4335}));
    EXPECT_EQ(enc([](Assembler& a) { a.mov(imm(0xFFFF), reg(R5)); }), (W{0x4335}));
    EXPECT_EQ(enc([](Assembler& a) { a.mov_b(imm(0xFF), reg(R5)); }), (W{0x4375}));
    EXPECT_EQ(enc([](Assembler& a) { a.mov(immLong(1), reg(R5)); }), (W{0x4035, 0x0001}));
    EXPECT_EQ(enc([](Assembler& a) { a.mov(imm(3), reg(R5)); }), (W{0x4035, 0x0003}));
}

TEST(Encoder, FormatIIAndEmulated) {
    EXPECT_EQ(enc([](Assembler& a) { a.rrc(reg(R5)); }), (W{0x1005}));
    EXPECT_EQ(enc([](Assembler& a) { a.rra_b(ind(R6)); }), (W{0x1166}));
    EXPECT_EQ(enc([](Assembler& a) { a.swpb(reg(R7)); }), (W{0x1087}));
    EXPECT_EQ(enc([](Assembler& a) { a.sxt(reg(R8)); }), (W{0x1188}));
    EXPECT_EQ(enc([](Assembler& a) { a.push(reg(R10)); }), (W{0x120A}));
    EXPECT_EQ(enc([](Assembler& a) { a.push_b(idx(2, R4)); }), (W{0x1254, 0x0002}));
    EXPECT_EQ(enc([](Assembler& a) { a.push(imm(0x1234)); }), (W{0x1230, 0x1234}));
    EXPECT_EQ(enc([](Assembler& a) { a.call(imm(0xF800)); }), (W{0x12B0, 0xF800}));
    EXPECT_EQ(enc([](Assembler& a) { a.call(reg(R12)); }), (W{0x128C}));
    EXPECT_EQ(enc([](Assembler& a) { a.call(absolute(0x0210)); }), (W{0x1292, 0x0210}));
    EXPECT_EQ(enc([](Assembler& a) { a.reti(); }), (W{0x1300}));
    EXPECT_EQ(enc([](Assembler& a) { a.nop(); }), (W{0x4303}));
    EXPECT_EQ(enc([](Assembler& a) { a.ret(); }), (W{0x4130}));
    EXPECT_EQ(enc([](Assembler& a) { a.pop(reg(R10)); }), (W{0x413A}));
    EXPECT_EQ(enc([](Assembler& a) { a.br(imm(0xF000)); }), (W{0x4030, 0xF000}));
    EXPECT_EQ(enc([](Assembler& a) { a.clr(reg(R15)); }), (W{0x430F}));
    EXPECT_EQ(enc([](Assembler& a) { a.inc(reg(R15)); }), (W{0x531F}));
    EXPECT_EQ(enc([](Assembler& a) { a.dec(reg(R15)); }), (W{0x831F}));
    EXPECT_EQ(enc([](Assembler& a) { a.decd(reg(R15)); }), (W{0x832F}));
    EXPECT_EQ(enc([](Assembler& a) { a.inv(reg(R15)); }), (W{0xE33F}));
    EXPECT_EQ(enc([](Assembler& a) { a.rla(reg(R5)); }), (W{0x5505}));
    EXPECT_EQ(enc([](Assembler& a) { a.rlc(reg(R5)); }), (W{0x6505}));
    EXPECT_EQ(enc([](Assembler& a) { a.tst(reg(R5)); }), (W{0x9305}));
    EXPECT_EQ(enc([](Assembler& a) { a.eint(); }), (W{0xD232}));
    EXPECT_EQ(enc([](Assembler& a) { a.dint(); }), (W{0xC232}));
    EXPECT_EQ(enc([](Assembler& a) { a.setc(); }), (W{0xD312}));
    EXPECT_EQ(enc([](Assembler& a) { a.clrc(); }), (W{0xC312}));
    // BIS #CPUOFF+GIE,SR (low-power mode 0)
    EXPECT_EQ(enc([](Assembler& a) { a.bis(imm(0x18), reg(SR)); }), (W{0xD032, 0x0018}));
}

TEST(Encoder, JumpsAndLabels) {
    Assembler a(0xF000);
    const Label skip = a.newLabel();
    const Label loop = a.label();
    a.dec(reg(R15));  // F000
    a.jnz(loop);      // F002: back to F000, offset -2
    a.jmp(skip);      // F004: to F008, offset +1
    a.nop();          // F006
    a.bind(skip);     // F008
    a.jmp(0xF008);    // F008: to itself, offset -1
    EXPECT_EQ(a.words(), (W{0x831F, 0x23FE, 0x3C01, 0x4303, 0x3FFF}));
    EXPECT_EQ(a.address(skip), 0xF008u);

    EXPECT_EQ(enc([](Assembler& b) {
                  b.jz(0xF002);
                  b.jnc(0xF000);
                  b.jc(0xF000);
                  b.jn(0xF000);
                  b.jge(0xF000);
                  b.jl(0xF000);
              }),
              (W{0x2400, 0x2BFE, 0x2FFD, 0x33FC, 0x37FB, 0x3BFA}));
}

TEST(Encoder, LabelsAsValues) {
    Assembler a(0x0200);
    const Label data = a.newLabel();
    const Label fn = a.newLabel();
    a.mov(imm(data), reg(R5));       // 0200
    a.call(imm(fn));                 // 0204
    a.mov(sym(data), reg(R6));       // 0208: word at 020A
    a.mov(absolute(data), reg(R7));  // 020C
    a.bind(fn);                      // 0210
    a.ret();
    a.bind(data);  // 0212
    a.word(0xBEEF);
    a.word(fn);
    EXPECT_EQ(a.words(), (W{0x4035, 0x0212, 0x12B0, 0x0210, 0x4016, 0x0008, 0x4217, 0x0212, 0x4130,
                            0xBEEF, 0x0210}));
}

TEST(Encoder, Faults) {
    Assembler a(0xF000);
    EXPECT_THROW(a.mov(reg(R5), imm(1)), AsmError);
    EXPECT_THROW(a.mov(reg(R5), ind(R6)), AsmError);
    EXPECT_THROW(a.mov(imm(0x10000), reg(R5)), AsmError);
    EXPECT_THROW(a.mov(absolute(0x10000), reg(R5)), AsmError);
    EXPECT_THROW(a.jmp(0xF800), AsmError);
    EXPECT_THROW(a.jmp(0xF001), AsmError);
    EXPECT_THROW(a.rrc(imm(5)), AsmError);
    EXPECT_THROW(a.mov(idx(2, SR), reg(R5)), AsmError);
    EXPECT_THROW(a.mov(reg(R5), idx(2, CG)), AsmError);
    Assembler b(0xF000);
    const Label never = b.newLabel();
    b.jmp(never);
    EXPECT_THROW(b.words(), AsmError);
    Assembler c(0xF000);
    const Label far = c.newLabel();
    c.jmp(far);
    c.space(600);
    c.bind(far);
    EXPECT_THROW(c.words(), AsmError);
    Assembler d(0xF000);
    const Label l = d.label();
    EXPECT_THROW(d.bind(l), AsmError);
}

// Assembled during compilation.
constexpr auto kDelayLoop = [] {
    Assembler a(0x0200);
    a.mov(imm(1000), reg(R15));
    const Label loop = a.label();
    a.dec(reg(R15));
    a.jnz(loop);
    a.ret();
    return a.array<5>();
}();
static_assert(kDelayLoop[0] == 0x403F && kDelayLoop[1] == 1000 && kDelayLoop[2] == 0x831F &&
              kDelayLoop[3] == 0x23FE && kDelayLoop[4] == 0x4130);

}  // namespace
}  // namespace kv::asm430
