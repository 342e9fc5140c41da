#include "nandrel/device/memory_layout.h"

#include "memory_layout_table.h"
#include "nandrel/device/device_class.h"

namespace nandrel::device {

const MemoryLayout* GetMemoryLayoutRow(std::uint32_t layout) {
    return layout < kMemoryLayoutCount ? &kMemoryLayoutTable[layout].layout : nullptr;
}

const MemoryLayout& GetMemoryLayout(std::uint32_t deviceClass) {
    return kMemoryLayoutTable[GetDeviceClass(deviceClass).layout].layout;
}

bool IsRamAddress(std::uint32_t deviceClass, std::uint32_t address) {
    if (deviceClass >= kDeviceClassCount) return false;
    const MemoryLayout& layout = GetMemoryLayout(deviceClass);
    return address >= layout.ramStart && address <= layout.ramEnd;
}

}  // namespace nandrel::device
