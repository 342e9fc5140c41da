#include "kelvane/sim/device_profile.h"

#include <algorithm>

#include "device_profile_rows.h"

namespace kv::sim {

bool DeviceProfile::flashSegment(uint32_t address, uint32_t* start, uint32_t* size) const {
    if (infoEnd != 0 && inInfo(address)) {
        *start = infoStart + (address - infoStart) / infoSegment * infoSegment;
        *size = infoSegment;
        return true;
    }
    if (mainEnd != 0 && inMain(address)) {
        uint32_t first = std::max(mainStart, address & ~(mainSegment - 1));
        uint32_t last = std::min(mainEnd, address | (mainSegment - 1));
        *start = first;
        *size = last - first + 1;
        return true;
    }
    return false;
}

void use2xxFlash(DeviceProfile& p) {
    FlashTiming& t = p.timing;
    t.wordWrite = 30;
    t.blockFirst = 25;
    t.blockNext = 18;
    t.blockEnd = 6;
    t.segmentErase = 4819;
    t.massErase = 10593;
    p.cumulativeProgramSeconds = 10e-3;
    p.cumulativeMassEraseSeconds = 20e-3;
}

namespace {

std::array<uint8_t, 16> idBlock(std::initializer_list<std::pair<int, uint8_t>> bytes) {
    std::array<uint8_t, 16> block{};
    block.fill(0xFF);
    for (auto [offset, value] : bytes)
        block[static_cast<size_t>(offset)] = value;
    return block;
}

std::vector<DeviceProfile> buildProfiles() {
    std::vector<DeviceProfile> list;

    DeviceProfile f149;
    f149.name = "MSP430F149";
    f149.deviceClass = 7;
    f149.mainStart = 0x1100;
    f149.mainEnd = 0xFFFF;
    f149.infoStart = 0x1000;
    f149.infoEnd = 0x10FF;
    f149.infoSegment = 0x80;
    f149.ramStart = 0x0200;
    f149.ramEnd = 0x09FF;
    f149.clock = ClockKind::BasicClock;
    f149.idBlock = idBlock({{0, 0xF1}, {1, 0x49}, {2, 0x01}, {3, 0x40}, {10, 0x01}, {11, 0x10}});
    f149.fuses = 0x00;
    f149.eemLevel = 2;
    f149.breakpoints = 3;
    f149.fuseBlowMillivolts = 2500;
    list.push_back(f149);

    DeviceProfile f2274;
    f2274.name = "MSP430F2274";
    f2274.deviceClass = 49;
    f2274.mainStart = 0x8000;
    f2274.mainEnd = 0xFFFF;
    f2274.infoStart = 0x1000;
    f2274.infoEnd = 0x10FF;
    f2274.infoSegment = 0x40;
    f2274.ramStart = 0x0200;
    f2274.ramEnd = 0x05FF;
    f2274.lockA = true;
    f2274.segmentA = 0x10C0;
    f2274.eraseInterruptBits = true;
    f2274.failFlag = true;
    use2xxFlash(f2274);
    f2274.flashMinMillivolts = 2200;
    f2274.clock = ClockKind::BasicClockPlus;
    f2274.resetFlags = true;
    f2274.timerA0Vector = 0xFFF2;
    f2274.timerA1Vector = 0xFFF0;
    f2274.idBlock = idBlock({{0, 0xF2}, {1, 0x27}, {2, 0x01}, {3, 0x40}, {10, 0x02}, {11, 0x00}});
    f2274.fuses = 0x00;
    f2274.eemLevel = 1;
    f2274.breakpoints = 2;
    f2274.clockControl = 1;
    f2274.fuseBlowMillivolts = 2500;
    list.push_back(f2274);

    DeviceProfile fg4619;
    fg4619.name = "MSP430FG4619";
    fg4619.deviceClass = 38;
    fg4619.mainStart = 0x2100;
    fg4619.mainEnd = 0x1FFFF;
    fg4619.infoStart = 0x1000;
    fg4619.infoEnd = 0x10FF;
    fg4619.infoSegment = 0x80;
    fg4619.ramStart = 0x0200;
    fg4619.ramEnd = 0x09FF;
    fg4619.ram2Start = 0x1100;
    fg4619.ram2End = 0x20FF;
    fg4619.flashBankSize = 0x10000;
    fg4619.globalMassErase = true;
    use2xxFlash(fg4619);
    fg4619.extended = true;
    fg4619.clock = ClockKind::FllPlus;
    fg4619.jtagId = 0x8D;
    // Loader 2.12, the first with the memory offset, on the parts above 64 KB.
    fg4619.idBlock = idBlock(
        {{0, 0xF4}, {1, 0x6F}, {2, 0x01}, {3, 0x40}, {10, 0x02}, {11, 0x12}, {13, 0x47}});
    fg4619.fuses = 0x00;
    fg4619.eemLevel = 3;
    fg4619.breakpoints = 8;
    fg4619.clockControl = 2;
    fg4619.fuseBlowMillivolts = 2500;
    list.push_back(fg4619);

    DeviceProfile proto;
    proto.name = "MSP430F11x1-prototype";
    proto.deviceClass = 1;
    proto.mainStart = 0xF000;
    proto.mainEnd = 0xFFFF;
    proto.infoStart = 0xEF00;
    proto.infoEnd = 0xEFFF;
    proto.infoSegment = 0x80;
    proto.ramStart = 0x0200;
    proto.ramEnd = 0x02FF;
    proto.clock = ClockKind::BasicClock;
    // Loader 1.10, as on the F11x1 parts.
    proto.idBlock = idBlock(
        {{0, 0xF1}, {1, 0x12}, {2, 0x00}, {3, 0x43}, {8, 0x00}, {9, 0x08}, {10, 0x01}, {11, 0x10}});
    proto.eemLevel = 0;
    proto.breakpoints = 2;
    list.push_back(proto);

    DeviceProfile fcas;
    fcas.name = "TMS430FCAS003";
    fcas.deviceClass = 41;
    fcas.mainStart = 0xC000;
    fcas.mainEnd = 0xFFFF;
    fcas.infoStart = 0x1000;
    fcas.infoEnd = 0x107F;
    fcas.infoSegment = 0x80;
    fcas.ramStart = 0x0500;
    fcas.ramEnd = 0x07FF;
    fcas.lockA = true;
    fcas.segmentA = 0x1000;
    fcas.failFlag = true;
    fcas.fctl1TimingBits = true;
    fcas.timerA = false;
    use2xxFlash(fcas);
    fcas.clock = ClockKind::ClockModule140;
    fcas.vccMinMillivolts = 3135;
    fcas.vccMaxMillivolts = 5250;
    // Loader 1.60: no patch.
    fcas.idBlock = idBlock({{0, 0xAF}, {1, 0x12}, {2, 0x50}, {10, 0x01}, {11, 0x60}});
    fcas.eemLevel = 0;
    fcas.breakpoints = 0;
    fcas.fuseBlowMillivolts = 2500;
    list.push_back(fcas);

    return list;
}

const std::vector<DeviceProfile>& profiles() {
    static const std::vector<DeviceProfile> list = buildProfiles();
    return list;
}

}  // namespace

const DeviceProfile* findProfile(std::string_view name) {
    for (const DeviceProfile& p : profiles()) {
        if (p.name == name) return &p;
    }
    return findDeviceRowProfile(name);
}

std::vector<std::string> profileNames() {
    std::vector<std::string> names;
    for (const DeviceProfile& p : profiles())
        names.push_back(p.name);
    return names;
}

}  // namespace kv::sim
