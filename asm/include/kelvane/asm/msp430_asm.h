// An MSP430 / MSP430X encoder that reads like assembly:
//
//   Assembler a(0x0200);
//   a.mov(imm(0x5A80), absolute(0x0120));   // MOV #0x5A80,&0x0120
//   auto loop = a.label();
//   a.dec(reg(R15));
//   a.jnz(loop);
//   std::vector<uint16_t> code = a.words();
//
// Every member is constexpr, so a program can be assembled at compile time:
//   constexpr auto kCode = [] { Assembler a(0x200); ...; return a.array<12>(); }();
//
// Method names: `mov` is MOV(.W), `mov_b` MOV.B; the MSP430X forms are `movx`
// (.W), `movx_b` and `movx_a`. Operands come from operand.h: reg(R5),
// idx(2, R5), sym(addr), absolute(addr), ind(R5), postinc(R5), imm(v).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "kelvane/asm/operand.h"

namespace kv::asm430 {

enum class Size : uint8_t { B, W, A };

class Assembler {
public:
    constexpr explicit Assembler(uint32_t origin = 0) : origin_(origin) {
        if (origin & 1) throw AsmError("odd origin");
    }

    // ---- positions and output ---------------------------------------------

    constexpr uint32_t origin() const { return origin_; }
    // Address of the next word.
    constexpr uint32_t here() const { return origin_ + 2 * static_cast<uint32_t>(words_.size()); }
    constexpr size_t size() const { return words_.size(); }

    // A label to bind later (forward references).
    constexpr Label newLabel() {
        labels_.push_back(-1);
        return Label{static_cast<uint32_t>(labels_.size() - 1)};
    }
    // A label bound here (backward references).
    constexpr Label label() {
        const Label l = newLabel();
        bind(l);
        return l;
    }
    constexpr Assembler& bind(Label l) {
        if (l.id >= labels_.size()) throw AsmError("unknown label");
        if (labels_[l.id] >= 0) throw AsmError("label bound twice");
        labels_[l.id] = static_cast<int64_t>(words_.size());
        return *this;
    }
    constexpr bool bound(Label l) const { return l.id < labels_.size() && labels_[l.id] >= 0; }
    constexpr uint32_t address(Label l) const {
        if (!bound(l)) throw AsmError("label not bound");
        return origin_ + 2 * static_cast<uint32_t>(labels_[l.id]);
    }

    // The program with every label reference filled in.
    constexpr std::vector<uint16_t> words() const {
        if (repeatPending_) throw AsmError("repeat without an instruction");
        std::vector<uint16_t> out = words_;
        for (const Fixup& f : fixups_)
            apply(out, f);
        return out;
    }
    template <size_t N>
    constexpr std::array<uint16_t, N> array() const {
        const std::vector<uint16_t> w = words();
        if (w.size() != N) throw AsmError("program size differs from the array size");
        std::array<uint16_t, N> out{};
        for (size_t i = 0; i < N; ++i)
            out[i] = w[i];
        return out;
    }

    // ---- data -------------------------------------------------------------

    constexpr Assembler& word(uint16_t w) {
        words_.push_back(w);
        return *this;
    }
    // The 16-bit address of a label.
    constexpr Assembler& word(Label l) {
        fixups_.push_back({words_.size(), Fix::Value, l.id, kNone, 0, false});
        words_.push_back(0);
        return *this;
    }
    constexpr Assembler& space(size_t count, uint16_t fill = 0) {
        for (size_t i = 0; i < count; ++i)
            words_.push_back(fill);
        return *this;
    }

