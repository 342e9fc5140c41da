// The library's device table against the simulator's own record of the
// devices, entry by entry: a wrong byte on either side shows here rather than
// letting a chip "identify as itself".
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kelvane/sim/device_rows.h"
#include "nandrel/device/device_class.h"
#include "nandrel/device/device_table.h"
#include "nandrel/device/memory_layout.h"

namespace {

namespace dev = nandrel::device;
namespace sim = kv::sim;

TEST(DeviceRows, TheLibrarysTablesAgreeWithTheSimulatorsRecord) {
    ASSERT_EQ(dev::GetDeviceCount(), sim::kDeviceRowCount);
    for (uint32_t i = 0; i < sim::kDeviceRowCount; ++i) {
        const dev::DeviceRow& lib = *dev::GetDeviceRow(i);
        const sim::DeviceRowFacts& own = *sim::deviceRowFacts(i);
        SCOPED_TRACE("row " + std::to_string(i) + " " + own.name);
        EXPECT_STREQ(lib.name, own.name);
        for (size_t b = 0; b < own.id.size(); ++b)
            EXPECT_EQ(lib.id[b], own.id[b]) << "id byte at " << sim::kIdentityOffsets[b];
        EXPECT_EQ(lib.fuseValue, own.fuseValue);
        if (own.fuseValue != sim::kAnyValue) {
            EXPECT_EQ(lib.fuseMask, own.fuseMask);
        }
        EXPECT_EQ(lib.deviceClass, own.deviceClass);
    }
    for (uint32_t c = 0; c < sim::kDeviceClassCount; ++c) {
        SCOPED_TRACE("class " + std::to_string(c));
        const dev::DeviceClass& lib = dev::GetDeviceClass(c);
        const sim::DeviceClassFacts& own = sim::deviceClassFacts(c);
        EXPECT_EQ(lib.breakpoints, own.breakpoints);
        EXPECT_EQ(lib.emulationLevel, own.emulationLevel);
        EXPECT_EQ(lib.vccMin, own.vccMin);
        EXPECT_EQ(lib.vccMax, own.vccMax);
        EXPECT_EQ(lib.securityValue, own.fuseBlowMillivolts);
        EXPECT_EQ(lib.testPin, own.testPin);
        EXPECT_EQ(lib.msp430x, own.msp430x);
        const dev::MemoryLayout& m = dev::GetMemoryLayout(c);
        const sim::MemoryLayoutFacts& n = sim::memoryLayoutFacts(c);
        EXPECT_EQ((std::vector<uint32_t>{m.mainStart, m.mainEnd, m.infoStart, m.infoEnd,
                                         m.infoSegmentSize, m.ramStart, m.ramEnd, m.ram2Start,
                                         m.ram2End}),
                  (std::vector<uint32_t>{n.mainStart, n.mainEnd, n.infoStart, n.infoEnd,
                                         n.infoSegment, n.ramStart, n.ramEnd, n.ram2Start,
                                         n.ram2End}));
    }
}

}  // namespace
