// Instruction cycle counts of the MSP430 and MSP430X CPUs, by instruction word.
#include "kelvane/sim/cpu.h"

namespace kv::sim {

namespace {

// Source mode for counting: the constant generator (R3, and R2 in modes 2
// and 3) counts as register mode.
unsigned countedAs(unsigned as, unsigned reg) {
    if (reg == 3) return 0;
    if (reg == 2 && as >= 2) return 0;
    return as;
}

int formatICycles(uint16_t w, bool x) {
    static constexpr int kTable[2][4] = {{1, 3, 2, 2}, {4, 6, 5, 5}};
    const unsigned as = countedAs((w >> 4) & 3, (w >> 8) & 15);
    const unsigned ad = (w >> 7) & 1;
    int c = kTable[ad][as];
    if (ad == 0 && (w & 15) == 0 && as != 1) c += 1;
    const unsigned opc = w >> 12;
    if (x && ad == 1 && (opc == 0x4 || opc == 0x9 || opc == 0xB)) c -= 1;
    return c;
}

int formatIICycles(uint16_t w, bool x) {
    const unsigned reg = w & 15;
    const unsigned as = countedAs((w >> 4) & 3, reg);
    const int sp = (as == 1 && reg == 1) ? 1 : 0;
    switch ((w >> 7) & 7) {
        case 0:    // RRC
        case 1:    // SWPB
        case 2:    // RRA
        case 3: {  // SXT
            static constexpr int kShift[4] = {1, 4, 3, 3};
            return kShift[as];
        }
        case 4: {  // PUSH
            static constexpr int kPush[4] = {3, 5, 4, 4};
            static constexpr int kPushX[4] = {3, 4, 3, 3};
            return x ? kPushX[as] + sp : kPush[as];
        }
        case 5: {  // CALL
            static constexpr int kCall[4] = {4, 5, 4, 5};
            static constexpr int kCallX[4] = {3, 4, 4, 4};
            return x ? kCallX[as] + sp : kCall[as];
        }
        default:  // RETI and the rest of its group
            return x ? 3 : 5;
    }
}

int extendedGroupCycles(uint16_t w) {
    const unsigned n = (w >> 4) & 15;
    switch (w & 0xFF00) {
        case 0x1300:
            switch (n) {
                case 0x0:
                    return 3;  // RETI
                case 0x1:
                    return 4;  // RETA
                case 0x4:
                case 0xB:
                    return 4;
                case 0x5:
                    return (w & 15) == 1 ? 7 : 6;
                case 0x6:
                case 0x7:
                    return 5;
                case 0x8:
                case 0x9:
                    return 6;
                default:
                    return 1;  // reserved
            }
        case 0x1400:
        case 0x1600:
            return static_cast<int>(2 * n + 4);
        default:  // 0x1500, 0x1700
            return static_cast<int>(n + 3);
    }
}

int addressCycles(uint16_t w) {
    if (((w >> 5) & 7) == 2) return ((w >> 10) & 3) + 1;  // RRCM, RRAM, RLAM, RRUM
    const int pc = (w & 15) == 0 ? 1 : 0;
    switch ((w >> 4) & 15) {
        case 0x0:
        case 0x1:
            return 3;
        case 0x2:
        case 0x3:
        case 0x6:
        case 0x7:
            return 4;
        case 0x8:
        case 0x9:
        case 0xA:
        case 0xB:
            return 2 + pc;
        default:
            return 1 + pc;
    }
}

}  // namespace

int Cpu::instructionCycles(uint16_t word, bool extended) {
    if (word >= 0x4000) return formatICycles(word, extended);
    if (word >= 0x2000) return 2;
    if (word >= 0x1000) {
        if (extended && word >= 0x1300 && word < 0x1800) return extendedGroupCycles(word);
        if (word >= 0x1400) return 1;  // extension words; not instructions on their own
        return formatIICycles(word, extended);
    }
    return extended ? addressCycles(word) : 1;
}

}  // namespace kv::sim

#include "cycle_table.h"

namespace kv::sim {

namespace {

struct CycleTables {
    uint8_t plain[65536];
    uint8_t extended[65536];
    CycleTables() {
        for (uint32_t w = 0; w < 65536; ++w) {
            plain[w] =
                static_cast<uint8_t>(Cpu::instructionCycles(static_cast<uint16_t>(w), false));
            extended[w] =
                static_cast<uint8_t>(Cpu::instructionCycles(static_cast<uint16_t>(w), true));
        }
    }
};

}  // namespace

const uint8_t* cycleTable(bool extended) {
    static const CycleTables tables;
    return extended ? tables.extended : tables.plain;
}

}  // namespace kv::sim