    // ---- format I (two operands) ---------------------------------------------

#define KV_ASM_FORMAT_I(w, b, xw, xb, xa, opc)                    \
    constexpr Assembler& w(const Operand& s, const Operand& d) {  \
        return formatI(opc, Size::W, false, s, d);                \
    }                                                             \
    constexpr Assembler& b(const Operand& s, const Operand& d) {  \
        return formatI(opc, Size::B, false, s, d);                \
    }                                                             \
    constexpr Assembler& xw(const Operand& s, const Operand& d) { \
        return formatI(opc, Size::W, true, s, d);                 \
    }                                                             \
    constexpr Assembler& xb(const Operand& s, const Operand& d) { \
        return formatI(opc, Size::B, true, s, d);                 \
    }                                                             \
    constexpr Assembler& xa(const Operand& s, const Operand& d) { \
        return formatI(opc, Size::A, true, s, d);                 \
    }
    KV_ASM_FORMAT_I(mov, mov_b, movx, movx_b, movx_a, 0x4)
    KV_ASM_FORMAT_I(add, add_b, addx, addx_b, addx_a, 0x5)
    KV_ASM_FORMAT_I(addc, addc_b, addcx, addcx_b, addcx_a, 0x6)
    KV_ASM_FORMAT_I(subc, subc_b, subcx, subcx_b, subcx_a, 0x7)
    KV_ASM_FORMAT_I(sub, sub_b, subx, subx_b, subx_a, 0x8)
    KV_ASM_FORMAT_I(cmp, cmp_b, cmpx, cmpx_b, cmpx_a, 0x9)
    KV_ASM_FORMAT_I(dadd, dadd_b, daddx, daddx_b, daddx_a, 0xA)
    KV_ASM_FORMAT_I(bit, bit_b, bitx, bitx_b, bitx_a, 0xB)
    KV_ASM_FORMAT_I(bic, bic_b, bicx, bicx_b, bicx_a, 0xC)
    KV_ASM_FORMAT_I(bis, bis_b, bisx, bisx_b, bisx_a, 0xD)
    // XOR and AND: `xor` and `and` are C++ operator words.
    KV_ASM_FORMAT_I(xor_, xor_b, xorx, xorx_b, xorx_a, 0xE)
    KV_ASM_FORMAT_I(and_, and_b, andx, andx_b, andx_a, 0xF)
#undef KV_ASM_FORMAT_I

    // ---- format II (one operand) ---------------------------------------------

    constexpr Assembler& rrc(const Operand& d) {
        return formatII(0, Size::W, false, d);
    }
    constexpr Assembler& rrc_b(const Operand& d) {
        return formatII(0, Size::B, false, d);
    }
    constexpr Assembler& swpb(const Operand& d) {
        return formatII(1, Size::W, false, d);
    }
    constexpr Assembler& rra(const Operand& d) {
        return formatII(2, Size::W, false, d);
    }
    constexpr Assembler& rra_b(const Operand& d) {
        return formatII(2, Size::B, false, d);
    }
    constexpr Assembler& sxt(const Operand& d) {
        return formatII(3, Size::W, false, d);
    }
    constexpr Assembler& push(const Operand& s) {
        return formatII(4, Size::W, false, s);
    }
    constexpr Assembler& push_b(const Operand& s) {
        return formatII(4, Size::B, false, s);
    }
    constexpr Assembler& call(const Operand& s) {
        return formatII(5, Size::W, false, s);
    }
    constexpr Assembler& reti() {
        return word(0x1300);
    }

    constexpr Assembler& rrcx(const Operand& d) {
        return formatII(0, Size::W, true, d);
    }
    constexpr Assembler& rrcx_b(const Operand& d) {
        return formatII(0, Size::B, true, d);
    }
    constexpr Assembler& rrcx_a(const Operand& d) {
        return formatII(0, Size::A, true, d);
    }
    // RRUX: RRCX with the carry taken as zero (register mode only).
    constexpr Assembler& rrux(const Operand& d) {
        return zeroCarry().rrcx(d);
    }
    constexpr Assembler& rrux_b(const Operand& d) {
        return zeroCarry().rrcx_b(d);
    }
    constexpr Assembler& rrux_a(const Operand& d) {
        return zeroCarry().rrcx_a(d);
    }
    constexpr Assembler& swpbx(const Operand& d) {
        return formatII(1, Size::W, true, d);
    }
    constexpr Assembler& swpbx_a(const Operand& d) {
        return formatII(1, Size::A, true, d);
    }
    constexpr Assembler& rrax(const Operand& d) {
        return formatII(2, Size::W, true, d);
    }
    constexpr Assembler& rrax_b(const Operand& d) {
        return formatII(2, Size::B, true, d);
    }
    constexpr Assembler& rrax_a(const Operand& d) {
        return formatII(2, Size::A, true, d);
    }
    constexpr Assembler& sxtx(const Operand& d) {
        return formatII(3, Size::W, true, d);
    }
    constexpr Assembler& sxtx_a(const Operand& d) {
        return formatII(3, Size::A, true, d);
    }
    constexpr Assembler& pushx(const Operand& s) {
        return formatII(4, Size::W, true, s);
    }
    constexpr Assembler& pushx_b(const Operand& s) {
        return formatII(4, Size::B, true, s);
    }
    constexpr Assembler& pushx_a(const Operand& s) {
        return formatII(4, Size::A, true, s);
    }

