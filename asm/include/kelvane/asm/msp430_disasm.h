// MSP430 / MSP430X disassembler: instruction words back to assembly text, for
// wire logs and for test failures that show what ran.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kv::asm430 {

enum class Isa : uint8_t { Msp430, Msp430X };

struct Decoded {
    uint32_t address = 0;
    size_t length = 0;  // words taken (at least 1 when any word was given)
    std::string text;   // e.g. "MOV #0x5A80,&0x0120"; ".word 0x0000" when no instruction
};

// Decodes the instruction at words[0], found at `address`. An instruction that
// needs more words than given comes out as ".word" of its first word.
Decoded decode(std::span<const uint16_t> words, uint32_t address, Isa isa = Isa::Msp430X);

// One line per instruction: address, words and text, e.g.
// "F800: 40B2 5A80 0120       MOV #0x5A80,&0x0120".
std::vector<std::string> disassemble(std::span<const uint16_t> words, uint32_t address,
                                     Isa isa = Isa::Msp430X);

}  // namespace kv::asm430
