// A target opened through the exported functions on the simulated pod, the
// chip powered and the JTAG link open, ready to be identified.
#pragma once

#include <cstring>

#include "nandrel/device/device_class.h"
#include "nandrel/device/device_table.h"
#include "nandrel/device/memory_layout.h"
#include "sim_pod_fixture.h"

class SimIdentifyTest : public SimPodTest {
  protected:
    void start(kv::sim::PodConfig config) {
        pod = plug(std::move(config));
        if (pod->chip()) {
            // The reset vector points at a `jmp $` at the start of main flash.
            const uint32_t loop = pod->chip()->profile().mainStart;
            pod->chip()->poke16(0xFFFE, static_cast<uint16_t>(loop));
            pod->chip()->poke16(loop, 0x3FFF);
        }
        NANDREL_HANDLE port = openPort();
        ASSERT_NE(port, nullptr) << interfaceError();
        target = Nandrel_OpenTarget(port, 0);
        ASSERT_NE(target, nullptr);
        ASSERT_EQ(Nandrel_VCC(target, 3300), 1) << Nandrel_GetLastTargetError(target);
        ASSERT_EQ(Nandrel_OpenJTAG(target), 1) << Nandrel_GetLastTargetError(target);
    }
    void start(const std::string& chip) {
        kv::sim::PodConfig config;
        config.chip = chip;
        start(std::move(config));
    }

    // Identifies (index 0) or takes row (index); the record is all zeros on failure.
    DeviceRecord identify(int32_t index = 0) {
        DeviceRecord record{};
        EXPECT_EQ(Nandrel_Identify(target, &record, sizeof record, index), 1)
            << Nandrel_GetLastTargetError(target);
        return record;
    }

    int32_t errorNumber() { return Nandrel_GetLastTargetErrorNumber(target); }
    std::string errorText() { return Nandrel_GetLastTargetError(target); }

    std::shared_ptr<kv::sim::DravikPod> pod;
    NANDREL_HANDLE target = nullptr;
};

// A field of the packed record by value: the record may lie at any address.
template <typename T>
T Value(T field) {
    return field;
}

// The record of row (index) as the device, class and layout tables give it.
inline void ExpectRecordOfRow(const DeviceRecord& r, uint32_t index) {
    namespace dev = nandrel::device;
    const dev::DeviceRow& row = *dev::GetDeviceRow(index);
    const dev::DeviceClass& c = dev::GetDeviceClass(row.deviceClass);
    const dev::MemoryLayout& m = dev::GetMemoryLayout(row.deviceClass);
    EXPECT_EQ(Value(r.mark), 0xAA55);
    EXPECT_EQ(Value(r.deviceIndex), index);
    EXPECT_STREQ(r.name, row.name);
    EXPECT_EQ(Value(r.mainStart), m.mainStart);
    EXPECT_EQ(Value(r.infoStart), m.infoStart);
    EXPECT_EQ(Value(r.ramEnd), m.ramEnd);
    EXPECT_EQ(Value(r.breakpoints), c.breakpoints);
    EXPECT_EQ(Value(r.emulationLevel), c.emulationLevel);
    EXPECT_EQ(Value(r.clockControlLevel), c.clockControl);
    EXPECT_EQ(Value(r.lcdStart), c.lcdStart);
    EXPECT_EQ(Value(r.lcdEnd), c.lcdEnd);
    EXPECT_EQ(Value(r.vccMin), c.vccMin);
    EXPECT_EQ(Value(r.vccMax), c.vccMax);
    EXPECT_EQ(Value(r.hasTestPin), c.testPin ? 1 : 0);
    EXPECT_EQ(Value(r.ramStart), m.ramStart);
    EXPECT_EQ(Value(r.ram2Start), m.ram2Start);
    EXPECT_EQ(Value(r.ram2End), m.ram2End);
    EXPECT_EQ(Value(r.infoEnd), m.infoEnd);
    EXPECT_EQ(Value(r.mainEnd), m.mainEnd);
}
