// Code execution and the frame around every flash erase and write: the chip
// state the routines disturb is saved, the flash clock is set, and afterwards
// everything is put back.
#include <vector>

#include "flash_errors.h"
#include "target_jtag.h"
#include "text_format.h"

namespace nandrel {

namespace {

constexpr uint32_t kFlashController = 0x0128;
constexpr uint32_t kFctl3 = 0x012C;
constexpr uint16_t kFlashKeyWord = 0xA500;
constexpr uint16_t kFctl3Lock = 0x0010;
constexpr uint16_t kFctl3LockA = 0x0040;
constexpr uint16_t kEemGeneralControl = 130;
constexpr uint16_t kEemClockControl = 136;
constexpr uint16_t kEemModuleClockControl = 138;
constexpr uint8_t kLowBytesDuringFlash[4] = {0, 0, 2, 0};
constexpr uint16_t kMeasureTimeMs = 20;

struct ClockRegisters {
    uint32_t address;
    uint32_t count;
};

ClockRegisters clockRegisters(uint16_t flashKind) {
    if (flashKind == 1) return {0x0050, 5};
    if (flashKind == 2) return {0x0140, 8};
    return {0x0056, 3};
}

}  // namespace

int32_t CTargetJTAG::ExecuteCode(const uint16_t* words, uint32_t count, bool verify,
                                 bool stopAtExit, uint16_t waitTime) {
    if (count == 0) return 1;
    if (words[0] & 1) return Fail("Cannot execute code with an odd address");
    CTargetProtocolJTAG& p = *protocol_;
    if (!p.ExecuteCode_Prepare() || !p.WriteWords(words[0], count, words))
        return Fail(p.errorText());
    if (verify) {
        std::vector<uint16_t> back(count);
        if (!p.ReadWords(words[0], count, back.data())) return Fail(p.errorText());
        for (uint32_t i = 0; i < count; ++i)
            if (back[i] != words[i]) return Fail("ExecuteCode:  Verify read failed\n");
    }
    if (!p.ExecuteCode_Release(words[1], stopAtExit ? words[2] : 0, waitTime))
        return Fail(p.errorText());
    return 1;
}

bool CTargetJTAG::RunRoutine(routines::RoutineId id, std::span<const uint16_t> words,
                             uint32_t* result) {
    const routines::RoutineLayout& layout = routines::GetRoutineLayout(id);
    const bool measures = layout.resultHighRegister >= 0;
    const bool runsToExit = layout.resultRegister >= 0 && !measures;
    if (!ExecuteCode(words.data(), static_cast<uint32_t>(words.size()), flashOption_ != 0,
                     runsToExit, measures ? kMeasureTimeMs : 0))
        return false;
    uint32_t low = 0;
    uint32_t high = 0;
    CTargetProtocolJTAG& p = *protocol_;
    if (measures && !p.ReadRegister(static_cast<uint8_t>(layout.resultHighRegister), &high))
        return Fail(p.errorText());
    if (layout.resultRegister >= 0 &&
        !p.ReadRegister(static_cast<uint8_t>(layout.resultRegister), &low))
        return Fail(p.errorText());
    if (result) *result = measures ? ((high & 0xFFFF) << 16) | (low & 0xFFFF) : low;
    return true;
}

CTargetJTAG::FlashFrame::FlashFrame(CTargetJTAG& target)
    : target_(target), error_(target.EnterFlashFrame()), open_(error_ == 0) {}

CTargetJTAG::FlashFrame::~FlashFrame() {
    if (open_) target_.LeaveFlashFrame();
}

int32_t CTargetJTAG::FlashFrame::Close(int32_t result) {
    if (!open_) return result != 0 ? result : error_;
    open_ = false;
    const int32_t restored = target_.LeaveFlashFrame();
    return result != 0 ? result : restored;
}

int32_t CTargetJTAG::SetLockA(bool locked, bool* previous) {
    auto lock = LockPort();
    if (!protocol_) return Fail("NULL interface");
    uint16_t value = 0;
    if (!protocol_->ReadWords(kFctl3, 1, &value)) return Fail(protocol_->errorText());
    const bool current = (value & kFctl3LockA) != 0;
    if (previous) *previous = current;
    if (current == locked) return 1;
    // Writing LOCKA toggles it; LOCK stays set so that the flash stays locked.
    const uint16_t toggle = kFlashKeyWord | kFctl3LockA | kFctl3Lock;
    return protocol_->WriteWords(kFctl3, 1, &toggle) || Fail(protocol_->errorText());
}

int32_t CTargetJTAG::EnterFlashFrame() {
    const FlashDevice d = FlashDeviceFor(selectedDevice_, deviceClass_);
    CTargetProtocolJTAG& p = *protocol_;
    const ClockRegisters clock = clockRegisters(d.flashKind);
    flash_.clockBytes = clock.count;
    if (!p.ReadBytes(clock.address, clock.count, flash_.clock.data()) ||
        !p.ReadWords(kFlashController, 3, flash_.controller.data())) {
        Fail(p.errorText());
        return kErrPreserve;
    }
    if (d.newerFlash && alternativeFlashTiming_)
        flash_.timingBits = flash_.controller[0] & 0x30;
    else
        flash_.timingBits = flashClockDivider_ == 16 ? 0x10 : 0x20;
    bool wasLocked = false;
    if (!SetLockA(!lockedSegmentAccess_, &wasLocked)) return kErrPreserve;
    flash_.lockAWasSet = wasLocked;
    if (!p.ReadBytes(0, 4, flash_.low.data()) || !p.WriteBytes(0, 4, kLowBytesDuringFlash)) {
        Fail(p.errorText());
        return kErrPreserve;
    }
    flash_.ram.clear();
    if (ramPreserve_ != 0 && !d.newerFlash) {
        flash_.ram.resize(static_cast<size_t>(d.ramEnd) - d.ramStart + 1);
        if (!p.ReadBytes(d.ramStart, static_cast<uint32_t>(flash_.ram.size()), flash_.ram.data())) {
            Fail(p.errorText());
            return kErrPreserve;
        }
    }
    if (d.hasEem && d.clockControl != 0) {
        if (!WriteEemRegister(kEemClockControl, 0) ||
            (d.clockControl == 2 && !WriteEemRegister(kEemModuleClockControl, 0)) ||
            !WriteEemRegister(kEemGeneralControl, 0))
            return kErrPreserve;
    }
    return 0;
}

int32_t CTargetJTAG::LeaveFlashFrame() {
    const FlashDevice d = FlashDeviceFor(selectedDevice_, deviceClass_);
    CTargetProtocolJTAG& p = *protocol_;
    const ClockRegisters clock = clockRegisters(d.flashKind);
    // The saved LOCKA bit is left out: writing it would toggle the lock. The
    // flash is left locked.
    const uint16_t controller[3] = {
        static_cast<uint16_t>(kFlashKeyWord | (flash_.controller[0] & 0xFF)),
        static_cast<uint16_t>(kFlashKeyWord | (flash_.controller[1] & 0xFF)),
        static_cast<uint16_t>(kFlashKeyWord | (flash_.controller[2] & 0xFF & ~kFctl3LockA) |
                              kFctl3Lock)};
    if (!p.WriteBytes(clock.address, clock.count, flash_.clock.data()) ||
        !p.WriteBytes(0, 4, flash_.low.data()) || !p.WriteWords(kFlashController, 3, controller)) {
        Fail(p.errorText());
        return kErrPreserve;
    }
    if (!SetLockA(flash_.lockAWasSet, nullptr)) return kErrPreserve;
    if (!flash_.ram.empty()) {
        const auto n = static_cast<uint32_t>(flash_.ram.size());
        std::vector<uint8_t> back(n);
        if (!p.WriteBytes(d.ramStart, n, flash_.ram.data()) ||
            !p.ReadBytes(d.ramStart, n, back.data())) {
            Fail(p.errorText());
            return kErrPreserve;
        }
        if (back != flash_.ram) {
            Fail("RAM contents could not be restored");
            return kErrPreserve;
        }
    }
    if (d.hasEem) {
        if (!WriteEemRegister(kEemGeneralControl, savedEemControl_) ||
            !WriteEemRegister(kEemClockControl, clockControl_) ||
            !WriteEemRegister(kEemModuleClockControl, mainClockControl_))
            return kErrPreserve;
    }
    return 0;
}

}  // namespace nandrel
