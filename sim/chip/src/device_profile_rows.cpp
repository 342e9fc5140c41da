// Chips that impersonate the rows of the simulator's device record.
#include "device_profile_rows.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <memory>
#include <mutex>

#include "kelvane/sim/device_rows.h"

namespace kv::sim {

namespace {

using IdBytes = std::array<uint8_t, kIdentityBlockSize + 1>;

bool identifiesAs(const IdBytes& bytes, uint32_t index) {
    return firstMatchingRow(bytes.data()) == index;
}

// Identification bytes and a fuse byte that the row search maps to row
// (index): the row's own values, 0xFF (fuses 0) where it takes any, and where
// an earlier row would win, the first single change that avoids it.
IdBytes chooseIdentity(uint32_t index) {
    const DeviceRowFacts& row = *deviceRowFacts(index);
    IdBytes bytes{};
    bytes.fill(0xFF);
    std::array<size_t, 8> free{};
    size_t freeCount = 0;
    for (size_t i = 0; i < kIdentityOffsets.size(); ++i) {
        const size_t at = kIdentityOffsets[i];
        if (row.id[i] == kAnyValue)
            free[freeCount++] = at;
        else
            bytes[at] = static_cast<uint8_t>(row.id[i]);
    }
    bytes[kIdentityBlockSize] =
        row.fuseValue == kAnyValue ? 0 : static_cast<uint8_t>(row.fuseValue & row.fuseMask);
    if (row.fuseValue == kAnyValue) free[freeCount++] = kIdentityBlockSize;
    if (index == kUnknownDeviceRow || index == kEndOfDevicesRow || identifiesAs(bytes, index))
        return bytes;
    for (size_t f = 0; f < freeCount; ++f) {
        const uint8_t kept = bytes[free[f]];
        for (unsigned v = 0; v < 256; ++v) {
            bytes[free[f]] = static_cast<uint8_t>(v);
            if (identifiesAs(bytes, index)) return bytes;
        }
        bytes[free[f]] = kept;
    }
    return bytes;  // a row that no chip can reach: it identifies as the row that shadows it
}

DeviceProfile buildRowProfile(uint32_t index) {
    const DeviceRowFacts& row = *deviceRowFacts(index);
    const DeviceClassFacts& c = deviceClassFacts(row.deviceClass);
    const MemoryLayoutFacts& m = memoryLayoutFacts(row.deviceClass);
    DeviceProfile p;
    p.name = row.name;
    p.deviceClass = row.deviceClass;

    if (m.mainEnd != 0) {
        p.mainStart = m.mainStart;
        p.mainEnd = m.mainEnd;
        p.infoStart = m.infoStart;
        p.infoEnd = m.infoEnd;
        p.infoSegment = m.infoSegment;
        p.ramStart = m.ramStart;
        p.ramEnd = m.ramEnd;
        p.ram2Start = m.ram2Start;
        p.ram2End = m.ram2End;
    } else {
        // No device: the memory map a target assumes until one is selected.
        p.mainStart = 0x1100;
        p.mainEnd = 0xFFFF;
        p.infoStart = 0x1000;
        p.infoEnd = 0x10FF;
        p.ramStart = 0x0200;
        p.ramEnd = 0x09FF;
    }

    // RAM that reaches into the boot ROM's usual place (0x0500-0x0CFF on the
    // TMS430FCAS001 and TMS430EMU) is RAM: the boot ROM, with the
    // identification block at 0x0FF0, lies above it.
    if (p.ramEnd >= p.bootStart && p.ramEnd < p.bootEnd)
        p.bootStart = static_cast<uint16_t>(p.ramEnd + 1);

    const IdBytes identity = chooseIdentity(index);
    std::copy_n(identity.begin(), kIdentityBlockSize, p.idBlock.begin());
    p.fuses = identity[kIdentityBlockSize];
    if (index == kUnknownDeviceRow || index == kEndOfDevicesRow) {
        p.idBlock.fill(0xFF);
        p.idBlock[0] = 0x00;
        p.fuses = 0;
    }

    switch (p.idBlock[0]) {
        case 0xF2:  // 2xx: clock module+, 64-byte segments with segment A locked by LOCKA
            p.clock = ClockKind::BasicClockPlus;
            p.lockA = true;
            p.segmentA = static_cast<uint16_t>(p.infoEnd - p.infoSegment + 1);
            p.eraseInterruptBits = true;
            p.failFlag = true;
            use2xxFlash(p);
            p.resetFlags = true;
            p.timerA0Vector = 0xFFF2;
            p.timerA1Vector = 0xFFF0;
            break;
        case 0xF4:
        case 0x42:
            p.clock = ClockKind::FllPlus;
            break;
        case 0xAF:
        case 0xA0:
        case 0xAE:  // the TMS430 parts: word-wide clock module, no Timer_A
            p.clock = ClockKind::ClockModule140;
            p.lockA = true;
            p.segmentA = p.infoStart;
            p.failFlag = true;
            p.fctl1TimingBits = true;
            p.timerA = false;
            use2xxFlash(p);
            break;
        default:
            p.clock = ClockKind::BasicClock;
            break;
    }
    p.extended = c.msp430x;
    // 64-byte information segments mark the 2xx flash on the newer 4xx
    // parts too (F47x3, F47x4): its timing, segment A locked by LOCKA, the
    // FAIL flag and the erase interrupt bits EEI and EEIEX.
    if (p.infoSegment == 0x40 && p.idBlock[0] == 0xF4) {
        use2xxFlash(p);
        p.lockA = true;
        p.segmentA = static_cast<uint16_t>(p.infoEnd - p.infoSegment + 1);
        p.eraseInterruptBits = true;
        p.failFlag = true;
    }
    if (p.mainEnd > 0xFFFF) {
        p.flashBankSize = 0x10000;
        p.globalMassErase = true;
        use2xxFlash(p);
    }
    p.jtagId = c.msp430x ? 0x8D : 0x89;
    if (c.vccMax != 0) {
        p.vccMinMillivolts = c.vccMin;
        p.vccMaxMillivolts = c.vccMax;
    }
    if (c.flashMin != 0) p.flashMinMillivolts = c.flashMin;
    p.eemLevel = static_cast<uint8_t>(c.emulationLevel);
    p.breakpoints = static_cast<uint8_t>(c.breakpoints);
    p.fuseBlowMillivolts = c.fuseBlowMillivolts;
    return p;
}

}  // namespace

const DeviceProfile* deviceRowProfile(uint32_t index) {
    static std::array<std::unique_ptr<DeviceProfile>, kDeviceRowCount> rows;
    static std::mutex mutex;
    if (index >= kDeviceRowCount) return nullptr;
    std::lock_guard lock(mutex);
    if (!rows[index]) rows[index] = std::make_unique<DeviceProfile>(buildRowProfile(index));
    return rows[index].get();
}

const DeviceProfile* findDeviceRowProfile(std::string_view name) {
    constexpr std::string_view kRowPrefix = "row:";
    if (name.starts_with(kRowPrefix)) {
        const std::string_view digits = name.substr(kRowPrefix.size());
        uint32_t index = 0;
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), index);
        if (error != std::errc() || end != digits.data() + digits.size() || digits.empty())
            return nullptr;
        return deviceRowProfile(index);
    }
    for (uint32_t index = 0; index < kDeviceRowCount; ++index) {
        if (name == deviceRowFacts(index)->name) return deviceRowProfile(index);
    }
    return nullptr;
}

}  // namespace kv::sim
