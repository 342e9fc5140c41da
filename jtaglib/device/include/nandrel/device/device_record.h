// Filling the device record of a device table row.
#pragma once

#include <cstddef>
#include <cstdint>

#include "nandrel/device/device_record_layout.h"

namespace nandrel::device {

// Fills the record from row (index) of the device table, its class and the
// class's memory layout. The name field is the name, its NUL and zeros up to
// 32 bytes. False, with nothing written, for a null record or an index that is
// not below the table size.
bool FillDeviceRecord(DeviceRecordLayout* record, std::uint32_t index);

// The same for a caller's buffer of (size) bytes; a buffer shorter than a
// record is refused with nothing written.
bool FillDeviceRecord(void* buffer, std::size_t size, std::uint32_t index);

}  // namespace nandrel::device
