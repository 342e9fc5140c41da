// A CPU on a flat test bus, loaded with programs from the encoder; failing
// checks show the listing of what ran.
#pragma once

#include <string>

#include "kelvane/asm/msp430_asm.h"
#include "kelvane/asm/msp430_disasm.h"
#include "kelvane/sim/cpu.h"
#include "test_bus.h"

namespace kv::sim::test {

struct Machine {
    explicit Machine(bool extended, bool direct = true) : bus(direct), cpu(bus, extended) {}

    // Puts the program at its origin, PC on its first word, SP at 0x0A00.
    void load(const asm430::Assembler& a) {
        const std::vector<uint16_t> w = a.words();
        bus.load(a.origin(), w);
        cpu.setPc(a.origin());
        cpu.setReg(1, 0x0A00);
        listing.clear();
        for (const std::string& line : asm430::disassemble(
                 w, a.origin(), cpu.extended() ? asm430::Isa::Msp430X : asm430::Isa::Msp430))
            listing += line + "\n";
    }
    // Steps until PC reaches `address`; returns the cycles used.
    int runTo(uint32_t address, int maxSteps = 100000) {
        int cycles = 0;
        for (int i = 0; i < maxSteps && cpu.pc() != address; ++i)
            cycles += cpu.step();
        return cycles;
    }

    FlatBus bus;
    Cpu cpu;
    std::string listing;
};

}  // namespace kv::sim::test
