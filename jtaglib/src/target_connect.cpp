// Connecting to the chip over JTAG: the connect attempts with the entry
// sequence, the JTAG sync, the security fuse test and the watchdog hold.
#include "error_table.h"
#include "kelvane/platform/clock.h"
#include "target_jtag.h"
#include "text_format.h"

namespace nandrel {

namespace {

constexpr int kConnectAttempts = 4;
constexpr int kEntrySequenceFrom = 2;  // attempts counted from 0
constexpr uint8_t kBypass = 0xFF;
constexpr uint8_t kControlSignalCapture = 0x14;
constexpr int kFuseChecks = 3;
constexpr uint32_t kWatchdogControl = 0x0120;

bool AcceptedJtagId(uint8_t id) {
    return id == 0x89 || id == 0x8D;
}

}  // namespace

bool CTargetJTAG::EntrySequence() {
    // TEST (line 38) and reset (line 40) with TCK, so that a chip whose JTAG
    // pins are shared with port pins hands them to JTAG.
    CTargetProtocolJTAG& p = *protocol_;
    if (!p.SetTCK(1) || !p.SetLine38(false) || !p.SetLine40(0)) return false;
    kv::clock().sleep(100);
    if (!p.SetTCK(0) || !p.SetLine38(true) || !p.SetTCK(1) || !p.SetLine38(false) || !p.SetTCK(0) ||
        !p.SetLine38(true) || !p.SetLine40(2))
        return false;
    kv::clock().sleep(5);
    return p.SetLine40(1) && p.SetTCK(1) && p.SetLine38(false) && p.SetLine38(true);
}

int32_t CTargetJTAG::Connect() {
    CTargetProtocolJTAG& p = *protocol_;
    for (int attempt = 0; attempt < kConnectAttempts; ++attempt) {
        if (!p.RestartJTAG()) return PodDetail(kErrInitialize);
        if (attempt >= kEntrySequenceFrom && !EntrySequence()) return PodDetail(kErrInitialize);
        if (!p.ResetTap() || !p.CheckFuse() || !p.ResetTap()) return PodDetail(kErrInitialize);
        uint8_t id = 0;
        if (!p.IrShift(kBypass, &id)) return PodDetail(kErrInitialize);
        jtagId_ = id;
        if (AcceptedJtagId(id)) return 0;
    }
    return kErrUnknownDevice;
}

int32_t CTargetJTAG::ConnectOrFuseBlown() {
    if (Connect() == 0) return 0;
    // A chip with a blown fuse answers no JTAG id at all: the fuse test does
    // not need one, and a production line is told the real cause.
    return CheckFuseBlown() == 0 ? kErrFuseBlown : kErrFindDevice;
}

bool CTargetJTAG::SyncTap(uint8_t* id) {
    CTargetProtocolJTAG& p = *protocol_;
    return p.ResetTap() && p.CheckFuse() && p.ResetTap() && p.IrShift(kBypass, id);
}

int32_t CTargetJTAG::SyncJtag(bool cpuSync) {
    uint8_t id = 0;
    if (!SyncTap(&id)) return PodDetail(kErrInitialize);
    // A chip that does not answer with its id (a blown fuse, a lost link)
    // cannot be synchronised.
    if (!AcceptedJtagId(id)) {
        Fail(format("JTAG id %02X not recognized", id));
        return kErrInitialize;
    }
    if (cpuSync && !protocol_->SyncCPU()) return PodDetail(kErrInitialize);
    return 0;
}

int32_t CTargetJTAG::CheckFuseBlown() {
    if (!SyncTap(nullptr)) return PodDetail(kErrInitialize);
    for (int i = 0; i < kFuseChecks; ++i) {
        uint16_t captured = 0;
        if (!protocol_->IrDrShift16(kControlSignalCapture, 0xAAAA, &captured))
            return PodDetail(kErrFuseBlow);
        if (captured == 0x5555) return 0;
    }
    return kErrFuseBlow;
}

bool CTargetJTAG::HoldWatchdog() {
    uint16_t value = 0;
    if (!protocol_->ReadWords(kWatchdogControl, 1, &value)) return Fail(protocol_->errorText());
    savedWatchdog_ = value;
    watchdogSaved_ = true;
    const uint16_t held = static_cast<uint16_t>((value & 0xFF) | 0x5A80);
    if (!protocol_->WriteWords(kWatchdogControl, 1, &held)) return Fail(protocol_->errorText());
    return true;
}

int32_t CTargetJTAG::Secure() {
    auto lock = LockPort();
    if (!protocol_) {
        Fail("NULL interface");
        return SetError(kErrInitialize);
    }
    if (selectedDevice_ == 0) return SetError(kErrUnknownDevice);
    if (class_.securityValue == 0) return SetError(kErrFuseBlow);
    if (!protocol_->ExecuteFuseBlow()) return PodError(kErrFuseBlow);
    if (const int32_t e = CheckFuseBlown()) return SetError(e);
    fuseBlown_ = true;
    return ClearError();
}

}  // namespace nandrel