    // ---- repeat prefix of the next MSP430X register-mode instruction ----------

    // RPT #n (1..16) / RPT Rn (count from bits 0-3 of Rn, plus one).
    constexpr Assembler& rpt(int n) {
        if (n < 1 || n > 16) throw AsmError("repeat count out of range 1..16");
        return setRepeat(static_cast<uint16_t>(n - 1));
    }
    constexpr Assembler& rpt(Reg r) {
        return setRepeat(static_cast<uint16_t>(0x80 | r));
    }
    // The same with the carry taken as zero in every repetition (RPTZ).
    constexpr Assembler& rptz(int n) {
        return rpt(n).zeroCarry();
    }
    constexpr Assembler& rptz(Reg r) {
        return rpt(r).zeroCarry();
    }

    // ---- jumps ------------------------------------------------------------------

#define KV_ASM_JUMP(name, cond)                  \
    constexpr Assembler& name(Label l) {         \
        return jump(cond, l);                    \
    }                                            \
    constexpr Assembler& name(uint32_t target) { \
        return jumpTo(cond, target);             \
    }
    KV_ASM_JUMP(jnz, 0)
    KV_ASM_JUMP(jne, 0)
    KV_ASM_JUMP(jz, 1)
    KV_ASM_JUMP(jeq, 1)
    KV_ASM_JUMP(jnc, 2)
    KV_ASM_JUMP(jlo, 2)
    KV_ASM_JUMP(jc, 3)
    KV_ASM_JUMP(jhs, 3)
    KV_ASM_JUMP(jn, 4)
    KV_ASM_JUMP(jge, 5)
    KV_ASM_JUMP(jl, 6)
    KV_ASM_JUMP(jmp, 7)
#undef KV_ASM_JUMP

    // ---- MSP430X address instructions -----------------------------------------

    constexpr Assembler& mova(const Operand& s, const Operand& d) {
        if (d.mode == Mode::Register) {
            switch (s.mode) {
                case Mode::Register:
                    return word(static_cast<uint16_t>(0x00C0 | (s.reg << 8) | d.reg));
                case Mode::Immediate:
                    return addressImmediate(0x0080, s, d.reg);
                case Mode::Indirect:
                    return word(static_cast<uint16_t>(0x0000 | (s.reg << 8) | d.reg));
                case Mode::PostInc:
                    return word(static_cast<uint16_t>(0x0010 | (s.reg << 8) | d.reg));
                case Mode::Absolute:
                    return addressWord(static_cast<uint16_t>(0x0020 | d.reg), s, 8, false);
                case Mode::Indexed:
                case Mode::Symbolic:
                    return addressIndex(static_cast<uint16_t>(0x0030 | (s.reg << 8) | d.reg), s);
            }
        }
        if (s.mode == Mode::Register) {
            if (d.mode == Mode::Absolute)
                return addressWord(static_cast<uint16_t>(0x0060 | s.reg), d, 8, false);
            if (d.mode == Mode::Indexed || d.mode == Mode::Symbolic)
                return addressIndex(static_cast<uint16_t>(0x0070 | (s.reg << 8) | d.reg), d);
        }
        throw AsmError("MOVA: operand modes not available");
    }
    constexpr Assembler& cmpa(const Operand& s, const Operand& d) {
        return addressAlu(1, s, d);
    }
    constexpr Assembler& adda(const Operand& s, const Operand& d) {
        return addressAlu(2, s, d);
    }
    constexpr Assembler& suba(const Operand& s, const Operand& d) {
        return addressAlu(3, s, d);
    }
    // BRA src: MOVA src,PC
    constexpr Assembler& bra(const Operand& s) {
        return mova(s, reg(PC));
    }

