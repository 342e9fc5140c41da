// The erase and write routines, assembled instruction by instruction.
//
// Each runs from RAM with the CPU released at its entry address and is stopped
// at its exit address, where it spins. It holds the watchdog, writes the clock
// select word to the status register (interrupts off; on loop-clock devices
// SCG0 keeps the loop from retuning the clock under the flash timing
// generator), sets the timing generator (FCTL2), writes the command to FCTL1,
// unlocks FCTL3 with the key of the lock word, runs the command, waits for BUSY
// to clear, ends the command and locks FCTL3 again on every path.
//
// Only the key byte of the lock word reaches FCTL3: its low byte carries flash
// timing bits, which in FCTL3 would be LOCK and EMEX. LOCKA is always written
// as 0, which leaves segment A locked or unlocked as it was. The code reaches
// its parameters relative to the program counter; only the header words and
// the write routine's data address hold absolute RAM addresses.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "nandrel/routines/routine_layout.h"

namespace nandrel::routines {

// Templates (load address 0x0200). One erase command at the address, then the
// erase check of the word count from the address. Result: R10 is 0 when every
// checked word reads 0xFFFF, else the address of the first that does not. A
// word count of 0 checks nothing and gives 0.
std::vector<std::uint16_t> EraseRoutine();
std::vector<std::uint16_t> EraseNewerFlashRoutine();
std::vector<std::uint16_t> EraseWideRoutine();
// Word writes (WRT). Result: R8 is 0 when every word reads back as written,
// else the address of the first word that does not (for example flash that
// was not erased); the write stops there. The 16-bit routine skips writing
// 0xFFFF words but still checks them.
std::vector<std::uint16_t> WriteRoutine();
std::vector<std::uint16_t> WriteWideRoutine();

struct EraseRequest {
    std::uint16_t clockSelect = 0;  // kClockSelectLoopClock for flash clock kinds 1 and 2
    std::uint16_t command = kFlashKey | kEraseSegment;
    std::uint16_t lock = kFlashKey;
    std::uint32_t address = 0;
    std::uint32_t wordCount = 0;
};

struct WriteRequest {
    std::uint16_t clockSelect = 0;
    std::uint16_t command = kWriteCommand;
    std::uint16_t lock = kFlashKey;
    std::uint32_t address = 0;
    std::span<const std::uint16_t> data;
    bool newerFlash = false;  // timing generator at MCLK / 14
};

// A routine with its parameters (and data) filled in, moved to `ramStart`.
// Empty when the routine is not an erase (write) routine, the address does not
// fit the routine's address width, the data is empty, the command or lock word
// lacks the flash key 0xA5 in its high byte (the chip would reset), the clock
// select has a bit other than SCG0, or the relocation fails.
std::vector<std::uint16_t> MakeEraseRoutine(RoutineId id, const EraseRequest& request,
                                            std::uint16_t ramStart);
std::vector<std::uint16_t> MakeWriteRoutine(RoutineId id, const WriteRequest& request,
                                            std::uint16_t ramStart);

}  // namespace nandrel::routines
