// The one port of the interface: the Dravik pod. Holds the pod's identity
// texts, the lock that serialises every target operation, and the two events
// of the EEM polling handshake.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "handles.h"
#include "kelvane/platform/sync.h"
#include "owned_array.h"
#include "target_jtag.h"

namespace nandrel {

using CArrayTargetJTAG = OwnedArray<CTargetJTAG>;

class CPortJTAG {
  public:
    CPortJTAG() = default;
    ~CPortJTAG();
    CPortJTAG(const CPortJTAG&) = delete;
    CPortJTAG& operator=(const CPortJTAG&) = delete;

    bool Open();
    void Close();

    CTargetJTAG* GetTargetByIndex(int32_t index);
    int32_t targetCount() const { return targets_ ? targets_->size() : 0; }

    kv::CriticalSection& lock() { return lock_; }
    void Lock() { lock_.lock(); }
    void Unlock() { lock_.unlock(); }

    void SetWakeupEvent();
    void ResetWakeupEvent();
    void SetAsleepEvent();
    void ResetAsleepEvent();
    // Waits up to `timeoutMs`; the result is 0 (signalled) or 258 (timed out),
    // or -1 without the event, when the call fails.
    bool WaitWakeupEvent(uint32_t timeoutMs, int32_t* result);
    bool WaitAsleepEvent(uint32_t timeoutMs, int32_t* result);

    // Features 0x100 (VCC) and 0x101 (VPP), answered by the pod's hardware.
    bool QueryFeature(uint32_t featureId, void* buffer, uint32_t bufferSize, uint32_t* length);

    const std::string& errorText() const { return errorText_; }
    void setErrorText(std::string text) { errorText_ = std::move(text); }
    const std::string& name() const { return name_; }
    const std::string& hardwareVersion() const { return hardwareVersion_; }
    const std::string& firmwareVersion() const { return firmwareVersion_; }
    const std::string& serialNumber() const { return serialNumber_; }
    NANDREL_HANDLE handle() { return record_.handle(); }

  private:
    void CloseEvents();
    void DeleteTargets();

    std::string errorText_ = "No error";
    std::string name_ = "Dravik";
    std::string hardwareVersion_;
    std::string firmwareVersion_;
    std::string serialNumber_;
    std::unique_ptr<CArrayTargetJTAG> targets_;
    HandleRecord record_;
    kv::CriticalSection lock_;
    std::unique_ptr<kv::Event> wakeup_;
    std::unique_ptr<kv::Event> asleep_;
};

}  // namespace nandrel