    constexpr Assembler& calla(const Operand& s) {
        switch (s.mode) {
            case Mode::Register:
                return word(static_cast<uint16_t>(0x1340 | s.reg));
            case Mode::Indexed:
                return addressIndex(static_cast<uint16_t>(0x1350 | s.reg), s);
            case Mode::Indirect:
                return word(static_cast<uint16_t>(0x1360 | s.reg));
            case Mode::PostInc:
                return word(static_cast<uint16_t>(0x1370 | s.reg));
            case Mode::Absolute:
                return addressWord(0x1380, s, 0, false);
            case Mode::Symbolic:
                return addressWord(0x1390, s, 0, true);
            case Mode::Immediate:
                return addressWord(0x13B0, s, 0, false);
        }
        throw AsmError("CALLA: operand mode not available");
    }
    constexpr Assembler& reta() {
        return word(0x1310);
    }

    // PUSHM.A #n,Rdst pushes Rdst down to Rdst-n+1; POPM.A #n,Rdst pops them back.
    constexpr Assembler& pushm_a(int n, Reg r) {
        return multiple(0x1400, n, r, r);
    }
    constexpr Assembler& pushm_w(int n, Reg r) {
        return multiple(0x1500, n, r, r);
    }
    constexpr Assembler& popm_a(int n, Reg r) {
        return multiple(0x1600, n, r, r - n + 1);
    }
    constexpr Assembler& popm_w(int n, Reg r) {
        return multiple(0x1700, n, r, r - n + 1);
    }

    // Rotates of a register by 1 to 4 bits.
    constexpr Assembler& rrcm_a(int n, Reg r) {
        return rotate(0, n, r, false);
    }
    constexpr Assembler& rrcm_w(int n, Reg r) {
        return rotate(0, n, r, true);
    }
    constexpr Assembler& rram_a(int n, Reg r) {
        return rotate(1, n, r, false);
    }
    constexpr Assembler& rram_w(int n, Reg r) {
        return rotate(1, n, r, true);
    }
    constexpr Assembler& rlam_a(int n, Reg r) {
        return rotate(2, n, r, false);
    }
    constexpr Assembler& rlam_w(int n, Reg r) {
        return rotate(2, n, r, true);
    }
    constexpr Assembler& rrum_a(int n, Reg r) {
        return rotate(3, n, r, false);
    }
    constexpr Assembler& rrum_w(int n, Reg r) {
        return rotate(3, n, r, true);
    }

    // ---- emulated instructions ------------------------------------------------

