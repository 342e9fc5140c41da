#include "target_class_values.h"

#include "nandrel/device/device_class.h"
#include "nandrel/device/memory_layout.h"

namespace nandrel {

TargetClassValues TargetClassValuesOf(uint32_t deviceClass) {
    const device::DeviceClass& c = device::GetDeviceClass(deviceClass);
    const device::MemoryLayout& layout = device::GetMemoryLayout(deviceClass);
    TargetClassValues v;
    v.breakpoints = c.breakpoints;
    v.emulationLevel = c.emulationLevel;
    v.clockControl = c.clockControl;
    v.mainClockDefault = c.mainClockDefault;
    v.securityValue = c.securityValue;
    v.testPin = c.testPin;
    v.b5 = c.b5;
    v.flashTest = c.flashTest;
    v.msp430x = c.msp430x;
    v.b8 = c.b8;
    v.b9 = c.b9;
    v.e0 = c.e0;
    v.e1 = c.e1;
    v.e2 = c.e2;
    v.e3 = c.e3;
    v.e4 = c.e4;
    if (layout.ramEnd != 0) {
        v.ramStart = layout.ramStart;
        v.ramEnd = layout.ramEnd;
    }
    return v;
}

}  // namespace nandrel
