// The devices of a real run: the pod and adapter wrappers and the processor's
// emulation module.
#pragma once

#include "kelvane/core/execute_params.h"

namespace kv {

ExecuteDevices& WrapperDevices();

}  // namespace kv
