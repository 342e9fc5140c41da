// CPU cycles of one MSP430 or MSP430X instruction word, from the family
// user's guides' tables, keyed by the same fields the encoder fills: the
// opcode, the source mode As with its register, the destination mode Ad with
// its register. The debugger's single-step count and the simulated CPU both
// take their cycles from here.
#pragma once

#include <cstdint>

namespace kv::asm430 {

// A word with no entry: no instruction of its own on that CPU (an MSP430 word
// below 0x1000, a reserved form of the MSP430X group at 0x1300, RETA).
inline constexpr int kNoCycleEntry = -1;

// Two-operand instructions (format I), by [Ad][As].
inline constexpr uint8_t kDoubleOperandCycles[2][4] = {{1, 3, 2, 2}, {4, 6, 5, 5}};
// One-operand instructions (format II), by As; [0] the MSP430, [1] the MSP430X.
inline constexpr uint8_t kShiftCycles[4] = {1, 4, 3, 3};  // RRC, SWPB, RRA, SXT
inline constexpr uint8_t kPushCycles[2][4] = {{3, 5, 4, 4}, {3, 4, 3, 3}};
inline constexpr uint8_t kCallCycles[2][4] = {{4, 5, 4, 5}, {3, 4, 4, 4}};
inline constexpr uint8_t kRetiCycles[2] = {5, 3};  // RETI and the rest of its group
inline constexpr uint8_t kJumpCycles = 2;

// The source mode as the tables count it: the constant generator (R3 in any
// mode, R2 in the indirect modes) counts as register mode.
constexpr unsigned CountedSourceMode(unsigned as, unsigned sourceRegister) {
    return sourceRegister == 3 || (sourceRegister == 2 && as >= 2) ? 0 : as;
}

namespace cycles_detail {

constexpr int DoubleOperand(uint16_t w, bool x) {
    const unsigned ad = (w >> 7) & 1;
    const unsigned as = CountedSourceMode((w >> 4) & 3, (w >> 8) & 0xF);
    int cycles = kDoubleOperandCycles[ad][as];
    // A register-mode write to the PC refills the pipeline.
    if (ad == 0 && (w & 0xF) == 0 && as != 1) ++cycles;
    // The MSP430X skips the read of a destination that MOV, CMP and BIT only write or read.
    const unsigned opcode = w >> 12;
    if (x && ad == 1 && (opcode == 0x4 || opcode == 0x9 || opcode == 0xB)) --cycles;
    return cycles;
}

constexpr int SingleOperand(uint16_t w, bool x) {
    const unsigned reg = w & 0xF;
    const unsigned as = CountedSourceMode((w >> 4) & 3, reg);
    // The MSP430X takes one more for an operand indexed from the stack pointer it moves.
    const int stackIndexed = x && reg == 1 && as == 1 ? 1 : 0;
    switch ((w >> 7) & 7) {
        case 0:
        case 1:
        case 2:
        case 3:
            return kShiftCycles[as];
        case 4:
            return kPushCycles[x][as] + stackIndexed;
        case 5:
            return kCallCycles[x][as] + stackIndexed;
        default:
            return kRetiCycles[x];
    }
}

// The MSP430X words of 0x1300 to 0x17FF: RETI, CALLA, PUSHM and POPM.
constexpr int ExtendedGroup(uint16_t w) {
    const int n = (w >> 4) & 0xF;
    switch (w & 0xFF00) {
        case 0x1300:
            if (w == 0x1300) return kRetiCycles[1];
            switch (n) {
                case 0x4:  // CALLA Rdst
                case 0xB:  // CALLA #imm20
                    return 4;
                case 0x5:  // CALLA x(Rdst), x(SP) one more
                    return (w & 0xF) == 1 ? 7 : 6;
                case 0x6:  // CALLA @Rdst, @Rdst+
                case 0x7:
                    return 5;
                case 0x8:  // CALLA &abs20, EDE
                case 0x9:
                    return 6;
                default:
                    return kNoCycleEntry;
            }
        case 0x1400:  // PUSHM.A, POPM.A
        case 0x1600:
            return 2 * n + 4;
        default:  // PUSHM.W, POPM.W
            return n + 3;
    }
}

// The MSP430X address instructions of 0x0000 to 0x0FFF.
constexpr int AddressInstruction(uint16_t w) {
    if ((w & 0xE0) == 0x40) return ((w >> 10) & 3) + 1;  // RRCM, RRAM, RLAM, RRUM
    const int toPc = (w & 0xF) == 0 ? 1 : 0;
    switch (w & 0xF0) {
        case 0x00:  // MOVA @Rsrc, @Rsrc+
        case 0x10:
            return 3;
        case 0x80:  // MOVA, CMPA, ADDA, SUBA #imm20
        case 0x90:
        case 0xA0:
        case 0xB0:
            return 2 + toPc;
        case 0xC0:  // MOVA, CMPA, ADDA, SUBA Rsrc
        case 0xD0:
        case 0xE0:
        case 0xF0:
            return 1 + toPc;
        default:  // MOVA &abs20, x(Rsrc) and their stores
            return 4;
    }
}

}  // namespace cycles_detail

// Cycles of the instruction word `w` on the MSP430 (`msp430x` false) or the
// MSP430X, or kNoCycleEntry. Words of 0x1000 to 0x1FFF outside the MSP430X
// group at 0x1300 count by their format II fields; an extension word's
// instruction is counted from the word behind it.
constexpr int InstructionCycles(uint16_t w, bool msp430x) {
    if (w >= 0x4000) return cycles_detail::DoubleOperand(w, msp430x);
    if (w >= 0x2000) return kJumpCycles;
    if (w >= 0x1000) {
        if (msp430x && w >= 0x1300 && w < 0x1800) return cycles_detail::ExtendedGroup(w);
        return cycles_detail::SingleOperand(w, msp430x);
    }
    return msp430x ? cycles_detail::AddressInstruction(w) : kNoCycleEntry;
}

}  // namespace kv::asm430
