// The class values of the selected device that the target core consults:
// breakpoints and emulation level, clock control, the flags sent to the pod in
// the class settings, and the RAM bounds. Selecting a device fills them from
// the device tables; until then they hold the values of "no device".
#pragma once

#include <cstdint>

namespace nandrel {

struct TargetClassValues {
    uint16_t breakpoints = 2;
    uint16_t emulationLevel = 0;  // 0 no EEM; 3 adds state storage and the sequencer
    uint16_t clockControl = 0;    // 0 none, 1, 2
    uint16_t mainClockDefault = 0x60D7;
    uint16_t securityValue = 0;  // 0: the JTAG fuse cannot be blown
    bool testPin = true;
    bool b5 = false;
    bool flashTest = false;
    bool msp430x = false;
    bool b8 = false;
    bool b9 = false;
    bool e0 = true;
    bool e1 = true;
    bool e2 = false;
    bool e3 = true;
    bool e4 = false;
    uint16_t ramStart = 0x0200;
    uint16_t ramEnd = 0x09FF;
};

// The values of a class from the device tables. A class without RAM (the
// classes of "Device_unknown" and "End_of_devices") keeps the default memory
// map.
TargetClassValues TargetClassValuesOf(uint32_t deviceClass);

}  // namespace nandrel
