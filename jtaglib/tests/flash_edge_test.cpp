// The edge cases of erasing, writing, reading and verifying, and the chip
// state every flash operation must leave behind.
#include <gmock/gmock.h>
#include <sys/resource.h>

#include <cmath>
#include <csignal>
#include <filesystem>

#include "flash_fixture.h"

namespace {

constexpr uint8_t kExecuteRelease = 194;
constexpr uint8_t kVerifyPsa = 92;

class FlashEdges : public FlashTest {};

uint32_t be32(const std::vector<uint8_t>& r, size_t at) {
    // The request starts with the command byte.
    return (uint32_t{r[at + 1]} << 24) | (uint32_t{r[at + 2]} << 16) | (uint32_t{r[at + 3]} << 8) |
           r[at + 4];
}

TEST_F(FlashEdges, EraseOfAnUnknownTypeFailsBeforeAnyPodTraffic) {
    open(kF1xx);
    pod->clearLog();
    EXPECT_EQ(Nandrel_Erase(target, NANDREL_ERASE_ALL + 1, 0x1100, 0x200), 0);
    EXPECT_EQ(errorNumber(), 3);
    EXPECT_TRUE(pod->records().empty());
    EXPECT_EQ(Nandrel_Erase(target, NANDREL_ERASE_MAIN, 0xFF00, 0x101), 0);
    EXPECT_EQ(errorNumber(), 3);
}

TEST_F(FlashEdges, SegmentEraseOutsideTheFlashFailsBeforeAnyPodTraffic) {
    open(kF1xx);
    pod->clearLog();
    for (uint32_t address : {0x0C00u, 0x0E80u, 0x0200u, 0x0000u}) {
        EXPECT_EQ(Nandrel_Erase(target, NANDREL_ERASE_SEGMENT, address, 2), 0) << std::hex << address;
        EXPECT_EQ(errorNumber(), 3);
    }
    EXPECT_TRUE(pod->records().empty());
    EXPECT_EQ(Nandrel_Erase(target, NANDREL_ERASE_SEGMENT, 0x1000, 0x80), 1) << error();
}

TEST_F(FlashEdges, SegmentEraseOfNoBytesRestoresTheChipAndFails) {
    open(kF1xx);
    const std::vector<uint8_t> low = {0x12, 0x34, 0x56, 0x78};
    ASSERT_EQ(Nandrel_WriteMemory(target, 0, low.data(), 4), 1) << error();
    const auto before = chipBytes(0, 4);
    const uint8_t dco = chip().peek8(0x56);
    EXPECT_EQ(Nandrel_Erase(target, NANDREL_ERASE_SEGMENT, 0x2000, 0), 0);
    EXPECT_EQ(errorNumber(), 14);
    EXPECT_EQ(chipBytes(0, 4), before);
    EXPECT_EQ(chip().peek8(0x56), dco);
    EXPECT_NE(chip().flash().fctl3() & 0x10, 0) << "flash left locked";
}

TEST_F(FlashEdges, SegmentEraseOverSmallInformationSegments) {
    open(kF2xx);
    ASSERT_EQ(Nandrel_Configure(target, 5, 1), 1);
    pokeBytes(0x1000, pattern(0x1000, 0x100));
    pod->clearLog();
    ASSERT_EQ(Nandrel_Erase(target, NANDREL_ERASE_SEGMENT, 0x1000, 0x100), 1) << error();
    EXPECT_TRUE(allErased(0x1000, 0x100));
    EXPECT_EQ(routineRuns(), 5u) << "four segments and the closing erase";
    const auto runs = requests(kExecuteRelease);
    ASSERT_FALSE(runs.empty());
}

TEST_F(FlashEdges, MassEraseKeepsSegmentAUnlessUnlocked) {
    open(kF2xx);
    pokeBytes(0x1000, pattern(0x1000, 0x100));
    ASSERT_EQ(Nandrel_Erase(target, NANDREL_ERASE_ALL, 0x8000, 0x8000), 1) << error();
    EXPECT_TRUE(allErased(0x1000, 0xC0));
    EXPECT_EQ(chipBytes(0x10C0, 0x40), pattern(0x10C0, 0x40));
    EXPECT_TRUE(allErased(0x8000, 0x8000));
    EXPECT_NE(chip().flash().fctl3() & 0x40, 0) << "segment A locked again";

    ASSERT_EQ(Nandrel_Configure(target, 5, 1), 1);
    ASSERT_EQ(Nandrel_Erase(target, NANDREL_ERASE_ALL, 0x1000, 0x100), 1) << error();
    EXPECT_TRUE(allErased(0x1000, 0x100));
    EXPECT_NE(chip().flash().fctl3() & 0x40, 0) << "the lock is put back as it was";
    EXPECT_NE(chip().flash().fctl3() & 0x10, 0);
}

TEST_F(FlashEdges, AFailingSegmentFailsTheWholeErase) {
    open(kF2xx);
    chip().addStuckBit({0x1010, 3, false});
    pokeBytes(0x1010, {0x00});
    EXPECT_EQ(Nandrel_Erase(target, NANDREL_ERASE_ALL, 0x8000, 0x8000), 0);
    EXPECT_EQ(errorNumber(), 14);
    EXPECT_THAT(error(), ::testing::HasSubstr("Unable to erase cell at 00001010"));
    // A segment erase stops at the first failing segment.
    ASSERT_EQ(Nandrel_Configure(target, 5, 1), 1);
    pokeBytes(0x1040, {0x00});
    EXPECT_EQ(Nandrel_Erase(target, NANDREL_ERASE_SEGMENT, 0x1000, 0x80), 0);
    EXPECT_EQ(errorNumber(), 14);
    EXPECT_EQ(chip().peek8(0x1040), 0x00);
}

TEST_F(FlashEdges, OddFlashWritesTakeTheNeighbourFromTheChip) {
    open(kF1xx);
    ASSERT_EQ(Nandrel_Erase(target, NANDREL_ERASE_SEGMENT, 0x2000, 0x200), 1) << error();
    const std::vector<uint8_t> first = {0x11};
    ASSERT_EQ(Nandrel_WriteMemory(target, 0x2000, first.data(), 1), 1) << error();
    const std::vector<uint8_t> data = {0xA1, 0xB2, 0xC3};
    const std::vector<uint8_t> copy = data;
    ASSERT_EQ(Nandrel_WriteMemory(target, 0x2001, data.data(), 3), 1) << error();
    EXPECT_EQ(chipBytes(0x2000, 5), (std::vector<uint8_t>{0x11, 0xA1, 0xB2, 0xC3, 0xFF}));
    EXPECT_EQ(data, copy);
}

TEST_F(FlashEdges, WritesOutsideRamAndFlashAreRefused) {
    open(kF2xx);
    const std::vector<uint8_t> data(0x20, 0x55);
    EXPECT_EQ(Nandrel_WriteMemory(target, 0x0FF0, data.data(), 0x20), 0);
    EXPECT_EQ(errorNumber(), 7);
    EXPECT_EQ(Nandrel_WriteMemory(target, 0x1100, data.data(), 0x20), 0);
    EXPECT_EQ(errorNumber(), 7);
    EXPECT_EQ(Nandrel_WriteMemory(target, 0xFFF0, nullptr, 0x10), 0);
    EXPECT_EQ(errorNumber(), 3);
    EXPECT_EQ(Nandrel_WriteMemory(target, 0xFFF0, data.data(), 0x11), 0);
    EXPECT_EQ(errorNumber(), 3);
    EXPECT_EQ(Nandrel_WriteMemory(target, 0x0300, data.data(), 0), 1);
}

TEST_F(FlashEdges, AReadPastTheLastAddressNamesItsEnd) {
    open(kF1xx);
    std::vector<uint8_t> back(0x200);
    EXPECT_EQ(Nandrel_ReadMemory(target, 0xFF00, back.data(), 0x200), 0);
    EXPECT_STREQ(Nandrel_GetLastTargetError(target),
                 "Invalid parameter(s):\nThe range 0FF00-100FF ends past 0FFFF, the device's last "
                 "address");
    EXPECT_EQ(errorNumber(), 3);
    EXPECT_EQ(Nandrel_ReadOutFile(target, "never.txt", 1, 0xFFFF, 2), 0);
    EXPECT_STREQ(Nandrel_GetLastTargetError(target),
                 "Invalid parameter(s):\nThe range 0FFFF-10000 ends past 0FFFF, the device's last "
                 "address");
    EXPECT_EQ(errorNumber(), 3);
    EXPECT_EQ(Nandrel_ReadMemory(target, 0xFF00, back.data(), 0x100), 1) << error();
}

TEST_F(FlashEdges, VerifyingAcross64KiBSplitsTheSignature) {
    open(kWide);
    std::vector<uint8_t> data = chipBytes(0xFFFF, 16384);
    pod->clearLog();
    ASSERT_EQ(Nandrel_VerifyMem(target, 0xFFFF, 16384, data.data()), 1) << error();
    const auto psa = requests(kVerifyPsa);
    ASSERT_EQ(psa.size(), 1u);
    EXPECT_EQ(be32(psa[0], 0), 0x10000u);
    EXPECT_EQ((psa[0][5] << 8) | psa[0][6], 8191);
    data[100] ^= 1;
    EXPECT_EQ(Nandrel_VerifyMem(target, 0xFFFF, 16384, data.data()), 0);
    EXPECT_EQ(errorNumber(), 28);
    EXPECT_THAT(error(), ::testing::HasSubstr("VerifyPSA returned"));
}

TEST_F(FlashEdges, SignatureOfFourBytes) {
    open(kF1xx);
    const std::vector<uint8_t> data = {1, 2, 3, 4};
    pokeBytes(0x1100, data);
    pod->clearLog();
    ASSERT_EQ(Nandrel_VerifyMem(target, 0x1100, 4, data.data()), 1) << error();
    const auto psa = requests(kVerifyPsa);
    ASSERT_EQ(psa.size(), 1u);
    EXPECT_EQ(be32(psa[0], 0), 0x1100u);
    EXPECT_EQ(Nandrel_EraseCheck(target, 0x1100, 4), 0);
    EXPECT_EQ(errorNumber(), 28);
    EXPECT_THAT(error(), ::testing::HasSubstr("expected 53F2"));
}

TEST_F(FlashEdges, SupplyLimits) {
    open(kF1xx);
    EXPECT_EQ(Nandrel_VCC(target, 3601), 0);
    EXPECT_EQ(errorNumber(), 3);
    EXPECT_EQ(Nandrel_VCC(target, 0), 1);
    EXPECT_FALSE(chip().powered());
}

TEST_F(FlashEdges, ReadOutOfAnOddLengthWritesEveryByteAskedFor) {
    open(kF1xx);
    pokeBytes(0x1000, {0x10, 0x20, 0x30, 0x40, 0x50});
    const std::string out = path("odd.txt");
    ASSERT_EQ(Nandrel_ReadOutFile(target, out.c_str(), 1, 0x1000, 5), 1) << error();
    EXPECT_EQ(readFile(out), "@1000\n10 20 30 40 50 \nq\n");
    ASSERT_EQ(Nandrel_ReadOutFile(target, out.c_str(), 2, 0x1000, 5), 1) << error();
    EXPECT_EQ(readFile(out), ":051000001020304050FB\n:00000001FF\n");
    ASSERT_EQ(Nandrel_ReadOutFile(target, out.c_str(), 1, 0x1001, 1), 1) << error();
    EXPECT_EQ(readFile(out), "@1001\n20 \nq\n");
    EXPECT_EQ(Nandrel_ReadOutFile(target, out.c_str(), 3, 0x1000, 5), 0);
    EXPECT_EQ(Nandrel_ReadOutFile(target, nullptr, 1, 0x1000, 5), 0);
    EXPECT_EQ(errorNumber(), 3);
}

// A read-out that cannot be written whole (a file size limit, a full disk
// alike) fails with the file error and leaves the previous read-out whole,
// with nothing beside it.
TEST_F(FlashEdges, AReadOutThatCannotBeWrittenKeepsThePreviousOne) {
    open(kF1xx);
    const std::string out = path("kept.txt");
    const std::string previous(8192, 'p');
    writeFile(out, previous);
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit before{};
    ::getrlimit(RLIMIT_FSIZE, &before);
    rlimit limit = before;
    limit.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    for (int32_t type : {1, 2}) {
        EXPECT_EQ(Nandrel_ReadOutFile(target, out.c_str(), type, 0x1100, 0x2000), 0) << type;
        EXPECT_EQ(errorNumber(), 26) << type;
        EXPECT_TRUE(readFile(out) == previous) << type << ": " << readFile(out).size() << " bytes";
    }
    ::setrlimit(RLIMIT_FSIZE, &before);
    size_t files = 0;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::filesystem::path(out).parent_path()))
        files += entry.path().filename().string().starts_with("kept.txt");
    EXPECT_EQ(files, 1u) << "a temporary file is left";
    ASSERT_EQ(Nandrel_ReadOutFile(target, out.c_str(), 1, 0x1100, 0x2000), 1) << error();
    EXPECT_TRUE(readFile(out).starts_with("@1100\n"));
}

