#include "error_table.h"

namespace nandrel {

namespace {

const char* const kTexts[kErrorCount] = {
    "No error",
    "Could not initialize device interface",
    "Could not close device interface",
    "Invalid parameter(s)",
    "Could not find device (or device not supported)",
    "Unknown device",
    "Could not read device memory",
    "Could not write device memory",
    "Could not read device configuration fuses",
    "Incorrectly configured device; device derivative not supported",
    "Could not set device Vcc",
    "Could not reset device",
    "Could not preserve/restore device memory",
    "Could not set device operating frequency",
    "Could not erase device memory",
    "Could not set device breakpoint",
    "Could not single step device",
    "Could not run device (to breakpoint)",
    "Could not determine device state",
    "Could not open Enhanced Emulation Module",
    "Could not read Enhanced Emulation Module register",
    "Could not write Enhanced Emulation Module register",
    "Could not close Enhanced Emulation Module",
    "File open error",
    "Could not determine file type",
    "Unexpected end of file encountered",
    "File input/output error",
    "File data error",
    "Verification error",
    "Could not blow device security fuse",
    "Could not access device - security fuse is blown",
    "Error within Intel Hex file",
    "Could not write device Register",
    "Could not read device Register",
    "Not supported by selected Interface or Interface is not initialized",
    "Could not communicate with pod",
    "No external power supply detected",
    "External power too low",
    "External power detected",
    "External power too high",
    "Hardware Self Test Error",
    "Fast Flash Routine experienced a timeout",
    "Could not create thread for polling",
    "Could not initialize Enhanced Emulation Module",
    "Insufficient resources",
    "No clock control emulation on connected device",
    "No state storage buffer implemented on connected device",
    "Could not read trace buffer",
    "Enable the variable watch function",
    "No trigger sequencer implemented on connected device",
    "Could not read sequencer state - Sequencer is disabled",
    "Could not remove trigger - Used in sequencer",
    "Could not set combination - Trigger is used in sequencer",
    "System Protection Module A is enabled - Device locked.",
    "Invalid SPMA key was sent to the target device - Device locked.",
    "Device does not accept any further SPMA keys - Device locked.",
    "Pod firmware erased - Bootloader active.",
    "Could not find pod on sp"
    "ecified port.",
    "Pod is already in use.",
    "EEM polling thread is still or already active.",
    "Could not terminate EEM polling thread.",
    "Invalid error number",
};

}  // namespace

const char* errorText(int32_t number) {
    const auto n = static_cast<uint32_t>(number);
    const auto last = static_cast<uint32_t>(kErrInvalidNumber);
    return kTexts[n < last ? n : last];
}

}  // namespace nandrel
