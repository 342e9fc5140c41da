// The pod command protocol of one target: builds a command (one command byte
// and big-endian fields) in its own buffer, writes it to the pod in one piece
// and reads the reply of known length. Owns the pod driver it located.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "target_pod_jtag.h"

namespace nandrel {

inline constexpr uint32_t kProtocolBufferSize = 16384;

class CTargetProtocolJTAG {
  public:
    CTargetProtocolJTAG() = default;
    ~CTargetProtocolJTAG();
    CTargetProtocolJTAG(const CTargetProtocolJTAG&) = delete;
    CTargetProtocolJTAG& operator=(const CTargetProtocolJTAG&) = delete;

    // Closes any pod driver and locates a pod.
    bool Open();
    void Close();
    // Tries the Dravik, and falls back to the second pod model, which always opens.
    bool LocatePod();

    bool GetSerialNumber(uint32_t* serial);
    bool GetHardwareVersion(std::string* text);
    bool GetFirmwareVersion(std::string* text);

    void GetErrorText(std::string* text) const { *text = errorText_; }
    void GetErrorTextAndStatus(std::string* text, uint32_t* status) const {
        *text = errorText_;
        *status = lastPodStatus_;
    }
    const std::string& errorText() const { return errorText_; }

    // Building blocks of every command.
    void BeginCommand(uint8_t command);
    bool AddBytes(const uint8_t* values, uint32_t n);
    bool AddWords(const uint16_t* values, uint32_t n);
    bool AddDWords(const uint32_t* values, uint32_t n);
    bool SendCommand();
    bool ReadResponse(uint8_t expectedId, uint32_t n);
    bool GetResponseBYTEs(uint8_t* out, uint32_t n);
    bool GetResponseWORDs(uint16_t* out, uint32_t n);
    bool GetResponseDWORDs(uint32_t* out, uint32_t n);
    bool WritePort(const uint8_t* data, uint32_t n);
    bool ReadPort(uint8_t* buffer, uint32_t n, uint32_t* countRead);

    // Command 30: the reply fields are read and dropped.
    bool ExecuteDebug();

    CTargetPodJTAG* pod() const { return pod_.get(); }

  private:
    bool fail(std::string text);
    bool failFromPod();

    std::unique_ptr<CTargetPodJTAG> pod_;
    std::string errorText_ = "No error";
    uint32_t lineMode_ = 1;
    std::array<uint8_t, kProtocolBufferSize> command_{};
    uint32_t commandLength_ = 0;
    std::array<uint8_t, kProtocolBufferSize> reply_{};
    uint32_t readPosition_ = 0;
    uint32_t replyLength_ = 0;
    uint32_t lastPodStatus_ = 0;
    // Why the Dravik could not be opened when the fall-back driver stands in;
    // failures of the fall-back name it, so the caller learns the real cause.
    std::string locateFailure_;
};

}  // namespace nandrel