    constexpr Assembler& nop() {
        return mov(imm(0), reg(CG));
    }
    constexpr Assembler& ret() {
        return mov(postinc(SP), reg(PC));
    }
    constexpr Assembler& br(const Operand& s) {
        return mov(s, reg(PC));
    }
    constexpr Assembler& pop(const Operand& d) {
        return mov(postinc(SP), d);
    }
    constexpr Assembler& pop_b(const Operand& d) {
        return mov_b(postinc(SP), d);
    }
    constexpr Assembler& popx_a(const Operand& d) {
        return movx_a(postinc(SP), d);
    }
    constexpr Assembler& clr(const Operand& d) {
        return mov(imm(0), d);
    }
    constexpr Assembler& clr_b(const Operand& d) {
        return mov_b(imm(0), d);
    }
    constexpr Assembler& clrx_a(const Operand& d) {
        return movx_a(imm(0), d);
    }
    constexpr Assembler& inc(const Operand& d) {
        return add(imm(1), d);
    }
    constexpr Assembler& inc_b(const Operand& d) {
        return add_b(imm(1), d);
    }
    constexpr Assembler& incd(const Operand& d) {
        return add(imm(2), d);
    }
    constexpr Assembler& incd_b(const Operand& d) {
        return add_b(imm(2), d);
    }
    constexpr Assembler& dec(const Operand& d) {
        return sub(imm(1), d);
    }
    constexpr Assembler& dec_b(const Operand& d) {
        return sub_b(imm(1), d);
    }
    constexpr Assembler& decd(const Operand& d) {
        return sub(imm(2), d);
    }
    constexpr Assembler& decd_b(const Operand& d) {
        return sub_b(imm(2), d);
    }
    constexpr Assembler& inv(const Operand& d) {
        return xor_(imm(-1), d);
    }
    constexpr Assembler& inv_b(const Operand& d) {
        return xor_b(imm(-1), d);
    }
    constexpr Assembler& rla(const Operand& d) {
        return add(d, d);
    }
    constexpr Assembler& rla_b(const Operand& d) {
        return add_b(d, d);
    }
    constexpr Assembler& rlc(const Operand& d) {
        return addc(d, d);
    }
    constexpr Assembler& rlc_b(const Operand& d) {
        return addc_b(d, d);
    }
    constexpr Assembler& adc(const Operand& d) {
        return addc(imm(0), d);
    }
    constexpr Assembler& adc_b(const Operand& d) {
        return addc_b(imm(0), d);
    }
    constexpr Assembler& sbc(const Operand& d) {
        return subc(imm(0), d);
    }
    constexpr Assembler& sbc_b(const Operand& d) {
        return subc_b(imm(0), d);
    }
    constexpr Assembler& dadc(const Operand& d) {
        return dadd(imm(0), d);
    }
    constexpr Assembler& dadc_b(const Operand& d) {
        return dadd_b(imm(0), d);
    }
    constexpr Assembler& tst(const Operand& d) {
        return cmp(imm(0), d);
    }
    constexpr Assembler& tst_b(const Operand& d) {
        return cmp_b(imm(0), d);
    }
    // MSP430X forms of the emulated instructions (.W, and .A where it makes sense).
    constexpr Assembler& popx(const Operand& d) {
        return movx(postinc(SP), d);
    }
    constexpr Assembler& clrx(const Operand& d) {
        return movx(imm(0), d);
    }
    constexpr Assembler& incx(const Operand& d) {
        return addx(imm(1), d);
    }
    constexpr Assembler& incx_a(const Operand& d) {
        return addx_a(imm(1), d);
    }
    constexpr Assembler& incdx_a(const Operand& d) {
        return addx_a(imm(2), d);
    }
    constexpr Assembler& decx(const Operand& d) {
        return subx(imm(1), d);
    }
    constexpr Assembler& decx_a(const Operand& d) {
        return subx_a(imm(1), d);
    }
    constexpr Assembler& decdx_a(const Operand& d) {
        return subx_a(imm(2), d);
    }
    constexpr Assembler& invx(const Operand& d) {
        return xorx(imm(-1), d);
    }
    constexpr Assembler& invx_a(const Operand& d) {
        return xorx_a(imm(-1), d);
    }
    constexpr Assembler& rlax(const Operand& d) {
        return addx(d, d);
    }
    constexpr Assembler& rlax_a(const Operand& d) {
        return addx_a(d, d);
    }
    constexpr Assembler& rlcx(const Operand& d) {
        return addcx(d, d);
    }
    constexpr Assembler& rlcx_a(const Operand& d) {
        return addcx_a(d, d);
    }
    constexpr Assembler& tstx(const Operand& d) {
        return cmpx(imm(0), d);
    }
    constexpr Assembler& tstx_a(const Operand& d) {
        return cmpx_a(imm(0), d);
    }
    constexpr Assembler& tsta(Reg r) {
        return cmpa(imm(0), reg(r));
    }
    constexpr Assembler& clra(Reg r) {
        return mova(imm(0), reg(r));
    }
    constexpr Assembler& incda(Reg r) {
        return adda(imm(2), reg(r));
    }
    constexpr Assembler& decda(Reg r) {
        return suba(imm(2), reg(r));
    }

    constexpr Assembler& setc() {
        return bis(imm(1), reg(SR));
    }
    constexpr Assembler& clrc() {
        return bic(imm(1), reg(SR));
    }
    constexpr Assembler& setz() {
        return bis(imm(2), reg(SR));
    }
    constexpr Assembler& clrz() {
        return bic(imm(2), reg(SR));
    }
    constexpr Assembler& setn() {
        return bis(imm(4), reg(SR));
    }
    constexpr Assembler& clrn() {
        return bic(imm(4), reg(SR));
    }
    constexpr Assembler& eint() {
        return bis(imm(8), reg(SR));
    }
    constexpr Assembler& dint() {
        return bic(imm(8), reg(SR));
    }

private:
    static constexpr size_t kNone = ~static_cast<size_t>(0);

    enum class Fix : uint8_t { Jump, Value, Relative };
    struct Fixup {
        size_t at;  // word that takes the low 16 bits (or the jump word)
        Fix kind;
        uint32_t label;
        size_t highAt;  // word that takes bits 16-19, or kNone
        uint8_t highShift;
        bool wide;  // a 20-bit value is allowed
    };