TEST_F(FlashEdges, ASegmentAcrossTheInformationMainBoundary) {
    open(kF1xx);
    const std::string file = path("span.txt");
    writeFile(file, textImage({{0x10F0, pattern(0x10F0, 0x20)}}));
    ASSERT_EQ(Nandrel_ProgramFile(target, file.c_str(), NANDREL_PROGRAM_ERASE_ALL, 1), 1) << error();
    EXPECT_EQ(chipBytes(0x10F0, 0x20), pattern(0x10F0, 0x20));
    Nandrel_CloseModule();

    open(kF2xx);
    EXPECT_EQ(Nandrel_ProgramFile(target, file.c_str(), NANDREL_PROGRAM_ERASE_NONE, 1), 0);
    EXPECT_EQ(errorNumber(), 27);
}

TEST_F(FlashEdges, ASegmentLargerThanTheFlashIsAFileDataError) {
    open(kF2xx);
    const std::string file = path("big.txt");
    writeFile(file, textImage({{0x8000, std::vector<uint8_t>(0x8001, 0x12)}}));
    EXPECT_EQ(Nandrel_ProgramFile(target, file.c_str(), NANDREL_PROGRAM_ERASE_NONE, 1), 0);
    EXPECT_EQ(errorNumber(), 27);
    EXPECT_EQ(Nandrel_ProgramFile(target, path("missing.txt").c_str(), NANDREL_PROGRAM_ERASE_NONE, 1), 0);
    EXPECT_EQ(errorNumber(), 23);
}

