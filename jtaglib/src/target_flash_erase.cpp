// Erasing flash: segment, main-memory and mass erase with the downloaded
// erase routines, which also check that the range reads erased.
#include <algorithm>
#include <cmath>

#include "error_table.h"
#include "flash_errors.h"
#include "nandrel/routines/flash_routines.h"
#include "target_jtag.h"
#include "text_format.h"

namespace nandrel {

namespace {

using namespace routines;

enum EraseType : int32_t { kSegment = 0, kMain = 1, kAll = 2 };

constexpr uint32_t kSmallInfoSegment = 0x40;
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

constexpr uint32_t kInfoSegmentsBesideA[3] = {0x1000, 0x1040, 0x1080};

// The start of the segment after the one holding the address: information
// segments below 0x1100, 256 bytes below 0x1200 and 512 above.
uint64_t nextSegment(const FlashDevice& d, uint64_t address) {
    if (address < 0x1100) {
        const uint64_t base = address >= d.infoStart ? d.infoStart : 0;
        return base + ((address - base) / d.infoSegment + 1) * d.infoSegment;
    }
    if (address < 0x1200) return 0x1200;
    return (address | 0x1FF) + 1;
}

RoutineId eraseRoutine(const FlashDevice& d) {
    if (d.msp430x) return RoutineId::EraseWide;
    return d.newerFlash ? RoutineId::EraseNewerFlash : RoutineId::Erase;
}

}  // namespace

int32_t CTargetJTAG::RunErase(uint8_t routine, uint16_t bits, uint32_t address, uint32_t length,
                              bool* notErased) {
    if (notErased) *notErased = false;
    const FlashDevice d = FlashDeviceFor(selectedDevice_, deviceClass_);
    const auto id = static_cast<RoutineId>(routine);
    EraseRequest request;
    request.clockSelect = d.loopClock() ? kClockSelectLoopClock : 0;
    request.command = static_cast<uint16_t>(kFlashKey | bits | flash_.timingBits);
    request.lock = static_cast<uint16_t>(kFlashKey | flash_.timingBits);
    request.address = address;
    request.wordCount = static_cast<uint32_t>((static_cast<uint64_t>(length) + 1) / 2);
    const std::vector<uint16_t> words = MakeEraseRoutine(id, request, d.ramStart);
    if (words.empty()) {
        Fail(
            format("Erase routine cannot take address %08lX", static_cast<unsigned long>(address)));
        return kErrEraseMemory;
    }
    uint32_t result = 0;
    if (!RunRoutine(id, words, &result)) return kErrEraseMemory;
    if (result == 0) return 0;
    if (notErased) *notErased = true;
    if (id == RoutineId::EraseWide)
        Fail("Erase routine reported a failure");
    else
        Fail(format("Unable to erase cell at %08lX", static_cast<unsigned long>(result)));
    return kErrEraseMemory;
}

int32_t CTargetJTAG::EraseRange(int32_t type, uint32_t address, uint32_t length) {
    const FlashDevice d = FlashDeviceFor(selectedDevice_, deviceClass_);
    FlashFrame frame(*this);
    if (frame.error()) return frame.error();
    int32_t result = SetFlashClock();
    const RoutineId id = eraseRoutine(d);
    const auto routine = static_cast<uint8_t>(id);
    const bool wide = id == RoutineId::EraseWide;
    if (result != 0) {
        // Nothing is erased; the chip state is put back all the same.
    } else if (type == kSegment) {
        if (length == 0) {
            Fail("Segment erase of no bytes");
            result = kErrEraseMemory;
        }
        const uint64_t end = static_cast<uint64_t>(address) + length;
        for (uint64_t a = address; result == 0 && a < end;) {
            const uint64_t next = std::min(nextSegment(d, a), end);
            result = RunErase(routine, kEraseSegment, static_cast<uint32_t>(a),
                              static_cast<uint32_t>(next - a));
            a = next;
        }
        if (result == 0) result = RunErase(routine, kEraseSegment, address, length);
    } else {
        const uint16_t bits = type == kMain ? (wide ? kEraseWideMain : kEraseMain)
                                            : (wide ? kEraseWideMass : kEraseMass);
        // With segment A locked a mass erase leaves the information memory
        // alone: its check then starts behind it.
        const bool keepsInfo = type == kAll && !lockedSegmentAccess_ &&
                               (d.infoSegment == kSmallInfoSegment || d.newerFlash);
        uint32_t checkAddress = address;
        uint32_t checkLength = length;
        if (keepsInfo && d.inInfo(address)) {
            const uint64_t end = static_cast<uint64_t>(address) + length;
            checkAddress = d.infoEnd + 1;
            checkLength = end > checkAddress ? static_cast<uint32_t>(end - checkAddress) : 0;
            if (checkLength == 0) checkAddress = address;
        }
        const int runs = EraseRunsFor(d, flash_.measuredClockHz);
        for (int run = 0; run < std::max(runs, kMaxEraseRuns); ++run) {
            bool notErased = false;
            result = RunErase(routine, bits, checkAddress, checkLength, &notErased);
            if (result != 0 && !notErased) break;  // the routine did not run
            if (run + 1 >= runs && !notErased) break;
        }
        if (keepsInfo && d.infoSegment == kSmallInfoSegment) {
            const auto small =
                static_cast<uint8_t>(d.newerFlash ? RoutineId::EraseNewerFlash : RoutineId::Erase);
            for (uint32_t segment : kInfoSegmentsBesideA) {
                if (result != 0) break;
                result = RunErase(small, kEraseSegment, segment, kSmallInfoSegment);
            }
        }
    }
    return frame.Close(result);
}

int32_t CTargetJTAG::Erase(int32_t type, uint32_t address, uint32_t length) {
    auto lock = LockPort();
    if (!protocol_) {
        Fail("NULL interface");
        return SetError(kErrInitialize);
    }
    if (selectedDevice_ == 0) return SetError(kErrUnknownDevice);
    const FlashDevice d = FlashDeviceFor(selectedDevice_, deviceClass_);
    if (type < kSegment || type > kAll ||
        static_cast<uint64_t>(address) + length > static_cast<uint64_t>(d.mainEnd) + 1)
        return SetError(kErrParameter);
    // A segment is erased by a write into it: outside the flash (boot ROM,
    // RAM, peripherals) there is no segment to erase.
    if (type == kSegment && !d.inInfo(address) && !d.inMain(address))
        return SetError(kErrParameter);
    if (type == kAll && d.eraseAllFromMainStart) {
        const uint64_t end = static_cast<uint64_t>(address) + length;
        address = d.mainStart;
        length = end > address ? static_cast<uint32_t>(end - address) : 0;
    }
    if (const int32_t e = EraseRange(type, address, length)) return SetError(e);
    if (d.newerFlash && type == kAll && lockedSegmentAccess_) {
        // The information memory is erased on its own with the faster timing.
        flashClockDivider_ = 16;
        alternativeFlashTiming_ = false;
        const int32_t e = EraseRange(kSegment, d.infoStart, d.infoSegment);
        flashClockDivider_ = 32;
        alternativeFlashTiming_ = false;
        if (e) return SetError(e);
    }
    return ClearError();
}

}  // namespace nandrel
