// The Dravik pod over USB: opening by description, the pod-level commands, and
// the firmware check that brings the pod's program flash to the library's own
// firmware before the pod is used.
#pragma once

#include <cstdint>
#include <string>

#include "kelvane/platform/usb.h"
#include "pod_command_set.h"
#include "target_pod_jtag.h"

namespace nandrel {

inline constexpr const char* kDravikDescription = "Dravik - MSP430 Flash Programmer";
inline constexpr const char* kDravikShortDescription = "Dravik";
inline constexpr uint32_t kDravikReadTimeoutMs = 5000;
inline constexpr uint32_t kMaxFlashBufferBytes = 252;
inline constexpr uint32_t kMaxDownloadBlockWords = 126;

class CTargetPodDravik final : public CTargetPodJTAG {
  public:
    CTargetPodDravik() = default;
    ~CTargetPodDravik() override;

    bool HardwarePing() override;
    bool GetSerialNumber(uint32_t* serial) override;
    bool GetHardwareVersion(std::string* text) override;
    bool GetFirmwareVersion(std::string* text) override;
    bool ReadPort(uint8_t* buffer, uint32_t count, uint32_t* countRead) override;
    bool WritePort(const uint8_t* data, uint32_t count) override;
    bool Open() override;
    bool Close() override;

    bool ExecuteDebug(uint16_t* value);
    bool EraseFlash();
    bool WriteFlashBuffer(uint32_t byteCount, const uint8_t* data);
    bool VerifyFlash();
    bool DownloadBlock(uint32_t firstWord, uint32_t wordCount);
    bool Debug_CheckPendingReads();

    uint16_t debugValue() const { return debugValue_; }
    bool isDeviceOpen() const { return handle_ != kClosed; }

  private:
    static constexpr kv::usb::Handle kClosed = ~kv::usb::Handle{0};

    bool OpenDevice();
    bool CheckFirmware();
    bool DownloadImage();
    // Writes one command byte and reads its reply of `length` bytes, id first.
    bool Query(uint8_t command, const char* name, const char* closedText, uint8_t* reply,
               uint32_t length);
    bool ReadReply(uint8_t command, const char* name, uint8_t* reply, uint32_t length);
    // Fails with the text of a USB call that failed with `status` (or did
    // not finish); a failure after an earlier one also names that one, which
    // is where the pod was lost, and a pod that left the bus is called gone.
    bool failTransfer(std::string text, kv::usb::Status status);

    uint16_t debugValue_ = 0;
    // The first of the USB failures since the last call that passed; empty
    // while calls pass.
    std::string firstTransferFailure_;
    kv::usb::Handle handle_ = kClosed;
    bool opened_ = false;
};

}  // namespace nandrel