TEST_F(FlashEdges, RoutinesRunAtTheRamStartOfTheClass) {
    open(kNewer);
    const auto data = pattern(0xC000, 0x600);
    ASSERT_EQ(Nandrel_Erase(target, NANDREL_ERASE_MAIN, 0xC000, 0x4000), 1) << error();
    pod->clearLog();
    ASSERT_EQ(Nandrel_WriteMemory(target, 0xC000, data.data(), 0x600), 1) << error();
    EXPECT_EQ(chipBytes(0xC000, 0x600), data);
    for (const auto& r : requests(kExecuteRelease)) {
        EXPECT_GE(be32(r, 0), 0x0500u);
        EXPECT_LE(be32(r, 0), 0x07FFu);
    }
    // Blocks fit in the RAM left behind the routine: no word goes past its end.
    for (const auto& r : requests(106)) {
        const uint32_t at = be32(r, 0) & 0xFFFFF;
        const uint32_t words = (r[5] << 8) | r[6];
        if (at >= 0x0500 && at < 0x0800) {
            EXPECT_LE(at + 2 * words, 0x0800u);
        }
    }
}

TEST_F(FlashEdges, TheWatchdogIsShadowedAndTheCallersDataKept) {
    open(kF1xx);
    const std::vector<uint8_t> data = {0x12, 0x34, 0x77, 0x88};
    const std::vector<uint8_t> copy = data;
    ASSERT_EQ(Nandrel_WriteMemory(target, 0x0120, data.data(), 4), 1) << error();
    EXPECT_EQ(data, copy);
    EXPECT_EQ(chip().read16(0x0120) >> 8, 0x69) << "never written";
    EXPECT_EQ(chip().peek8(0x0122), 0x77);
    EXPECT_EQ(t->shadows().watchdogShadow, 0x5A12);
    std::vector<uint8_t> back(2);
    ASSERT_EQ(Nandrel_ReadMemory(target, 0x0120, back.data(), 2), 1) << error();
    EXPECT_EQ(back[0], 0x12);
    // The hold around a signature keeps the password in the shadow.
    ASSERT_EQ(Nandrel_EraseCheck(target, 0x3000, 4), 1) << error();
    EXPECT_EQ(t->shadows().watchdogShadow >> 8, 0x5A);
}

