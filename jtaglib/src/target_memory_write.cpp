// Memory writes: RAM and peripherals through the pod's memory commands, with
// the registers the library keeps shadows of; flash through the flasher.
#include <algorithm>
#include <vector>

#include "error_table.h"
#include "flash_errors.h"
#include "target_jtag.h"
#include "text_format.h"

namespace nandrel {

namespace {

constexpr uint32_t kByteArea = 0x0100;
constexpr uint32_t kShadowed48 = 0x0048;
constexpr uint32_t kWatchdogControl = 0x0120;
constexpr uint32_t kConverterShadows = 0x01B0;
constexpr uint32_t kI2cWord = 0x0076;
constexpr uint16_t kWatchdogPassword = 0x5A00;

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
                shadows_.shadow48 = data[x - address];
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
            shadows_.shadow48 = v;
            continue;
        }
        if (x == kWatchdogControl) {
            shadows_.watchdogShadow = static_cast<uint16_t>(kWatchdogPassword | v);
            shadows_.watchdogShadowSet = true;
        }
        if (d.converter && x >= kConverterShadows && x < kConverterShadows + 4)
            shadows_.converterShadow[x - kConverterShadows] = v;
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

bool CTargetJTAG::HoldWatchdogShadow() {
    uint16_t value = 0;
    if (!protocol_->ReadWords(kWatchdogControl, 1, &value)) return Fail(protocol_->errorText());
    // The chip reads back its own high byte; the shadow keeps the password.
    shadows_.watchdogShadow = static_cast<uint16_t>(0x5A00 | (value & 0xFF));
    shadows_.watchdogShadowSet = true;
    const auto held = static_cast<uint16_t>(0x5A80 | (value & 0xFF));
    return protocol_->WriteWords(kWatchdogControl, 1, &held) || Fail(protocol_->errorText());
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
    if (runMode_ != kNotRunning) return RefuseWhileRunning(kErrWriteMemory);
    if (count == 0) return ClearError();
    const uint32_t last = address + count - 1;
    int32_t e = 0;
    if (last > d.ramEnd && !(d.inRam2(address) && d.inRam2(last))) {
        if (!d.flashRange(address, last)) {
            Fail(format("%08lX-%08lX is neither RAM nor flash", static_cast<unsigned long>(address),
                        static_cast<unsigned long>(last)));
            return SetError(kErrWriteMemory);
        }
        if (!FlashSupplyEnough(kErrWriteMemory)) return 0;
        e = flasher_.WriteFlash(flashSettings_, address, data, count);
    } else {
        e = WriteRam(address, data, count);
    }
    return e ? SetError(e) : ClearError();
}

}  // namespace nandrel