    // One encoded operand of a format I or II instruction.
    struct Field {
        uint8_t reg = 0;
        uint8_t mode = 0;  // As (0-3), or Ad (0-1)
        bool hasWord = false;
        uint32_t value = 0;  // the word (low 16 bits) and bits 16-19
        uint32_t label = ~0u;
        Fix kind = Fix::Value;
    };

    static constexpr uint32_t sizeMask(Size s) {
        return s == Size::B ? 0xFF : s == Size::W ? 0xFFFF : 0xFFFFF;
    }

    static constexpr void checkRange(int64_t v, bool wide, const char* what) {
        const int64_t lo = wide ? -0x80000 : -0x8000;
        const int64_t hi = wide ? 0xFFFFF : 0xFFFF;
        if (v < lo || v > hi) throw AsmError(what);
    }

    // x(SR) would be absolute mode and x(R3) the constant 1.
    static constexpr void checkIndexRegister(uint8_t r) {
        if (r == 2 || r == 3) throw AsmError("x(SR) and x(R3) are no indexed modes");
    }

    static constexpr void checkAddress(int64_t v, bool wide) {
        if (v < 0 || v > (wide ? 0xFFFFF : 0xFFFF)) throw AsmError("address out of range");
    }

    constexpr uint32_t resolve(uint32_t label) const {
        if (label >= labels_.size() || labels_[label] < 0) throw AsmError("label not bound");
        return origin_ + 2 * static_cast<uint32_t>(labels_[label]);
    }

    constexpr void apply(std::vector<uint16_t>& out, const Fixup& f) const {
        const uint32_t target = resolve(f.label);
        const uint32_t at = origin_ + 2 * static_cast<uint32_t>(f.at);
        if (f.kind == Fix::Jump) {
            const int64_t delta = static_cast<int64_t>(target) - static_cast<int64_t>(at) - 2;
            out[f.at] = static_cast<uint16_t>(out[f.at] | jumpOffset(delta));
            return;
        }
        uint32_t v = f.kind == Fix::Relative ? target - at : target;
        if (f.kind == Fix::Value && !f.wide && target > 0xFFFF)
            throw AsmError("label address needs 20 bits");
        out[f.at] = static_cast<uint16_t>(v);
        if (f.highAt != kNone)
            out[f.highAt] =
                static_cast<uint16_t>(out[f.highAt] | (((v >> 16) & 0xF) << f.highShift));
    }

    static constexpr uint16_t jumpOffset(int64_t delta) {
        if (delta & 1) throw AsmError("jump to an odd address");
        if (delta < -1024 || delta > 1022) throw AsmError("jump out of range");
        return static_cast<uint16_t>((delta / 2) & 0x3FF);
    }

    constexpr Field source(const Operand& s, Size size, bool x) const {
        Field f;
        f.reg = s.reg;
        switch (s.mode) {
            case Mode::Register:
                f.mode = 0;
                return f;
            case Mode::Indexed:
                checkIndexRegister(s.reg);
                f.mode = 1;
                f.hasWord = true;
                checkRange(s.value, x, "index out of range");
                f.value = static_cast<uint32_t>(s.value);
                return f;
            case Mode::Symbolic:
            case Mode::Absolute:
                f.mode = 1;
                f.hasWord = true;
                f.label = s.label;
                f.kind = s.mode == Mode::Symbolic ? Fix::Relative : Fix::Value;
                f.value = static_cast<uint32_t>(s.value);
                if (s.mode == Mode::Absolute && !s.hasLabel()) checkAddress(s.value, x);
                return f;
            case Mode::Indirect:
                if (s.reg == 2 || s.reg == 3) throw AsmError("@SR and @R3 are constants");
                f.mode = 2;
                return f;
            case Mode::PostInc:
                if (s.reg == 2 || s.reg == 3) throw AsmError("@SR+ and @R3+ are constants");
                f.mode = 3;
                return f;
            case Mode::Immediate:
                break;
        }
        if (!s.hasLabel()) checkRange(s.value, x && size == Size::A, "immediate out of range");
        if (!s.hasLabel() && !s.longForm) {
            const uint32_t v = static_cast<uint32_t>(s.value) & sizeMask(size);
            if (v == 0) return Field{3, 0};
            if (v == 1) return Field{3, 1};
            if (v == 2) return Field{3, 2};
            if (v == 4) return Field{2, 2};
            if (v == 8) return Field{2, 3};
            if (v == sizeMask(size)) return Field{3, 3};
        }
        f.reg = 0;
        f.mode = 3;
        f.hasWord = true;
        f.value = static_cast<uint32_t>(s.value);
        f.label = s.label;
        f.kind = Fix::Value;
        return f;
    }

