#include "target_jtag.h"

#include <mutex>

#include "error_table.h"
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
    errorText_ = std::move(text);
    detailFresh_ = true;
    return false;
}

int32_t CTargetJTAG::SetError(int32_t number) {
    errorNumber_ = number;
    std::string text = nandrel::errorText(number);
    if (detailFresh_ && !errorText_.empty()) text += ":\n" + errorText_;
    errorText_ = std::move(text);
    detailFresh_ = false;
    return 0;
}

int32_t CTargetJTAG::ClearError() {
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
