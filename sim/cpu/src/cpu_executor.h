// The instruction engine of Cpu, instantiated at compile time for the CPU kind
// (MSP430 or MSP430X) and for the instruction source (memory or the JTAG feed).
#pragma once

#include <cstring>

#include "cycle_table.h"
#include "kelvane/sim/cpu.h"

namespace kv::sim {

enum class OpSize : uint8_t { B, W, A };

inline constexpr uint32_t sizeMask(OpSize s) {
    return s == OpSize::B ? 0xFF : s == OpSize::W ? 0xFFFF : 0xFFFFF;
}
inline constexpr uint32_t sizeMsb(OpSize s) {
    return s == OpSize::B ? 0x80 : s == OpSize::W ? 0x8000 : 0x80000;
}

template <bool X, bool Feed>
class CpuExecutor {
public:
    static constexpr uint32_t kAMask = X ? 0xFFFFF : 0xFFFF;

    explicit CpuExecutor(Cpu& cpu) : c_(cpu), r_(cpu.r_) {}

    // ---- memory ---------------------------------------------------------

    uint8_t read8(uint32_t a) {
        a &= kAMask;
        if (const uint8_t* p = c_.readPages_[a >> Bus::kDirectPageBits])
            return p[a & (Bus::kDirectPageSize - 1)];
        if (const uint8_t* p = askRead(a)) return p[a & (Bus::kDirectPageSize - 1)];
        return c_.bus_.read8(a);
    }
    uint16_t read16(uint32_t a) {
        a &= kAMask & ~1u;
        const uint8_t* p = c_.readPages_[a >> Bus::kDirectPageBits];
        if (p || (p = askRead(a))) {
            uint16_t v;
            std::memcpy(&v, p + (a & (Bus::kDirectPageSize - 1)), 2);
            return v;
        }
        return c_.bus_.read16(a);
    }
    uint16_t fetchMemory(uint32_t a) {
        a &= kAMask & ~1u;
        const uint8_t* p = c_.readPages_[a >> Bus::kDirectPageBits];
        if (p || (p = askRead(a))) {
            uint16_t v;
            std::memcpy(&v, p + (a & (Bus::kDirectPageSize - 1)), 2);
            return v;
        }
        return c_.bus_.fetch16(a);
    }
    uint32_t read20(uint32_t a) {
        return read16(a) | (static_cast<uint32_t>(read16(a + 2) & 0xF) << 16);
    }
    void write8(uint32_t a, uint8_t v) {
        a &= kAMask;
        uint8_t* p = c_.writePages_[a >> Bus::kDirectPageBits];
        if (p || (p = askWrite(a))) {
            p[a & (Bus::kDirectPageSize - 1)] = v;
            return;
        }
        c_.bus_.write8(a, v);
    }
    void write16(uint32_t a, uint16_t v) {
        a &= kAMask & ~1u;
        uint8_t* p = c_.writePages_[a >> Bus::kDirectPageBits];
        if (p || (p = askWrite(a))) {
            std::memcpy(p + (a & (Bus::kDirectPageSize - 1)), &v, 2);
            return;
        }
        c_.bus_.write16(a, v);
    }
    void write20(uint32_t a, uint32_t v) {
        write16(a, static_cast<uint16_t>(v));
        write16(a + 2, static_cast<uint16_t>((v >> 16) & 0xF));
    }
    uint32_t readSized(uint32_t a, OpSize s) {
        if (s == OpSize::B) return read8(a);
        if (X && s == OpSize::A) return read20(a);
        return read16(a);
    }
    void writeSized(uint32_t a, uint32_t v, OpSize s) {
        if (s == OpSize::B)
            write8(a, static_cast<uint8_t>(v));
        else if (X && s == OpSize::A)
            write20(a, v);
        else
            write16(a, static_cast<uint16_t>(v));
    }

    // ---- registers ------------------------------------------------------

