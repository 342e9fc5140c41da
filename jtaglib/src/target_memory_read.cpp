// Memory reads through the pod's memory commands, with the low bytes'
// SFR masks and the shadows the writes keep.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "error_table.h"
#include "flash_errors.h"
#include "target_jtag.h"

namespace nandrel {

namespace {

constexpr uint32_t kByteArea = 0x0100;
constexpr uint32_t kInfoArea = 0x1000;
constexpr uint32_t kShadowed48 = 0x0048;
constexpr uint32_t kWatchdogControl = 0x0120;
constexpr uint32_t kConverterShadows = 0x01B0;
constexpr uint32_t kI2cWord = 0x0076;
constexpr uint32_t kFctl1 = 0x0128;

}  // namespace

int32_t CTargetJTAG::ReadChip(uint32_t address, uint8_t* buffer, uint32_t count) {
    const FlashDevice d = FlashDeviceFor(selectedDevice_, deviceClass_);
    CTargetProtocolJTAG& p = *protocol_;
    const uint32_t end = address + count;
    auto fail = [&] {
        Fail(p.errorText());
        return kErrReadMemory;
    };
    uint32_t a = address;
    if (!d.newerFlash && a < kByteArea) {
        const uint32_t stop = std::min(end, kByteArea);
        if (!p.ReadBytes(a, stop - a, buffer)) return fail();
        if (d.i2c && a <= kI2cWord && stop >= kI2cWord + 2) {
            uint8_t control[2] = {0, 0};
            if (!p.ReadBytes(0x0070, 2, control)) return fail();
            if ((control[0] & 0x25) == 0x25 && (control[1] & 0x80) != 0) {
                uint16_t word = 0;
                if (!p.ReadWords(kI2cWord, 1, &word)) return fail();
                buffer[kI2cWord - address] = static_cast<uint8_t>(word);
                buffer[kI2cWord + 1 - address] = static_cast<uint8_t>(word >> 8);
            }
        }
        a = stop;
    }
    if (a >= end) return 0;
    const uint32_t first = a & ~1u;
    const uint32_t last = (end + 1) & ~1u;
    std::vector<uint16_t> words((last - first) / 2);
    if (!p.ReadWords(first, static_cast<uint32_t>(words.size()), words.data())) return fail();
    for (uint32_t x = a; x < end; ++x) {
        const uint16_t w = words[(x - first) / 2];
        buffer[x - address] = static_cast<uint8_t>((x & 1) ? w >> 8 : w);
    }
    return 0;
}

int32_t CTargetJTAG::RefusePastTheEnd(uint32_t address, uint64_t count, uint32_t last) {
    char text[96];
    std::snprintf(text, sizeof text, "The range %05lX-%05llX ends past %05lX, the device's last address",
                  static_cast<unsigned long>(address),
                  static_cast<unsigned long long>(count != 0 ? address + count - 1 : address),
                  static_cast<unsigned long>(last));
    Fail(text);
    return SetError(kErrParameter);
}

int32_t CTargetJTAG::ReadMemory(uint32_t address, uint8_t* buffer, uint32_t count) {
    auto lock = LockPort();
    if (!protocol_) {
        Fail("NULL interface");
        return SetError(kErrInitialize);
    }
    const FlashDevice d = FlashDeviceFor(selectedDevice_, deviceClass_);
    if (!buffer) return SetError(kErrParameter);
    if (static_cast<uint64_t>(address) + count > static_cast<uint64_t>(d.mainEnd) + 1)
        return RefusePastTheEnd(address, count, d.mainEnd);
    if (runMode_ != kNotRunning) return RefuseWhileRunning(kErrReadMemory);
    if (count == 0) return ClearError();
    const uint32_t end = address + count;
    CTargetProtocolJTAG& p = *protocol_;
    // Newer flash reads its array only with the flash timing bits in FCTL1.
    const bool framed = d.newerFlash && !flashSettings_.alternativeFlashTiming && end > kInfoArea;
    uint16_t fctl1 = 0;
    if (framed) {
        const uint16_t timing = flashSettings_.standardTimingBits();
        if (!p.ReadWords(kFctl1, 1, &fctl1)) {
            Fail(p.errorText());
            return SetError(kErrReadMemory);
        }
        const auto during = static_cast<uint16_t>(0xA500 | (fctl1 & 0xCF) | timing);
        if (!p.WriteWords(kFctl1, 1, &during)) {
            Fail(p.errorText());
            return SetError(kErrReadMemory);
        }
    }
    int32_t e = ReadChip(address, buffer, count);
    if (framed) {
        const auto before = static_cast<uint16_t>(0xA500 | (fctl1 & 0xFF));
        if (!p.WriteWords(kFctl1, 1, &before) && e == 0) {
            Fail(p.errorText());
            e = kErrReadMemory;
        }
    }
    if (e) return SetError(e);
    for (uint32_t x = address; x < std::min<uint32_t>(end, 6); ++x)
        buffer[x - address] &= d.sfrMasks[x];
    auto show = [&](uint32_t at, uint8_t value) {
        if (at >= address && at < end) buffer[at - address] = value;
    };
    const uint16_t watchdog = shadows_.watchdogShadowSet
                                  ? shadows_.watchdogShadow
                                  : static_cast<uint16_t>(0x5A00 | (savedWatchdog_ & 0xFF));
    show(kWatchdogControl, static_cast<uint8_t>(watchdog));
    if (d.converter) {
        show(kShadowed48, shadows_.shadow48);
        for (uint32_t i = 0; i < 4; ++i)
            show(kConverterShadows + i, shadows_.converterShadow[i]);
    }
    return ClearError();
}

}  // namespace nandrel
