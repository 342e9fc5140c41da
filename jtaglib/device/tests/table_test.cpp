#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "class_value_table.h"
#include "memory_layout_table.h"
#include "nandrel/device/clock_control_names.h"
#include "nandrel/device/device_class.h"
#include "nandrel/device/device_table.h"
#include "nandrel/device/memory_layout.h"

namespace nandrel::device {
namespace {

TEST(DeviceTable, HasNinetyTwoRowsFromUnknownToEnd) {
    EXPECT_EQ(GetDeviceCount(), 92u);
    ASSERT_NE(GetDeviceRow(0), nullptr);
    ASSERT_NE(GetDeviceRow(91), nullptr);
    EXPECT_EQ(GetDeviceRow(92), nullptr);
    EXPECT_STREQ(GetDeviceRow(0)->name, "Device_unknown");
    EXPECT_STREQ(GetDeviceRow(91)->name, "End_of_devices");
    EXPECT_EQ(GetDeviceRow(0)->deviceClass, 0);
    EXPECT_EQ(GetDeviceRow(91)->deviceClass, 83);
}

TEST(DeviceTable, EveryRowNamesAShortNameAndAKnownClass) {
    std::set<std::uint16_t> used;
    std::size_t longest = 0;
    for (std::uint32_t i = 0; i < GetDeviceCount(); ++i) {
        const DeviceRow* row = GetDeviceRow(i);
        ASSERT_NE(row->name, nullptr) << i;
        EXPECT_LE(std::strlen(row->name), 31u) << i;
        longest = std::max(longest, std::strlen(row->name));
        EXPECT_LT(row->deviceClass, kDeviceClassCount) << i;
        used.insert(row->deviceClass);
    }
    EXPECT_EQ(longest, 23u);
    EXPECT_EQ(used.size(), kDeviceClassCount);
}

TEST(DeviceTable, RowsSharingAClass) {
    EXPECT_EQ(GetDeviceRow(12)->deviceClass, GetDeviceRow(13)->deviceClass);
    EXPECT_EQ(GetDeviceRow(40)->deviceClass, GetDeviceRow(44)->deviceClass);
    for (std::uint32_t first : {19u, 20u, 21u}) {
        EXPECT_EQ(GetDeviceRow(first)->deviceClass, GetDeviceRow(first + 3)->deviceClass);
        EXPECT_EQ(GetDeviceRow(first)->deviceClass, GetDeviceRow(first + 6)->deviceClass);
    }
}

TEST(ClassTables, EveryClassHasOneRowOfValuesAndOneLayout) {
    std::array<int, kDeviceClassCount> values{};
    std::array<int, kDeviceClassCount> layouts{};
    for (const ClassValueRow& row : kClassValueTable) {
        for (std::uint8_t c : row.classes) {
            ++values.at(c);
        }
    }
    for (const MemoryLayoutRow& row : kMemoryLayoutTable) {
        for (std::uint8_t c : row.classes) {
            ++layouts.at(c);
        }
    }
    for (std::uint32_t c = 0; c < kDeviceClassCount; ++c) {
        EXPECT_EQ(values[c], 1) << c;
        EXPECT_EQ(layouts[c], 1) << c;
        EXPECT_LT(GetDeviceClass(c).layout, kMemoryLayoutCount) << c;
    }
    EXPECT_EQ(GetMemoryLayoutRow(40)->ram2End, 0x30FF);
    EXPECT_EQ(GetMemoryLayoutRow(41), nullptr);
}

TEST(ClassTables, ValuesOfSampleClasses) {
    const DeviceClass& f149 = GetDeviceClass(7);
    EXPECT_EQ(f149.layout, 11);
    EXPECT_EQ(f149.breakpoints, 3);
    EXPECT_EQ(f149.emulationLevel, 2);
    EXPECT_EQ(f149.securityValue, 2500);
    EXPECT_EQ(f149.sfrMasks, (std::array<std::uint8_t, 6>{0xF3, 0x30, 0xD3, 0x30, 0xC0, 0x30}));

    const DeviceClass& fcas = GetDeviceClass(41);
    EXPECT_EQ(fcas.layout, 20);
    EXPECT_EQ(fcas.breakpoints, 0);
    EXPECT_FALSE(fcas.hasEem());
    EXPECT_EQ(fcas.mainClockDefault, 0x0029);
    EXPECT_EQ(fcas.vccMin, 3135);
    EXPECT_EQ(fcas.vccMax, 5250);
    EXPECT_EQ(fcas.flashKind, 2);
    EXPECT_TRUE(fcas.eraseAllFromMainStart);
    EXPECT_TRUE(fcas.b5);
    EXPECT_TRUE(fcas.flashTest);

    const DeviceClass& fg4619 = GetDeviceClass(38);
    EXPECT_EQ(fg4619.layout, 18);
    EXPECT_TRUE(fg4619.msp430x);
    EXPECT_TRUE(fg4619.b8);
    EXPECT_TRUE(fg4619.b9);
    EXPECT_TRUE(fg4619.hasSequencer());
    EXPECT_EQ(fg4619.sfrMasks, (std::array<std::uint8_t, 6>{0x33, 0xBF, 0x13, 0xBF, 0xFF, 0x30}));

    const DeviceClass& unknown = GetDeviceClass(0);
    EXPECT_TRUE(unknown.e0 && unknown.e1 && unknown.e3);
    EXPECT_FALSE(unknown.canBlowFuse());
    EXPECT_EQ(&GetDeviceClass(84), &unknown);

    const DeviceClass& fe42x = GetDeviceClass(63);
    EXPECT_EQ(fe42x.vccMin, 2700);
    EXPECT_EQ(fe42x.securityValue, 2700);
    EXPECT_TRUE(fe42x.e3);
    EXPECT_EQ(fe42x.layout, 9);

    const DeviceClass& end = GetDeviceClass(83);
    EXPECT_EQ(end.vccMax, 0);
    EXPECT_EQ(end.mainClockDefault, 0x60D7);
    EXPECT_EQ(end.layout, 0);
}

TEST(ClassTables, ClassesNamedByNumber) {
    std::set<std::uint32_t> item1, eraseAll, f22x;
    for (std::uint32_t c = 0; c < kDeviceClassCount; ++c) {
        if (GetDeviceClass(c).configItem1) item1.insert(c);
        if (GetDeviceClass(c).eraseAllFromMainStart) eraseAll.insert(c);
        if (GetDeviceClass(c).f22xFamily) f22x.insert(c);
    }
    EXPECT_EQ(item1, (std::set<std::uint32_t>{13}));
    EXPECT_EQ(eraseAll, (std::set<std::uint32_t>{41}));
    EXPECT_EQ(f22x, (std::set<std::uint32_t>{47, 48, 49, 54, 55, 56}));
}

}  // namespace
}  // namespace nandrel::device
