// The MSP430 CPU with the MSP430X extension (20-bit registers and addresses).
// It executes instructions over a Bus; the chip model owns time, interrupts
// and peripherals.
//
// Behaviour where the family documentation leaves a choice:
// - A plain MSP430 (extended == false) has no MSP430X words: 0x0000-0x0FFF,
//   0x1380-0x13FF and 0x1400-0x1FFF run as one-word no-operations of one
//   cycle and are reported to the illegal-instruction handler; 0x1301-0x137F
//   run as RETI. The reserved MSP430X words (0x1320-0x133F, 0x13A0-0x13AF,
//   0x13C0-0x13FF) are handled the same way.
// - An extension word in front of anything but a format I or II instruction
//   (or in front of CALL) is ignored.
// - A/L and B/W both clear (reserved except for SWPBX/SXTX) is a word operation.
// - DADD sets V from the sign bits as a binary addition would; the rotates
//   RRCM/RRAM/RLAM/RRUM clear V.
// - Words written to R3 are dropped (it reads as 0); PC and SP keep bit 0 clear.
// - Cycles follow the family tables (instructionCycles). On top of them an
//   extension word adds n - 1 for a repeat count n (register mode), and with
//   a 20-bit (.A) operation one cycle for each 20-bit memory access.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <utility>

#include "kelvane/sim/bus.h"

namespace kv::sim {

// Status register bits.
enum : uint16_t {
    kSrC = 0x0001,
    kSrZ = 0x0002,
    kSrN = 0x0004,
    kSrGie = 0x0008,
    kSrCpuOff = 0x0010,
    kSrOscOff = 0x0020,
    kSrScg0 = 0x0040,
    kSrScg1 = 0x0080,
    kSrV = 0x0100,
};

class Cpu {
public:
    // `extended`: the MSP430X instruction set and 20-bit registers.
    Cpu(Bus& bus, bool extended);

    bool extended() const { return extended_; }

    // Registers R0 (PC) to R15; R2 is SR. Values are 20 bits on an MSP430X CPU
    // and 16 bits otherwise (writes are masked).
    uint32_t reg(int n) const { return r_[n & 15]; }
    void setReg(int n, uint32_t value);
    uint32_t pc() const { return r_[0]; }
    void setPc(uint32_t value) { setReg(0, value); }
    uint16_t sr() const { return static_cast<uint16_t>(r_[2]); }
    void setSr(uint16_t value) { setReg(2, value); }

    // Executes the instruction at PC (an extension word and its instruction are
    // one instruction, with all its repeats) and returns its cycles. With
    // CPUOFF set nothing runs and 0 is returned.
    int step();
    // Takes an interrupt: pushes PC and SR, clears SR (keeping SCG0 as the
    // family does) and loads PC from the vector word. Returns its cycles.
    int interrupt(uint32_t vectorAddress);
    // Power-up / PUC state of the CPU: SR = 0, PC from the reset vector 0xFFFE.
    void reset();

    // Cycles executed since construction.
    uint64_t cycles() const { return cycles_; }
    // Instructions executed since construction.
    uint64_t instructions() const { return instructions_; }

    // Runs instructions until at least `cycles` cycles have passed or CPUOFF
    // stops the CPU; returns the cycles used (0 when it was already off).
    uint64_t run(uint64_t cycles);

    // Executes one instruction whose words come from `words` instead of memory
    // (the JTAG instruction feed). The PC advances over every word taken, as
    // with a fetch; words beyond `count` are fetched from memory. Runs whatever
    // the low-power bits say. Returns its cycles; `used` receives the number of
    // words taken from `words`.
    int execute(const uint16_t* words, size_t count, size_t* used = nullptr);

    // Forgets the direct pages the bus handed out (Bus::directPage), all of
    // them or those overlapping [begin, end); the CPU asks again on next use.
    void invalidateDirectPages();
    void invalidateDirectPages(uint32_t begin, uint32_t end);

    // Words that are no instruction of this CPU (the MSP430X words on a plain
    // MSP430, reserved MSP430X encodings) execute as one-word no-operations of
    // one cycle; the handler, when set, is told the address and word.
    using IllegalHandler = std::function<void(uint32_t address, uint16_t word)>;
    void setIllegalHandler(IllegalHandler handler) { illegal_ = std::move(handler); }
    uint64_t illegalInstructions() const { return illegalCount_; }

    // Cycles the family tables give for an instruction word on its own (no
    // extension word, no repeat), as counted by step().
    static int instructionCycles(uint16_t word, bool extended);

private:
    template <bool X, bool Feed>
    friend class CpuExecutor;

    static constexpr uint32_t kPageCount = 1u << (20 - Bus::kDirectPageBits);

    Bus& bus_;
    bool extended_;
    uint32_t r_[16] = {};
    uint64_t cycles_ = 0;
    uint64_t instructions_ = 0;

    // Direct page pointers (nullptr: go through the bus) and whether the bus
    // was asked for the page yet (bit 0 read, bit 1 write).
    uint8_t* readPages_[kPageCount] = {};
    uint8_t* writePages_[kPageCount] = {};
    uint8_t pageAsked_[kPageCount] = {};

    // JTAG instruction feed of execute().
    const uint16_t* feed_ = nullptr;
    size_t feedCount_ = 0;
    size_t feedUsed_ = 0;

    IllegalHandler illegal_;
    uint64_t illegalCount_ = 0;
};

}  // namespace kv::sim
