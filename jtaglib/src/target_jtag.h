// The one target of a port: the chip at the end of the pod's cable. Owns the
// protocol object through which every pod command goes, and keeps the error
// number and text that the exported functions report.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "handles.h"
#include "target_protocol_jtag.h"

namespace nandrel {

class CPortJTAG;

class CTargetJTAG {
  public:
    CTargetJTAG() = default;
    ~CTargetJTAG();
    CTargetJTAG(const CTargetJTAG&) = delete;
    CTargetJTAG& operator=(const CTargetJTAG&) = delete;

    // Creates the protocol object, which finds and opens the pod.
    bool Open(CPortJTAG* port);
    void Close();

    // Pod identity for the port.
    bool GetHardwareVersion(std::string* text);
    bool GetFirmwareVersion(std::string* text);
    bool GetSerialNumber(uint32_t* serial);

    // Errors. Fail sets the text alone (a detail); SetError(n) sets the number
    // and the table text, followed by ":\n" and the detail written since the
    // last SetError or ClearError, if any. It returns 0, ClearError 1.
    bool Fail(std::string text);
    int32_t SetError(int32_t number);
    int32_t ClearError();
    // Starts an exported call: details of earlier calls are not chained again.
    void BeginCall() { detailFresh_ = false; }
    int32_t TakeErrorNumber();
    void SetErrorNumber(int32_t number) { errorNumber_ = number; }
    const std::string& errorText() const { return errorText_; }

    const std::string& name() const { return name_; }
    NANDREL_HANDLE handle() { return record_.handle(); }
    CPortJTAG* port() const { return port_; }
    CTargetProtocolJTAG* protocol() const { return protocol_.get(); }

    void RegisterWindow(void* window, uint32_t message, uint32_t userValue);
    uint32_t lastVcc() const { return lastVcc_; }
    void SetKeySPMA(const uint16_t* key);

  private:
    std::string errorText_ = "No error";
    bool detailFresh_ = false;
    std::string name_ = "Tgt0";
    HandleRecord record_;
    CPortJTAG* port_ = nullptr;
    std::unique_ptr<CTargetProtocolJTAG> protocol_;
    void* window_ = nullptr;
    uint32_t message_ = 0x400;
    uint32_t userValue_ = 0;
    int32_t errorNumber_ = 0;
    uint32_t lastVcc_ = 0;
    std::array<uint8_t, 8> keySPMA_{};
    bool keySPMASet_ = false;
};

}  // namespace nandrel
