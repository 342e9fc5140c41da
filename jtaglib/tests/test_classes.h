// Class values of a few device classes, as the device tables give them, for
// selecting a device in tests.
#pragma once

#include "target_class_values.h"

namespace testclasses {

// Class 7 (MSP430F149): EEM level 2 with 3 breakpoints.
inline nandrel::TargetClassValues f149() {
    nandrel::TargetClassValues v;
    v.breakpoints = 3;
    v.emulationLevel = 2;
    v.securityValue = 2500;
    v.testPin = false;
    v.e0 = v.e1 = v.e3 = false;
    return v;
}

// Class 1: no EEM, 2 simple breakpoints, TEST pin.
inline nandrel::TargetClassValues noEem() {
    nandrel::TargetClassValues v;
    v.e1 = v.e3 = false;
    v.ramEnd = 0x02FF;
    return v;
}

// Class 41: neither EEM nor breakpoints.
inline nandrel::TargetClassValues noBreakpoints() {
    nandrel::TargetClassValues v;
    v.breakpoints = 0;
    v.mainClockDefault = 0x0029;
    v.securityValue = 2500;
    v.testPin = false;
    v.b5 = v.flashTest = true;
    v.e0 = v.e1 = v.e3 = false;
    v.ramStart = 0x0500;
    v.ramEnd = 0x07FF;
    return v;
}

// Class 38 (MSP430FG4619): MSP430X, EEM level 3 with 8 breakpoints.
inline nandrel::TargetClassValues fg4619() {
    nandrel::TargetClassValues v;
    v.breakpoints = 8;
    v.emulationLevel = 3;
    v.clockControl = 2;
    v.securityValue = 2500;
    v.testPin = false;
    v.msp430x = v.b8 = v.b9 = true;
    v.e0 = v.e1 = v.e3 = false;
    return v;
}

}  // namespace testclasses
