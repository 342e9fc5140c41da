// CPU cycles of one MSP430 or MSP430X instruction, as counted over single
// steps. `word` is the instruction word at the program counter; on MSP430X
// CPUs an extension word (0x1800 to 0x1FFF) is given with the instruction
// word behind it in `next`.
#pragma once

#include <cstdint>

namespace nandrel {

uint32_t InstructionCycles(uint16_t word, uint16_t next, bool msp430x);

// True for an MSP430X extension word.
constexpr bool IsExtensionWord(uint16_t word) {
    return word >= 0x1800 && word <= 0x1FFF;
}

}  // namespace nandrel
