// Identification through the exported functions against simulated chips: the
// automatic and the forced form, the device records, the clock-control names.
#include <array>
#include <ostream>
#include <string>

#include "kelvane/sim/device_profile.h"
#include "sim_identify_fixture.h"

namespace {

using Identify = SimIdentifyTest;

struct NamedChip {
    const char* profile;
    uint32_t row;
};

void PrintTo(const NamedChip& chip, std::ostream* out) {
    *out << chip.profile;
}

class IdentifyNamedProfile : public SimIdentifyTest,
                             public ::testing::WithParamInterface<NamedChip> {};

TEST_P(IdentifyNamedProfile, AutomaticallyAsItsRowWithTheTablesRecord) {
    start(GetParam().profile);
    const DeviceRecord r = identify();
    ExpectRecordOfRow(r, GetParam().row);

    // The chip the simulator builds has the layout the tables describe.
    const kv::sim::DeviceProfile& p = pod->chip()->profile();
    EXPECT_EQ(Value(r.mainStart), p.mainStart);
    EXPECT_EQ(Value(r.mainEnd), p.mainEnd);
    EXPECT_EQ(Value(r.infoStart), p.infoStart);
    EXPECT_EQ(Value(r.infoEnd), p.infoEnd);
    EXPECT_EQ(Value(r.ramStart), p.ramStart);
    EXPECT_EQ(Value(r.ramEnd), p.ramEnd);
    EXPECT_EQ(Value(r.ram2Start), p.ram2Start);
    EXPECT_EQ(Value(r.ram2End), p.ram2End);
    EXPECT_EQ(Value(r.breakpoints), p.breakpoints);
    EXPECT_EQ(Value(r.emulationLevel), p.eemLevel);

    // The pod holds the class settings of the device, and the CPU is stopped.
    const kv::sim::ClassSettings& s = pod->target().classSettings();
    EXPECT_EQ(s.deviceClass, nandrel::device::GetDeviceRow(GetParam().row)->deviceClass);
    EXPECT_EQ(s.flags1 & 0x20, 0) << "a device is selected";
    EXPECT_EQ(s.ramStart, Value(r.ramStart));
    EXPECT_EQ(s.ramEnd, Value(r.ramEnd));
    EXPECT_EQ(s.jtagId, p.jtagId);
    EXPECT_TRUE(pod->target().held());
    int32_t state = -1;
    EXPECT_EQ(Nandrel_State(target, &state, 0, nullptr), 1);
    EXPECT_EQ(state, 0);
    EXPECT_EQ(errorNumber(), 0);
}

INSTANTIATE_TEST_SUITE_P(Profiles, IdentifyNamedProfile,
                         ::testing::Values(NamedChip{"MSP430F149", 7}, NamedChip{"MSP430F2274", 57},
                                           NamedChip{"MSP430FG4619", 46},
                                           NamedChip{"MSP430F11x1-prototype", 1},
                                           NamedChip{"TMS430FCAS003", 49}),
                         [](const ::testing::TestParamInfo<NamedChip>& param) {
                             return "Row" + std::to_string(param.param.row);
                         });

TEST_F(Identify, TheFuseByteChoosesAmongRowsOfOneIdentity) {
    kv::sim::PodConfig config;
    config.chip = "MSP430F149";
    config.configFuses = 0x05;
    start(config);
    DeviceRecord r = identify();
    EXPECT_EQ(Value(r.deviceIndex), 3);
    EXPECT_STREQ(r.name, "MSP430F133");

    pod->chip()->setConfigFuses(0x00);
    r = identify();
    EXPECT_EQ(Value(r.deviceIndex), 7);
    EXPECT_STREQ(r.name, "MSP430F149");
}

TEST_F(Identify, ImpersonatedRowsIdentifyAsThemselves) {
    for (const char* chip : {"MSP430F133", "row:44", "row:25", "MSP430F2132", "MSP430F4794",
                             "MSP430F2619", "MSP430FW42x/F41x", "MSP430F44x", "TMS430FCAS001"}) {
        SCOPED_TRACE(chip);
        const kv::sim::DeviceProfile* p = kv::sim::findProfile(chip);
        ASSERT_NE(p, nullptr);
        start(chip);
        const DeviceRecord r = identify();
        ASSERT_STREQ(r.name, p->name.c_str());
        ExpectRecordOfRow(r, r.deviceIndex);
        EXPECT_EQ(Value(r.mainEnd), p->mainEnd);
        Nandrel_CloseModule();
        backend->unplug(kv::sim::kDravikDescription);
    }
}

TEST(IdentifyRows, EveryRowThatStandsForADeviceCanBeImpersonated) {
    namespace dev = nandrel::device;
    for (uint32_t index = 1; index < dev::kEndOfDevices; ++index) {
        const kv::sim::DeviceProfile* p = kv::sim::deviceRowProfile(index);
        ASSERT_NE(p, nullptr);
        std::array<uint8_t, dev::kIdBlockWithFuseSize> block{};
        std::copy(p->idBlock.begin(), p->idBlock.end(), block.begin());
        block[dev::kIdBlockSize] = p->fuses;
        EXPECT_EQ(dev::IdentifyDeviceById(block.data()), index) << p->name;
        const dev::MemoryLayout& m = dev::GetMemoryLayout(dev::GetDeviceRow(index)->deviceClass);
        EXPECT_EQ(p->mainStart, m.mainStart) << p->name;
        EXPECT_EQ(p->infoSegment, m.infoSegmentSize) << p->name;
    }
    EXPECT_EQ(kv::sim::deviceRowProfile(0)->idBlock[0], 0x00);
    EXPECT_EQ(kv::sim::deviceRowProfile(92), nullptr);
}

TEST_F(Identify, AChipAnsweringZeroIsNoDevice) {
    start("row:0");
    DeviceRecord r{};
    EXPECT_EQ(Nandrel_Identify(target, &r, sizeof r, 0), 0);
    EXPECT_EQ(errorNumber(), 5);
    EXPECT_EQ(Value(r.mark), 0) << "the record is left alone";
    int32_t state = -1;
    EXPECT_EQ(Nandrel_State(target, &state, 0, nullptr), 0) << "no device is selected";
    EXPECT_EQ(errorNumber(), 5);
}

TEST_F(Identify, IndexesBeyondTheTableAndTheLastRow) {
    start("MSP430F149");
    DeviceRecord r{};
    EXPECT_EQ(Nandrel_Identify(target, &r, sizeof r, 92), 0);
    EXPECT_EQ(errorNumber(), 3);
    EXPECT_EQ(Nandrel_Identify(target, &r, sizeof r, -1), 0);
    EXPECT_EQ(errorNumber(), 3);

    pod->clearLog();
    r = identify(91);
    ExpectRecordOfRow(r, 91);
    EXPECT_STREQ(r.name, "End_of_devices");
    EXPECT_EQ(pod->count(96), 0u) << "the identification block is not read";
    EXPECT_EQ(pod->count(224), 0u) << "a class without EEM has no control value to read";
    EXPECT_EQ(pod->target().classSettings().deviceClass, 83);
}

TEST_F(Identify, ForcedIndexTakesTheRowAndReadsTheEemControl) {
    start("MSP430F149");
    pod->clearLog();
    const DeviceRecord r = identify(5);
    ExpectRecordOfRow(r, 5);
    EXPECT_STREQ(r.name, "MSP430F147");
    EXPECT_EQ(pod->count(96), 0u);
    EXPECT_EQ(pod->count(224), 1u);
    EXPECT_EQ(pod->target().classSettings().deviceClass, 5);
    EXPECT_EQ(errorNumber(), 0);
}

TEST_F(Identify, ForcedIndexOfAClassWithoutEemSucceeds) {
    start("MSP430F11x1-prototype");
    pod->clearLog();
    const DeviceRecord r = identify(1);
    ExpectRecordOfRow(r, 1);
    EXPECT_EQ(pod->count(224), 0u);
}

TEST_F(Identify, NoChipIsNotFound) {
    kv::sim::PodConfig config;
    config.chip = "none";
    start(config);
    DeviceRecord r{};
    EXPECT_EQ(Nandrel_Identify(target, &r, sizeof r, 0), 0);
    EXPECT_EQ(errorNumber(), 4);
    EXPECT_EQ(Nandrel_Identify(target, &r, sizeof r, 7), 0);
    EXPECT_EQ(errorNumber(), 4);
}

TEST_F(Identify, ARecordBufferShorterThanARecordIsRefusedUntouched) {
    start("MSP430F149");
    std::array<uint8_t, 80> buffer{};
    buffer.fill(0xCC);
    auto* record = reinterpret_cast<DeviceRecord*>(buffer.data());
    EXPECT_EQ(Nandrel_Identify(target, record, 69, 0), 0);
    EXPECT_EQ(errorNumber(), 3);
    EXPECT_EQ(Nandrel_Device(target, 7, record, 69), 0);
    EXPECT_EQ(errorNumber(), 3);
    for (uint8_t b : buffer)
        ASSERT_EQ(b, 0xCC);
    EXPECT_EQ(pod->count(32), 1u) << "nothing reached the pod but the JTAG open";

    // An 80-byte buffer receives the 70 bytes of the record and nothing more.
    EXPECT_EQ(Nandrel_Identify(target, record, 80, 0), 1) << errorText();
    EXPECT_EQ(Value(record->deviceIndex), 7);
    for (size_t i = 70; i < buffer.size(); ++i)
        EXPECT_EQ(buffer[i], 0xCC);
}

TEST_F(Identify, DeviceFillsRecordsWithoutTouchingTheTarget) {
    start("MSP430F149");
    const DeviceRecord identified = identify();
    pod->clearLog();

    DeviceRecord r{};
    EXPECT_EQ(Nandrel_Device(target, 0, &r, sizeof r), 0);
    EXPECT_EQ(errorNumber(), 3);
    EXPECT_EQ(Nandrel_Device(target, 92, &r, sizeof r), 0);
    EXPECT_EQ(errorNumber(), 3);
    EXPECT_EQ(Nandrel_Device(target, 91, &r, sizeof r), 1);
    ExpectRecordOfRow(r, 91);

    DeviceRecord r40{}, r44{};
    EXPECT_EQ(Nandrel_Device(target, 40, &r40, sizeof r40), 1);
    EXPECT_EQ(Nandrel_Device(target, 44, &r44, sizeof r44), 1);
    EXPECT_STREQ(r40.name, "MSP430F169");
    EXPECT_EQ(Value(r40.deviceIndex), 40);
    EXPECT_EQ(Value(r44.deviceIndex), 44);
    r44.deviceIndex = 40;
    EXPECT_EQ(std::memcmp(&r40, &r44, sizeof r40), 0);

    // The identified device stays selected; the pod heard nothing.
    EXPECT_TRUE(pod->records().empty());
    EXPECT_EQ(pod->target().classSettings().deviceClass, 7);
    int32_t state = -1;
    EXPECT_EQ(Nandrel_State(target, &state, 0, nullptr), 1);
    EXPECT_EQ(Value(identified.deviceIndex), 7);
}

TEST_F(Identify, ClockControlModuleNamesOfTheDevicesClass) {
    start("MSP430F149");
    int dummy = 0;
    void* names = &dummy;
    ASSERT_EQ(Nandrel_GetClockControlModuleNames(target, 46, &names), 1);
    const auto* list = static_cast<const char* const*>(names);
    EXPECT_STREQ(list[1], "MCLK (Pin)");
    EXPECT_STREQ(list[6], "USCI1");
    EXPECT_STREQ(list[8], "");

    names = nullptr;
    EXPECT_EQ(Nandrel_GetClockControlModuleNames(target, 46, &names), 0);
    EXPECT_EQ(errorNumber(), 3);
    EXPECT_EQ(Nandrel_GetClockControlModuleNames(target, 46, nullptr), 0);
    EXPECT_EQ(errorNumber(), 3);
    names = &dummy;
    EXPECT_EQ(Nandrel_GetClockControlModuleNames(target, 92, &names), 0);
    EXPECT_EQ(errorNumber(), 3);
    EXPECT_EQ(names, &dummy);
    EXPECT_EQ(Nandrel_GetClockControlModuleNames(nullptr, 46, &names), 0);
}

}  // namespace
