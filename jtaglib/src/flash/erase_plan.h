// An erase planned before it runs: the routine runs of a segment, main or
// mass erase over the geometry of the device's flash, as a pure function of
// the device, the range and the segment-A setting.
#pragma once

#include <cstdint>
#include <vector>

#include "flash/flash_device.h"
#include "nandrel/routines/routine_layout.h"

namespace nandrel {

// One flash segment: where it starts and its size.
struct FlashSegment {
    uint32_t start;
    uint32_t size;
    bool operator==(const FlashSegment&) const = default;
};

// The segment holding the address: an information segment inside the
// information memory, a main segment (aligned to its size) elsewhere.
FlashSegment FlashSegmentAt(const FlashDevice& device, uint32_t address);

struct EraseStep {
    routines::RoutineId routine;
    // The erase command bits of the routine (segment, main or mass erase).
    uint16_t bits;
    uint32_t address;
    uint32_t length;
    // A main or mass erase: run as often as the cumulative erase time needs.
    bool repeated = false;
    bool operator==(const EraseStep&) const = default;
};

// The routine runs of an erase of `type` (NANDREL_ERASE_*) over the range; a
// segment erase of no bytes plans nothing.
std::vector<EraseStep> PlanErase(const FlashDevice& device, int32_t type, uint32_t address,
                                 uint32_t length, bool segmentAUnlocked);

}  // namespace nandrel
