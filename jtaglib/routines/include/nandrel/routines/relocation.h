// Moving a routine to the RAM start of a device class, and the RAM it needs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "nandrel/routines/routine_layout.h"

namespace nandrel::routines {

// Moves the routine from the load address in its word 0 to `ramStart` by adding
// the distance to every word that holds a RAM address (the three header words
// and, in the write routine, the data address). The code itself reaches its
// parameters relative to the program counter. False, with nothing changed, for
// an odd RAM start, a routine shorter than its layout or one that would end
// beyond 0xFFFF.
bool RelocateRoutine(std::vector<std::uint16_t>& words, RoutineId id, std::uint16_t ramStart);

// True when `totalWords` (routine and data) fit between ramStart and ramEnd
// (inclusive).
bool RoutineFitsInRam(std::size_t totalWords, std::uint16_t ramStart, std::uint16_t ramEnd);

// Data words one run of a write routine can carry in that RAM; 0 when the
// routine does not fit or `id` is no write routine.
std::size_t MaxWriteBlockWords(RoutineId id, std::uint16_t ramStart, std::uint16_t ramEnd);

}  // namespace nandrel::routines