    constexpr Field destination(const Operand& d, bool x) const {
        Field f;
        f.reg = d.reg;
        switch (d.mode) {
            case Mode::Register:
                return f;
            case Mode::Indexed:
                checkIndexRegister(d.reg);
                checkRange(d.value, x, "index out of range");
                break;
            case Mode::Symbolic:
                f.kind = Fix::Relative;
                break;
            case Mode::Absolute:
                if (!d.hasLabel()) checkAddress(d.value, x);
                break;
            default:
                throw AsmError("destination must be Rn, x(Rn), addr or &addr");
        }
        f.mode = 1;
        f.hasWord = true;
        f.value = static_cast<uint32_t>(d.value);
        f.label = d.label;
        return f;
    }

    // Appends an operand word; `highAt`/`shift` say where bits 16-19 go.
    constexpr void operandWord(const Field& f, size_t highAt, uint8_t shift, bool wide) {
        const size_t at = words_.size();
        if (f.label != ~0u) {
            fixups_.push_back(
                {at, f.kind, f.label, highAt, shift, wide || f.kind == Fix::Relative});
            words_.push_back(0);
            return;
        }
        uint32_t v = f.value;
        if (f.kind == Fix::Relative) v = f.value - (origin_ + 2 * static_cast<uint32_t>(at));
        words_.push_back(static_cast<uint16_t>(v));
        if (highAt != kNone)
            words_[highAt] = static_cast<uint16_t>(words_[highAt] | (((v >> 16) & 0xF) << shift));
    }

    constexpr uint16_t takeExtension(bool x, bool registerMode, Size size) {
        if (!x) {
            if (repeatPending_) throw AsmError("repeat needs an MSP430X instruction");
            return 0;
        }
        uint16_t e = 0x1800;
        if (size != Size::A) e |= 0x40;  // A/L
        if (repeatPending_) {
            if (!registerMode) throw AsmError("repeat and zero carry need register mode");
            e |= repeat_;
            repeatPending_ = false;
            repeatCounted_ = false;
            repeat_ = 0;
        }
        return e;
    }

    constexpr Assembler& formatI(unsigned opc, Size size, bool x, const Operand& s,
                                 const Operand& d) {
        const Field fs = source(s, size, x);
        const Field fd = destination(d, x);
        const bool registerMode = fs.mode == 0 && fd.mode == 0;
        const uint16_t ext = takeExtension(x, registerMode, size);
        const bool bw = size != Size::W;
        size_t extAt = kNone;
        if (x) {
            extAt = words_.size();
            words_.push_back(ext);
        }
        words_.push_back(static_cast<uint16_t>((opc << 12) | (fs.reg << 8) | (fd.mode << 7) |
                                               (bw ? 0x40 : 0) | (fs.mode << 4) | fd.reg));
        if (fs.hasWord) operandWord(fs, extAt, 7, x);
        if (fd.hasWord) operandWord(fd, extAt, 0, x);
        return *this;
    }

    constexpr Assembler& formatII(unsigned opc, Size size, bool x, const Operand& o) {
        const Field f = source(o, size, x);
        if (opc != 4 && opc != 5 && o.mode == Mode::Immediate)
            throw AsmError("immediate operand not available");
        const bool registerMode = f.mode == 0;
        uint16_t ext = takeExtension(x, registerMode, size);
        bool bw = size == Size::B || (size == Size::A && opc != 1 && opc != 3);
        size_t extAt = kNone;
        if (x) {
            if (opc == 1 || opc == 3) {
                // SWPBX and SXTX: A/L alone selects .A, the B/W bit stays clear.
                bw = false;
            }
            extAt = words_.size();
            words_.push_back(ext);
        }
        words_.push_back(
            static_cast<uint16_t>(0x1000 | (opc << 7) | (bw ? 0x40 : 0) | (f.mode << 4) | f.reg));
        if (f.hasWord) operandWord(f, extAt, 0, x);
        return *this;
    }