TEST_F(FlashEdges, SfrBytesAreMasked) {
    open(kF1xx);
    std::vector<uint8_t> back(6);
    const std::vector<uint8_t> ones(6, 0xFF);
    ASSERT_EQ(Nandrel_WriteMemory(target, 0, ones.data(), 6), 1) << error();
    ASSERT_EQ(Nandrel_ReadMemory(target, 0, back.data(), 6), 1) << error();
    const auto& masks = nandrel::device::GetDeviceClass(7).sfrMasks;
    for (size_t i = 0; i < 6; ++i)
        EXPECT_EQ(back[i] & ~masks[i], 0) << i;
}

TEST_F(FlashEdges, AClockThatCannotBeSetFailsWithError13) {
    open(kF1xx);
    chip().setDcoScale(20.0);
    pod->clearLog();
    EXPECT_EQ(Nandrel_Erase(target, NANDREL_ERASE_SEGMENT, 0x2000, 0x200), 0);
    EXPECT_EQ(errorNumber(), 13);
    EXPECT_LT(requests(kExecuteRelease).size(), 3u * 8 * 8) << "the search is bounded";
    EXPECT_NE(chip().flash().fctl3() & 0x10, 0);
}

TEST_F(FlashEdges, WriteTwiceDevicesTryEachSegmentTwice) {
    open(kF1xx, 11);  // a class with the write-twice flag
    const std::string a = path("a.txt");
    writeFile(a, textImage({{0xE000, pattern(0xE000, 0x40, 1)}}));
    ASSERT_EQ(Nandrel_ProgramFile(target, a.c_str(), NANDREL_PROGRAM_ERASE_MAIN, 1), 1) << error();
    writeFile(a, textImage({{0xE000, pattern(0xE000, 0x40, 2)}}));
    pod->clearLog();
    EXPECT_EQ(Nandrel_ProgramFile(target, a.c_str(), NANDREL_PROGRAM_ERASE_NONE, 1), 0);
    EXPECT_EQ(errorNumber(), 7);
    EXPECT_EQ(routineRuns(), 2u);
}

