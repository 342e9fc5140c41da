// The device record that crosses the library boundary: 70 bytes, packed,
// little-endian. Identification and the device selection fill it from the
// device table, the device's class and the class's memory layout.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

namespace nandrel::device {

inline constexpr std::uint16_t kDeviceRecordMark = 0xAA55;
inline constexpr std::size_t kDeviceRecordSize = 70;
inline constexpr std::size_t kDeviceNameSize = 32;

struct __attribute__((packed)) DeviceRecordLayout {
    std::uint16_t mark;            //  0: always kDeviceRecordMark
    std::uint16_t deviceIndex;     //  2: row of the device table
    char name[kDeviceNameSize];    //  4: device name, NUL-terminated
    std::uint16_t mainStart;       // 36: main flash start address
    std::uint16_t infoStart;       // 38: information memory start
    std::uint16_t ramEnd;          // 40: RAM end address
    std::uint16_t breakpoints;     // 42: number of hardware breakpoints
    std::uint16_t emulationLevel;  // 44: 0 none, 1, 2, 3 full EEM
    std::uint16_t clockControl;    // 46: clock-control level 0 none, 1, 2
    std::uint16_t lcdStart;        // 48: LCD memory start, 0 when none
    std::uint16_t lcdEnd;          // 50: LCD memory end
    std::uint16_t vccMin;          // 52: minimum operating VCC in mV
    std::uint16_t vccMax;          // 54: maximum operating VCC in mV
    std::uint16_t testPin;         // 56: the device has a TEST pin
    std::uint16_t ramStart;        // 58: RAM start address
    std::uint16_t ram2Start;       // 60: second RAM block start, 0 when none
    std::uint16_t ram2End;         // 62: second RAM block end
    std::uint16_t infoEnd;         // 64: information memory end
    std::uint32_t mainEnd;         // 66: main flash end, above 0xFFFF on 20-bit devices
};

static_assert(std::endian::native == std::endian::little, "the record is little-endian");
static_assert(sizeof(DeviceRecordLayout) == kDeviceRecordSize);
static_assert(offsetof(DeviceRecordLayout, deviceIndex) == 2);
static_assert(offsetof(DeviceRecordLayout, name) == 4);
static_assert(offsetof(DeviceRecordLayout, mainStart) == 36);
static_assert(offsetof(DeviceRecordLayout, infoStart) == 38);
static_assert(offsetof(DeviceRecordLayout, ramEnd) == 40);
static_assert(offsetof(DeviceRecordLayout, breakpoints) == 42);
static_assert(offsetof(DeviceRecordLayout, emulationLevel) == 44);
static_assert(offsetof(DeviceRecordLayout, clockControl) == 46);
static_assert(offsetof(DeviceRecordLayout, lcdStart) == 48);
static_assert(offsetof(DeviceRecordLayout, lcdEnd) == 50);
static_assert(offsetof(DeviceRecordLayout, vccMin) == 52);
static_assert(offsetof(DeviceRecordLayout, vccMax) == 54);
static_assert(offsetof(DeviceRecordLayout, testPin) == 56);
static_assert(offsetof(DeviceRecordLayout, ramStart) == 58);
static_assert(offsetof(DeviceRecordLayout, ram2Start) == 60);
static_assert(offsetof(DeviceRecordLayout, ram2End) == 62);
static_assert(offsetof(DeviceRecordLayout, infoEnd) == 64);
static_assert(offsetof(DeviceRecordLayout, mainEnd) == 66);

}  // namespace nandrel::device
