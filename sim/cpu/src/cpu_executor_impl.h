// Instruction semantics of CpuExecutor (included by cpu_executor.h).
#pragma once

namespace kv::sim {

namespace detail {

inline uint32_t signExtend16(uint16_t x) {
    return static_cast<uint32_t>(static_cast<int32_t>(static_cast<int16_t>(x)));
}

// Operand size of an extended instruction from its A/L and B/W bits. The
// reserved combination (A/L and B/W both clear) runs as a word operation.
inline OpSize extendedSize(uint16_t ext, bool bw) {
    if (ext & 0x40) return bw ? OpSize::B : OpSize::W;
    return bw ? OpSize::A : OpSize::W;
}

}  // namespace detail

template <bool X, bool Feed>
uint32_t CpuExecutor<X, Feed>::indexedAddress(unsigned reg, uint32_t wordAddress, uint16_t x,
                                              int high) {
    if (reg == 2) {  // absolute
        return high >= 0 ? ((static_cast<uint32_t>(high) << 16) | x) : x;
    }
    const uint32_t base = reg == 0 ? wordAddress : r_[reg];
    if constexpr (X) {
        if (high >= 0) return (base + ((static_cast<uint32_t>(high) << 16) | x)) & 0xFFFFF;
        // A plain instruction stays in the lower 64 KiB when its base is there.
        if (base < 0x10000) return (base + x) & 0xFFFF;
        return (base + detail::signExtend16(x)) & 0xFFFFF;
    } else {
        (void)high;
        return (base + x) & 0xFFFF;
    }
}

template <bool X, bool Feed>
typename CpuExecutor<X, Feed>::Loc CpuExecutor<X, Feed>::operand(unsigned as, unsigned reg,
                                                                 OpSize size, int high) {
    switch (as) {
        case 0:
            if (reg == 3) return {Loc::kConst, 0};
            return {Loc::kReg, reg};
        case 1: {
            if (reg == 3) return {Loc::kConst, 1};
            const uint32_t at = r_[0];
            const uint16_t x = fetch();
            return {Loc::kMem, indexedAddress(reg, at, x, high)};
        }
        case 2:
            if (reg == 2) return {Loc::kConst, 4};
            if (reg == 3) return {Loc::kConst, 2};
            return {Loc::kMem, r_[reg]};
        default:
            if (reg == 2) return {Loc::kConst, 8};
            if (reg == 3) return {Loc::kConst, 0xFFFFF};
            if (reg == 0) {
                uint32_t v = fetch();
                if (high >= 0) v |= static_cast<uint32_t>(high) << 16;
                return {Loc::kConst, v};
            }
            {
                const uint32_t a = r_[reg];
                uint32_t step = 2;
                if (size == OpSize::B && reg != 1) step = 1;
                if (X && size == OpSize::A) step = 4;
                r_[reg] = (a + step) & kAMask;
                return {Loc::kMem, a};
            }
    }
}

template <bool X, bool Feed>
typename CpuExecutor<X, Feed>::Loc CpuExecutor<X, Feed>::destination(unsigned reg, int high) {
    const uint32_t at = r_[0];
    const uint16_t y = fetch();
    return {Loc::kMem, indexedAddress(reg, at, y, high)};
}

template <bool X, bool Feed>
uint32_t CpuExecutor<X, Feed>::add(uint32_t s, uint32_t d, uint32_t c, OpSize size) {
    const uint32_t mask = sizeMask(size);
    const uint32_t msb = sizeMsb(size);
    const uint32_t sum = s + d + c;
    const uint32_t r = sum & mask;
    uint16_t f = 0;
    if (sum > mask) f |= kSrC;
    if (r == 0) f |= kSrZ;
    if (r & msb) f |= kSrN;
    if (~(s ^ d) & (s ^ r) & msb) f |= kSrV;
    setFlags(f);
    return r;
}

template <bool X, bool Feed>
uint32_t CpuExecutor<X, Feed>::dadd(uint32_t s, uint32_t d, uint32_t c, OpSize size) {
    const int digits = size == OpSize::B ? 2 : size == OpSize::W ? 4 : 5;
    const uint32_t msb = sizeMsb(size);
    uint32_t r = 0;
    for (int i = 0; i < digits; ++i) {
        uint32_t digit = ((s >> (4 * i)) & 15) + ((d >> (4 * i)) & 15) + c;
        if (digit > 9) digit += 6;
        c = digit > 15 ? 1 : 0;
        r |= (digit & 15) << (4 * i);
    }
    uint16_t f = 0;
    if (c) f |= kSrC;
    if (r == 0) f |= kSrZ;
    if (r & msb) f |= kSrN;
    // Overflow comes from the sign bits as in a binary addition.
    if (~(s ^ d) & (s ^ r) & msb) f |= kSrV;
    setFlags(f);
    return r;
}

// Format I operation; returns whether the result is written back.
template <bool X, bool Feed>
bool CpuExecutor<X, Feed>::alu(unsigned opc, uint32_t s, uint32_t d, OpSize size, bool zc,
                               uint32_t& result) {
    const uint32_t mask = sizeMask(size);
    const uint32_t msb = sizeMsb(size);
    const uint32_t c = zc ? 0 : carry();
    switch (opc) {
        case 0x4:  // MOV
            result = s;
            return true;
        case 0x5:  // ADD
            result = add(s, d, 0, size);
            return true;
        case 0x6:  // ADDC
            result = add(s, d, c, size);
            return true;
        case 0x7:  // SUBC
            result = add(~s & mask, d, c, size);
            return true;
        case 0x8:  // SUB
            result = add(~s & mask, d, 1, size);
            return true;
        case 0x9:  // CMP
            add(~s & mask, d, 1, size);
            return false;
        case 0xA:  // DADD
            result = dadd(s, d, c, size);
            return true;
        case 0xC:  // BIC
            result = d & ~s & mask;
            return true;
        case 0xD:  // BIS
            result = d | s;
            return true;
        case 0xE: {  // XOR
            result = (s ^ d) & mask;
            uint16_t f = result ? kSrC : kSrZ;
            if (result & msb) f |= kSrN;
            if (s & d & msb) f |= kSrV;
            setFlags(f);
            return true;
        }
        default: {  // BIT (0xB), AND (0xF)
            const uint32_t r = s & d;
            uint16_t f = r ? kSrC : kSrZ;
            if (r & msb) f |= kSrN;
            setFlags(f);
            result = r;
            return opc == 0xF;
        }
    }
}

template <bool X, bool Feed>
template <bool E>
int CpuExecutor<X, Feed>::formatI(uint16_t op, uint16_t ext) {
    const unsigned opc = op >> 12;
    const unsigned sreg = (op >> 8) & 15;
    const unsigned ad = (op >> 7) & 1;
    const unsigned as = (op >> 4) & 3;
    const unsigned dreg = op & 15;
    const bool bw = (op & 0x40) != 0;
    int cycles = cycleTable(X)[op];
    OpSize size = bw ? OpSize::B : OpSize::W;
    if constexpr (E) size = detail::extendedSize(ext, bw);
    const uint32_t mask = sizeMask(size);

    if (as == 0 && ad == 0) {
        // Register to register, the hot path; extended: repeat and zero carry.
        unsigned n = 1;
        bool zc = false;
        if constexpr (E) {
            n = ((ext & 0x80) ? (r_[ext & 15] & 15) : (ext & 15)) + 1;
            zc = (ext & 0x100) != 0;
            cycles += static_cast<int>(n) - 1;
        }
        for (unsigned i = 0; i < n; ++i) {
            uint32_t result;
            if (alu(opc, r_[sreg] & mask, r_[dreg] & mask, size, zc, result))
                setRegister(dreg, result & mask);
        }
        return cycles;
    }

    int high = -1, dhigh = -1;
    if constexpr (E) {
        high = (ext >> 7) & 15;
        dhigh = ext & 15;
    }
    const Loc s = operand(as, sreg, size, high);
    const uint32_t sv = load(s, size);
    Loc d{Loc::kReg, dreg};
    if (ad) d = destination(dreg, dhigh);
    const uint32_t dv = opc == 0x4 ? 0 : load(d, size);
    uint32_t result;
    const bool writes = alu(opc, sv, dv, size, false, result);
    if (writes) store(d, result, size);
    if constexpr (E) {
        if (size == OpSize::A) {
            // One more cycle for every 20-bit memory access.
            if (s.kind == Loc::kMem) ++cycles;
            if (ad) cycles += (opc == 0x4 || !writes) ? 1 : 2;
        }
    }
    return cycles;
}

// RRC, SWPB, RRA, SXT on a value.
template <bool X, bool Feed>
uint32_t CpuExecutor<X, Feed>::single(unsigned opc, uint32_t v, OpSize size, bool zc, bool wide) {
    const uint32_t mask = sizeMask(size);
    const uint32_t msb = sizeMsb(size);
    uint32_t r;
    switch (opc) {
        case 0:    // RRC
        case 2: {  // RRA
            const uint32_t top = opc == 0 ? ((zc ? 0 : carry()) ? msb : 0) : (v & msb);
            r = ((v & mask) >> 1) | top;
            uint16_t f = (v & 1) ? kSrC : 0;
            if (r == 0) f |= kSrZ;
            if (r & msb) f |= kSrN;
            setFlags(f);
            return r;
        }
        case 1:  // SWPB
            r = ((v >> 8) & 0xFF) | ((v & 0xFF) << 8);
            if (size == OpSize::A) r |= v & 0xF0000;
            return r;
        default: {  // SXT; `wide` extends the sign through bit 19
            r = v & 0xFF;
            if (v & 0x80) r |= wide ? 0xFFF00 : 0xFF00;
            uint16_t f = r ? kSrC : kSrZ;
            if (v & 0x80) f |= kSrN;
            setFlags(f);
            return r;
        }
    }
}

template <bool X, bool Feed>
template <bool E>
int CpuExecutor<X, Feed>::formatII(uint16_t op, uint16_t ext) {
    const unsigned opc = (op >> 7) & 7;
    const unsigned as = (op >> 4) & 3;
    const unsigned reg = op & 15;
    const bool bw = (op & 0x40) != 0;
    int cycles = cycleTable(X)[op];

    if (opc == 5) {  // CALL: a 16-bit target, the 16-bit return address pushed
        const Loc l = operand(as, reg, OpSize::W, -1);
        const uint32_t target = load(l, OpSize::W);
        push16(static_cast<uint16_t>(r_[0]));
        r_[0] = target & 0xFFFE;
        return cycles;
    }

    OpSize size = bw ? OpSize::B : OpSize::W;
    if (opc == 1 || opc == 3) size = OpSize::W;  // SWPB and SXT have no byte form
    int high = -1;
    if constexpr (E) {
        if (opc == 1 || opc == 3)
            size = (ext & 0x40) ? OpSize::W : OpSize::A;
        else
            size = detail::extendedSize(ext, bw);
        high = ext & 15;
    }
    const uint32_t mask = sizeMask(size);

    if (as == 0 && opc != 4) {
        unsigned n = 1;
        bool zc = false;
        if constexpr (E) {
            n = ((ext & 0x80) ? (r_[ext & 15] & 15) : (ext & 15)) + 1;
            zc = (ext & 0x100) != 0;
            cycles += static_cast<int>(n) - 1;
        }
        // SXT of a plain instruction extends through bit 19 in register mode.
        const bool wide = E ? size == OpSize::A : X;
        for (unsigned i = 0; i < n; ++i)
            setRegister(reg, single(opc, r_[reg] & mask, size, zc, wide));
        return cycles;
    }

    if (opc == 4) {  // PUSH; a repeated PUSHX pushes its register n times
        unsigned n = 1;
        if constexpr (E) {
            if (as == 0) {
                n = ((ext & 0x80) ? (r_[ext & 15] & 15) : (ext & 15)) + 1;
                cycles += static_cast<int>(n) - 1;
            }
        }
        const Loc l = operand(as, reg, size, high);
        for (unsigned i = 0; i < n; ++i) {
            const uint32_t v = load(l, size);
            if (X && size == OpSize::A) {
                push20(v);
            } else {
                r_[1] = (r_[1] - 2) & kAMask;
                if (size == OpSize::B)
                    write8(r_[1], static_cast<uint8_t>(v));
                else
                    write16(r_[1], static_cast<uint16_t>(v));
            }
        }
        if (X && size == OpSize::A) cycles += l.kind == Loc::kMem ? 2 : 1;
        return cycles;
    }
    const Loc l = operand(as, reg, size, high);
    const uint32_t v = load(l, size);
    store(l, single(opc, v, size, false, size == OpSize::A), size);
    if (E && size == OpSize::A && l.kind == Loc::kMem) cycles += 2;
    return cycles;
}

template <bool X, bool Feed>
int CpuExecutor<X, Feed>::reti() {
    if constexpr (X) {
        const uint16_t srWord = pop16();
        const uint16_t pcLow = pop16();
        r_[2] = srWord & 0x0FFF;
        r_[0] = ((static_cast<uint32_t>(srWord & 0xF000) << 4) | pcLow) & ~1u;
        return 3;
    } else {
        r_[2] = pop16();
        r_[0] = pop16() & ~1u;
        return 5;
    }
}

template <bool X, bool Feed>
int CpuExecutor<X, Feed>::illegal(uint16_t op) {
    ++c_.illegalCount_;
    if (c_.illegal_) c_.illegal_((r_[0] - 2) & kAMask, op);
    return 1;
}

template <bool X, bool Feed>
int CpuExecutor<X, Feed>::jump(uint16_t op) {
    bool take;
    const uint32_t sr = r_[2];
    switch ((op >> 10) & 7) {
        case 0:
            take = !(sr & kSrZ);
            break;
        case 1:
            take = (sr & kSrZ) != 0;
            break;
        case 2:
            take = !(sr & kSrC);
            break;
        case 3:
            take = (sr & kSrC) != 0;
            break;
        case 4:
            take = (sr & kSrN) != 0;
            break;
        case 5:
            take = ((sr & kSrN) != 0) == ((sr & kSrV) != 0);
            break;
        case 6:
            take = ((sr & kSrN) != 0) != ((sr & kSrV) != 0);
            break;
        default:
            take = true;
            break;
    }
    if (take) {
        const int32_t offset = static_cast<int32_t>(static_cast<uint32_t>(op & 0x3FF) << 22) >> 21;
        r_[0] = (r_[0] + static_cast<uint32_t>(offset)) & kAMask;
    }
    return 2;
}

// RETI, RETA and CALLA (0x1300 to 0x13FF on the MSP430X).
template <bool X, bool Feed>
int CpuExecutor<X, Feed>::group13(uint16_t op) {
    const unsigned reg = op & 15;
    const int cycles = cycleTable(X)[op];
    uint32_t target;
    switch ((op >> 4) & 15) {
        case 0x0:
            return reti();
        case 0x1:  // RETA
            r_[0] = pop20() & ~1u;
            return cycles;
        case 0x4:  // CALLA Rdst
            target = r_[reg];
            break;
        case 0x5: {  // CALLA x(Rdst)
            const uint32_t at = r_[0];
            const uint16_t x = fetch();
            const uint32_t base = reg == 0 ? at : r_[reg];
            target = read20((base + detail::signExtend16(x)) & 0xFFFFF);
            break;
        }
        case 0x6:  // CALLA @Rdst
            target = read20(r_[reg]);
            break;
        case 0x7:  // CALLA @Rdst+
            target = read20(r_[reg]);
            r_[reg] = (r_[reg] + 4) & kAMask;
            break;
        case 0x8: {  // CALLA &abs20
            const uint16_t x = fetch();
            target = read20((static_cast<uint32_t>(reg) << 16) | x);
            break;
        }
        case 0x9: {  // CALLA EDE (PC-relative)
            const uint32_t at = r_[0];
            const uint16_t x = fetch();
            target = read20((at + ((static_cast<uint32_t>(reg) << 16) | x)) & 0xFFFFF);
            break;
        }
        case 0xB: {  // CALLA #imm20
            const uint16_t x = fetch();
            target = (static_cast<uint32_t>(reg) << 16) | x;
            break;
        }
        default:
            return illegal(op);
    }
    push20(r_[0]);
    r_[0] = target & 0xFFFFE;
    return cycles;
}

// PUSHM and POPM, 20-bit (.A) and 16-bit (.W).
template <bool X, bool Feed>
int CpuExecutor<X, Feed>::pushPop(uint16_t op) {
    const unsigned n = ((op >> 4) & 15) + 1;
    const unsigned reg = op & 15;
    switch (op & 0xFF00) {
        case 0x1400:
            for (unsigned i = 0; i < n; ++i)
                push20(r_[(reg - i) & 15]);
            break;
        case 0x1500:
            for (unsigned i = 0; i < n; ++i)
                push16(static_cast<uint16_t>(r_[(reg - i) & 15]));
            break;
        case 0x1600:
            for (unsigned i = 0; i < n; ++i)
                setRegister((reg + i) & 15, pop20());
            break;
        default:
            for (unsigned i = 0; i < n; ++i)
                setRegister((reg + i) & 15, pop16());
            break;
    }
    return cycleTable(X)[op];
}

// MOVA, CMPA, ADDA, SUBA and the multiple rotates (0x0000 to 0x0FFF).
template <bool X, bool Feed>
int CpuExecutor<X, Feed>::address(uint16_t op) {
    const unsigned src = (op >> 8) & 15;
    const unsigned dst = op & 15;
    const int cycles = cycleTable(X)[op];
    if (((op >> 5) & 7) == 2) {  // RRCM, RRAM, RLAM, RRUM
        const OpSize size = (op & 0x10) ? OpSize::W : OpSize::A;
        const uint32_t mask = sizeMask(size);
        const uint32_t msb = sizeMsb(size);
        const unsigned n = ((op >> 10) & 3) + 1;
        uint32_t v = r_[dst] & mask;
        uint32_t c = carry();
        for (unsigned i = 0; i < n; ++i) {
            switch ((op >> 8) & 3) {
                case 0: {  // RRCM
                    const uint32_t out = v & 1;
                    v = (v >> 1) | (c ? msb : 0);
                    c = out;
                    break;
                }
                case 1:  // RRAM
                    c = v & 1;
                    v = (v >> 1) | (v & msb);
                    break;
                case 2:  // RLAM
                    c = (v & msb) ? 1 : 0;
                    v = (v << 1) & mask;
                    break;
                default:  // RRUM
                    c = v & 1;
                    v >>= 1;
                    break;
            }
        }
        uint16_t f = c ? kSrC : 0;
        if (v == 0) f |= kSrZ;
        if (v & msb) f |= kSrN;
        setFlags(f);
        setRegister(dst, v);
        return cycles;
    }
    const uint32_t high = static_cast<uint32_t>(src) << 16;
    switch ((op >> 4) & 15) {
        case 0x0:  // MOVA @Rsrc,Rdst
            setRegister(dst, read20(r_[src]));
            break;
        case 0x1: {  // MOVA @Rsrc+,Rdst
            const uint32_t a = r_[src];
            r_[src] = (a + 4) & kAMask;
            setRegister(dst, read20(a));
            break;
        }
        case 0x2: {  // MOVA &abs20,Rdst
            const uint16_t x = fetch();
            setRegister(dst, read20(high | x));
            break;
        }
        case 0x3: {  // MOVA x(Rsrc),Rdst
            const uint32_t at = r_[0];
            const uint16_t x = fetch();
            const uint32_t base = src == 0 ? at : r_[src];
            setRegister(dst, read20((base + detail::signExtend16(x)) & 0xFFFFF));
            break;
        }
        case 0x6: {  // MOVA Rsrc,&abs20 (the source register is in bits 0-3)
            const uint16_t x = fetch();
            write20((static_cast<uint32_t>(src) << 16) | x, r_[dst]);
            break;
        }
        case 0x7: {  // MOVA Rsrc,x(Rdst)
            const uint32_t at = r_[0];
            const uint16_t x = fetch();
            const uint32_t base = dst == 0 ? at : r_[dst];
            write20((base + detail::signExtend16(x)) & 0xFFFFF, r_[src]);
            break;
        }
        case 0x8:    // MOVA #imm20,Rdst
        case 0x9:    // CMPA #imm20,Rdst
        case 0xA:    // ADDA #imm20,Rdst
        case 0xB:    // SUBA #imm20,Rdst
        case 0xC:    // MOVA Rsrc,Rdst
        case 0xD:    // CMPA Rsrc,Rdst
        case 0xE:    // ADDA Rsrc,Rdst
        case 0xF: {  // SUBA Rsrc,Rdst
            const unsigned kind = (op >> 4) & 3;
            const uint32_t s = (op & 0x40) ? r_[src] : (high | fetch());
            const uint32_t d = r_[dst];
            switch (kind) {
                case 0:
                    setRegister(dst, s);
                    break;
                case 1:
                    add(~s & 0xFFFFF, d, 1, OpSize::A);
                    break;
                case 2:
                    setRegister(dst, add(s, d, 0, OpSize::A));
                    break;
                default:
                    setRegister(dst, add(~s & 0xFFFFF, d, 1, OpSize::A));
                    break;
            }
            break;
        }
        default:
            return illegal(op);
    }
    return cycles;
}

// An extension word and the instruction behind it.
template <bool X, bool Feed>
int CpuExecutor<X, Feed>::extended(uint16_t ext) {
    const uint16_t op = fetch();
    if (op >= 0x4000) return formatI<true>(op, ext);
    if (op >= 0x1000 && op < 0x1280) return formatII<true>(op, ext);
    // Anything else ignores the extension word.
    switch (op >> 12) {
        case 0x0:
            return address(op);
        case 0x1:
            if (op < 0x1300) return formatII<false>(op, 0);
            if (op < 0x1400) return group13(op);
            if (op < 0x1800) return pushPop(op);
            return illegal(op);
        default:
            return jump(op);
    }
}

template <bool X, bool Feed>
int CpuExecutor<X, Feed>::instruction() {
    const uint16_t op = fetch();
    switch (op >> 12) {
        case 0x0:
            if constexpr (X) return address(op);
            return illegal(op);
        case 0x1:
            if (op < 0x1300) return formatII<false>(op, 0);
            if constexpr (X) {
                if (op < 0x1400) return group13(op);
                if (op < 0x1800) return pushPop(op);
                return extended(op);
            } else {
                if (op < 0x1380) {
                    reti();
                    return cycleTable(X)[op];
                }
                return illegal(op);
            }
        case 0x2:
        case 0x3:
            return jump(op);
        default:
            return formatI<false>(op, 0);
    }
}

template <bool X, bool Feed>
uint64_t CpuExecutor<X, Feed>::run(uint64_t budget) {
    uint64_t used = 0;
    uint64_t count = 0;
    while (used < budget && !(r_[2] & kSrCpuOff)) {
        used += static_cast<uint64_t>(instruction());
        ++count;
    }
    c_.cycles_ += used;
    c_.instructions_ += count;
    return used;
}

template <bool X, bool Feed>
int CpuExecutor<X, Feed>::interrupt(uint32_t vector) {
    const uint32_t pc = r_[0];
    if constexpr (X) {
        push16(static_cast<uint16_t>(pc));
        push16(static_cast<uint16_t>((r_[2] & 0x0FFF) | ((pc >> 4) & 0xF000)));
    } else {
        push16(static_cast<uint16_t>(pc));
        push16(static_cast<uint16_t>(r_[2]));
    }
    r_[2] &= kSrScg0;
    r_[0] = read16(vector) & ~1u;
    return X ? 5 : 6;
}

}  // namespace kv::sim
