// The product text the kernel shows of a USB device, world-readable in sysfs
// even when the device node is not: how a device this user may not open can
// still be told apart from the one asked for.
#pragma once

#include <string>

namespace kv::usb {

// The `product` attribute of the device at `bus` and `address` under
// `devicesDir` (normally /sys/bus/usb/devices); empty when none has them.
std::string sysfsProduct(int bus, int address,
                         const std::string& devicesDir = "/sys/bus/usb/devices");

}  // namespace kv::usb
