// Programming on parts whose oscillators run slow or fast: every run either
// programs and verifies with the flash timing generator inside its rated
// 257..476 kHz on every erase and write, or fails with the clock error before
// it touches the flash. The chip model enforces the flash's rules throughout
// and counts every break.
#include <algorithm>
#include <cctype>

#include "flash_errors.h"
#include "flash_fixture.h"

namespace {

struct SweepCase {
    ChipProfile profile;
    double dco;
};

std::string Name(const ::testing::TestParamInfo<SweepCase>& info) {
    std::string name = std::string(info.param.profile.chip) + "_dco_" +
                       std::to_string(static_cast<int>(info.param.dco * 100));
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

class FlashClockSweep : public FlashTest, public ::testing::WithParamInterface<SweepCase> {
  protected:
    void SetUp() override {
        FlashTest::SetUp();
        open(GetParam().profile);
        if (HasFatalFailure()) return;
        chip().setDcoScale(GetParam().dco);
    }
};

// Up to 60 KB of main flash from its start: the whole main flash of the
// smaller parts.
TEST_P(FlashClockSweep, ProgramsInsideTheRatedRangeOrFailsWithTheClockError) {
    const uint32_t length = std::min<uint32_t>(60 * 1024, layout.mainEnd - layout.mainStart + 1);
    const std::vector<ImageSegment> image = {
        {layout.mainStart, pattern(layout.mainStart, length, 9)}};
    const std::string file = path("sweep.txt");
    writeFile(file, textImage(image));
    pokeBytes(layout.mainStart, pattern(layout.mainStart, 0x400, 1));  // old contents to erase

    const int32_t ok = Nandrel_ProgramFile(target, file.c_str(), NANDREL_PROGRAM_ERASE_MAIN, 1);
    if (GetParam().dco == 1.0) {
        EXPECT_EQ(ok, 1) << "a nominal part programs: " << error();
    }
    const kv::sim::FlashController& flash = chip().flash();
    const kv::sim::FlashRuleBreaks& breaks = flash.ruleBreaks();
    EXPECT_EQ(breaks.clock, 0u);
    EXPECT_EQ(breaks.programTime, 0u);
    EXPECT_EQ(breaks.massErase, 0u);
    EXPECT_EQ(breaks.blockRow, 0u);
    RecordProperty("programmed", ok);
    RecordProperty("ftg_low_hz", static_cast<int>(flash.lowestTimingFrequency()));
    RecordProperty("ftg_high_hz", static_cast<int>(flash.highestTimingFrequency()));
    if (ok) {
        EXPECT_GE(flash.lowestTimingFrequency(), 257e3);
        EXPECT_LE(flash.highestTimingFrequency(), 476e3);
        EXPECT_EQ(chipBytes(layout.mainStart, length), image[0].bytes);
        EXPECT_EQ(Nandrel_VerifyFile(target, file.c_str()), 1) << error();
    } else {
        EXPECT_EQ(errorNumber(), nandrel::kErrFrequency) << error();
        EXPECT_EQ(flash.lowestTimingFrequency(), 0);  // no erase or write ran
    }
}

std::vector<SweepCase> Cases() {
    std::vector<SweepCase> cases;
    for (const ChipProfile& p : {kF1xx, kF2xx, kWide, kNewer})
        for (double dco : {0.4, 0.41, 0.5, 0.7, 1.0, 1.5, 2.0, 3.0, 4.0, 5.3, 5.5, 5.7, 6.0})
            cases.push_back({p, dco});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Parts, FlashClockSweep, ::testing::ValuesIn(Cases()), Name);

}  // namespace
