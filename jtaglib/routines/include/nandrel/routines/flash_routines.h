// The erase and write routines, assembled instruction by instruction.
//
// Each runs from RAM with the CPU released at its entry address and is stopped
// at its exit address, where it spins. It holds the watchdog, writes the clock
// select word to the status register (interrupts off; on loop-clock devices
// SCG0 keeps the loop from retuning the clock under the flash timing
// generator), sets the timing generator, unlocks the controller with the key of
// the lock word, runs the command, waits for BUSY to clear and locks the
// controller again on every path. LOCKA is always written as 0, which leaves
// segment A locked or unlocked as it was.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "nandrel/routines/routine_layout.h"

namespace nandrel::routines {

// Templates (load address 0x0200). Result: R10 is 0 when every checked word
// reads 0xFFFF after the erase, else the address of the first that does not.
std::vector<std::uint16_t> EraseRoutine();
std::vector<std::uint16_t> EraseNewerFlashRoutine();
std::vector<std::uint16_t> EraseWideRoutine();
// Result: R8 is 0 when every word reads back as written, else the address of
// the first word that does not (for example flash that was not erased).
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
// fit the routine's address width, the data is empty, or the relocation fails.
std::vector<std::uint16_t> MakeEraseRoutine(RoutineId id, const EraseRequest& request,
                                            std::uint16_t ramStart);
std::vector<std::uint16_t> MakeWriteRoutine(RoutineId id, const WriteRequest& request,
                                            std::uint16_t ramStart);

}  // namespace nandrel::routines
