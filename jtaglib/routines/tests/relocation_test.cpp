#include <gtest/gtest.h>

#include <vector>

#include "nandrel/routines/flash_routines.h"
#include "nandrel/routines/relocation.h"

namespace nandrel::routines {
namespace {

TEST(Relocation, AddsTheDistanceToAddressWords) {
    std::vector<std::uint16_t> w = WriteRoutine();
    const std::vector<std::uint16_t> original = w;
    ASSERT_TRUE(RelocateRoutine(w, RoutineId::Write, 0x0500));
    EXPECT_EQ(w[0], 0x0500);
    EXPECT_EQ(w[1], original[1] + 0x0300);
    EXPECT_EQ(w[2], original[2] + 0x0300);
    // The data address moves by the distance: 0x026C becomes 0x056C, not 0x076C.
    EXPECT_EQ(w[WriteWords::kDataAddress], 0x056C);
    for (std::size_t i = 3; i < w.size(); ++i) {
        if (i != WriteWords::kDataAddress) {
            EXPECT_EQ(w[i], original[i]) << "word " << i;
        }
    }
}

TEST(Relocation, MovesFromWhereverTheRoutineIs) {
    std::vector<std::uint16_t> twice = EraseRoutine();
    ASSERT_TRUE(RelocateRoutine(twice, RoutineId::Erase, 0x0500));
    ASSERT_TRUE(RelocateRoutine(twice, RoutineId::Erase, 0x1100));
    std::vector<std::uint16_t> once = EraseRoutine();
    ASSERT_TRUE(RelocateRoutine(once, RoutineId::Erase, 0x1100));
    EXPECT_EQ(twice, once);
    ASSERT_TRUE(RelocateRoutine(once, RoutineId::Erase, 0x0200));
    EXPECT_EQ(once, EraseRoutine());
}

TEST(Relocation, RefusesWhatCannotWork) {
    std::vector<std::uint16_t> w = EraseRoutine();
    const std::vector<std::uint16_t> original = w;
    EXPECT_FALSE(RelocateRoutine(w, RoutineId::Erase, 0x0501));
    EXPECT_FALSE(RelocateRoutine(w, RoutineId::Erase, 0xFFC0));  // would pass 0xFFFF
    EXPECT_EQ(w, original);
    std::vector<std::uint16_t> shortOne(10, 0);
    EXPECT_FALSE(RelocateRoutine(shortOne, RoutineId::Erase, 0x0500));
}

TEST(Relocation, RamFit) {
    // 256 bytes of RAM: 128 words.
    EXPECT_TRUE(RoutineFitsInRam(128, 0x0200, 0x02FF));
    EXPECT_FALSE(RoutineFitsInRam(129, 0x0200, 0x02FF));
    EXPECT_FALSE(RoutineFitsInRam(1, 0x0300, 0x02FF));
    EXPECT_EQ(MaxWriteBlockWords(RoutineId::Write, 0x0200, 0x02FF), 128u - 54u);
    EXPECT_EQ(MaxWriteBlockWords(RoutineId::WriteWide, 0x0200, 0x09FF), 1024u - 53u);
    EXPECT_EQ(MaxWriteBlockWords(RoutineId::Write, 0x0500, 0x07FF), 384u - 54u);
    EXPECT_EQ(MaxWriteBlockWords(RoutineId::Erase, 0x0200, 0x09FF), 0u);
    EXPECT_EQ(MaxWriteBlockWords(RoutineId::Write, 0x0200, 0x0260), 0u);
}

TEST(Relocation, MadeRoutinesCarryParametersAndData) {
    const std::vector<std::uint16_t> data = {1, 2, 3};
    WriteRequest write;
    write.address = 0xC000;
    write.data = data;
    write.newerFlash = true;
    const std::vector<std::uint16_t> w = MakeWriteRoutine(RoutineId::Write, write, 0x0500);
    ASSERT_EQ(w.size(), 54u + 3u);
    EXPECT_EQ(w[0], 0x0500);
    EXPECT_EQ(w[WriteWords::kAddress], 0xC000);
    EXPECT_EQ(w[WriteWords::kWordCount], 3);
    EXPECT_EQ(w[WriteWords::kTiming], 0xA54D);
    EXPECT_EQ(w[WriteWords::kDataAddress], 0x0500 + 2 * 54);
    EXPECT_EQ(w[54], 1);
    EXPECT_EQ(w[56], 3);

    write.address = 0x12345;
    const std::vector<std::uint16_t> wide = MakeWriteRoutine(RoutineId::WriteWide, write, 0x0200);
    ASSERT_EQ(wide.size(), 53u + 3u);
    EXPECT_EQ(wide[WriteWideWords::kAddressLow], 0x2345);
    EXPECT_EQ(wide[WriteWideWords::kAddressHigh], 0x0001);
    EXPECT_EQ(wide[WriteWideWords::kWordCount], 3);

    EraseRequest erase;
    erase.address = 0x1FE00;
    erase.wordCount = 0x10100;
    const std::vector<std::uint16_t> e = MakeEraseRoutine(RoutineId::EraseWide, erase, 0x0200);
    ASSERT_EQ(e.size(), 56u);
    EXPECT_EQ(e[6], 0xFE00);
    EXPECT_EQ(e[7], 0x0001);
    EXPECT_EQ(e[8], 0x0100);
    EXPECT_EQ(e[9], 0x0001);
}

TEST(Relocation, MadeRoutinesRefuseBadRequests) {
    const std::vector<std::uint16_t> data = {1};
    WriteRequest write;
    write.address = 0x10000;
    write.data = data;
    EXPECT_TRUE(MakeWriteRoutine(RoutineId::Write, write, 0x0200).empty());
    write.address = 0xC000;
    EXPECT_TRUE(MakeWriteRoutine(RoutineId::Erase, write, 0x0200).empty());
    EXPECT_TRUE(MakeWriteRoutine(RoutineId::Write, write, 0x0201).empty());
    write.data = {};
    EXPECT_TRUE(MakeWriteRoutine(RoutineId::Write, write, 0x0200).empty());
    EraseRequest erase;
    erase.address = 0x10000;
    EXPECT_TRUE(MakeEraseRoutine(RoutineId::Erase, erase, 0x0200).empty());
    EXPECT_TRUE(MakeEraseRoutine(RoutineId::EraseNewerFlash, erase, 0x0200).empty());
    EXPECT_FALSE(MakeEraseRoutine(RoutineId::EraseWide, erase, 0x0200).empty());
    EXPECT_TRUE(MakeEraseRoutine(RoutineId::Write, erase, 0x0200).empty());

    // Words that would reset or stop the chip.
    erase.address = 0xE000;
    ASSERT_FALSE(MakeEraseRoutine(RoutineId::Erase, erase, 0x0200).empty());
    erase.command = 0x9602;
    EXPECT_TRUE(MakeEraseRoutine(RoutineId::Erase, erase, 0x0200).empty());
    erase.command = 0xA502;
    erase.lock = 0x0010;
    EXPECT_TRUE(MakeEraseRoutine(RoutineId::Erase, erase, 0x0200).empty());
    erase.lock = 0xA500;
    erase.clockSelect = 0x0010;  // CPUOFF
    EXPECT_TRUE(MakeEraseRoutine(RoutineId::Erase, erase, 0x0200).empty());
    write.data = data;
    write.command = 0x0040;
    EXPECT_TRUE(MakeWriteRoutine(RoutineId::Write, write, 0x0200).empty());
}

}  // namespace
}  // namespace nandrel::routines
