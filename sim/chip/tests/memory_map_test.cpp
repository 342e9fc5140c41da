#include <gtest/gtest.h>

#include "chip_fixture.h"

namespace kv::sim::test {
namespace {

TEST(ChipProfiles, NamedProfilesAreListedAndFound) {
    std::vector<std::string> names = profileNames();
    ASSERT_GE(names.size(), 4u);
    for (const std::string& name : names)
        EXPECT_NE(findProfile(name), nullptr);
    EXPECT_EQ(findProfile("MSP430F999"), nullptr);
    EXPECT_EQ(findProfile("MSP430F149")->infoSegment, 0x80);
    EXPECT_EQ(findProfile("MSP430F2274")->infoSegment, 0x40);
    EXPECT_TRUE(findProfile("MSP430F2274")->lockA);
    EXPECT_TRUE(findProfile("MSP430FG4619")->extended);
    EXPECT_EQ(findProfile("MSP430F11x1-prototype")->eemLevel, 0);
}

TEST(ChipProfiles, SegmentsFollowTheLayout) {
    const DeviceProfile& f149 = *findProfile("MSP430F149");
    uint32_t start = 0, size = 0;
    ASSERT_TRUE(f149.flashSegment(0x1150, &start, &size));
    EXPECT_EQ(start, 0x1100u);
    EXPECT_EQ(size, 0x100u);  // the first main segment is cut by the main start
    ASSERT_TRUE(f149.flashSegment(0xFFFE, &start, &size));
    EXPECT_EQ(start, 0xFE00u);
    EXPECT_EQ(size, 0x200u);
    ASSERT_TRUE(f149.flashSegment(0x10C3, &start, &size));
    EXPECT_EQ(start, 0x1080u);
    EXPECT_FALSE(f149.flashSegment(0x0A00, &start, &size));
    const DeviceProfile& f2274 = *findProfile("MSP430F2274");
    ASSERT_TRUE(f2274.flashSegment(0x10C3, &start, &size));
    EXPECT_EQ(start, 0x10C0u);
    EXPECT_EQ(size, 0x40u);
}

struct MapCase {
    const char* name;
    uint32_t ram;
    uint32_t ramEnd;
    uint32_t flash;
    uint32_t unmapped;
};

class ChipMemoryMap : public ::testing::TestWithParam<MapCase> {};

TEST_P(ChipMemoryMap, RamFlashRomAndVacantMemory) {
    const MapCase& c = GetParam();
    auto chip = poweredChip(c.name);
    chip->setDirectAccess(false);
    chip->write16(c.ram, 0xBEEF);
    chip->write8(c.ramEnd, 0x5C);
    EXPECT_EQ(chip->read16(c.ram), 0xBEEF);
    EXPECT_EQ(chip->read8(c.ramEnd), 0x5C);
    EXPECT_EQ(chip->read16(c.flash), 0xFFFF);

    // The identification block sits in the boot ROM and cannot be written.
    EXPECT_EQ(chip->read8(0x0FF0), chip->profile().idBlock[0]);
    EXPECT_EQ(chip->read8(0x0FF1), chip->profile().idBlock[1]);
    chip->write8(0x0FF0, 0x00);
    EXPECT_EQ(chip->read8(0x0FF0), chip->profile().idBlock[0]);

    uint64_t before = chip->accessCounts().unmappedReads;
    EXPECT_EQ(chip->read16(c.unmapped), Chip::kUnmappedWord);
    EXPECT_EQ(chip->read8(c.unmapped), 0xFF);
    EXPECT_EQ(chip->read8(c.unmapped + 1), 0x3F);
    EXPECT_EQ(chip->accessCounts().unmappedReads, before + 3);
    chip->write16(c.unmapped, 0x1234);
    EXPECT_EQ(chip->accessCounts().unmappedWrites, 1u);
    EXPECT_FALSE(chip->mapped(c.unmapped));
}

INSTANTIATE_TEST_SUITE_P(
    Profiles, ChipMemoryMap,
    ::testing::Values(MapCase{"MSP430F149", 0x0200, 0x09FF, 0x1100, 0x0A00},
                      MapCase{"MSP430F2274", 0x0200, 0x05FF, 0x8000, 0x0600},
                      MapCase{"MSP430FG4619", 0x1100, 0x20FF, 0x1FFFE, 0x20000},
                      MapCase{"MSP430F11x1-prototype", 0x0200, 0x02FF, 0xEF00, 0x1000},
                      MapCase{"TMS430FCAS003", 0x0500, 0x07FF, 0xC000, 0x0200}),
    [](const ::testing::TestParamInfo<MapCase>& caseInfo) {
        std::string n = caseInfo.param.name;
        for (char& ch : n)
            if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return n;
    });

TEST(ChipMemory, CountsEveryAccessWithoutDirectPages) {
    auto chip = poweredChip("MSP430F149");
    chip->setDirectAccess(false);
    AccessCounts before = chip->accessCounts();
    chip->read16(0x0200);
    chip->read8(0x0201);
    chip->write16(0x0202, 1);
    chip->fetch16(0xFFFE);
    EXPECT_EQ(chip->accessCounts().reads, before.reads + 2);
    EXPECT_EQ(chip->accessCounts().writes, before.writes + 1);
    EXPECT_EQ(chip->accessCounts().fetches, before.fetches + 1);
}

TEST(ChipMemory, DirectPagesOnlyForPlainMemory) {
    auto chip = poweredChip("MSP430F149");
    EXPECT_NE(chip->directPage(0x0200, true), nullptr);
    EXPECT_NE(chip->directPage(0x1100, false), nullptr);
    EXPECT_EQ(chip->directPage(0x1100, true), nullptr);   // flash is written through the controller
    EXPECT_EQ(chip->directPage(0x0100, false), nullptr);  // peripherals
    EXPECT_EQ(chip->directPage(0x0A00, false), nullptr);  // vacant
}

TEST(ChipMemory, PeripheralStorageAndDebuggerAccess) {
    auto chip = poweredChip("MSP430F149");
    chip->write8(0x0022, 0x0F);  // a port register keeps what was written
    EXPECT_EQ(chip->read8(0x0022), 0x0F);
    uint8_t data[3] = {1, 2, 3};
    chip->debugWrite(0x0301, data, 3);
    uint8_t back[3] = {};
    chip->debugRead(0x0301, back, 3);
    EXPECT_EQ(back[0], 1);
    EXPECT_EQ(back[2], 3);
    // A factory write puts an image into flash without the controller.
    uint8_t image[2] = {0x34, 0x12};
    chip->poke(0xFFFE, image, 2);
    EXPECT_EQ(chip->peek16(0xFFFE), 0x1234);
}

TEST(ChipMemory, UnpoweredChipAnswersLikeVacantMemory) {
    Chip chip(*findProfile("MSP430F149"));
    EXPECT_FALSE(chip.powered());
    EXPECT_FALSE(chip.jtagAccessible());
    chip.setDirectAccess(false);
    EXPECT_EQ(chip.read16(0x1000), Chip::kUnmappedWord);
    EXPECT_EQ(chip.run(RunLimits{}).reason, StopReason::NoPower);
}

TEST(ChipJtag, IdentityAndFuse) {
    auto f149 = poweredChip("MSP430F149");
    EXPECT_EQ(f149->jtagId(), 0x89);
    EXPECT_EQ(f149->configFuses(), 0x00);
    EXPECT_TRUE(f149->jtagAccessible());
    EXPECT_TRUE(f149->blowFuse());
    EXPECT_TRUE(f149->fuseBlown());
    EXPECT_FALSE(f149->jtagAccessible());
    EXPECT_EQ(poweredChip("MSP430FG4619")->jtagId(), 0x8D);
    auto proto = poweredChip("MSP430F11x1-prototype");
    EXPECT_FALSE(proto->blowFuse());
    EXPECT_TRUE(proto->jtagAccessible());
    EXPECT_EQ(proto->idBlock()[3], 0x43);
}

}  // namespace
}  // namespace kv::sim::test
