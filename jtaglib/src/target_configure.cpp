// The target's setting store (Configure), the selected device and the class
// settings the pod keeps for it.
#include "error_table.h"
#include "target_jtag.h"

namespace nandrel {

namespace {

enum ConfigureItem : int32_t {
    kFlashOption = 0,
    kClass13Settings = 1,
    kClockControl = 2,
    kMainClockControl = 3,
    kFlashTest = 4,
    kLockedSegmentAccess = 5,
    kFlashTiming = 6,
    kJtagMode = 8,
    kMemoryDataBus = 9,
    kRamPreserve = 10,
};

constexpr uint32_t kClass13 = 13;
constexpr uint16_t kWarning = 7;

bool markedInSecondFlagByte(uint32_t deviceClass) {
    switch (deviceClass) {
        case 47:
        case 48:
        case 49:
        case 54:
        case 55:
        case 56:
            return true;
        default:
            return false;
    }
}

}  // namespace

int32_t CTargetJTAG::Configure(int32_t item, int32_t value) {
    if (item >= kClass13Settings && item <= kMainClockControl && pollingActive())
        NotifyWarning(kWarning);
    auto lock = LockPort();
    const uint32_t v = static_cast<uint32_t>(value);
    switch (item) {
        case kFlashOption:
            flashSettings_.flashOption = v;
            break;
        case kClass13Settings:
            if (deviceClass_ != kClass13) return SetError(kErrParameter);
            item1Value_ = v & 0x7000;
            if (!SendClassSettings()) return 0;
            break;
        case kClockControl:
            clockControl_ = static_cast<uint16_t>(v);
            break;
        case kMainClockControl:
            mainClockControl_ = static_cast<uint16_t>(v);
            break;
        case kFlashTest:
            if (!class_.flashTest) return SetError(kErrParameter);
            return FlashTestSetting(v);
        case kLockedSegmentAccess:
            flashSettings_.lockedSegmentAccess = v != 0;
            break;
        case kFlashTiming:
            flashSettings_.SetFlashTiming(v);
            break;
        case kJtagMode:
            if (v > 2) return SetError(kErrParameter);
            if (!SetJtagMode(v)) return 0;
            break;
        case kMemoryDataBus:
            mdbValue_ = static_cast<uint16_t>(v);
            mdbPending_ = true;
            break;
        case kRamPreserve:
            flashSettings_.ramPreserve = v;
            break;
        default:
            return SetError(kErrParameter);
    }
    return ClearError();
}

bool CTargetJTAG::SelectDevice(uint32_t index, uint32_t deviceClass,
                               const TargetClassValues& values) {
    auto lock = LockPort();
    selectedDevice_ = index;
    deviceClass_ = deviceClass;
    class_ = values;
    clockSaved_ = false;
    return SendClassSettings();
}

void CTargetJTAG::ClearDeviceState() {
    fuseBlown_ = false;
    jtagReleased_ = false;
    runMode_ = kNotRunning;
    stepOver_ = false;
    errorNumber_ = 0;
    breakpointProgrammed_ = false;
    flashSettings_.flashOption = 0;
    item1Value_ = 0;
    clockControl_ = 0;
    savedEemControl_ = 0;
    cycleCounter_ = kCyclesNotCounted;
}

int32_t CTargetJTAG::ConnectSelectedDevice() {
    runMode_ = kFreeRun;
    jtagReleased_ = false;
    if (SyncJtag(false) == 0) return 0;
    return CheckFuseBlown() == 0 ? kErrFuseBlown : kErrFindDevice;
}

bool CTargetJTAG::SendClassSettings() {
    uint8_t flags1 = 0;
    if (class_.msp430x) flags1 |= 0x01;
    if (class_.e1) flags1 |= 0x02;
    if (class_.e3) flags1 |= 0x04;
    if (class_.e0) flags1 |= 0x08;
    if (class_.testPin) flags1 |= 0x10;
    if (selectedDevice_ == 0) flags1 |= 0x20;
    if (class_.clockControl == 1) flags1 |= 0x40;
    if (class_.clockControl == 2) flags1 |= 0x80;
    uint8_t flags2 = 0;
    if (class_.b9) flags2 |= 0x01;
    if (class_.b8) flags2 |= 0x02;
    if (markedInSecondFlagByte(deviceClass_)) flags2 |= 0x04;
    const uint8_t bytes[4] = {static_cast<uint8_t>(deviceClass_), flags1, flags2,
                              static_cast<uint8_t>(jtagId_)};
    const uint16_t words[3] = {
        static_cast<uint16_t>((item1Value_ & 0x7000) | (class_.emulationLevel & 0x000F)),
        class_.ramStart, class_.ramEnd};
    if (!protocol_) return Fail("NULL interface");
    return protocol_->SendConfiguration(bytes, words) || Fail(protocol_->errorText());
}

}  // namespace nandrel
