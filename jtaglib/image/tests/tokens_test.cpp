#include <gtest/gtest.h>

#include "nandrel/image/hex_readers.h"
#include "segment_builder.h"

namespace nandrel {
namespace {

TEST(TrimHexToken, CutsLeadingBlanksAndTrailingLineEnds) {
    EXPECT_EQ(TrimHexToken("  @1100 \r\n"), "@1100");
    EXPECT_EQ(TrimHexToken("\t0A 1\t "), "0A 1");
    EXPECT_EQ(TrimHexToken(" \r\n"), "");
}

TEST(ParseTextHexAddress, AcceptsUpToEightDigitsAndTheLimit) {
    std::uint32_t address = 0;
    ASSERT_TRUE(ParseTextHexAddress("@1100", &address));
    EXPECT_EQ(address, 0x1100u);
    ASSERT_TRUE(ParseTextHexAddress("@40000", &address));
    EXPECT_EQ(address, 0x40000u);
    ASSERT_TRUE(ParseTextHexAddress("@ffe0", &address));
    EXPECT_EQ(address, 0xFFE0u);
    EXPECT_FALSE(ParseTextHexAddress("@40001", &address));
    ASSERT_TRUE(ParseTextHexAddress("@012345", &address));  // six digits, as other tools write
    EXPECT_EQ(address, 0x12345u);
    ASSERT_TRUE(ParseTextHexAddress("@00040000", &address));
    EXPECT_EQ(address, 0x40000u);
    EXPECT_FALSE(ParseTextHexAddress("@000040000", &address));  // nine digits
    EXPECT_FALSE(ParseTextHexAddress("@FFFFFFFF", &address));
    EXPECT_FALSE(ParseTextHexAddress("@", &address));
    EXPECT_FALSE(ParseTextHexAddress("@11G0", &address));
    EXPECT_FALSE(ParseTextHexAddress("@1100 x", &address));
}

TEST(ParseTextHexData, ReadsOneOrTwoDigitTokens) {
    std::uint8_t bytes[kMaxTextDataTokens];
    ASSERT_EQ(ParseTextHexData("0A 1", bytes), 2);
    EXPECT_EQ(bytes[0], 0x0A);
    EXPECT_EQ(bytes[1], 0x01);
    EXPECT_EQ(ParseTextHexData("ff\t00", bytes), 2);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(ParseTextHexData("100", bytes), -1);
    EXPECT_EQ(ParseTextHexData("0G", bytes), -1);
    EXPECT_EQ(ParseTextHexData("00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F", bytes), 16);
    EXPECT_EQ(ParseTextHexData("00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10", bytes), -1);
}

TEST(CheckHexRecord, ChecksFormCountChecksumAndType) {
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(CheckHexRecord(":0300300002337A1E", &bytes));
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0x03, 0x00, 0x30, 0x00, 0x02, 0x33, 0x7A, 0x1E}));
    EXPECT_TRUE(CheckHexRecord(":00000001FF", &bytes));
    EXPECT_TRUE(CheckHexRecord(":00000001ff", &bytes));
    EXPECT_FALSE(CheckHexRecord(":0300300002337A1F", &bytes));  // checksum one off
    EXPECT_FALSE(CheckHexRecord(":0400300002337A1D", &bytes));  // count does not match
    EXPECT_FALSE(CheckHexRecord(":00000006FA", &bytes));        // type 6
    EXPECT_FALSE(CheckHexRecord(":00000001F", &bytes));         // too short
    EXPECT_FALSE(CheckHexRecord(":00000001FF0", &bytes));       // even length
    EXPECT_FALSE(CheckHexRecord("000000001FF", &bytes));        // no colon
    EXPECT_FALSE(CheckHexRecord(":0000000XFF", &bytes));
}

TEST(SegmentBuilder, RefusesBytesBeyondItsWorkBuffer) {
    FreeHexBlockLists();
    SegmentBuilder builder(ImageMemoryLayout{}, 4);
    builder.start(0x200);
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(builder.append(0x11));
    EXPECT_FALSE(builder.append(0x22));
    builder.close();
    ASSERT_NE(OtherSegments().head(), nullptr);
    EXPECT_EQ(OtherSegments().head()->length(), 4u);
    FreeHexBlockLists();
}

TEST(ImageMemoryLayout, ReadsThePackedDeviceRecord) {
    unsigned char record[70] = {};
    record[36] = 0x00, record[37] = 0xC0;                     // main flash start
    record[38] = 0x00, record[39] = 0x10;                     // information start
    record[64] = 0xFF, record[65] = 0x10;                     // information end
    record[66] = 0xFF, record[67] = 0xFF, record[68] = 0x01;  // main flash end
    const ImageMemoryLayout layout = ImageMemoryLayout::fromDeviceRecord(record);
    EXPECT_EQ(layout.mainStart, 0xC000u);
    EXPECT_EQ(layout.infoStart, 0x1000u);
    EXPECT_EQ(layout.infoEnd, 0x10FFu);
    EXPECT_EQ(layout.mainEnd, 0x1FFFFu);
}

TEST(ImageMemoryLayout, ClassifiesByStartAddress) {
    const ImageMemoryLayout layout{0x1000, 0x10FF, 0xC000, 0xFFFF};
    EXPECT_TRUE(layout.isFlashSegment(0x1000));
    EXPECT_TRUE(layout.isFlashSegment(0x10FF));
    EXPECT_FALSE(layout.isFlashSegment(0x1100));
    EXPECT_FALSE(layout.isFlashSegment(0x0200));
    EXPECT_TRUE(layout.isFlashSegment(0xC000));
    EXPECT_TRUE(layout.isFlashSegment(0x10000));  // main flash end + 1
    EXPECT_FALSE(layout.isFlashSegment(0x10001));
}

}  // namespace
}  // namespace nandrel
