// Device classes: every per-class value that the JTAG, flash and EEM code
// consults. Several device table rows share one class.
#pragma once

#include <array>
#include <cstdint>

namespace nandrel::device {

inline constexpr std::uint32_t kDeviceClassCount = 84;

// The values of one class in the order of the class table's columns.
struct ClassValues {
    // Group A: emulation.
    std::uint16_t breakpoints;       // simple hardware breakpoints (EEM trigger blocks)
    std::uint16_t emulationLevel;    // 0 none, 1, 2, 3 (state storage and trigger sequencer)
    std::uint16_t clockControl;      // EEM clock control: 0 none, 1, 2
    std::uint16_t mainClockDefault;  // Configure item 3 after identification
    // Group C: supply, in mV.
    std::uint16_t vccMin;
    std::uint16_t vccMax;
    std::uint16_t securityValue;  // fuse-blow voltage; 0: the security fuse cannot be blown
    // Group B: memory and flash.
    bool testPin;             // the device has a TEST pin
    std::uint16_t flashKind;  // flash clock kind: 1 and 2 loop clocks, others basic clock
    bool b2;                  // I2C flag: the module at 0x0070 can run word-wide I2C
    std::uint16_t lcdStart;   // LCD memory bounds, 0 when none
    std::uint16_t lcdEnd;
    bool b5;         // newer flash: key words on erase, segment-A lock, flash timing
    bool flashTest;  // Configure item 4 (flash test setting) is allowed
    bool msp430x;    // 20-bit CPU
    bool b8;
    bool b9;
    // Group E: class flags.
    bool e0;
    bool e1;  // write-twice flag; also selects the clock-register save around stops
    bool e2;  // converter flag (shadowed 0x0048, 0x01B0-0x01B3); also the clock save
    bool e3;
    bool e4;  // read when the CPU context is taken
    // Group F: masks for the bytes read from 0x0000 to 0x0005.
    std::array<std::uint8_t, 6> sfrMasks;
};

struct DeviceClass : ClassValues {
    std::uint16_t layout;        // row of the memory layout table
    bool f22xFamily;             // MSP430F22x2/F22x4 classes (bit 2 of the second pod flag byte)
    bool configItem1;            // Configure item 1 is allowed; identification, EEM start-up and
                                 // clock control set it to 0
    bool eraseAllFromMainStart;  // an erase of everything starts at the main flash start

    bool hasEem() const { return emulationLevel != 0; }
    bool hasStateStorage() const { return emulationLevel == 3; }
    bool hasSequencer() const { return emulationLevel == 3; }
    bool hasClockControl() const { return clockControl != 0; }
    bool canBlowFuse() const { return securityValue != 0; }
    bool newerFlash() const { return b5; }
    bool hasLockA() const { return b5; }
    bool writeTwice() const { return e1; }
    bool i2c() const { return b2; }
    bool converter() const { return e2; }
};

// The class's description; a class beyond the table gives that of class 0,
// the class of "Device_unknown".
const DeviceClass& GetDeviceClass(std::uint32_t deviceClass);

// The two flag bytes of the class settings that go to the pod with every
// device selection.
struct ClassSettingFlags {
    std::uint8_t first;   // bit 0 MSP430X, 1 E1, 2 E3, 3 E0, 4 TEST pin, 5 no device,
                          // 6 clock control 1, 7 clock control 2
    std::uint8_t second;  // bit 0 B9, 1 B8, 2 F22x family
};
ClassSettingFlags GetClassSettingFlags(std::uint32_t deviceClass, bool noDeviceSelected);

}  // namespace nandrel::device
