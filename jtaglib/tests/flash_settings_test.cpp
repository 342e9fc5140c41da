// The settings the flash code reads (download check, RAM preservation, flash
// test setting) and the registers a write keeps shadows of.
#include "flash_fixture.h"

namespace {

class FlashSettings : public FlashTest {};

TEST_F(FlashSettings, RamPreservedAcrossAFlashWrite) {
    open(kF1xx);
    const auto ram = pattern(0x0200, 0x800, 9);
    ASSERT_EQ(Nandrel_WriteMemory(target, 0x0200, ram.data(), 0x800), 1) << error();
    ASSERT_EQ(Nandrel_Configure(target, 10, 1), 1);
    ASSERT_EQ(Nandrel_Erase(target, NANDREL_ERASE_SEGMENT, 0x4000, 0x200), 1) << error();
    const auto data = pattern(0x4000, 0x200);
    ASSERT_EQ(Nandrel_WriteMemory(target, 0x4000, data.data(), 0x200), 1) << error();
    EXPECT_EQ(chipBytes(0x4000, 0x200), data);
    EXPECT_EQ(chipBytes(0x0200, 0x800), ram);
    // Without the setting the routines are left in RAM.
    ASSERT_EQ(Nandrel_Configure(target, 10, 0), 1);
    ASSERT_EQ(Nandrel_Erase(target, NANDREL_ERASE_SEGMENT, 0x4000, 0x200), 1) << error();
    EXPECT_NE(chipBytes(0x0200, 0x800), ram);
}

TEST_F(FlashSettings, DownloadedRoutinesAreReadBackWhenAsked) {
    open(kF2xx);
    ASSERT_EQ(Nandrel_Configure(target, 0, 1), 1);
    pod->clearLog();
    ASSERT_EQ(Nandrel_Erase(target, NANDREL_ERASE_SEGMENT, 0x8000, 0x200), 1) << error();
    const size_t checked = requests(102).size();
    ASSERT_EQ(Nandrel_Configure(target, 0, 0), 1);
    pod->clearLog();
    ASSERT_EQ(Nandrel_Erase(target, NANDREL_ERASE_SEGMENT, 0x8000, 0x200), 1) << error();
    EXPECT_GT(checked, requests(102).size());
}

TEST_F(FlashSettings, ConverterRegistersAndTheByteAt48AreShadowed) {
    open(kF1xx, 14);  // a class with the converter flag
    const std::vector<uint8_t> b48 = {0x5C};
    ASSERT_EQ(Nandrel_WriteMemory(target, 0x0048, b48.data(), 1), 1) << error();
    const std::vector<uint8_t> conv = {1, 2, 3, 4};
    pod->clearLog();
    ASSERT_EQ(Nandrel_WriteMemory(target, 0x01B0, conv.data(), 4), 1) << error();
    EXPECT_TRUE(requests(106).empty()) << "nothing reaches the chip";
    std::vector<uint8_t> back(4);
    ASSERT_EQ(Nandrel_ReadMemory(target, 0x01B0, back.data(), 4), 1) << error();
    EXPECT_EQ(back, conv);
    ASSERT_EQ(Nandrel_ReadMemory(target, 0x0048, back.data(), 1), 1) << error();
    EXPECT_EQ(back[0], 0x5C);
}

TEST_F(FlashSettings, WordWideI2cRegisterIsWrittenAsAWord) {
    open(kF1xx, 17);  // a class with the I2C module
    const std::vector<uint8_t> control = {0x25, 0x80};
    ASSERT_EQ(Nandrel_WriteMemory(target, 0x0070, control.data(), 2), 1) << error();
    const std::vector<uint8_t> data = {0x11, 0x22, 0x33, 0x44};
    pod->clearLog();
    ASSERT_EQ(Nandrel_WriteMemory(target, 0x0074, data.data(), 4), 1) << error();
    const auto words = requests(106);
    ASSERT_EQ(words.size(), 1u);
    EXPECT_EQ(words[0], (std::vector<uint8_t>{106, 0x03, 0, 0, 0x76, 0, 1, 0x44, 0x33}));
    std::vector<uint8_t> back(4);
    pod->clearLog();
    ASSERT_EQ(Nandrel_ReadMemory(target, 0x0074, back.data(), 4), 1) << error();
    EXPECT_EQ(requests(102).size(), 1u);
}

TEST_F(FlashSettings, SecureBlowsTheFuseWhereThereIsOne) {
    open(kF1xx);
    ASSERT_EQ(Nandrel_Secure(target), 1) << error();
    EXPECT_TRUE(chip().fuseBlown());
    Nandrel_CloseModule();
    open(kF1xx, 2);  // a class without a fuse
    EXPECT_EQ(Nandrel_Secure(target), 0);
    EXPECT_EQ(errorNumber(), 29);
}

TEST_F(FlashSettings, NewerFlashReadsCarryTheTimingBitsUnlessTheChipKeepsThem) {
    open(kNewer);
    std::vector<uint8_t> back(4);
    pod->clearLog();
    ASSERT_EQ(Nandrel_ReadMemory(target, 0xC000, back.data(), 4), 1) << error();
    EXPECT_TRUE(requests(106).empty());
    ASSERT_EQ(Nandrel_Configure(target, 6, 1), 1);
    const uint8_t before = static_cast<uint8_t>(chip().read16(0x0128));
    pod->clearLog();
    ASSERT_EQ(Nandrel_ReadMemory(target, 0xC000, back.data(), 4), 1) << error();
    const auto writes = requests(106);
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0][7], 0xA5);
    EXPECT_EQ(writes[0][8], (before & 0xCF) | 0x10);
    EXPECT_EQ(writes[1][8], before);
    EXPECT_EQ(back, chipBytes(0xC000, 4));
}

