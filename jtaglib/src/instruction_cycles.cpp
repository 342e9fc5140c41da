#include "instruction_cycles.h"

namespace nandrel {

namespace {

// Source mode with the constant generator counted as register mode: R3 in any
// mode, and R2 in the indirect modes, give constants.
uint32_t effectiveAs(uint32_t as, uint32_t sourceRegister) {
    if (sourceRegister == 3 || (sourceRegister == 2 && as >= 2)) return 0;
    return as;
}

uint32_t doubleOperand(uint16_t w, bool x) {
    static constexpr uint32_t kCycles[2][4] = {{1, 3, 2, 2}, {4, 6, 5, 5}};
    const uint32_t ad = (w >> 7) & 1;
    const uint32_t as = effectiveAs((w >> 4) & 3, (w >> 8) & 0xF);
    uint32_t cycles = kCycles[ad][as];
    if (ad == 0 && (w & 0xF) == 0 && as != 1) ++cycles;
    const uint32_t opcode = w >> 12;
    if (x && ad == 1 && (opcode == 0x4 || opcode == 0x9 || opcode == 0xB)) --cycles;
    return cycles;
}

uint32_t singleOperand(uint16_t w, bool x) {
    static constexpr uint32_t kShift[4] = {1, 4, 3, 3};
    static constexpr uint32_t kPush[2][4] = {{3, 5, 4, 4}, {3, 4, 3, 3}};
    static constexpr uint32_t kCall[2][4] = {{4, 5, 4, 5}, {3, 4, 4, 4}};
    const uint32_t reg = w & 0xF;
    const uint32_t as = effectiveAs((w >> 4) & 3, reg);
    const uint32_t stackIndexed = x && reg == 1 && as == 1 ? 1 : 0;
    switch ((w >> 7) & 7) {
        case 0:
        case 1:
        case 2:
        case 3:
            return kShift[as];
        case 4:
            return kPush[x][as] + stackIndexed;
        case 5:
            return kCall[x][as] + stackIndexed;
        default:
            return x ? 3 : 5;
    }
}

// The MSP430X words of 0x1300 to 0x17FF; false when the word is not one.
bool extendedGroup(uint16_t w, uint32_t* cycles) {
    const uint32_t n = (w >> 4) & 0xF;
    if (w == 0x1300) {
        *cycles = 3;
    } else if ((w & 0xFF00) == 0x1300) {
        switch (w & 0xF0) {
            case 0x40:
            case 0xB0:
                *cycles = 4;
                break;
            case 0x50:
                *cycles = (w & 0xF) == 1 ? 7 : 6;
                break;
            case 0x60:
            case 0x70:
                *cycles = 5;
                break;
            case 0x80:
            case 0x90:
                *cycles = 6;
                break;
            default:
                *cycles = 0;
        }
    } else if ((w & 0xFF00) == 0x1400 || (w & 0xFF00) == 0x1600) {
        *cycles = 2 * n + 4;
    } else if ((w & 0xFF00) == 0x1500 || (w & 0xFF00) == 0x1700) {
        *cycles = n + 3;
    } else {
        return false;
    }
    return true;
}

uint32_t addressInstruction(uint16_t w) {
    if ((w & 0xE0) == 0x40) return ((w >> 10) & 3) + 1;
    const uint32_t toPc = (w & 0xF) == 0 ? 1 : 0;
    switch (w & 0xF0) {
        case 0x00:
        case 0x10:
            return 3;
        case 0x80:
        case 0x90:
        case 0xA0:
        case 0xB0:
            return 2 + toPc;
        case 0xC0:
        case 0xD0:
        case 0xE0:
        case 0xF0:
            return 1 + toPc;
        default:  // 0x20, 0x30, 0x60, 0x70
            return 4;
    }
}

uint32_t plainCycles(uint16_t w, bool x) {
    if (w >= 0x4000) return doubleOperand(w, x);
    if (w >= 0x2000) return 2;
    if (w >= 0x1000) {
        uint32_t cycles = 0;
        if (x && extendedGroup(w, &cycles)) return cycles;
        return singleOperand(w, x);
    }
    return x ? addressInstruction(w) : 0;
}

// One cycle for each memory operand the extended instruction reaches with a
// 20-bit access: a memory source (not a constant) and an indexed destination
// of a two-operand instruction, or the memory operand of a one-operand one.
uint32_t wideAccesses(uint16_t w) {
    if (w >= 0x4000) {
        const uint32_t as = effectiveAs((w >> 4) & 3, (w >> 8) & 0xF);
        return (as != 0 ? 1 : 0) + ((w >> 7) & 1);
    }
    if (w >= 0x1000 && w < 0x1300) return effectiveAs((w >> 4) & 3, w & 0xF) != 0 ? 1 : 0;
    return 0;
}

}  // namespace

uint32_t InstructionCycles(uint16_t word, uint16_t next, bool msp430x) {
    if (!msp430x || !IsExtensionWord(word)) return plainCycles(word, msp430x);
    uint32_t cycles = plainCycles(next, true);
    if ((word & 0x80) == 0) cycles += word & 0xF;
    if ((word & 0x40) == 0) cycles += wideAccesses(next);
    return cycles;
}

}  // namespace nandrel
