// The USB backend of real FTDI devices: opens the device whose USB product
// description is exactly the one asked for, among the FTDI vendor id's
// devices that libftdi1 finds on the bus.
#pragma once

#include <memory>
#include <string>

#include "ftdi_api.h"
#include "kelvane/platform/usb_backend.h"

namespace kv::usb {

class FtdiBackend final : public Backend {
public:
    explicit FtdiBackend(const FtdiApi& api) : api_(api) {}
    // kDeviceNotFound when no device has the description (or no bus is
    // there); kDeviceNotOpened when one has it but cannot be opened (another
    // program holds it, or this user may not open it: both are reported
    // through reportOpenProblem). A device whose description cannot be had
    // is not the one asked for.
    Status open(const std::string& description, std::shared_ptr<Device>* device) override;

private:
  // What a user told that this user may not open `device` reads.
  std::string noAccess(const std::string& description, FtdiUsbDevice* device) const;

  FtdiApi api_;
};

// The table over the real libftdi1 (in the backend module only).
const FtdiApi& libftdiApi();

}  // namespace kv::usb
