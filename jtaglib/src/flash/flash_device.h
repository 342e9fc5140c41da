// The selected device's flash facts as the flash and memory code decides by
// them: its memory layout, the geometry of its flash segments and its class
// flags, taken from the device tables.
#pragma once

#include <array>
#include <cstdint>

namespace nandrel {

// The flash timing generator runs at MCLK / 5 (MCLK / 14 on newer-flash
// devices) and is rated for at most 476 kHz.
inline constexpr double kFlashTimingDivider = 5;
inline constexpr double kRatedTimingHighHz = 476e3;

// The information segment size of the 2xx and newer 4xx flash.
inline constexpr uint32_t kSmallInfoSegment = 0x40;

// The lowest supply the data sheets rate flash programming and erasing for:
// 2.7 V on the 1xx, older 4xx and FG461x parts, 2.2 V on the 2xx flash (its
// segment-A lock or its 64-byte information segments mark it).
inline constexpr uint32_t kFlashSupplyMillivolts = 2700;
inline constexpr uint32_t kNewerFlashSupplyMillivolts = 2200;

// The device facts the flash code needs.
struct FlashDevice {
    uint32_t mainStart = 0;
    uint32_t mainEnd = 0;
    uint32_t infoStart = 0;
    uint32_t infoEnd = 0;
    uint32_t infoSegment = 0x80;
    uint32_t mainSegment = 0x200;
    uint16_t ramStart = 0;
    uint16_t ramEnd = 0;
    uint32_t ram2Start = 0;
    uint32_t ram2End = 0;
    uint16_t flashKind = 0;  // 1 and 2: loop clocks, others the basic clock
    uint16_t clockControl = 0;
    bool hasEem = false;
    bool newerFlash = false;
    bool msp430x = false;
    bool writeTwice = false;
    bool converter = false;
    bool i2c = false;
    bool flashTest = false;
    bool eraseAllFromMainStart = false;
    std::array<uint8_t, 6> sfrMasks{};

    bool loopClock() const { return flashKind == 1 || flashKind == 2; }
    uint32_t flashSupplyMillivolts() const {
        return newerFlash || infoSegment == kSmallInfoSegment ? kNewerFlashSupplyMillivolts
                                                              : kFlashSupplyMillivolts;
    }
    // The flash of the 1xx and older 4xx parts (128-byte information
    // segments, 16-bit CPU): its mass and main erases complete only after
    // 200 ms of erasing in all.
    bool olderFlash() const { return !newerFlash && !msp430x && infoSegment != kSmallInfoSegment; }
    bool inInfo(uint32_t a) const { return a >= infoStart && a <= infoEnd; }
    bool inMain(uint32_t a) const { return a >= mainStart && a <= mainEnd; }
    bool inRam(uint32_t a) const { return a >= ramStart && a <= ramEnd; }
    bool inRam2(uint32_t a) const { return ram2End != 0 && a >= ram2Start && a <= ram2End; }
    // True when [first, last] lies in information memory, in main flash, or in
    // both where information memory ends right before main flash.
    bool flashRange(uint32_t first, uint32_t last) const;
};

FlashDevice FlashDeviceOf(uint32_t deviceClass);
// The selected device's facts, or the default memory map while no device is
// selected (RAM 0x0200-0x09FF, information memory 0x1000-0x10FF, main memory
// 0x1100-0xFFFF).
FlashDevice FlashDeviceFor(uint32_t selectedDevice, uint32_t deviceClass);

}  // namespace nandrel