    uint32_t pc() const { return r_[0]; }
    void setRegister(unsigned n, uint32_t v) {
        switch (n) {
            case 0:
            case 1:
                r_[n] = v & kAMask & ~1u;
                break;
            case 2:
                r_[2] = v & 0xFFFF;
                break;
            case 3:
                break;
            default:
                r_[n] = v & kAMask;
                break;
        }
    }
    uint16_t fetch() {
        if constexpr (Feed) {
            if (c_.feedUsed_ < c_.feedCount_) {
                const uint16_t w = c_.feed_[c_.feedUsed_++];
                r_[0] = (r_[0] + 2) & kAMask;
                return w;
            }
        }
        const uint16_t w = fetchMemory(r_[0]);
        r_[0] = (r_[0] + 2) & kAMask;
        return w;
    }
    void push16(uint16_t v) {
        r_[1] = (r_[1] - 2) & kAMask;
        write16(r_[1], v);
    }
    void push20(uint32_t v) {
        r_[1] = (r_[1] - 4) & kAMask;
        write20(r_[1], v);
    }
    uint16_t pop16() {
        const uint16_t v = read16(r_[1]);
        r_[1] = (r_[1] + 2) & kAMask;
        return v;
    }
    uint32_t pop20() {
        const uint32_t v = read20(r_[1]);
        r_[1] = (r_[1] + 4) & kAMask;
        return v;
    }
    void setFlags(uint16_t flags) {
        r_[2] = (r_[2] & ~static_cast<uint32_t>(kSrC | kSrZ | kSrN | kSrV)) | flags;
    }
    uint32_t carry() const { return r_[2] & kSrC; }

    // ---- execution ------------------------------------------------------

    int instruction();
    uint64_t run(uint64_t budget);
    int interrupt(uint32_t vector);

private:
    // An operand: a register, a memory address or a constant.
    struct Loc {
        enum Kind : uint8_t { kReg, kMem, kConst } kind;
        uint32_t v;
    };

    uint8_t* askRead(uint32_t a) {
        const uint32_t page = a >> Bus::kDirectPageBits;
        if (c_.pageAsked_[page] & 1) return nullptr;
        c_.pageAsked_[page] |= 1;
        c_.readPages_[page] = c_.bus_.directPage(page << Bus::kDirectPageBits, false);
        return c_.readPages_[page];
    }
    uint8_t* askWrite(uint32_t a) {
        const uint32_t page = a >> Bus::kDirectPageBits;
        if (c_.pageAsked_[page] & 2) return nullptr;
        c_.pageAsked_[page] |= 2;
        c_.writePages_[page] = c_.bus_.directPage(page << Bus::kDirectPageBits, true);
        return c_.writePages_[page];
    }

    uint32_t indexedAddress(unsigned reg, uint32_t wordAddress, uint16_t x, int high);
    Loc operand(unsigned as, unsigned reg, OpSize size, int high);
    Loc destination(unsigned reg, int high);
    uint32_t load(const Loc& l, OpSize size) {
        if (l.kind == Loc::kReg) return r_[l.v] & sizeMask(size);
        if (l.kind == Loc::kMem) return readSized(l.v, size);
        return l.v & sizeMask(size);
    }
    void store(const Loc& l, uint32_t v, OpSize size) {
        if (l.kind == Loc::kReg)
            setRegister(l.v, v & sizeMask(size));
        else if (l.kind == Loc::kMem)
            writeSized(l.v, v, size);
    }

    bool alu(unsigned opc, uint32_t s, uint32_t d, OpSize size, bool zc, uint32_t& result);
    uint32_t add(uint32_t s, uint32_t d, uint32_t c, OpSize size);
    uint32_t dadd(uint32_t s, uint32_t d, uint32_t c, OpSize size);
    uint32_t single(unsigned opc, uint32_t v, OpSize size, bool zc, bool wide);

    template <bool E>
    int formatI(uint16_t op, uint16_t ext);
    template <bool E>
    int formatII(uint16_t op, uint16_t ext);
    int extended(uint16_t ext);
    int group13(uint16_t op);
    int pushPop(uint16_t op);
    int address(uint16_t op);
    int jump(uint16_t op);
    int reti();
    int illegal(uint16_t op);

    Cpu& c_;
    uint32_t* r_;
};

}  // namespace kv::sim

#include "cpu_executor_impl.h"