TEST_F(FlashSettings, FlashTestSettingOnlyWhereAllowed) {
    open(kNewer);
    pod->clearLog();
    ASSERT_EQ(Nandrel_Configure(target, 4, 0), 1) << error();
    EXPECT_EQ(requests(162).size(), 8u);
    const auto feed = requests(162);
    ASSERT_FALSE(feed.empty());
    // Mode 0 takes list B: its fifth entry writes 0xA507 to 0x012E.
    EXPECT_EQ(feed[4], (std::vector<uint8_t>{162, 0x40, 0xB2, 0xA5, 0x07, 0x01, 0x2E}));
    EXPECT_EQ(Nandrel_Configure(target, 4, 3), 0);
    EXPECT_EQ(errorNumber(), 3);
    Nandrel_CloseModule();
    open(kF1xx);
    EXPECT_EQ(Nandrel_Configure(target, 4, 1), 0);
    EXPECT_EQ(errorNumber(), 3);
}

// A newer-flash mass erase with segment A unlocked erases the information
// memory on its own with the faster standard timing, and leaves the slower
// standard timing (divider 32) for everything after it, whatever the flash
// timing the user configured before.
struct TimingRow {
    const char* name;
    int32_t item6;  // -1: left as the target starts
    uint32_t divider;
    bool chipTiming;
};

class FlashTimingAfterErase : public FlashTest, public ::testing::WithParamInterface<TimingRow> {};

TEST_P(FlashTimingAfterErase, IsTheSlowerStandardTimingAfterwards) {
    open(kNewer);
    if (GetParam().item6 >= 0) {
        ASSERT_EQ(Nandrel_Configure(target, 6, GetParam().item6), 1);
    }
    ASSERT_EQ(Nandrel_Configure(target, 5, 1), 1);
    const uint32_t infoLength = layout.infoEnd - layout.infoStart + 1u;
    ASSERT_EQ(Nandrel_Erase(target, NANDREL_ERASE_ALL, layout.infoStart, infoLength), 1) << error();
    EXPECT_EQ(t->flashSettings().flashClockDivider, GetParam().divider);
    EXPECT_EQ(t->flashSettings().alternativeFlashTiming, GetParam().chipTiming);
    // A read of the flash puts the standard timing into FCTL1, as it does
    // whenever the standard timing is chosen.
    pod->clearLog();
    uint8_t bytes[2] = {};
    ASSERT_EQ(Nandrel_ReadMemory(target, layout.infoStart, bytes, 2), 1) << error();
    bool fctl1Written = false;
    for (const auto& r : requests(106))
        fctl1Written = fctl1Written || (r[3] == 0x01 && r[4] == 0x28);
    EXPECT_EQ(fctl1Written, !GetParam().chipTiming);
}

INSTANTIATE_TEST_SUITE_P(Timings, FlashTimingAfterErase,
                         ::testing::Values(TimingRow{"LeftAtTheChipsOwn", -1, 32, false},
                                           TimingRow{"Divider32Chosen", 0, 32, false},
                                           TimingRow{"Divider16Chosen", 1, 32, false},
                                           TimingRow{"ChipsOwnChosen", 2, 32, false}),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
