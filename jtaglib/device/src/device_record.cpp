#include "nandrel/device/device_record.h"

#include <cstring>

#include "nandrel/device/device_class.h"
#include "nandrel/device/device_table.h"
#include "nandrel/device/memory_layout.h"

namespace nandrel::device {

bool FillDeviceRecord(DeviceRecordLayout* record, std::uint32_t index) {
    const DeviceRow* row = GetDeviceRow(index);
    if (record == nullptr || row == nullptr) return false;
    const DeviceClass& c = GetDeviceClass(row->deviceClass);
    const MemoryLayout& layout = GetMemoryLayout(row->deviceClass);

    DeviceRecordLayout filled{};
    filled.mark = kDeviceRecordMark;
    filled.deviceIndex = static_cast<std::uint16_t>(index);
    std::memcpy(filled.name, row->name, std::strlen(row->name) + 1);
    filled.mainStart = layout.mainStart;
    filled.infoStart = layout.infoStart;
    filled.ramEnd = layout.ramEnd;
    filled.breakpoints = c.breakpoints;
    filled.emulationLevel = c.emulationLevel;
    filled.clockControl = c.clockControl;
    filled.lcdStart = c.lcdStart;
    filled.lcdEnd = c.lcdEnd;
    filled.vccMin = c.vccMin;
    filled.vccMax = c.vccMax;
    filled.testPin = c.testPin ? 1 : 0;
    filled.ramStart = layout.ramStart;
    filled.ram2Start = layout.ram2Start;
    filled.ram2End = layout.ram2End;
    filled.infoEnd = layout.infoEnd;
    filled.mainEnd = layout.mainEnd;
    std::memcpy(record, &filled, sizeof filled);
    return true;
}

bool FillDeviceRecord(void* buffer, std::size_t size, std::uint32_t index) {
    if (buffer == nullptr || size < kDeviceRecordSize) return false;
    return FillDeviceRecord(static_cast<DeviceRecordLayout*>(buffer), index);
}

}  // namespace nandrel::device
