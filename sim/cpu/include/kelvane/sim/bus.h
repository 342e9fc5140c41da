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

    // Optional fast path for plain memory (RAM, flash, ROM) where an access has
    // no effect beyond the bytes themselves. The CPU asks once per page of
    // kDirectPageSize bytes (pageAddress is a multiple of it) and then reads
    // (write == false), including instruction fetches, or writes (write == true)
    // that page through the returned pointer instead of the calls above. nullptr,
    // the default, keeps every access on the calls. When a page changes its
    // nature (flash controller busy, memory remapped), the chip calls
    // Cpu::invalidateDirectPages so that the CPU asks again.
    static constexpr uint32_t kDirectPageBits = 8;
    static constexpr uint32_t kDirectPageSize = 1u << kDirectPageBits;
    virtual uint8_t* directPage(uint32_t pageAddress, bool write) {
        (void)pageAddress;
        (void)write;
        return nullptr;
    }
};

}  // namespace kv::sim
