#include "nandrel/device/device_class.h"

#include <array>

#include "class_value_table.h"
#include "memory_layout_table.h"

namespace nandrel::device {
namespace {

// Expands the grouped class rows and the layout rows into one description per
// class. A class missing from either table, or listed twice, stops the build.
consteval std::array<DeviceClass, kDeviceClassCount> BuildDeviceClasses() {
    std::array<DeviceClass, kDeviceClassCount> classes{};
    std::array<int, kDeviceClassCount> valueRows{};
    std::array<int, kDeviceClassCount> layoutRows{};
    for (const ClassValueRow& row : kClassValueTable) {
        for (std::uint8_t c : row.classes) {
            static_cast<ClassValues&>(classes.at(c)) = row.values;
            ++valueRows.at(c);
        }
    }
    for (std::uint32_t layout = 0; layout < kMemoryLayoutCount; ++layout) {
        for (std::uint8_t c : kMemoryLayoutTable[layout].classes) {
            classes.at(c).layout = static_cast<std::uint16_t>(layout);
            ++layoutRows.at(c);
        }
    }
    for (std::uint8_t c : kF22xFamilyClasses) {
        classes.at(c).f22xFamily = true;
    }
    for (std::uint8_t c : kConfigItem1Classes) {
        classes.at(c).configItem1 = true;
    }
    for (std::uint8_t c : kEraseAllFromMainStartClasses) {
        classes.at(c).eraseAllFromMainStart = true;
    }
    for (std::uint32_t c = 0; c < kDeviceClassCount; ++c) {
        if (valueRows[c] != 1) throw "a class needs exactly one row of values";
        if (layoutRows[c] != 1) throw "a class needs exactly one memory layout";
    }
    return classes;
}

constexpr std::array<DeviceClass, kDeviceClassCount> kDeviceClasses = BuildDeviceClasses();

}  // namespace

const DeviceClass& GetDeviceClass(std::uint32_t deviceClass) {
    return deviceClass < kDeviceClassCount ? kDeviceClasses[deviceClass] : kDeviceClasses[0];
}

ClassSettingFlags GetClassSettingFlags(std::uint32_t deviceClass, bool noDeviceSelected) {
    const DeviceClass& c = GetDeviceClass(deviceClass);
    ClassSettingFlags flags{0, 0};
    auto set = [](std::uint8_t& byte, int bit, bool on) {
        if (on) byte = static_cast<std::uint8_t>(byte | (1u << bit));
    };
    set(flags.first, 0, c.msp430x);
    set(flags.first, 1, c.e1);
    set(flags.first, 2, c.e3);
    set(flags.first, 3, c.e0);
    set(flags.first, 4, c.testPin);
    set(flags.first, 5, noDeviceSelected);
    set(flags.first, 6, c.clockControl == 1);
    set(flags.first, 7, c.clockControl == 2);
    set(flags.second, 0, c.b9);
    set(flags.second, 1, c.b8);
    set(flags.second, 2, c.f22xFamily);
    return flags;
}

}  // namespace nandrel::device
