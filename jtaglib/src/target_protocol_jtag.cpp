#include "target_protocol_jtag.h"

#include "target_pod_dravik.h"
#include "target_pod_syltane.h"
#include "text_format.h"

namespace nandrel {

CTargetProtocolJTAG::~CTargetProtocolJTAG() {
    Close();
}

bool CTargetProtocolJTAG::fail(std::string text) {
    errorText_ = std::move(text);
    if (!locateFailure_.empty()) errorText_ += ":\n" + locateFailure_;
    return false;
}

bool CTargetProtocolJTAG::failFromPod() {
    return fail(pod_->errorText());
}

bool CTargetProtocolJTAG::Open() {
    Close();
    return LocatePod();
}

void CTargetProtocolJTAG::Close() {
    if (pod_) pod_->Close();
    pod_.reset();
    locateFailure_.clear();
}

bool CTargetProtocolJTAG::LocatePod() {
    Close();
    auto dravik = std::make_unique<CTargetPodDravik>();
    if (dravik->IsOpenOk()) {
        pod_ = std::move(dravik);
        ExecuteDebug();
        return true;
    }
    locateFailure_ = dravik->errorText();
    dravik->Close();
    dravik.reset();
    pod_ = std::make_unique<CTargetPodSyltane>();
    return pod_->IsOpenOk();
}

bool CTargetProtocolJTAG::GetSerialNumber(uint32_t* serial) {
    *serial = 0;
    if (!pod_) return fail("Called CTargetProtocolJTAG::GetSerialNumber() with driver port closed");
    return pod_->GetSerialNumber(serial) || failFromPod();
}

bool CTargetProtocolJTAG::GetHardwareVersion(std::string* text) {
    if (!pod_) {
        *text = "Error";
        return fail("Called CTargetProtocolJTAG::GetHardwareVersion() with driver port closed");
    }
    return pod_->GetHardwareVersion(text) || failFromPod();
}

bool CTargetProtocolJTAG::GetFirmwareVersion(std::string* text) {
    if (!pod_) {
        *text = "Error";
        return fail("Called CTargetProtocolJTAG::GetFirmwareVersion() with driver port closed");
    }
    return pod_->GetFirmwareVersion(text) || failFromPod();
}

void CTargetProtocolJTAG::BeginCommand(uint8_t command) {
    command_[0] = command;
    commandLength_ = 1;
}

bool CTargetProtocolJTAG::AddBytes(const uint8_t* values, uint32_t n) {
    if (n > kProtocolBufferSize - commandLength_) return fail("Command too large");
    for (uint32_t i = 0; i < n; ++i)
        command_[commandLength_++] = values[i];
    return true;
}

bool CTargetProtocolJTAG::AddWords(const uint16_t* values, uint32_t n) {
    if (n > (kProtocolBufferSize - commandLength_) / 2) return fail("Command too large");
    for (uint32_t i = 0; i < n; ++i) {
        command_[commandLength_++] = static_cast<uint8_t>(values[i] >> 8);
        command_[commandLength_++] = static_cast<uint8_t>(values[i]);
    }
    return true;
}

bool CTargetProtocolJTAG::AddDWords(const uint32_t* values, uint32_t n) {
    if (n > (kProtocolBufferSize - commandLength_) / 4) return fail("Command too large");
    for (uint32_t i = 0; i < n; ++i)
        for (int shift = 24; shift >= 0; shift -= 8)
            command_[commandLength_++] = static_cast<uint8_t>(values[i] >> shift);
    return true;
}

bool CTargetProtocolJTAG::SendCommand() {
    return WritePort(command_.data(), commandLength_);
}

bool CTargetProtocolJTAG::ReadResponse(uint8_t expectedId, uint32_t n) {
    readPosition_ = 0;
    replyLength_ = 0;
    if (n >= kProtocolBufferSize) return fail("Attempted read too large");
    uint32_t got = 0;
    if (!ReadPort(reply_.data(), n + 1, &got)) return false;
    replyLength_ = got;
    if (got != n + 1) return fail("Incorrect size read");
    if (reply_[0] != expectedId)
        return fail(
            format("Incorrect response ID (%02x) read, expected (%02x)", reply_[0], expectedId));
    readPosition_ = 1;
    return true;
}

bool CTargetProtocolJTAG::GetResponseBYTEs(uint8_t* out, uint32_t n) {
    if (n > replyLength_ - readPosition_)
        return fail("GetResponseBYTEs requested more data than exists in buffer");
    for (uint32_t i = 0; i < n; ++i)
        out[i] = reply_[readPosition_++];
    return true;
}

bool CTargetProtocolJTAG::GetResponseWORDs(uint16_t* out, uint32_t n) {
    if (n > (replyLength_ - readPosition_) / 2)
        return fail("GetResponseWORDs requested more data than exists in buffer");
    for (uint32_t i = 0; i < n; ++i) {
        out[i] = static_cast<uint16_t>(reply_[readPosition_] << 8 | reply_[readPosition_ + 1]);
        readPosition_ += 2;
    }
    return true;
}

bool CTargetProtocolJTAG::GetResponseDWORDs(uint32_t* out, uint32_t n) {
    if (n > (replyLength_ - readPosition_) / 4)
        return fail("GetResponseWORDs requested more data than exists in buffer");
    for (uint32_t i = 0; i < n; ++i) {
        uint32_t v = 0;
        for (int k = 0; k < 4; ++k)
            v = v << 8 | reply_[readPosition_++];
        out[i] = v;
    }
    return true;
}

bool CTargetProtocolJTAG::WritePort(const uint8_t* data, uint32_t n) {
    if (n == 0) return true;
    if (!pod_) return fail("Called CTargetProtocolJTAG::WritePort() with driver port closed");
    return pod_->WritePort(data, n) || failFromPod();
}

bool CTargetProtocolJTAG::ReadPort(uint8_t* buffer, uint32_t n, uint32_t* countRead) {
    *countRead = 0;
    if (n == 0) return true;
    if (!pod_) return fail("Called CTargetProtocolJTAG::ReadPort() with driver port closed");
    return pod_->ReadPort(buffer, n, countRead) || failFromPod();
}

bool CTargetProtocolJTAG::Simple(uint8_t command) {
    BeginCommand(command);
    return SendCommand();
}

bool CTargetProtocolJTAG::Exchange(uint32_t data) {
    const uint8_t command = command_[0];
    return SendCommand() &&
           ReadResponse(static_cast<uint8_t>(command + 1), PodReplyLength(command) - 1 + data);
}

bool CTargetProtocolJTAG::CheckStatus(const char* name, bool keepStatus) {
    uint8_t status = 0;
    if (!GetResponseBYTEs(&status, 1)) return false;
    if (status == 0) return true;
    if (keepStatus) lastPodStatus_ = status;
    return fail(format("%s failed (%d)", name, status));
}

}  // namespace nandrel
