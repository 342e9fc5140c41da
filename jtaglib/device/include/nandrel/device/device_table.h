// The device table: one row per identity under which a supported MSP430 device
// answers, and the row search that turns a chip's identification bytes and
// configuration fuses into a row.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace nandrel::device {

// An identification value or fuse value that matches anything.
inline constexpr std::uint16_t kAny = 0xFFFF;

inline constexpr std::uint32_t kDeviceCount = 92;
inline constexpr std::uint32_t kUnknownDevice = 0;  // "Device_unknown": no device
inline constexpr std::uint32_t kEndOfDevices = 91;  // "End_of_devices"

// The identification block is read from kIdBlockAddress; the low byte of the
// configuration fuses follows it, so a search takes kIdBlockWithFuseSize bytes.
inline constexpr std::uint16_t kIdBlockAddress = 0x0FF0;
inline constexpr std::size_t kIdBlockSize = 16;
inline constexpr std::size_t kIdBlockWithFuseSize = kIdBlockSize + 1;

// Offsets in the block of the seven bytes a row compares ("id 0" to "id 13").
inline constexpr std::array<std::size_t, 7> kIdByteOffsets = {0, 1, 2, 3, 8, 9, 13};

struct DeviceRow {
    const char* name;
    std::array<std::uint16_t, 7> id;  // compared with the bytes at kIdByteOffsets
    std::uint16_t fuseValue;          // kAny: any fuses match
    std::uint16_t fuseMask;           // applied to the fuse value and the fuse byte
    std::uint16_t deviceClass;        // index into the class tables
};

constexpr std::uint32_t GetDeviceCount() {
    return kDeviceCount;
}

// Row (index), or null when the index is not below the table size.
const DeviceRow* GetDeviceRow(std::uint32_t index);

// True when the row matches the identification block followed by its fuse byte.
bool RowMatches(const DeviceRow& row, const std::uint8_t* idBlockWithFuse);

// The first row, in table order, that matches the kIdBlockWithFuseSize bytes;
// 0 when none matches or no block is given. Row 0 matches every chip whose
// first byte is 0x00, so such a chip counts as no device.
std::uint32_t IdentifyDeviceById(const std::uint8_t* idBlockWithFuse);

}  // namespace nandrel::device
