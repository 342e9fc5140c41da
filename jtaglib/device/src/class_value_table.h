// The class table: classes with equal values share a row. Every class appears
// in exactly one row (checked when the class descriptions are built).
#pragma once

#include "class_list.h"
#include "nandrel/device/device_class.h"

namespace nandrel::device {

struct ClassValueRow {
    ClassList classes;
    ClassValues values;
};

// clang-format off
inline constexpr ClassValueRow kClassValueTable[] = {
    // classes,
    //   {breakpoints, emulation, clock control, main-clock default, VCC min, VCC max,
    //    security value, TEST pin, flash kind, B2, LCD start, LCD end, B5, flash test,
    //    MSP430X, B8, B9, E0, E1, E2, E3, E4, {SFR masks}}
    {{0}, {2, 0, 0, 0x60D7, 1800, 3600, 0, 1, 0, 0, 0x00, 0x00, 0, 0, 0, 0, 0, 1, 1, 0, 1, 0, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}}},
    {{1}, {2, 0, 0, 0x60D7, 1800, 3600, 0, 1, 0, 0, 0x00, 0x00, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, {0x33, 0xFF, 0x13, 0xFF, 0xFF, 0xFF}}},
    {{2}, {2, 1, 0, 0x60D7, 1800, 3600, 0, 1, 0, 0, 0x00, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, {0x33, 0xFF, 0x13, 0xFF, 0xFF, 0xFF}}},
    {{3, 4, 5, 6, 7}, {3, 2, 0, 0x60D7, 1800, 3600, 2500, 0, 0, 0, 0x00, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, {0xF3, 0x30, 0xD3, 0x30, 0xC0, 0x30}}},
    {{8, 9}, {2, 1, 1, 0x60D7, 1800, 3600, 2500, 0, 1, 0, 0x90, 0x9C, 0, 0, 0, 0, 0, 0, 1, 0, 0, 1, {0x33, 0x80, 0x13, 0x80, 0xFF, 0xFF}}},
    {{10, 15}, {2, 1, 0, 0x60D7, 1800, 3600, 2500, 1, 0, 0, 0x00, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, {0x33, 0xFF, 0x13, 0xFF, 0xFF, 0xFF}}},
    {{11}, {2, 1, 0, 0x60D7, 1800, 3600, 2500, 1, 0, 0, 0x00, 0x00, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, {0x33, 0x03, 0x13, 0x03, 0xFF, 0x03}}},
    {{12}, {8, 3, 2, 0x60D7, 1800, 3600, 2500, 0, 1, 0, 0x90, 0xA4, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, {0xF3, 0x80, 0xD3, 0x80, 0xC0, 0xFF}}},
    {{13}, {8, 3, 2, 0x60D7, 1800, 3600, 2500, 0, 1, 0, 0x90, 0xA4, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, {0xF3, 0xB0, 0xD3, 0xB0, 0xC0, 0x30}}},
    {{14}, {2, 1, 0, 0x60D7, 1800, 3600, 2500, 1, 0, 0, 0x00, 0x00, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, {0x33, 0x03, 0x13, 0x03, 0xFF, 0x03}}},
    {{16}, {2, 1, 0, 0x60D7, 1800, 3600, 2500, 1, 0, 0, 0x00, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, {0x33, 0x03, 0x13, 0x03, 0xFF, 0x03}}},
    {{17}, {3, 2, 0, 0x60D7, 1800, 3600, 2500, 0, 0, 1, 0x00, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, {0xF3, 0x30, 0xD3, 0x30, 0xC0, 0x30}}},
    {{18, 19, 20, 21, 22, 23, 61, 62, 63, 64, 65, 66}, {2, 1, 1, 0x60D7, 2700, 3600, 2700, 0, 1, 0, 0x90, 0xA4, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, {0xF3, 0x80, 0xD3, 0x80, 0xC0, 0xFF}}},
    {{24}, {2, 1, 1, 0x60D7, 1800, 3600, 2500, 0, 1, 0, 0x90, 0x9C, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, {0x33, 0x80, 0x13, 0x80, 0xFF, 0xFF}}},
    {{25, 26, 27}, {2, 1, 1, 0x60D7, 1800, 3600, 2700, 0, 1, 0, 0x90, 0xAF, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, {0x33, 0x80, 0x1F, 0x80, 0xFF, 0xFF}}},
    {{28, 29, 30}, {8, 3, 2, 0x60D7, 1800, 3600, 2500, 0, 0, 1, 0x00, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, {0xF3, 0xFF, 0xD3, 0xFF, 0xC0, 0xFF}}},
    {{31, 32, 33, 34, 35, 36}, {8, 3, 2, 0x60D7, 1800, 3600, 2500, 0, 0, 1, 0x00, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, {0xF3, 0x30, 0xD3, 0x30, 0xC0, 0x30}}},
    {{37}, {2, 1, 2, 0x60D7, 1800, 3600, 2500, 0, 1, 0, 0x90, 0x9C, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, {0xF3, 0x80, 0xD3, 0x80, 0xC0, 0xFF}}},
    {{38, 50}, {8, 3, 2, 0x60D7, 1800, 3600, 2500, 0, 1, 0, 0x90, 0x9C, 0, 0, 1, 1, 1, 0, 0, 0, 0, 0, {0x33, 0xBF, 0x13, 0xBF, 0xFF, 0x30}}},
    {{39, 44, 45, 46}, {2, 1, 1, 0x60D7, 1800, 3600, 2500, 1, 3, 0, 0x00, 0x00, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, {0x33, 0xFF, 0x1F, 0xFF, 0xFF, 0xFF}}},
    {{40, 43}, {8, 3, 2, 0x0029, 2970, 5500, 2500, 0, 2, 0, 0x00, 0x00, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, {0x37, 0x00, 0x17, 0x00, 0x00, 0x00}}},
    {{41, 42}, {0, 0, 0, 0x0029, 3135, 5250, 2500, 0, 2, 0, 0x00, 0x00, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, {0x37, 0x00, 0x17, 0x00, 0x00, 0x00}}},
    {{47, 48, 49, 51, 52, 53, 54, 55, 56, 80, 81, 82}, {2, 1, 1, 0x60D7, 1800, 3600, 2500, 1, 3, 0, 0x00, 0x00, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0, {0x33, 0x0F, 0x1F, 0x0F, 0xFF, 0xFF}}},
    {{57, 58, 59, 60}, {8, 3, 2, 0x60D7, 1800, 3600, 2500, 0, 3, 0, 0x00, 0x00, 0, 0, 1, 1, 1, 0, 0, 0, 0, 0, {0x33, 0x0F, 0x1F, 0x0F, 0xFF, 0xFF}}},
    {{67, 68, 69, 70}, {2, 1, 2, 0x60D7, 1800, 3600, 2500, 0, 1, 0, 0x90, 0xAF, 0, 0, 0, 1, 1, 0, 0, 0, 1, 0, {0x33, 0x8F, 0x1F, 0x8F, 0xFF, 0xFF}}},
    {{71, 72, 73, 74, 75, 76, 77, 78, 79}, {3, 2, 2, 0x60D7, 1800, 3600, 2500, 0, 3, 0, 0x00, 0x00, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0, {0x33, 0x0F, 0x1F, 0x0F, 0xFF, 0xFF}}},
    {{83}, {0, 0, 0, 0x60D7, 0, 0, 0, 0, 0, 0, 0x00, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}}},
};
// clang-format on

// Classes that the pod is told belong to the MSP430F22x2/F22x4 family.
inline constexpr ClassList kF22xFamilyClasses = {47, 48, 49, 54, 55, 56};

// Classes that take Configure item 1.
inline constexpr ClassList kConfigItem1Classes = {13};

// Classes whose erase of everything starts at the main flash start, whatever
// address the caller gives.
inline constexpr ClassList kEraseAllFromMainStartClasses = {41};

}  // namespace nandrel::device
