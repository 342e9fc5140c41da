// Memory layouts: where a device class keeps its flash, information memory and
// RAM. Each class names one layout row.
#pragma once

#include <cstdint>

namespace nandrel::device {

inline constexpr std::uint32_t kMemoryLayoutCount = 41;

struct MemoryLayout {
    std::uint16_t mainStart;
    std::uint32_t mainEnd;  // above 0xFFFF on 20-bit devices
    std::uint16_t infoStart;
    std::uint16_t infoEnd;
    std::uint16_t infoSegmentSize;  // 0x80 or 0x40
    std::uint16_t ramStart;
    std::uint16_t ramEnd;
    std::uint16_t ram2Start;  // 0 when the device has no second RAM block
    std::uint16_t ram2End;
    // Main flash is erased in segments of this size, aligned to it; the
    // information memory in segments of infoSegmentSize from its start.
    std::uint16_t mainSegmentSize = 0x200;
};

// Layout row (layout), or null when it is not below kMemoryLayoutCount.
const MemoryLayout* GetMemoryLayoutRow(std::uint32_t layout);

// The layout of a class (a class beyond the table gives that of class 0).
const MemoryLayout& GetMemoryLayout(std::uint32_t deviceClass);

// True when the address lies within the class's RAM start and RAM end; false
// for a class beyond the table.
bool IsRamAddress(std::uint32_t deviceClass, std::uint32_t address);

}  // namespace nandrel::device