TEST_F(FlashEdges, WideWriteRetriesStayInsideTheRowsProgramTime) {
    open(kWide);
    // A cell that never programs: each of the 7 runs stops at its word.
    chip().addStuckBit({0x3046, 2, true});
    const std::vector<uint8_t> data(0x80, 0x00);
    pod->clearLog();
    EXPECT_EQ(Nandrel_WriteMemory(target, 0x3000, data.data(), 0x80), 0);
    EXPECT_EQ(errorNumber(), 7);
    EXPECT_THAT(error(), ::testing::HasSubstr("Flash write failed at 00003046"));
    EXPECT_EQ(routineRuns(), 7u);
    // The retries start at the word that failed: the words before it are
    // programmed once, that word seven times.
    const double perWord = 30 / chip().flash().lastTimingFrequency();
    EXPECT_NEAR(chip().flash().rowProgramSeconds(0x3000), 32 * perWord, perWord / 10);
    EXPECT_NEAR(chip().flash().rowProgramSeconds(0x3040), (3 + 7) * perWord, perWord / 10);
    EXPECT_LT(chip().flash().rowProgramSeconds(0x3040), chip().profile().cumulativeProgramSeconds);
    EXPECT_EQ(chip().flash().ruleBreaks().programTime, 0u);
    EXPECT_EQ(chipBytes(0x3000, 0x46), std::vector<uint8_t>(0x46, 0x00));
}

// A blank chip passes the erase check after the first run, yet its cells need
// 200 ms of mass or main erase in all as much as a programmed chip's.
TEST_F(FlashEdges, OlderFlashEraseMeetsTheCumulativeTimeWhateverTheChipHolds) {
    struct Case {
        const char* what;
        int32_t type;
        bool programmed;
    };
    for (const Case& c : {Case{"main erase of a blank chip", 1, false},
                          Case{"mass erase of a blank chip", 2, false},
                          Case{"main erase of a programmed chip", 1, true}}) {
        open(kF1xx);
        if (c.programmed) pokeBytes(0x1100, pattern(0x1100, 0x400));
        pod->clearLog();
        ASSERT_EQ(Nandrel_Erase(target, c.type, 0x1100, 0xEF00), 1) << c.what << ": " << error();
        EXPECT_TRUE(allErased(0x1100, 0xEF00)) << c.what;
        EXPECT_TRUE(chip().flash().shortErasedSegments().empty()) << c.what;
        const double each = 5297 / chip().flash().lastTimingFrequency();
        EXPECT_GE(static_cast<double>(routineRuns()) * each, 0.2) << c.what;
        EXPECT_LE(routineRuns(), 19u) << c.what;
        const std::vector<uint8_t> data = pattern(0x2000, 0x40);
        ASSERT_EQ(Nandrel_WriteMemory(target, 0x2000, data.data(), 0x40), 1) << error();
        EXPECT_EQ(chip().flash().ruleBreaks().total(), 0u) << c.what;
    }
}

