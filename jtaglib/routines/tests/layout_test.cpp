// Sizes, header words, parameter positions and chosen instruction words of
// every routine.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "kelvane/asm/msp430_disasm.h"
#include "nandrel/routines/clock_routines.h"
#include "nandrel/routines/flash_routines.h"
#include "routine_runner.h"

namespace nandrel::routines::test {
namespace {

struct Expected {
    RoutineId id;
    std::function<std::vector<std::uint16_t>()> build;
    std::size_t words;
    std::uint16_t load;
    std::size_t firstCode;  // the word after the parameters
};

const std::vector<Expected>& AllRoutines() {
    static const std::vector<Expected> list = {
        {RoutineId::Erase, EraseRoutine, 55, 0x0200, 8},
        {RoutineId::EraseNewerFlash, EraseNewerFlashRoutine, 51, 0x0200, 11},
        {RoutineId::EraseWide, EraseWideRoutine, 56, 0x0200, 10},
        {RoutineId::Write, WriteRoutine, 54, 0x0200, 9},
        {RoutineId::WriteWide, WriteWideRoutine, 53, 0x0200, 9},
        {RoutineId::ClockMeasureLoop, ClockMeasureLoopRoutine, 35, 0x0200, 6},
        {RoutineId::ClockMeasureBasic, ClockMeasureBasicRoutine, 24, 0x0200, 4},
        {RoutineId::ClockSetNewerFlash, ClockSetNewerFlashRoutine, 33, 0x0500, 7},
    };
    return list;
}

TEST(RoutineLayout, SizesAndHeaderWords) {
    for (const Expected& e : AllRoutines()) {
        const std::vector<std::uint16_t> w = e.build();
        const RoutineLayout& layout = GetRoutineLayout(e.id);
        SCOPED_TRACE(layout.name);
        EXPECT_EQ(w.size(), e.words);
        EXPECT_EQ(layout.words, e.words);
        EXPECT_EQ(layout.loadAddress, e.load);
        EXPECT_EQ(w[kLoadAddressWord], e.load);
        EXPECT_EQ(w[kEntryAddressWord], e.load + 2 * e.firstCode);
        const std::uint16_t end = static_cast<std::uint16_t>(e.load + 2 * e.words);
        EXPECT_GT(w[kExitAddressWord], w[kEntryAddressWord]);
        EXPECT_LT(w[kExitAddressWord], end);
        EXPECT_EQ(w[kExitAddressWord] & 1, 0);
    }
}

TEST(RoutineLayout, FixedParameterWords) {
    const std::vector<std::uint16_t> write = WriteRoutine();
    EXPECT_EQ(write[WriteWords::kTiming], 0xA544);
    EXPECT_EQ(write[16], 0xA544);
    EXPECT_EQ(write[WriteWords::kDataAddress], 0x0200 + 2 * 54);
    EXPECT_EQ(write[WriteWords::kCommand], 0xA540);

    const std::vector<std::uint16_t> newer = EraseNewerFlashRoutine();
    EXPECT_EQ(newer[6], 0xA54D);
    EXPECT_EQ(newer[7], 0xA500);
    EXPECT_EQ(newer[8], 0xA500);

    const std::vector<std::uint16_t> set = ClockSetNewerFlashRoutine();
    EXPECT_EQ(std::vector<std::uint16_t>(set.begin() + 3, set.begin() + 7),
              (std::vector<std::uint16_t>{0x0882, 0x0200, 0x4183, 0x10FF}));

    const std::vector<std::uint16_t> loop = ClockMeasureLoopRoutine();
    EXPECT_EQ(loop[4], 0x8080);
    EXPECT_EQ(loop[5], 0);
    EXPECT_EQ(LoopClockSetting(27), 27 * 8 << 8);
    EXPECT_EQ(BasicClockSetting(7, 3), 0x0760);
}

TEST(RoutineLayout, ResultRegisters) {
    EXPECT_EQ(GetRoutineLayout(RoutineId::Erase).resultRegister, 10);
    EXPECT_EQ(GetRoutineLayout(RoutineId::EraseWide).resultRegister, 10);
    EXPECT_EQ(GetRoutineLayout(RoutineId::Write).resultRegister, 8);
    EXPECT_EQ(GetRoutineLayout(RoutineId::WriteWide).resultRegister, 8);
    EXPECT_EQ(GetRoutineLayout(RoutineId::ClockMeasureBasic).resultRegister, 9);
    EXPECT_EQ(GetRoutineLayout(RoutineId::ClockMeasureLoop).resultHighRegister, 10);
    EXPECT_EQ(GetRoutineLayout(RoutineId::ClockSetNewerFlash).resultRegister, -1);
    EXPECT_EQ(GetRoutineLayout(RoutineId::Write).dataWord, 54u);
    EXPECT_EQ(GetRoutineLayout(RoutineId::WriteWide).dataWord, 53u);
}

// The instruction words, as written by hand from the instruction set, appear
// in the routine; a failure shows the routine's listing.
void ExpectSequence(const std::vector<std::uint16_t>& routine,
                    const std::vector<std::uint16_t>& sequence, const char* what) {
    const bool found = std::search(routine.begin(), routine.end(), sequence.begin(),
                                   sequence.end()) != routine.end();
    std::string expected;
    for (const auto& line : kv::asm430::disassemble(sequence, 0))
        expected += line + "\n";
    EXPECT_TRUE(found) << what << ": expected\n" << expected << "in\n" << Listing(routine);
}

TEST(RoutineCode, HandWrittenInstructionWords) {
    const std::vector<std::uint16_t> erase = EraseRoutine();
    ExpectSequence(erase, {0x40B2, 0x5A80, 0x0120}, "MOV #0x5A80,&WDTCTL");
    ExpectSequence(erase, {0xB392, 0x012C, 0x23FD}, "BIT #BUSY,&FCTL3 / JNZ $-4");
    ExpectSequence(erase, {0x438D, 0x0000}, "MOV #0,0(R13) (dummy write)");
    ExpectSequence(erase, {0x9D3F}, "CMP @R13+,R15");
    EXPECT_EQ(erase[8], 0x40B2) << Listing(erase);

    const std::vector<std::uint16_t> newer = EraseNewerFlashRoutine();
    ExpectSequence(newer, {0x4B38, 0x532B}, "MOV @R11+,R8 / ADD #2,R11 (past the second key)");
    ExpectSequence(newer, {0x4882, 0x0128}, "MOV R8,&FCTL1");

    const std::vector<std::uint16_t> wide = EraseWideRoutine();
    ExpectSequence(wide, {0x1840, 0x438D, 0x0000}, "MOVX.W #0,0(R13)");
    ExpectSequence(wide, {0x0B1D, 0x0B1E}, "MOVA @R11+,R13 / MOVA @R11+,R14");

    const std::vector<std::uint16_t> write = WriteRoutine();
    ExpectSequence(write, {0x40B2, 0xA544, 0x012A}, "MOV #0xA544,&FCTL2");
    ExpectSequence(write, {0x4B8D, 0x0000}, "MOV R11,0(R13)");
    EXPECT_EQ(write[15], 0x40B2) << Listing(write);

    const std::vector<std::uint16_t> writeWide = WriteWideRoutine();
    ExpectSequence(writeWide, {0x1840, 0x4BBD, 0x0000}, "MOVX.W @R11+,0(R13)");

    const std::vector<std::uint16_t> basic = ClockMeasureBasicRoutine();
    ExpectSequence(basic, {0x5319, 0x23FE, 0x531A, 0x3FFC}, "INC R9 / JNZ / INC R10 / JMP");
    const std::vector<std::uint16_t> loop = ClockMeasureLoopRoutine();
    ExpectSequence(loop, {0x5319, 0x630A, 0x3FFD}, "INC R9 / ADC R10 / JMP");
    ExpectSequence(loop, {0x4032, 0x0040}, "MOV #SCG0,SR");
    ExpectSequence(loop, {0x4BF2, 0x0051}, "MOV.B @R11+,&SCFI1");
    const std::vector<std::uint16_t> set = ClockSetNewerFlashRoutine();
    ExpectSequence(set, {0x4BB2, 0x0140, 0x4BB2, 0x0142}, "MOV @R11+,&0x0140 / &0x0142");
}

// Padding sits after the exit only, never in the running code.
TEST(RoutineCode, PaddingOnlyAfterTheExit) {
    for (const Expected& e : AllRoutines()) {
        const std::vector<std::uint16_t> w = e.build();
        const RoutineLayout& layout = GetRoutineLayout(e.id);
        const std::size_t exit = (w[kExitAddressWord] - w[kLoadAddressWord]) / 2u;
        const std::size_t end = layout.dataWord ? layout.dataWord : w.size();
        for (std::size_t i = e.firstCode; i < exit; ++i)
            EXPECT_NE(w[i], 0x4303) << layout.name << " word " << i << "\n" << Listing(w);
        for (std::size_t i = exit + 1; i < end; ++i) {
            if (e.id == RoutineId::ClockMeasureLoop || e.id == RoutineId::ClockMeasureBasic)
                break;  // the counting loop follows the exit
            EXPECT_EQ(w[i], 0x4303) << layout.name << " word " << i;
        }
    }
}

}  // namespace
}  // namespace nandrel::routines::test
