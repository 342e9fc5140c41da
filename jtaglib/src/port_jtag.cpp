#include "port_jtag.h"

#include <cstring>
#include <new>

#include "text_format.h"

namespace nandrel {

namespace {

bool waitOn(kv::Event* event, uint32_t timeoutMs, int32_t* result) {
    if (!event) {
        if (result) *result = -1;
        return false;
    }
    // Time-outs run on the injectable clock.
    const kv::WaitResult r = event->waitOnClock(timeoutMs);
    if (result) *result = static_cast<int32_t>(r);
    return true;
}

}  // namespace

CPortJTAG::~CPortJTAG() {
    Close();
}

void CPortJTAG::DeleteTargets() {
    if (!targets_) return;
    targets_->closeAll();
    targets_->deleteAll();
    targets_.reset();
}

void CPortJTAG::CloseEvents() {
    wakeup_.reset();
    asleep_.reset();
}

void CPortJTAG::Close() {
    DeleteTargets();
    CloseEvents();
    hardwareVersion_.clear();
    firmwareVersion_.clear();
    serialNumber_.clear();
    record_.clear();
}

bool CPortJTAG::Open() {
    Close();
    wakeup_.reset(new (std::nothrow) kv::Event(false, false));
    if (!wakeup_) {
        errorText_ = "Unable to create wakeup event";
        return false;
    }
    asleep_.reset(new (std::nothrow) kv::Event(true, false));
    if (!asleep_) {
        CloseEvents();
        errorText_ = "Unable to create asleep event";
        return false;
    }

    auto target = std::make_unique<CTargetJTAG>();
    if (!target->Open(this)) {
        errorText_ = target->errorText();
        CloseEvents();
        return false;
    }
    targets_ = std::make_unique<CArrayTargetJTAG>();
    targets_->add(std::move(target));

    // The pod's identity, read through target 0.
    auto failIdentity = [this](const std::string& text) {
        errorText_ = text;
        DeleteTargets();
        CloseEvents();
        return false;
    };
    CTargetJTAG* t = targets_->size() > 0 ? targets_->at(0) : nullptr;
    if (!t) return failIdentity("NULL target instance");
    if (!t->GetHardwareVersion(&hardwareVersion_) || !t->GetFirmwareVersion(&firmwareVersion_))
        return failIdentity(t->errorText());
    serialNumber_.clear();
    uint32_t serial = 0;
    if (!t->GetSerialNumber(&serial)) {
        serialNumber_ = "000000";
        return failIdentity(t->errorText());
    }
    serialNumber_ = format("%d", static_cast<int32_t>(serial));

    record_.fill(this, nullptr, NANDREL_KIND_PORT);
    return true;
}

CTargetJTAG* CPortJTAG::GetTargetByIndex(int32_t index) {
    if (!targets_) {
        errorText_ = "NULL port array";
        return nullptr;
    }
    if (index < 0 || index >= targets_->size()) {
        errorText_ = format("Invalid port index %d", index);
        return nullptr;
    }
    return targets_->at(index);
}

void CPortJTAG::SetWakeupEvent() {
    if (wakeup_) wakeup_->set();
}
void CPortJTAG::ResetWakeupEvent() {
    if (wakeup_) wakeup_->reset();
}
void CPortJTAG::SetAsleepEvent() {
    if (asleep_) asleep_->set();
}
void CPortJTAG::ResetAsleepEvent() {
    if (asleep_) asleep_->reset();
}

bool CPortJTAG::WaitWakeupEvent(uint32_t timeoutMs, int32_t* result) {
    return waitOn(wakeup_.get(), timeoutMs, result);
}

bool CPortJTAG::WaitAsleepEvent(uint32_t timeoutMs, int32_t* result) {
    return waitOn(asleep_.get(), timeoutMs, result);
}

bool CPortJTAG::QueryFeature(uint32_t featureId, void* buffer, uint32_t bufferSize,
                             uint32_t* length) {
    if (length) *length = 0;
    if (featureId != NANDREL_FEATURE_VCC && featureId != NANDREL_FEATURE_VPP) return false;
    const char letter = hardwareVersion_.size() >= 6 ? hardwareVersion_[5] : '\0';
    VoltageFeatureRecord record{};
    if (featureId == NANDREL_FEATURE_VCC) {
        if (letter == 'E')
            record = {0, 3300, 3300, 0};
        else if (letter == 'P' || letter == 'S')
            record = {1, 1500, 3600, 100};
        else
            return false;
    } else {
        if (letter == 'P')
            record = {1, 6500, 6500, 0};
        else if (letter == 'E' || letter == 'S')
            record = {0, 0, 0, 0};
        else
            return false;
    }
    if (!buffer) {
        if (length) *length = sizeof record;
        return true;
    }
    if (bufferSize < sizeof record) {
        errorText_ = "Buffer too small for QueryFeatureVCC";
        return false;
    }
    std::memcpy(buffer, &record, sizeof record);
    if (length) *length = sizeof record;
    return true;
}

}  // namespace nandrel
