#include "instruction_cycles.h"

#include "kelvane/asm/msp430_cycles.h"

namespace nandrel {

namespace {

using kv::asm430::CountedSourceMode;

// A word the tables have no entry for counts as handled, with no cycles.
uint32_t plainCycles(uint16_t w, bool x) {
    const int cycles = kv::asm430::InstructionCycles(w, x);
    return cycles == kv::asm430::kNoCycleEntry ? 0 : static_cast<uint32_t>(cycles);
}

// One cycle for each memory operand the extended instruction reaches with a
// 20-bit access: a memory source (not a constant) and an indexed destination
// of a two-operand instruction, or the memory operand of a one-operand one.
uint32_t wideAccesses(uint16_t w) {
    if (w >= 0x4000) {
        const uint32_t as = CountedSourceMode((w >> 4) & 3, (w >> 8) & 0xF);
        return (as != 0 ? 1 : 0) + ((w >> 7) & 1);
    }
    if (w >= 0x1000 && w < 0x1300) return CountedSourceMode((w >> 4) & 3, w & 0xF) != 0 ? 1 : 0;
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
