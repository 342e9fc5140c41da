// Code execution and the frame around every flash erase and write: the chip
// state the routines disturb is saved, the flash clock is set, and afterwards
// everything is put back.
#include <vector>

#include "flash/flash_jtag.h"
#include "flash_errors.h"
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

int32_t CFlashJTAG::ExecuteCode(const uint16_t* words, uint32_t count, bool verify, bool stopAtExit,
                                uint16_t waitTime) {
    if (count == 0) return 1;
    if (words[0] & 1) return target_.Fail("Cannot execute code with an odd address");
    CTargetProtocolJTAG& p = target_.Protocol();
    if (!p.ExecuteCode_Prepare() || !p.WriteWords(words[0], count, words))
        return target_.Fail(p.errorText());
    if (verify) {
        std::vector<uint16_t> back(count);
        if (!p.ReadWords(words[0], count, back.data())) return target_.Fail(p.errorText());
        for (uint32_t i = 0; i < count; ++i)
            if (back[i] != words[i]) return target_.Fail("ExecuteCode:  Verify read failed\n");
    }
    if (!p.ExecuteCode_Release(words[1], stopAtExit ? words[2] : 0, waitTime))
        return target_.Fail(p.errorText());
    return 1;
}

bool CFlashJTAG::RunRoutine(routines::RoutineId id, std::span<const uint16_t> words,
                            uint32_t* result) {
    const routines::RoutineLayout& layout = routines::GetRoutineLayout(id);
    const bool measures = layout.resultHighRegister >= 0;
    const bool runsToExit = layout.resultRegister >= 0 && !measures;
    if (!ExecuteCode(words.data(), static_cast<uint32_t>(words.size()), settings_.flashOption != 0,
                     runsToExit, measures ? kMeasureTimeMs : 0))
        return false;
    uint32_t low = 0;
    uint32_t high = 0;
    CTargetProtocolJTAG& p = target_.Protocol();
    if (measures && !p.ReadRegister(static_cast<uint8_t>(layout.resultHighRegister), &high))
        return target_.Fail(p.errorText());
    if (layout.resultRegister >= 0 &&
        !p.ReadRegister(static_cast<uint8_t>(layout.resultRegister), &low))
        return target_.Fail(p.errorText());
    if (result) *result = measures ? ((high & 0xFFFF) << 16) | (low & 0xFFFF) : low;
    return true;
}

CFlashJTAG::FlashFrame::FlashFrame(CFlashJTAG& flasher)
    : flasher_(flasher), error_(flasher.EnterFlashFrame()), open_(error_ == 0) {}

CFlashJTAG::FlashFrame::~FlashFrame() {
    if (open_) flasher_.LeaveFlashFrame();
}

int32_t CFlashJTAG::FlashFrame::Close(int32_t result) {
    if (!open_) return result != 0 ? result : error_;
    open_ = false;
    const int32_t restored = flasher_.LeaveFlashFrame();
    return result != 0 ? result : restored;
}

int32_t CFlashJTAG::SetLockA(bool locked, bool* previous) {
    CTargetProtocolJTAG& p = target_.Protocol();
    uint16_t value = 0;
    if (!p.ReadWords(kFctl3, 1, &value)) return target_.Fail(p.errorText());
    const bool current = (value & kFctl3LockA) != 0;
    if (previous) *previous = current;
    if (current == locked) return 1;
    // Writing LOCKA toggles it; LOCK stays set so that the flash stays locked.
    const uint16_t toggle = kFlashKeyWord | kFctl3LockA | kFctl3Lock;
    return p.WriteWords(kFctl3, 1, &toggle) || target_.Fail(p.errorText());
}

int32_t CFlashJTAG::EnterFlashFrame() {
    const FlashDevice d = target_.Device();
    CTargetProtocolJTAG& p = target_.Protocol();
    const ClockRegisters clock = clockRegisters(d.flashKind);
    if (!p.ReadBytes(clock.address, clock.count, clock_.data()) ||
        !p.ReadWords(kFlashController, 3, controller_.data())) {
        target_.Fail(p.errorText());
        return kErrPreserve;
    }
    if (d.newerFlash && settings_.alternativeFlashTiming)
        timingBits_ = controller_[0] & 0x30;
    else
        timingBits_ = settings_.standardTimingBits();
    bool wasLocked = false;
    if (!SetLockA(!settings_.lockedSegmentAccess, &wasLocked)) return kErrPreserve;
    lockAWasSet_ = wasLocked;
    if (!p.ReadBytes(0, 4, low_.data()) || !p.WriteBytes(0, 4, kLowBytesDuringFlash)) {
        target_.Fail(p.errorText());
        return kErrPreserve;
    }
    ram_.clear();
    if (settings_.ramPreserve != 0 && !d.newerFlash) {
        ram_.resize(static_cast<size_t>(d.ramEnd) - d.ramStart + 1);
        if (!p.ReadBytes(d.ramStart, static_cast<uint32_t>(ram_.size()), ram_.data())) {
            target_.Fail(p.errorText());
            return kErrPreserve;
        }
    }
    if (d.hasEem && d.clockControl != 0) {
        if (!target_.WriteEemRegister(kEemClockControl, 0) ||
            (d.clockControl == 2 && !target_.WriteEemRegister(kEemModuleClockControl, 0)) ||
            !target_.WriteEemRegister(kEemGeneralControl, 0))
            return kErrPreserve;
    }
    return 0;
}

int32_t CFlashJTAG::LeaveFlashFrame() {
    const FlashDevice d = target_.Device();
    CTargetProtocolJTAG& p = target_.Protocol();
    const ClockRegisters clock = clockRegisters(d.flashKind);
    // The saved LOCKA bit is left out: writing it would toggle the lock. The
    // flash is left locked.
    const uint16_t controller[3] = {
        static_cast<uint16_t>(kFlashKeyWord | (controller_[0] & 0xFF)),
        static_cast<uint16_t>(kFlashKeyWord | (controller_[1] & 0xFF)),
        static_cast<uint16_t>(kFlashKeyWord | (controller_[2] & 0xFF & ~kFctl3LockA) | kFctl3Lock)};
    if (!p.WriteBytes(clock.address, clock.count, clock_.data()) ||
        !p.WriteBytes(0, 4, low_.data()) || !p.WriteWords(kFlashController, 3, controller)) {
        target_.Fail(p.errorText());
        return kErrPreserve;
    }
    if (!SetLockA(lockAWasSet_, nullptr)) return kErrPreserve;
    if (!ram_.empty()) {
        const auto n = static_cast<uint32_t>(ram_.size());
        std::vector<uint8_t> back(n);
        if (!p.WriteBytes(d.ramStart, n, ram_.data()) || !p.ReadBytes(d.ramStart, n, back.data())) {
            target_.Fail(p.errorText());
            return kErrPreserve;
        }
        if (back != ram_) {
            target_.Fail("RAM contents could not be restored");
            return kErrPreserve;
        }
    }
    if (d.hasEem) {
        if (!target_.WriteEemRegister(kEemGeneralControl, target_.savedEemControl()) ||
            !target_.WriteEemRegister(kEemClockControl, target_.clockControl()) ||
            !target_.WriteEemRegister(kEemModuleClockControl, target_.mainClockControl()))
            return kErrPreserve;
    }
    return 0;
}

}  // namespace nandrel
