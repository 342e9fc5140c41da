// Erasing flash: the erase plan of a segment, main-memory or mass erase run
// with the downloaded erase routines, which also check that the range reads
// erased.
#include <algorithm>
#include <cmath>

#include "error_table.h"
#include "flash/flash_jtag.h"
#include "flash_errors.h"
#include "nandrel/nandrel.h"
#include "nandrel/routines/flash_routines.h"
#include "text_format.h"

namespace nandrel {

namespace {

using namespace routines;

// The older flash erases its cells completely only after 200 ms of mass or
// main erase in all, each run of the routine erasing for 5297 cycles of the
// timing generator (MCLK / 5); the newer flash after one run. The check of a
// run cannot tell a marginally erased cell from an erased one, so the runs
// are counted from the measured clock, taken a tenth fast as the error of its
// count allows and never above the rated 476 kHz: 12 runs at 287 kHz, 19 at
// the top. A run whose check still finds a cell not erased is repeated up to
// that top count.
constexpr double kCumulativeEraseSeconds = 0.2;
constexpr double kOlderFlashEraseCycles = 5297;
constexpr double kCountError = 1.1;
constexpr int kMaxEraseRuns = 19;

// Runs of a mass or main erase that add up to the cumulative erase time.
int EraseRunsFor(const FlashDevice& d, double measuredClockHz) {
    if (!d.olderFlash()) return 1;
    double timing = measuredClockHz / kFlashTimingDivider * kCountError;
    if (timing <= 0 || timing > kRatedTimingHighHz) timing = kRatedTimingHighHz;
    return static_cast<int>(std::ceil(kCumulativeEraseSeconds * timing / kOlderFlashEraseCycles));
}

}  // namespace

int32_t CFlashJTAG::RunErase(const EraseStep& step, bool* notErased) {
    if (notErased) *notErased = false;
    const FlashDevice d = target_.Device();
    const RoutineId id = step.routine;
    EraseRequest request;
    request.clockSelect = d.loopClock() ? kClockSelectLoopClock : 0;
    request.command = static_cast<uint16_t>(kFlashKey | step.bits | timingBits_);
    request.lock = static_cast<uint16_t>(kFlashKey | timingBits_);
    request.address = step.address;
    request.wordCount = static_cast<uint32_t>((static_cast<uint64_t>(step.length) + 1) / 2);
    const std::vector<uint16_t> words = MakeEraseRoutine(id, request, d.ramStart);
    if (words.empty()) {
        target_.Fail(format("Erase routine cannot take address %08lX",
                            static_cast<unsigned long>(step.address)));
        return kErrEraseMemory;
    }
    uint32_t result = 0;
    if (!RunRoutine(id, words, &result)) return kErrEraseMemory;
    if (result == 0) return 0;
    if (notErased) *notErased = true;
    if (id == RoutineId::EraseWide)
        target_.Fail("Erase routine reported a failure");
    else
        target_.Fail(format("Unable to erase cell at %08lX", static_cast<unsigned long>(result)));
    return kErrEraseMemory;
}

int32_t CFlashJTAG::EraseRange(const std::vector<EraseStep>& plan) {
    const FlashDevice d = target_.Device();
    FlashFrame frame(*this);
    if (frame.error()) return frame.error();
    int32_t result = SetFlashClock();
    if (result == 0 && plan.empty()) {
        target_.Fail("Segment erase of no bytes");
        result = kErrEraseMemory;
    }
    // Nothing is erased when the clock could not be set; the chip state is
    // put back all the same. The first run that fails ends the erase.
    for (const EraseStep& step : plan) {
        if (result != 0) break;
        if (!step.repeated) {
            result = RunErase(step);
            continue;
        }
        const int runs = EraseRunsFor(d, measuredClockHz_);
        for (int run = 0; run < std::max(runs, kMaxEraseRuns); ++run) {
            bool notErased = false;
            // Only the last of the runs needed checks what it erased.
            EraseStep pulse = step;
            if (run + 1 < runs) pulse.length = 0;
            result = RunErase(pulse, &notErased);
            if (result != 0 && !notErased) break;  // the routine did not run
            if (run + 1 >= runs && !notErased) break;
        }
    }
    return frame.Close(result);
}

int32_t CFlashJTAG::Erase(const FlashSettings& settings, int32_t type, uint32_t address,
                          uint32_t length) {
    settings_ = settings;
    if (!target_.HasSelectedDevice()) return target_.SetError(kErrUnknownDevice);
    const FlashDevice d = target_.Device();
    if (type < NANDREL_ERASE_SEGMENT || type > NANDREL_ERASE_ALL ||
        static_cast<uint64_t>(address) + length > static_cast<uint64_t>(d.mainEnd) + 1)
        return target_.SetError(kErrParameter);
    // A segment is erased by a write into it: outside the flash (boot ROM,
    // RAM, peripherals) there is no segment to erase.
    if (type == NANDREL_ERASE_SEGMENT && !d.inInfo(address) && !d.inMain(address))
        return target_.SetError(kErrParameter);
    if (type == NANDREL_ERASE_ALL && d.eraseAllFromMainStart) {
        const uint64_t end = static_cast<uint64_t>(address) + length;
        address = d.mainStart;
        length = end > address ? static_cast<uint32_t>(end - address) : 0;
    }
    const bool unlocked = settings_.lockedSegmentAccess;
    if (const int32_t e = EraseRange(PlanErase(d, type, address, length, unlocked)))
        return target_.SetError(e);
    if (d.newerFlash && type == NANDREL_ERASE_ALL && unlocked) {
        // The information memory is erased on its own with the faster
        // standard timing (item 6 at 1); the target is left with the slower
        // standard timing (item 6 at 0), which is rated as well.
        settings_.SetFlashTiming(1);
        const int32_t e =
            EraseRange(PlanErase(d, NANDREL_ERASE_SEGMENT, d.infoStart, d.infoSegment, unlocked));
        target_.SetFlashTiming(0);
        if (e) return target_.SetError(e);
    }
    return target_.ClearError();
}

}  // namespace nandrel
