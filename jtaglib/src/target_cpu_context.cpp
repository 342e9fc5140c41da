// The CPU context around stops and runs: the register copy, the held
// watchdog, the clock registers of the classes that keep them, and the EEM
// registers a single step borrows.
#include "error_table.h"
#include "target_jtag.h"

namespace nandrel {

namespace {

constexpr uint32_t kWatchdogControl = 0x0120;
constexpr uint16_t kWatchdogPassword = 0x5A00;
// FLL+ control registers, and the basic clock module's.
constexpr uint32_t kFllRegisters = 0x0050;
constexpr uint32_t kFllRegisterCount = 5;
constexpr uint32_t kBasicClockRegisters = 0x0056;
constexpr uint32_t kBasicClockRegisterCount = 3;
// EEM registers of trigger block 0 and the break enable: read at the odd
// number, written at the even one below.
constexpr uint16_t kSavedEemReads[5] = {3, 5, 7, 129, 1};
constexpr uint16_t kSavedEemWrites[5] = {2, 4, 6, 128, 0};

}  // namespace

bool CTargetJTAG::SaveClockRegisters() {
    const uint32_t address = class_.e1 ? kFllRegisters : kBasicClockRegisters;
    const uint32_t count = class_.e1 ? kFllRegisterCount : kBasicClockRegisterCount;
    return protocol_->ReadBytes(address, count, savedClock_.data()) || Fail(protocol_->errorText());
}

bool CTargetJTAG::RestoreClockRegisters() {
    const uint32_t address = class_.e1 ? kFllRegisters : kBasicClockRegisters;
    const uint32_t count = class_.e1 ? kFllRegisterCount : kBasicClockRegisterCount;
    return protocol_->WriteBytes(address, count, savedClock_.data()) ||
           Fail(protocol_->errorText());
}

bool CTargetJTAG::SaveContext() {
    if (!HoldWatchdog()) return false;
    for (uint8_t n = 0; n < registers_.size(); ++n)
        if (!protocol_->ReadRegister(n, &registers_[n])) return Fail(protocol_->errorText());
    if (class_.e1 || class_.e2) {
        if (!SaveClockRegisters()) return false;
        clockSaved_ = true;
    }
    return true;
}

bool CTargetJTAG::RestoreContext() {
    if (clockSaved_ && !RestoreClockRegisters()) return false;
    if (watchdogSaved_) {
        const uint16_t watchdog =
            static_cast<uint16_t>((savedWatchdog_ & 0xFF) | kWatchdogPassword);
        if (!protocol_->WriteWords(kWatchdogControl, 1, &watchdog))
            return Fail(protocol_->errorText());
    }
    for (uint8_t n = 1; n < registers_.size(); ++n)
        if (!protocol_->WriteRegister(n, registers_[n])) return Fail(protocol_->errorText());
    return protocol_->SetPC(registers_[0]) || Fail(protocol_->errorText());
}

bool CTargetJTAG::ReadEemRegister(uint16_t reg, uint32_t* value) {
    *value = 0;
    return protocol_->EEM_DataExchange(reg, value) || Fail(protocol_->errorText());
}

bool CTargetJTAG::WriteEemRegister(uint16_t reg, uint32_t value) {
    return protocol_->EEM_DataExchange(reg, &value) || Fail(protocol_->errorText());
}

bool CTargetJTAG::SaveEemRegisters() {
    for (size_t i = 0; i < savedEem_.size(); ++i)
        if (!ReadEemRegister(kSavedEemReads[i], &savedEem_[i])) return false;
    return true;
}

bool CTargetJTAG::RestoreEemRegisters() {
    for (size_t i = 0; i < savedEem_.size(); ++i)
        if (!WriteEemRegister(kSavedEemWrites[i], savedEem_[i])) return false;
    return true;
}

}  // namespace nandrel
