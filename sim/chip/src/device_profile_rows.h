// Profiles of the device table's rows, for findProfile.
#pragma once

#include <string_view>

#include "kelvane/sim/device_profile.h"

namespace kv::sim {

// "row:<n>", or the first row named `name`; null when neither.
const DeviceProfile* findDeviceRowProfile(std::string_view name);

}  // namespace kv::sim
