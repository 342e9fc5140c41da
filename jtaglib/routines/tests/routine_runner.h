// Running a downloaded routine on the simulated chip the way the debugger
// does: words into RAM at the routine's load address, PC at its entry, run to
// its exit under a cycle cap.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "kelvane/asm/msp430_disasm.h"
#include "kelvane/sim/chip.h"
#include "nandrel/routines/flash_routines.h"
#include "nandrel/routines/routine_layout.h"

namespace nandrel::routines::test {

inline constexpr std::uint64_t kCycleCap = 10'000'000;

// How the flash code would drive one simulated part.
struct Part {
    const char* profile;
    RoutineId erase;
    RoutineId write;
    std::uint16_t clockSelect;
    bool newerFlash;
};

inline constexpr Part kF149{"MSP430F149", RoutineId::Erase, RoutineId::Write, 0, false};
inline constexpr Part kF2274{"MSP430F2274", RoutineId::Erase, RoutineId::Write, 0, false};
inline constexpr Part kFG4619{"MSP430FG4619", RoutineId::EraseWide, RoutineId::WriteWide,
                              kClockSelectLoopClock, false};
inline constexpr Part kF11x1{"MSP430F11x1-prototype", RoutineId::Erase, RoutineId::Write, 0, false};
inline constexpr Part kFcas003{"TMS430FCAS003", RoutineId::EraseNewerFlash, RoutineId::Write,
                               kClockSelectLoopClock, true};

// A powered chip with the watchdog held (as the debugger leaves it), its clock
// set for the flash timing generator and strict flash timing on.
std::unique_ptr<kv::sim::Chip> FlashReadyChip(const Part& part);

void Load(kv::sim::Chip& chip, const std::vector<std::uint16_t>& words);
kv::sim::RunResult RunToExit(kv::sim::Chip& chip, const std::vector<std::uint16_t>& words,
                             std::uint64_t maxCycles = kCycleCap);
// Runs on from where the CPU is for `seconds` of simulated time.
kv::sim::RunResult RunFor(kv::sim::Chip& chip, double seconds);

// The routine's code as a listing, for failure messages.
std::string Listing(const std::vector<std::uint16_t>& words);

void Program(kv::sim::Chip& chip, std::uint32_t address, std::uint16_t value);
bool AllErased(kv::sim::Chip& chip, std::uint32_t start, std::uint32_t size);

std::vector<std::uint16_t> Erase(const Part& part, std::uint16_t ramStart, std::uint16_t type,
                                 std::uint32_t address, std::uint32_t wordCount);

}  // namespace nandrel::routines::test
