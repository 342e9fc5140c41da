// Helpers of the emulation-module tests: programs from the encoder and
// trigger blocks written through the EEM registers as a debugger would.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "chip_fixture.h"
#include "kelvane/asm/msp430_asm.h"
#include "kelvane/sim/eem.h"

namespace kv::sim::test {

inline void loadProgram(Chip& chip, const kv::asm430::Assembler& a) {
    std::vector<uint16_t> words = a.words();
    for (size_t i = 0; i < words.size(); ++i)
        chip.poke16(a.origin() + 2 * static_cast<uint32_t>(i), words[i]);
    chip.setReg(0, a.origin());
}

inline uint16_t triggerControl(EemAccess access, EemOperator op = EemOperator::Equal,
                               EemSource source = EemSource::AddressBus, int cpuRegister = 0) {
    return static_cast<uint16_t>(static_cast<uint16_t>(access) |
                                 (static_cast<uint16_t>(op) << kEemCtlOperatorShift) |
                                 (static_cast<uint16_t>(source) << kEemCtlSourceShift) |
                                 (cpuRegister << kEemCtlRegisterShift));
}

inline void writeEem(Eem& eem, uint16_t number, uint32_t value) {
    ASSERT_TRUE(eem.writeRegister(number, value)) << "register " << number;
}

inline uint32_t readEem(Eem& eem, uint16_t number) {
    uint32_t value = 0xDEADBEEF;
    EXPECT_TRUE(eem.readRegister(number, &value)) << "register " << number;
    return value;
}

// Trigger block `block`: value, control word and mask (its combination register untouched).
inline void setTrigger(Eem& eem, int block, uint32_t value, uint16_t control, uint32_t mask = 0) {
    const uint16_t base = static_cast<uint16_t>(block * kEemBlockStride);
    writeEem(eem, base, value);
    writeEem(eem, base + 2, control);
    writeEem(eem, base + 4, mask);
}

// Combination trigger `c` fires when all (or any) of the blocks in `members` match.
inline void setCombination(Eem& eem, int c, uint32_t members) {
    writeEem(eem, static_cast<uint16_t>(c * kEemBlockStride + 6), members);
}

// A simple breakpoint: block b alone, with a break reaction.
inline void breakOn(Eem& eem, int block, uint32_t value, uint16_t control, uint32_t mask = 0) {
    setTrigger(eem, block, value, control, mask);
    setCombination(eem, block, 1u << block);
    writeEem(eem, kEemBreakReaction, readEem(eem, kEemBreakReaction + 1) | (1u << block));
}

inline RunResult runFor(Chip& chip, uint64_t maxInstructions = 1000) {
    RunLimits limits;
    limits.maxInstructions = maxInstructions;
    return chip.run(limits);
}

}  // namespace kv::sim::test
