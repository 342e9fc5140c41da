// Verification by signature: the pod computes the PSA of a range of chip
// memory and the library compares it with the one of the expected data (or
// of erased memory for an erase check).
#include <algorithm>

#include "error_table.h"
#include "flash/flash_jtag.h"
#include "flash_errors.h"
#include "text_format.h"

namespace nandrel {

namespace {

constexpr uint32_t kChunk = 16384;

uint16_t signature(uint32_t start, uint32_t words, const uint8_t* expected) {
    uint32_t value = start - 2;
    for (uint32_t i = 0; i < words; ++i) {
        if (value & 0x8000)
            value = ((value ^ 0x0805) << 1) | 1;
        else
            value <<= 1;
        const uint32_t w = expected
                               ? static_cast<uint32_t>(expected[2 * i] | (expected[2 * i + 1] << 8))
                               : 0xFFFFu;
        value = (value ^ w) & 0xFFFF;
    }
    return static_cast<uint16_t>(value);
}

}  // namespace

int32_t CFlashJTAG::VerifyChunk(uint32_t address, uint32_t count, const uint8_t* expected) {
    CTargetProtocolJTAG& p = target_.Protocol();
    const uint32_t end = address + count;
    auto checkByte = [&](uint32_t at) -> int32_t {
        uint8_t value = 0;
        if (!p.ReadBytes(at, 1, &value)) {
            target_.Fail(p.errorText());
            return kErrReadMemory;
        }
        const uint8_t want = expected ? expected[at - address] : 0xFF;
        if (value == want) return 0;
        target_.Fail(format("Byte at %08lX reads %02X, expected %02X",
                            static_cast<unsigned long>(at), value, want));
        return kErrVerification;
    };
    if ((address & 1) != 0)
        if (const int32_t e = checkByte(address)) return e;
    const uint32_t wordStart = (address + 1) & ~1u;
    const uint32_t wordEnd = std::max(wordStart, end & ~1u);
    if ((end & 1) != 0 && end - 1 >= wordStart)
        if (const int32_t e = checkByte(end - 1)) return e;
    const uint32_t words = (wordEnd - wordStart) / 2;
    if (words == 0) return 0;
    const uint16_t want =
        signature(wordStart, words, expected ? expected + (wordStart - address) : nullptr);
    uint16_t psa = 0;
    if (!target_.PowerUpClear() || !target_.HoldWatchdogShadow() ||
        !p.VerifyPSA(wordStart, static_cast<uint16_t>(words), &psa) || !target_.PowerUpClear() ||
        !target_.HoldWatchdogShadow() || !p.Exchange70(0x0401, nullptr) ||
        !p.ClockToInstructionLoad(10)) {
        if (!p.errorText().empty()) target_.Fail(p.errorText());
        return kErrVerification;
    }
    if (psa != want) {
        target_.Fail(format("VerifyPSA returned %04X, expected %04X", psa, want));
        return kErrVerification;
    }
    return 0;
}

int32_t CFlashJTAG::VerifyMemory(uint32_t address, uint32_t count, const uint8_t* expected) {
    for (uint32_t done = 0; done < count;) {
        const uint32_t at = address + done;
        uint32_t n = std::min(count - done, (at & 1) ? kChunk - 1 : kChunk);
        const uint64_t boundary = (static_cast<uint64_t>(at >> 16) + 1) << 16;
        n = static_cast<uint32_t>(std::min<uint64_t>(n, boundary - at));
        if (const int32_t e = VerifyChunk(at, n, expected ? expected + done : nullptr))
            return target_.SetError(e);
        done += n;
    }
    return target_.ClearError();
}

}  // namespace nandrel
