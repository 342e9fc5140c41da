// Instruction cycle counts of the MSP430 and MSP430X CPUs, by instruction word.
#include "kelvane/sim/cpu.h"

#include "kelvane/asm/msp430_cycles.h"

namespace kv::sim {

int Cpu::instructionCycles(uint16_t word, bool extended) {
    const int cycles = asm430::InstructionCycles(word, extended);
    if (cycles != asm430::kNoCycleEntry) {
        // Words at 0x1400 and above outside the MSP430X group are extension
        // words: no instructions on their own.
        const bool extensionWord = word >= 0x1400 && word < 0x2000 && (!extended || word >= 0x1800);
        return extensionWord ? 1 : cycles;
    }
    // RETI decodes with any register field, RETA takes 4; the reserved words
    // of the group and the MSP430's words below 0x1000 run for one cycle.
    if (extended && (word & 0xFFE0) == 0x1300) return (word & 0x10) ? 4 : asm430::kRetiCycles[1];
    return 1;
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