    constexpr Assembler& setRepeat(uint16_t bits) {
        if (repeatCounted_) throw AsmError("repeat given twice");
        repeat_ = static_cast<uint16_t>((repeat_ & 0x100) | bits);
        repeatPending_ = true;
        repeatCounted_ = true;
        return *this;
    }
    constexpr Assembler& zeroCarry() {
        repeat_ = static_cast<uint16_t>(repeat_ | 0x100);
        repeatPending_ = true;
        return *this;
    }

    constexpr Assembler& jump(unsigned cond, Label l) {
        if (l.id >= labels_.size()) throw AsmError("unknown label");
        fixups_.push_back({words_.size(), Fix::Jump, l.id, kNone, 0, false});
        return word(static_cast<uint16_t>(0x2000 | (cond << 10)));
    }
    constexpr Assembler& jumpTo(unsigned cond, uint32_t target) {
        const int64_t delta = static_cast<int64_t>(target) - static_cast<int64_t>(here()) - 2;
        return word(static_cast<uint16_t>(0x2000 | (cond << 10) | jumpOffset(delta)));
    }

    // MOVA/CALLA with a 20-bit value split over the instruction (bits 16-19
    // at `shift`) and one word.
    constexpr Assembler& addressWord(uint16_t op, const Operand& o, uint8_t shift, bool relative) {
        const size_t at = words_.size();
        words_.push_back(op);
        Field f;
        f.hasWord = true;
        f.value = static_cast<uint32_t>(o.value);
        f.label = o.label;
        f.kind = relative ? Fix::Relative : Fix::Value;
        if (!o.hasLabel() && !relative) checkRange(o.value, true, "value out of 20-bit range");
        operandWord(f, at, shift, true);
        return *this;
    }
    // MOVA/CALLA x(Rn) and symbolic: a signed 16-bit index word.
    constexpr Assembler& addressIndex(uint16_t op, const Operand& o) {
        words_.push_back(op);
        const size_t at = words_.size();
        if (o.mode == Mode::Symbolic) {
            if (o.hasLabel()) {
                fixups_.push_back({at, Fix::Relative, o.label, kNone, 0, true});
                words_.push_back(0);
                return *this;
            }
            const int64_t delta =
                static_cast<int64_t>(o.value) - static_cast<int64_t>(origin_ + 2 * at);
            if (delta < -0x8000 || delta > 0x7FFF) throw AsmError("index out of range");
            words_.push_back(static_cast<uint16_t>(delta));
            return *this;
        }
        if (o.value < -0x8000 || o.value > 0xFFFF) throw AsmError("index out of range");
        words_.push_back(static_cast<uint16_t>(o.value));
        return *this;
    }
    constexpr Assembler& addressImmediate(uint16_t op, const Operand& s, uint8_t dst) {
        return addressWord(static_cast<uint16_t>(op | dst), s, 8, false);
    }
    constexpr Assembler& addressAlu(unsigned kind, const Operand& s, const Operand& d) {
        if (d.mode != Mode::Register) throw AsmError("CMPA/ADDA/SUBA need a register destination");
        if (s.mode == Mode::Register)
            return word(static_cast<uint16_t>(0x00C0 | (kind << 4) | (s.reg << 8) | d.reg));
        if (s.mode == Mode::Immediate)
            return addressImmediate(static_cast<uint16_t>(0x0080 | (kind << 4)), s, d.reg);
        throw AsmError("CMPA/ADDA/SUBA need a register or immediate source");
    }
    constexpr Assembler& multiple(uint16_t op, int n, Reg r, int field) {
        if (n < 1 || n > 16) throw AsmError("register count out of range 1..16");
        if (field < 0) throw AsmError("register count reaches below R0");
        (void)r;
        return word(static_cast<uint16_t>(op | ((n - 1) << 4) | field));
    }
    constexpr Assembler& rotate(unsigned kind, int n, Reg r, bool w) {
        if (n < 1 || n > 4) throw AsmError("rotate count out of range 1..4");
        return word(
            static_cast<uint16_t>(((n - 1) << 10) | (kind << 8) | 0x40 | (w ? 0x10 : 0) | r));
    }

    uint32_t origin_;
    std::vector<uint16_t> words_;
    std::vector<int64_t> labels_;
    std::vector<Fixup> fixups_;
    uint16_t repeat_ = 0;
    bool repeatPending_ = false;
    bool repeatCounted_ = false;
};

}  // namespace kv::asm430
