#include "target_jtag.h"

#include <mutex>

#include "error_table.h"
#include "kelvane/platform/clock.h"
#include "port_jtag.h"

namespace nandrel {

CTargetJTAG::~CTargetJTAG() {
    Close();
}

bool CTargetJTAG::Open(CPortJTAG* port) {
    Close();
    port_ = port;
    auto protocol = std::make_unique<CTargetProtocolJTAG>();
    if (!protocol->Open()) {
        errorText_ = protocol->errorText();
        return false;
    }
    protocol_ = std::move(protocol);
    record_.fill(this, nullptr, NANDREL_KIND_TARGET);
    return true;
}

void CTargetJTAG::Close() {
    ShutdownPolling();
    record_.clear();
    port_ = nullptr;
    if (protocol_) protocol_->Close();
    protocol_.reset();
}

bool CTargetJTAG::GetHardwareVersion(std::string* text) {
    if (!protocol_) return Fail("NULL target pod");
    std::lock_guard lock(port_->lock());
    return protocol_->GetHardwareVersion(text) || Fail(protocol_->errorText());
}

bool CTargetJTAG::GetFirmwareVersion(std::string* text) {
    if (!protocol_) return Fail("NULL target pod");
    std::lock_guard lock(port_->lock());
    return protocol_->GetFirmwareVersion(text) || Fail(protocol_->errorText());
}

bool CTargetJTAG::GetSerialNumber(uint32_t* serial) {
    if (!protocol_) return Fail("NULL target pod");
    std::lock_guard lock(port_->lock());
    return protocol_->GetSerialNumber(serial) || Fail(protocol_->errorText());
}

bool CTargetJTAG::Fail(std::string text) {
    if (OnEemPollingThread()) return false;
    errorText_ = std::move(text);
    detailFresh_ = true;
    return false;
}

int32_t CTargetJTAG::SetError(int32_t number) {
    if (OnEemPollingThread()) return 0;
    errorNumber_ = number;
    std::string text = nandrel::errorText(number);
    if (detailFresh_ && !errorText_.empty()) text += ":\n" + errorText_;
    errorText_ = std::move(text);
    detailFresh_ = false;
    return 0;
}

int32_t CTargetJTAG::PodError(int32_t number) {
    if (protocol_) Fail(protocol_->errorText());
    return SetError(number);
}

int32_t CTargetJTAG::ClearError() {
    if (OnEemPollingThread()) return 1;
    errorNumber_ = 0;
    detailFresh_ = false;
    return 1;
}

int32_t CTargetJTAG::TakeErrorNumber() {
    const int32_t n = errorNumber_;
    errorNumber_ = 0;
    return n;
}

void CTargetJTAG::RegisterWindow(void* window, uint32_t message, uint32_t userValue) {
    window_ = window;
    message_ = message;
    userValue_ = userValue;
}

std::unique_lock<kv::CriticalSection> CTargetJTAG::LockPort() {
    if (!port_) return {};
    return std::unique_lock<kv::CriticalSection>(port_->lock());
}

int32_t CTargetJTAG::OpenJTAG() {
    auto lock = LockPort();
    if (!protocol_) {
        Fail("NULL interface");
        return SetError(kErrInitialize);
    }
    keySPMASet_ = false;
    errorNumber_ = 0;
    lastInstruction_ = 0;
    // The link may lead to another chip now.
    fuseBlown_ = false;
    jtagMode_ = 0;
    if (!protocol_->SetJtagMode(0) || !protocol_->EnableJTAG()) return Fail(protocol_->errorText());
    return 1;
}

int32_t CTargetJTAG::CloseJTAG(int32_t mode) {
    if (!StopPolling()) return 0;
    auto lock = LockPort();
    if (!protocol_) {
        Fail("NULL interface");
        return SetError(kErrInitialize);
    }
    keySPMASet_ = false;
    if (mode == 1 && !VCC(0)) return 0;
    if (!protocol_->StopJTAG()) return PodError(kErrClose);
    jtagReleased_ = false;
    return 1;
}

int32_t CTargetJTAG::ResetJTAGTAP() {
    auto lock = LockPort();
    if (!protocol_) {
        Fail("NULL interface");
        return SetError(kErrInitialize);
    }
    if (!protocol_->ResetTap()) return PodError(kErrInitialize);
    return ClearError();
}

int32_t CTargetJTAG::SetJtagMode(uint32_t mode) {
    if (mode > 2) return 0;
    auto lock = LockPort();
    jtagMode_ = mode;
    if (!protocol_) {
        Fail("NULL interface");
        return SetError(kErrInitialize);
    }
    if (!protocol_->SetJtagMode(static_cast<uint8_t>(mode))) return Fail(protocol_->errorText());
    return 1;
}

int32_t CTargetJTAG::VCC(int32_t millivolts) {
    auto lock = LockPort();
    if (millivolts < 0 || static_cast<uint32_t>(millivolts) > kMaxVccMillivolts)
        return SetError(kErrParameter);
    if (!protocol_) {
        Fail("NULL interface");
        return SetError(kErrInitialize);
    }
    if (!protocol_->SetVCC(static_cast<uint16_t>(millivolts))) return PodError(kErrVcc);
    lastVcc_ = static_cast<uint32_t>(millivolts);
    return ClearError();
}

void CTargetJTAG::SetKeySPMA(const uint16_t* key) {
    if (!key) {
        keySPMA_.fill(0xFF);
        keySPMASet_ = false;
        return;
    }
    for (size_t i = 0; i < keySPMA_.size(); ++i)
        keySPMA_[i] = static_cast<uint8_t>(key[i]);
    keySPMASet_ = true;
}

}  // namespace nandrel
