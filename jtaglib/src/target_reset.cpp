// Resetting the chip: a power-up clear over JTAG, a pulse on the reset pin or
// a supply cycle, each followed by a power-up clear through the pod.
#include "error_table.h"
#include "kelvane/platform/clock.h"
#include "target_jtag.h"

namespace nandrel {

namespace {

constexpr int kPucTries = 4;
constexpr int kPinTries = 3;
constexpr uint8_t kControlSignalWrite = 0x13;
constexpr uint8_t kControlSignalCapture = 0x14;
// Read, CPU under JTAG control, power-up clear.
constexpr uint16_t kControlPuc = 0x2401;
constexpr uint16_t kEemGeneralClockControl = 130;
constexpr uint16_t kSupplyCycleMillivolts = 3000;
constexpr uint32_t kSupplyOffMs = 5000;
constexpr uint32_t kSupplyOnMs = 10;

}  // namespace

bool CTargetJTAG::PowerUpClear() {
    return protocol_->PUC(&savedEemControl_, &clockControl_, &mainClockControl_) ||
           Fail(protocol_->errorText());
}

bool CTargetJTAG::PulseResetLine() {
    CTargetProtocolJTAG& p = *protocol_;
    if (!p.SetLine38(false) || !p.SetLine40(0)) return Fail(p.errorText());
    kv::clock().sleep(10);
    return (p.SetLine40(1) && p.SetLine38(true)) || Fail(p.errorText());
}

bool CTargetJTAG::ResetByPuc() {
    CTargetProtocolJTAG& p = *protocol_;
    for (int i = 0; i < kPucTries; ++i) {
        if (p.IrDrShift16(kControlSignalWrite, kControlPuc, nullptr) &&
            p.IrShift(kControlSignalCapture, nullptr) && p.SyncCPU() && PowerUpClear())
            return true;
        Fail(p.errorText());
    }
    return false;
}

bool CTargetJTAG::ResetByPin() {
    if (!PulseResetLine() || Connect() != 0) return false;
    for (int attempt = 0; attempt < kPinTries; ++attempt) {
        if (attempt > 0) {
            // Enter JTAG again with the EEM quiet, keeping its registers.
            if (HasEem() && (!SaveEemRegisters() || !protocol_->EEM_WriteControl(0x0F))) continue;
            if (!PulseResetLine() || Connect() != 0) continue;
            if (HasEem() && !RestoreEemRegisters()) continue;
        }
        if (SyncJtag(true) != 0) continue;
        if (attempt > 0 && HasEem() && !protocol_->EEM_WriteControl(0)) {
            Fail(protocol_->errorText());
            continue;
        }
        if (PowerUpClear()) return true;
    }
    return false;
}

bool CTargetJTAG::ResetBySupply() {
    CTargetProtocolJTAG& p = *protocol_;
    if (!p.SetVCC(0)) return Fail(p.errorText());
    lastVcc_ = 0;
    kv::clock().sleep(kSupplyOffMs);
    if (!p.SetVCC(kSupplyCycleMillivolts)) return Fail(p.errorText());
    lastVcc_ = kSupplyCycleMillivolts;
    kv::clock().sleep(kSupplyOnMs);
    if (!PulseResetLine() || Connect() != 0) return false;
    for (int attempt = 0; attempt < kPinTries; ++attempt) {
        if (attempt > 0 && HasEem() && !WriteEemRegister(kEemGeneralClockControl, 0)) continue;
        if (SyncJtag(true) == 0 && PowerUpClear()) return true;
    }
    return false;
}

int32_t CTargetJTAG::Reset(int32_t method, bool execute, bool releaseJtag) {
    // A thread that does not pause in time does not stop a reset.
    PausePolling(kPollingPauseMs);
    auto lock = LockPort();
    if (method == 0) return SetError(kErrParameter);
    cycleCounter_ = kCyclesNotCounted;
    unreportedStop_ = kStopped;
    if (!protocol_) {
        Fail("NULL interface");
        return SetError(kErrInitialize);
    }
    if (jtagReleased_) {
        // The link was handed back to the chip by a run: take it again first.
        if (!protocol_->EnableJTAG()) return PodError(kErrReset);
        jtagReleased_ = false;
    }
    const bool onlyNamed = (method & kResetOnlyNamed) != 0;
    bool done = ((method & kResetPuc) || !onlyNamed) && ResetByPuc();
    if (!done && (method & kResetPin)) done = ResetByPin();
    if (!done && (method & kResetSupply)) done = ResetBySupply();
    if (!done) {
        if (const int32_t e = ConnectOrFuseBlown()) return SetError(e);
        if (CheckFuseBlown() == 0) return SetError(kErrFuseBlown);
        if (!PowerUpClear()) return SetError(kErrFindDevice);
        return SetError((method & kResetSupply) ? kErrFindDevice : kErrReset);
    }
    if (execute) {
        // The program runs free: past its breakpoints.
        if (!DisarmBreakpoints()) return SetError(kErrRun);
        if (!protocol_->ReleaseCPU()) return PodError(kErrRun);
        runMode_ = kFreeRun;
        if (releaseJtag) {
            if (!protocol_->ReleaseJTAG()) return PodError(kErrRun);
            jtagReleased_ = true;
        }
        return ClearError();
    }
    if (!RearmBreakpoints()) return SetError(kErrReset);
    if (selectedDevice_ != 0) {
        if (!SaveContext()) return SetError(kErrReset);
    } else if (!HoldWatchdog()) {
        // The pod's own text was kept by HoldWatchdog.
        return SetError(kErrReset);
    }
    runMode_ = kNotRunning;
    return ClearError();
}

}  // namespace nandrel
