// Pieces shared by the downloaded routines: register addresses, the header,
// the parameter pointer and the waits.
#pragma once

#include <cstddef>
#include <cstdint>

#include "kelvane/asm/msp430_asm.h"

namespace nandrel::routines::detail {

using kv::asm430::Assembler;
using kv::asm430::Label;

inline constexpr std::uint16_t kWdtctl = 0x0120;
inline constexpr std::uint16_t kWatchdogHold = 0x5A80;
inline constexpr std::uint16_t kFctl1 = 0x0128;
inline constexpr std::uint16_t kFctl2 = 0x012A;
inline constexpr std::uint16_t kFctl3 = 0x012C;
inline constexpr std::uint16_t kBusy = 0x0001;
inline constexpr std::uint16_t kLock = 0x0010;
inline constexpr std::uint16_t kKeyMask = 0xFF00;

struct Header {
    Label entry;
    Label exit;
};

// Words 0 to 2: load, entry and exit address.
constexpr Header EmitHeader(Assembler& a) {
    Header h{a.newLabel(), a.newLabel()};
    a.word(static_cast<std::uint16_t>(a.origin()));
    a.word(h.entry);
    a.word(h.exit);
    return h;
}

// Points `r` at the routine word `index` relative to the program counter, so
// that the code finds its parameters wherever it is loaded.
constexpr void PointAtWord(Assembler& a, kv::asm430::Reg r, std::size_t index) {
    using namespace kv::asm430;
    const std::uint32_t pcValue = a.here() + 2;  // what MOV PC,Rn reads
    const std::uint32_t target = a.origin() + 2 * static_cast<std::uint32_t>(index);
    a.mov(reg(PC), reg(r));
    a.sub(immLong(static_cast<std::int32_t>(pcValue - target)), reg(r));
}

constexpr void HoldWatchdog(Assembler& a) {
    using namespace kv::asm430;
    a.mov(imm(kWatchdogHold), absolute(kWdtctl));
}

// Loops while the flash controller is busy.
constexpr void WaitWhileBusy(Assembler& a) {
    using namespace kv::asm430;
    const Label busy = a.label();
    a.bit(imm(kBusy), absolute(kFctl3));
    a.jnz(busy);
}

// The exit: the debugger stops the CPU here; if it does not, the CPU spins.
constexpr void EmitExit(Assembler& a, Label exit) {
    a.bind(exit);
    a.jmp(exit);
}

// NOPs after the exit up to the routine's fixed size; never executed.
constexpr void PadTo(Assembler& a, std::size_t words) {
    while (a.size() < words)
        a.nop();
}

}  // namespace nandrel::routines::detail