// The runs of an older-flash mass erase follow the clock the search measured,
// taken a tenth fast: on parts that measure low, in the middle and high in the
// search's window, 200 ms are reached even on a clock a tenth faster than the
// one that erased, and one run fewer would not reach them.
TEST_F(FlashEdges, OlderFlashEraseRunsKeepTheClockMargin) {
    struct Row {
        const char* what;
        double dco;
        double dcoMaxHz;  // 0: no limit
        size_t runs;
    };
    for (const Row& row :
         {Row{"a DCO that stops at 1.44 MHz", 1.0, 1.44e6, 12}, Row{"a slow part", 0.4, 0, 14},
          Row{"a nominal part", 1.0, 0, 17}, Row{"a fast part", 4.4, 0, 18}}) {
        SCOPED_TRACE(row.what);
        open(kF1xx);
        chip().setDcoScale(row.dco);
        chip().setDcoLimits(0, row.dcoMaxHz);
        pokeBytes(0x1100, pattern(0x1100, 0x400));
        pod->clearLog();
        ASSERT_EQ(Nandrel_Erase(target, NANDREL_ERASE_ALL, 0x1100, 0xEF00), 1) << error();
        const double fast = std::min(chip().flash().lastTimingFrequency() * 1.1, 476e3);
        const double seconds = 5297 / fast;  // one run on the fast clock
        const size_t runs = routineRuns();
        EXPECT_GE(static_cast<double>(runs) * seconds, 0.2);
        EXPECT_LT(static_cast<double>(runs - 1) * seconds, 0.2);
        EXPECT_EQ(runs, row.runs);
        EXPECT_TRUE(allErased(0x1100, 0xEF00));
        EXPECT_EQ(chip().reportRuleBreaks(), 0u);
        Nandrel_CloseModule();
    }
}

TEST_F(FlashEdges, NewerFlashMassEraseRunsOnce) {
    open(kF2xx);
    pokeBytes(0x8000, pattern(0x8000, 0x400));
    pod->clearLog();
    ASSERT_EQ(Nandrel_Erase(target, NANDREL_ERASE_MAIN, 0x8000, 0x8000), 1) << error();
    EXPECT_TRUE(allErased(0x8000, 0x8000));
    EXPECT_EQ(routineRuns(), 1u);
}

// The TMS430FCAS001 and TMS430EMU have RAM up to 0x0CFF: a write of the
// whole RAM lands in it, to the last byte.
TEST_F(FlashEdges, RamUpTo0x0CFFTakesTheData) {
    for (const ChipProfile& row : {ChipProfile{"row:48", 40}, ChipProfile{"row:51", 43}}) {
        open(row);
        const std::vector<uint8_t> data = pattern(0x0500, 0x0800, 3);
        ASSERT_EQ(Nandrel_WriteMemory(target, 0x0500, data.data(), 0x0800), 1) << error();
        EXPECT_EQ(chipBytes(0x0500, 0x0800), data) << row.chip;
        EXPECT_EQ(Nandrel_VerifyMem(target, 0x0500, 0x0800, data.data()), 1)
            << row.chip << ": " << error();
    }
}

TEST_F(FlashEdges, IdentifiedEndToEnd) {
    start(kF2xx.chip);
    DeviceRecord record{};
    ASSERT_EQ(Nandrel_Identify(target, &record, sizeof record, 0), 1) << error();
    EXPECT_STREQ(record.name, "MSP430F2274");
    const std::string file = path("e2e.hex");
    writeFile(file,
              intelImage({{0x8000, pattern(0x8000, 0x100)}, {0xFFE0, pattern(0xFFE0, 0x20)}}));
    ASSERT_EQ(Nandrel_ProgramFile(target, file.c_str(), NANDREL_PROGRAM_ERASE_MAIN, 1), 1) << error();
    EXPECT_EQ(chipBytes(0x8000, 0x100), pattern(0x8000, 0x100));
    EXPECT_EQ(Nandrel_VerifyFile(target, file.c_str()), 1) << error();
}

}  // namespace
