// What the simulated CPU sees of the chip: a 20-bit address space of bytes and
// words. The chip model implements it with its memory map and peripherals.
#pragma once

#include <cstdint>

namespace kv::sim {

class Bus {
public:
    virtual ~Bus() = default;
    // Addresses are 20 bits; word accesses go to even addresses (the CPU clears bit 0).
    virtual uint8_t read8(uint32_t address) = 0;
    virtual uint16_t read16(uint32_t address) = 0;
    virtual void write8(uint32_t address, uint8_t value) = 0;
    virtual void write16(uint32_t address, uint16_t value) = 0;
    // Instruction fetch of one word (opcode, extension or operand word); a plain
    // read unless the chip tells fetches apart.
    virtual uint16_t fetch16(uint32_t address) { return read16(address); }
};

}  // namespace kv::sim
