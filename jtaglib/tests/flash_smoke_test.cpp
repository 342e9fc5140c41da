#include "flash_fixture.h"

namespace {

class FlashSmoke : public FlashTest {};

TEST_F(FlashSmoke, EraseWriteRead) {
    open(kF1xx);
    ASSERT_EQ(Nandrel_Erase(target, NANDREL_ERASE_MAIN, 0x1100, 0xEF00), 1) << error();
    EXPECT_TRUE(allErased(0x1100, 0xEF00));
    const auto data = pattern(0x2000, 300);
    ASSERT_EQ(Nandrel_WriteMemory(target, 0x2000, data.data(), 300), 1) << error();
    EXPECT_EQ(chipBytes(0x2000, 300), data);
    std::vector<uint8_t> back(300);
    ASSERT_EQ(Nandrel_ReadMemory(target, 0x2000, back.data(), 300), 1) << error();
    EXPECT_EQ(back, data);
    EXPECT_EQ(Nandrel_VerifyMem(target, 0x2000, 300, data.data()), 1) << error();
    EXPECT_EQ(Nandrel_EraseCheck(target, 0x3000, 0x1000), 1) << error();
    EXPECT_EQ(Nandrel_EraseCheck(target, 0x2000, 0x10), 0);
}

// The prototype keeps its information memory below main flash, in 128-byte
// segments: erasing all of it erases both.
TEST_F(FlashSmoke, TheInformationMemoryOfAnF11x1PrototypeErasesWhole) {
    open({"MSP430F11x1-prototype", 1});
    pokeBytes(0xEF00, pattern(0xEF00, 0x100));
    ASSERT_EQ(Nandrel_Erase(target, NANDREL_ERASE_SEGMENT, 0xEF00, 0x100), 1) << error();
    EXPECT_TRUE(allErased(0xEF00, 0x100));
}

}  // namespace
