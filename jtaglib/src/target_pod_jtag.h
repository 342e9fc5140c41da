// The pod driver: moves raw bytes to and from a pod and answers the pod-level
// queries. Every operation returns true on success, or false with the text in
// the driver's error text.
#pragma once

#include <cstdint>
#include <string>

namespace nandrel {

class CTargetPodJTAG {
  public:
    CTargetPodJTAG() = default;
    virtual ~CTargetPodJTAG() = default;
    CTargetPodJTAG(const CTargetPodJTAG&) = delete;
    CTargetPodJTAG& operator=(const CTargetPodJTAG&) = delete;

    virtual bool HardwarePing() = 0;
    virtual bool GetSerialNumber(uint32_t* serial) = 0;
    virtual bool GetHardwareVersion(std::string* text) = 0;
    virtual bool GetFirmwareVersion(std::string* text) = 0;
    virtual bool ReadPort(uint8_t* buffer, uint32_t count, uint32_t* countRead) = 0;
    virtual bool WritePort(const uint8_t* data, uint32_t count) = 0;
    virtual bool Open() = 0;
    virtual bool Close() = 0;

    bool IsOpenOk() { return Open(); }

    const std::string& errorText() const { return errorText_; }
    // The version text read during the firmware check.
    const std::string& versionText() const { return versionText_; }

  protected:
    bool fail(std::string text) {
        errorText_ = std::move(text);
        return false;
    }

    std::string errorText_ = "No error";
    std::string versionText_;
};

}  // namespace nandrel
