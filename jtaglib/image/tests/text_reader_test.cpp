#include <gtest/gtest.h>

#include "nandrel/image/hex_readers.h"
#include "segment_helpers.h"
#include "temp_dir.h"

namespace nandrel {
namespace {

using test::kLayout;
using test::summary;

class TextReader : public ::testing::Test {
  protected:
    void TearDown() override { FreeHexBlockLists(); }
    int read(const std::string& content) {
        return ReadTextHexFile(dir_.write("image.txt", content).c_str(), kLayout);
    }
    test::TempDir dir_;
};

TEST_F(TextReader, ContinuingAddressLineExtendsTheSegment) {
    ASSERT_EQ(read("@1100\n" + test::dataLine(0) + "@1110\n" + test::dataLine(16) + "q\n"), 0);
    ASSERT_EQ(summary(OtherSegments()), (test::SegmentSummary{{0x1100, 32}}));
    const HexSegment* s = OtherSegments().head();
    for (int i = 0; i < 32; ++i)
        EXPECT_EQ(s->data[i], i);
    EXPECT_EQ(FlashSegments().head(), nullptr);
}

TEST_F(TextReader, SortsSegmentsIntoListsInReverseFileOrder) {
    ASSERT_EQ(read("@0200\n01 02\n@1000\n03\n@C000\n04 05 06\n@F000\n07\n@1100\n08\nQ\n"), 0);
    EXPECT_EQ(summary(FlashSegments()),
              (test::SegmentSummary{{0xF000, 1}, {0xC000, 3}, {0x1000, 1}}));
    EXPECT_EQ(summary(OtherSegments()), (test::SegmentSummary{{0x1100, 1}, {0x0200, 2}}));
}

TEST_F(TextReader, BlankLinesCarriageReturnsAndShortTokens) {
    ASSERT_EQ(read("\r\n  @F000\r\n\r\n0A 1\r\n q \r\n\r\n"), 0);
    ASSERT_EQ(summary(FlashSegments()), (test::SegmentSummary{{0xF000, 2}}));
    EXPECT_EQ(FlashSegments().head()->data, (std::vector<std::uint8_t>{0x0A, 0x01}));
}

TEST_F(TextReader, AddressLineWithoutDataMakesNoSegment) {
    ASSERT_EQ(read("@F000\n@F100\n01\nq\n"), 0);
    EXPECT_EQ(summary(FlashSegments()), (test::SegmentSummary{{0xF100, 1}}));
}

TEST_F(TextReader, EmptiesTheListsBeforeReading) {
    ASSERT_EQ(read("@F000\n01\nq\n"), 0);
    ASSERT_EQ(read("@0200\n02\nq\n"), 0);
    EXPECT_EQ(FlashSegments().head(), nullptr);
    EXPECT_EQ(summary(OtherSegments()), (test::SegmentSummary{{0x0200, 1}}));
}

TEST_F(TextReader, MalformedFilesFail) {
    EXPECT_EQ(read("@F000\n" + test::dataLine(0)), -1);  // no end mark
    EXPECT_EQ(read("@F000\n01\nq\n02\n"), -1);           // data after the end mark
    EXPECT_EQ(read("@F000\n00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10\nq\n"), -1);
    EXPECT_EQ(read("01 02\n@F000\nq\n"), -1);  // data before any address
    EXPECT_EQ(read("@40001\n01\nq\n"), -1);
    EXPECT_EQ(read("@040001\n01\nq\n"), -1);
    EXPECT_EQ(read("@F000\n01 XY\nq\n"), -1);
    EXPECT_EQ(read("@F000\n01" + std::string(1100, ' ') + "02\nq\n"), -1);  // line too long
    EXPECT_EQ(ReadTextHexFile(dir_.path("missing.txt").c_str(), kLayout), kErrFileOpen);
}

TEST_F(TextReader, FailureNamesTheLine) {
    EXPECT_EQ(read("@F000\n01\n02 03 zz\nq\n"), -1);
    EXPECT_EQ(HexReadErrorDetail(), "Line 3: invalid data line");
    EXPECT_EQ(read("@F000\n01\n"), -1);
    EXPECT_EQ(HexReadErrorDetail(), "No end mark \"q\" at the end of the file");
    // Data that run on past the last address an image may hold.
    EXPECT_EQ(read("@3FFFF\n01 02 03\nq\n"), -1);
    EXPECT_EQ(HexReadErrorDetail(), "Line 2: data above 40000");
    EXPECT_EQ(read("@40000\n01\n02\nq\n"), -1);
    EXPECT_EQ(HexReadErrorDetail(), "Line 3: data above 40000");
    EXPECT_EQ(read("@3FFFF\n01 02\nq\n"), 0);
}

TEST_F(TextReader, SegmentMustStayBelowTheSizeLimit) {
    std::string body = "@0000\n";
    for (std::uint32_t i = 0; i < kMaxTextSegment / 16 - 1; ++i)
        body += test::dataLine(i);
    body += "00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E\n";  // 0x3FFFF bytes in all
    ASSERT_EQ(read(body + "q\n"), 0);
    EXPECT_EQ(summary(OtherSegments()), (test::SegmentSummary{{0, kMaxTextSegment - 1}}));
    EXPECT_EQ(read(body + "0F\nq\n"), -1);
}

TEST_F(TextReader, EndMarkClosesTheSegmentForLaterAddressLines) {
    // Data after an end mark go into a segment of their own.
    ASSERT_EQ(read("@F000\n01\nq\n@F001\n02\nq\n"), 0);
    EXPECT_EQ(summary(FlashSegments()), (test::SegmentSummary{{0xF001, 1}, {0xF000, 1}}));
}

}  // namespace
}  // namespace nandrel
