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
    // there); kDeviceNotOpened when one has it but cannot be opened, or when a
    // device could not be asked for its description (no access to it).
    Status open(const std::string& description, std::shared_ptr<Device>* device) override;

private:
    FtdiApi api_;
};

// The table over the real libftdi1 (in the backend module only).
const FtdiApi& libftdiApi();

}  // namespace kv::usb
