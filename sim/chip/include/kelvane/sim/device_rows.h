// The simulator's own record of the MSP430 devices a chip can impersonate:
// for every identity, the identification bytes and fuses the chip answers
// with, its class, and what the class makes of the chip (memory layout,
// breakpoints, emulation level, supply range, TEST pin, CPU). Written from the
// devices' data apart from the JTAG library's tables, so that each checks the
// other.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace kv::sim {

inline constexpr uint32_t kDeviceRowCount = 92;
inline constexpr uint32_t kDeviceClassCount = 84;
inline constexpr uint32_t kUnknownDeviceRow = 0;  // "Device_unknown"
inline constexpr uint32_t kEndOfDevicesRow = 91;  // "End_of_devices"
// An identification or fuse value that any byte matches.
inline constexpr uint16_t kAnyValue = 0xFFFF;
// The identification block at 0x0FF0 and, behind it, the low fuse byte.
inline constexpr size_t kIdentityBlockSize = 16;
// The bytes of the block that tell devices apart.
inline constexpr std::array<size_t, 7> kIdentityOffsets = {0, 1, 2, 3, 8, 9, 13};

struct DeviceRowFacts {
    const char* name;
    std::array<uint16_t, 7> id;  // the bytes at kIdentityOffsets, or kAnyValue
    uint16_t fuseValue;          // kAnyValue: any fuses
    uint16_t fuseMask;
    uint16_t deviceClass;
};

struct MemoryLayoutFacts {
    uint32_t mainStart, mainEnd;  // mainEnd 0: no memory (no device)
    uint32_t infoStart, infoEnd, infoSegment;
    uint32_t ramStart, ramEnd;
    uint32_t ram2Start, ram2End;  // 0 when there is no second RAM block
};

struct DeviceClassFacts {
    uint16_t layout;
    uint8_t breakpoints;
    uint8_t emulationLevel;
    uint16_t vccMin, vccMax;  // mV; 0 when not given
    uint16_t flashMin;        // mV: program and erase supply minimum; 0 when not given
    uint16_t fuseBlowMillivolts;
    bool testPin;
    bool msp430x;
};

// Row (index), or null beyond the table.
const DeviceRowFacts* deviceRowFacts(uint32_t index);
// A class's facts and memory layout (a class beyond the table: class 0's).
const DeviceClassFacts& deviceClassFacts(uint32_t deviceClass);
const MemoryLayoutFacts& memoryLayoutFacts(uint32_t deviceClass);
// The first row, in table order, that a chip with this block and fuse byte
// (kIdentityBlockSize + 1 bytes) answers as.
uint32_t firstMatchingRow(const uint8_t* blockWithFuses);

}  // namespace kv::sim
