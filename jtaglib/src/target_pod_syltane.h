// The driver of the second pod model, which this library does not drive: it
// opens without a device, moves no bytes and answers no query.
#pragma once

#include "target_pod_jtag.h"

namespace nandrel {

class CTargetPodSyltane final : public CTargetPodJTAG {
  public:
    bool HardwarePing() override;
    bool GetSerialNumber(uint32_t* serial) override;
    bool GetHardwareVersion(std::string* text) override;
    bool GetFirmwareVersion(std::string* text) override;
    bool ReadPort(uint8_t* buffer, uint32_t count, uint32_t* countRead) override;
    bool WritePort(const uint8_t* data, uint32_t count) override;
    bool Open() override { return true; }
    bool Close() override { return true; }
};

}  // namespace nandrel
