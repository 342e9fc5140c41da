// Memory writes: RAM and peripherals through the pod's memory commands, with
// the registers the library keeps shadows of, and flash through the
// downloaded write routines.
#include <algorithm>
#include <span>
#include <vector>

#include "error_table.h"
#include "flash_errors.h"
#include "nandrel/routines/flash_routines.h"
#include "nandrel/routines/relocation.h"
#include "target_jtag.h"
#include "text_format.h"

namespace nandrel {

namespace {

using namespace routines;

constexpr uint32_t kByteArea = 0x0100;
constexpr uint32_t kShadowed48 = 0x0048;
constexpr uint32_t kWatchdogControl = 0x0120;
constexpr uint32_t kConverterShadows = 0x01B0;
constexpr uint32_t kI2cWord = 0x0076;
constexpr uint16_t kWatchdogPassword = 0x5A00;
constexpr int kWideWriteTries = 7;

// True when the serial module at 0x0070 runs as a word-wide I2C module.
bool wordWideI2c(CTargetProtocolJTAG& p, bool* mode) {
    uint8_t control[2] = {0, 0};
    if (!p.ReadBytes(0x0070, 2, control)) return false;
    *mode = (control[0] & 0x25) == 0x25 && (control[1] & 0x80) != 0;
    return true;
}

}  // namespace

int32_t CTargetJTAG::WriteRam(uint32_t address, const uint8_t* data, uint32_t count) {
    const FlashDevice d = FlashDeviceFor(selectedDevice_, deviceClass_);
    CTargetProtocolJTAG& p = *protocol_;
    const uint32_t end = address + count;
    auto fail = [&] {
        Fail(p.errorText());
        return kErrWriteMemory;
    };
    uint32_t a = address;
    // Below 0x0100 byte by byte, in runs between the shadowed bytes.
    if (!d.newerFlash && a < kByteArea) {
        const uint32_t stop = std::min(end, kByteArea);
        bool i2c = false;
        if (d.i2c && a <= kI2cWord + 1 && stop > kI2cWord && !wordWideI2c(p, &i2c)) return fail();
        uint32_t runStart = a;
        auto flush = [&](uint32_t upTo) {
            return upTo == runStart ||
                   p.WriteBytes(runStart, upTo - runStart, data + (runStart - address));
        };
        for (uint32_t x = a; x < stop; ++x) {
            if (x == kShadowed48) {
                if (!flush(x)) return fail();
                flash_.shadow48 = data[x - address];
                runStart = x + 1;
            } else if (i2c && x == kI2cWord && x + 1 < stop) {
                if (!flush(x)) return fail();
                const auto word =
                    static_cast<uint16_t>(data[x - address] | (data[x + 1 - address] << 8));
                if (!p.WriteWords(kI2cWord, 1, &word)) return fail();
                ++x;
                runStart = x + 1;
            }
        }
        if (!flush(stop)) return fail();
        a = stop;
    }
    if (a >= end) return 0;
    // The rest word by word; odd edges through their containing word.
    const uint32_t first = a & ~1u;
    const uint32_t last = (end + 1) & ~1u;
    std::vector<uint16_t> words((last - first) / 2);
    if ((a & 1) && !p.ReadWords(first, 1, &words.front())) return fail();
    if ((end & 1) && !p.ReadWords(last - 2, 1, &words.back())) return fail();
    if (first <= kShadowed48 && kShadowed48 < last &&
        !p.ReadWords(kShadowed48, 1, &words[(kShadowed48 - first) / 2]))
        return fail();
    std::vector<bool> skip(words.size(), false);
    for (uint32_t x = a; x < end; ++x) {
        const uint8_t v = data[x - address];
        uint16_t& w = words[(x - first) / 2];
        if (x == kShadowed48) {
            flash_.shadow48 = v;
            continue;
        }
        if (x == kWatchdogControl) {
            flash_.watchdogShadow = static_cast<uint16_t>(kWatchdogPassword | v);
            flash_.watchdogShadowSet = true;
        }
        if (d.converter && x >= kConverterShadows && x < kConverterShadows + 4)
            flash_.converterShadow[x - kConverterShadows] = v;
        w = (x & 1) ? static_cast<uint16_t>((w & 0x00FF) | (v << 8))
                    : static_cast<uint16_t>((w & 0xFF00) | v);
    }
    auto skipWord = [&](uint32_t at) {
        if (at >= first && at < last) skip[(at - first) / 2] = true;
    };
    skipWord(kWatchdogControl);
    if (d.converter) {
        skipWord(kConverterShadows);
        skipWord(kConverterShadows + 2);
    }
    for (size_t i = 0; i < words.size();) {
        if (skip[i]) {
            ++i;
            continue;
        }
        size_t j = i;
        while (j < words.size() && !skip[j])
            ++j;
        if (!p.WriteWords(first + 2 * static_cast<uint32_t>(i), static_cast<uint32_t>(j - i),
                          &words[i]))
            return fail();
        i = j;
    }
    return 0;
}

int32_t CTargetJTAG::WriteFlash(uint32_t address, const uint8_t* data, uint32_t count) {
    const FlashDevice d = FlashDeviceFor(selectedDevice_, deviceClass_);
    CTargetProtocolJTAG& p = *protocol_;
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
        if (result != 0) Fail(p.errorText());
        std::copy(data, data + count, bytes.begin() + (address - first));
        std::vector<uint16_t> words(bytes.size() / 2);
        for (size_t i = 0; i < words.size(); ++i)
            words[i] = static_cast<uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));

        const RoutineId id = d.msp430x ? RoutineId::WriteWide : RoutineId::Write;
        const size_t block = MaxWriteBlockWords(id, d.ramStart, d.ramEnd);
        if (result == 0 && block == 0) {
            Fail("The write routine does not fit in RAM");
            result = kErrWriteMemory;
        }
        WriteRequest request;
        request.clockSelect = d.loopClock() ? kClockSelectLoopClock : 0;
        request.command = static_cast<uint16_t>(kWriteCommand | flash_.timingBits);
        request.lock = static_cast<uint16_t>(kFlashKey | flash_.timingBits);
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
                    Fail(format("Write routine cannot take address %08lX",
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
                Fail(format("Flash write failed at %08lX", static_cast<unsigned long>(r8)));
                result = kErrWriteMemory;
            }
        }
    }
    return frame.Close(result);
}

int32_t CTargetJTAG::WriteMemory(uint32_t address, const uint8_t* data, uint32_t count) {
    auto lock = LockPort();
    if (!protocol_) {
        Fail("NULL interface");
        return SetError(kErrInitialize);
    }
    const FlashDevice d = FlashDeviceFor(selectedDevice_, deviceClass_);
    if (!data || static_cast<uint64_t>(address) + count > static_cast<uint64_t>(d.mainEnd) + 1)
        return SetError(kErrParameter);
    if (count == 0) return ClearError();
    const uint32_t last = address + count - 1;
    int32_t e = 0;
    if (last > d.ramEnd && !(d.inRam2(address) && d.inRam2(last))) {
        if (!d.flashRange(address, last)) {
            Fail(format("%08lX-%08lX is neither RAM nor flash", static_cast<unsigned long>(address),
                        static_cast<unsigned long>(last)));
            return SetError(kErrWriteMemory);
        }
        e = WriteFlash(address, data, count);
    } else {
        e = WriteRam(address, data, count);
    }
    return e ? SetError(e) : ClearError();
}

}  // namespace nandrel
