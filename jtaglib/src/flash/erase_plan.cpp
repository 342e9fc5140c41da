#include "flash/erase_plan.h"

#include <algorithm>

#include "nandrel/nandrel.h"
#include "nandrel/routines/flash_routines.h"

namespace nandrel {

namespace {

using routines::RoutineId;

RoutineId EraseRoutine(const FlashDevice& d) {
    if (d.msp430x) return RoutineId::EraseWide;
    return d.newerFlash ? RoutineId::EraseNewerFlash : RoutineId::Erase;
}

}  // namespace

FlashSegment FlashSegmentAt(const FlashDevice& d, uint32_t address) {
    if (address >= d.infoStart && address <= d.infoEnd) {
        const uint32_t start =
            d.infoStart + (address - d.infoStart) / d.infoSegment * d.infoSegment;
        return {start, d.infoSegment};
    }
    return {address / d.mainSegment * d.mainSegment, d.mainSegment};
}

std::vector<EraseStep> PlanErase(const FlashDevice& d, int32_t type, uint32_t address,
                                 uint32_t length, bool segmentAUnlocked) {
    using namespace routines;
    const RoutineId routine = EraseRoutine(d);
    std::vector<EraseStep> plan;
    if (type == NANDREL_ERASE_SEGMENT) {
        if (length == 0) return plan;
        // One run per segment the range touches, then one over the whole range
        // from its start.
        const uint64_t end = static_cast<uint64_t>(address) + length;
        for (uint64_t a = address; a < end;) {
            const FlashSegment s = FlashSegmentAt(d, static_cast<uint32_t>(a));
            const uint64_t next = std::min<uint64_t>(static_cast<uint64_t>(s.start) + s.size, end);
            plan.push_back({routine, kEraseSegment, static_cast<uint32_t>(a),
                            static_cast<uint32_t>(next - a)});
            a = next;
        }
        plan.push_back({routine, kEraseSegment, address, length});
        return plan;
    }
    const bool wide = routine == RoutineId::EraseWide;
    const uint16_t bits = type == NANDREL_ERASE_MAIN ? (wide ? kEraseWideMain : kEraseMain)
                                                     : (wide ? kEraseWideMass : kEraseMass);
    // With segment A locked a mass erase leaves the information memory alone
    // where the flash has a segment A: its check then starts behind it.
    const bool keepsInfo = type == NANDREL_ERASE_ALL && !segmentAUnlocked &&
                           (d.infoSegment == kSmallInfoSegment || d.newerFlash);
    uint32_t checkAddress = address;
    uint32_t checkLength = length;
    if (keepsInfo && d.inInfo(address)) {
        const uint64_t end = static_cast<uint64_t>(address) + length;
        checkAddress = d.infoEnd + 1;
        checkLength = end > checkAddress ? static_cast<uint32_t>(end - checkAddress) : 0;
        if (checkLength == 0) checkAddress = address;
    }
    plan.push_back({routine, bits, checkAddress, checkLength, true});
    if (keepsInfo && d.infoSegment == kSmallInfoSegment) {
        // The information segments besides segment A, the last one, are
        // erased one by one.
        const RoutineId small = d.newerFlash ? RoutineId::EraseNewerFlash : RoutineId::Erase;
        for (uint32_t s = d.infoStart; s + d.infoSegment <= d.infoEnd; s += d.infoSegment)
            plan.push_back({small, kEraseSegment, s, d.infoSegment});
    }
    return plan;
}

}  // namespace nandrel
