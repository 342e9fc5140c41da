// Flash writes with the downloaded write routines, in blocks that fill the
// device's RAM, inside one flash frame.
#include <algorithm>
#include <span>
#include <vector>

#include "flash/flash_jtag.h"
#include "flash_errors.h"
#include "nandrel/routines/flash_routines.h"
#include "nandrel/routines/relocation.h"
#include "text_format.h"

namespace nandrel {

namespace {

using namespace routines;

constexpr int kWideWriteTries = 7;

}  // namespace

int32_t CFlashJTAG::WriteFlash(const FlashSettings& settings, uint32_t address, const uint8_t* data,
                               uint32_t count) {
    settings_ = settings;
    const FlashDevice d = target_.Device();
    CTargetProtocolJTAG& p = target_.Protocol();
    FlashFrame frame(*this);
    if (frame.error()) return frame.error();
    int32_t result = SetFlashClock();
    if (result == 0) {
        // A word-aligned copy: odd edges take their partner bytes from the chip.
        const uint32_t first = address & ~1u;
        const uint32_t end = address + count;
        const uint32_t last = (end + 1) & ~1u;
        std::vector<uint8_t> bytes(last - first, 0xFF);
        if ((address & 1) && !p.ReadBytes(first, 1, &bytes.front())) result = kErrWriteMemory;
        if (result == 0 && (end & 1) && !p.ReadBytes(end, 1, &bytes.back()))
            result = kErrWriteMemory;
        if (result != 0) target_.Fail(p.errorText());
        std::copy(data, data + count, bytes.begin() + (address - first));
        std::vector<uint16_t> words(bytes.size() / 2);
        for (size_t i = 0; i < words.size(); ++i)
            words[i] = static_cast<uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));

        const RoutineId id = d.msp430x ? RoutineId::WriteWide : RoutineId::Write;
        const size_t block = MaxWriteBlockWords(id, d.ramStart, d.ramEnd);
        if (result == 0 && block == 0) {
            target_.Fail("The write routine does not fit in RAM");
            result = kErrWriteMemory;
        }
        WriteRequest request;
        request.clockSelect = d.loopClock() ? kClockSelectLoopClock : 0;
        request.command = static_cast<uint16_t>(kWriteCommand | timingBits_);
        request.lock = static_cast<uint16_t>(kFlashKey | timingBits_);
        request.newerFlash = d.newerFlash;
        for (size_t at = 0; result == 0 && at < words.size(); at += block) {
            const size_t n = std::min(block, words.size() - at);
            // A wide write that reports a word which did not take is run again
            // from that word on: the words before it are not programmed a
            // second time, so that the retries add one word's program time to
            // its row and stay inside the row's cumulative program time.
            size_t from = at;
            uint32_t r8 = 1;
            const int tries = id == RoutineId::WriteWide ? kWideWriteTries : 1;
            for (int t = 0; t < tries && r8 != 0; ++t) {
                request.address = first + 2 * static_cast<uint32_t>(from);
                request.data = std::span<const uint16_t>(words.data() + from, at + n - from);
                const std::vector<uint16_t> routine = MakeWriteRoutine(id, request, d.ramStart);
                if (routine.empty()) {
                    target_.Fail(format("Write routine cannot take address %08lX",
                                        static_cast<unsigned long>(request.address)));
                    result = kErrWriteMemory;
                    break;
                }
                if (!RunRoutine(id, routine, &r8)) {
                    result = kErrWriteMemory;
                    break;
                }
                if (r8 >= request.address && r8 < request.address + 2 * request.data.size())
                    from = (r8 - first) / 2;
            }
            if (result == 0 && r8 != 0) {
                target_.Fail(format("Flash write failed at %08lX", static_cast<unsigned long>(r8)));
                result = kErrWriteMemory;
            }
        }
    }
    return frame.Close(result);
}

}  // namespace nandrel
