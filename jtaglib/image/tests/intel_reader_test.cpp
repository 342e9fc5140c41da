#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "nandrel/image/hex_readers.h"
#include "segment_helpers.h"
#include "temp_dir.h"

namespace nandrel {
namespace {

using test::kLayout;
using test::summary;

std::string record(int type, unsigned address, const std::vector<std::uint8_t>& data) {
    char text[8];
    unsigned sum = static_cast<unsigned>(data.size()) + (address >> 8) + (address & 0xFF) +
                   static_cast<unsigned>(type);
    std::snprintf(text, sizeof text, ":%02X", static_cast<unsigned>(data.size()));
    std::string line = text;
    std::snprintf(text, sizeof text, "%04X%02X", address & 0xFFFF, type);
    line += text;
    for (std::uint8_t b : data) {
        std::snprintf(text, sizeof text, "%02X", b);
        line += text;
        sum += b;
    }
    std::snprintf(text, sizeof text, "%02X\n", (0x100 - (sum & 0xFF)) & 0xFF);
    return line + text;
}

const std::string kEnd = ":00000001FF\n";

// Every segment read, flash list first.
test::SegmentSummary bothLists() {
    test::SegmentSummary all = summary(FlashSegments());
    const test::SegmentSummary other = summary(OtherSegments());
    all.insert(all.end(), other.begin(), other.end());
    return all;
}

class IntelReader : public ::testing::Test {
  protected:
    void TearDown() override { FreeHexBlockLists(); }
    int read(const std::string& content) {
        return ReadIntelHexFile(dir_.write("image.hex", content).c_str(), kLayout);
    }
    test::TempDir dir_;
};

TEST_F(IntelReader, ContiguousRecordsFormOneSegment) {
    ASSERT_EQ(read(record(0, 0xF000, {1, 2, 3, 4}) + record(0, 0xF004, {5, 6}) +
                   record(0, 0x0200, {7}) + kEnd),
              0);
    EXPECT_EQ(summary(FlashSegments()), (test::SegmentSummary{{0xF000, 6}}));
    EXPECT_EQ(FlashSegments().head()->data, (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(summary(OtherSegments()), (test::SegmentSummary{{0x0200, 1}}));
}

TEST_F(IntelReader, ExtendedAddressRecordsSetTheBase) {
    ASSERT_EQ(read(record(4, 0, {0x00, 0x01}) + record(0, 0x0010, {0xAA}) + kEnd), 0);
    EXPECT_EQ(summary(OtherSegments()), (test::SegmentSummary{{0x10010, 1}}));
    ASSERT_EQ(read(record(2, 0, {0x10, 0x00}) + record(0, 0x0020, {0xBB}) + kEnd), 0);
    EXPECT_EQ(summary(OtherSegments()), (test::SegmentSummary{{0x10020, 1}}));
    EXPECT_EQ(read(record(4, 0, {0x00, 0x05}) + kEnd), -1);  // base above the limit
    EXPECT_EQ(read(record(4, 0, {0x01}) + kEnd), -1);        // one data byte
    EXPECT_EQ(read(record(2, 0, {0x01}) + kEnd), -1);
}

TEST_F(IntelReader, DataMayReachTheLimitButNotPassIt) {
    ASSERT_EQ(read(record(4, 0, {0x00, 0x04}) + record(0, 0, {0x5A}) + kEnd), 0);
    EXPECT_EQ(summary(OtherSegments()), (test::SegmentSummary{{0x40000, 1}}));
    EXPECT_EQ(read(record(4, 0, {0x00, 0x04}) + record(0, 0, {0x5A, 0x5B}) + kEnd), -1);
}

TEST_F(IntelReader, LongestSegmentFitsTheWorkBuffer) {
    std::string body;
    for (std::uint32_t address = 0; address < kMaxImageAddress; address += 32) {
        if ((address & 0xFFFF) == 0)
            body += record(4, 0, {0, static_cast<std::uint8_t>(address >> 16)});
        body += record(0, address & 0xFFFF, std::vector<std::uint8_t>(32, 0x3C));
    }
    body += record(4, 0, {0, 4}) + record(0, 0, {0x3C});
    ASSERT_EQ(read(body + kEnd), 0);
    EXPECT_EQ(summary(OtherSegments()), (test::SegmentSummary{{0, kMaxImageAddress + 1}}));
}

TEST_F(IntelReader, LinearRecordsRunOnPast64KiB) {
    // No extended record yet: linear addressing from base 0.
    ASSERT_EQ(read(record(0, 0xFFFE, {1, 2, 3, 4}) + kEnd), 0);
    EXPECT_EQ(summary(FlashSegments()), (test::SegmentSummary{{0xFFFE, 4}}));
    EXPECT_EQ(OtherSegments().head(), nullptr);
    EXPECT_EQ(FlashSegments().head()->data, (std::vector<std::uint8_t>{1, 2, 3, 4}));

    // After a type 04 record a record crossing 0x1FFFF goes on to 0x20000,
    // never back to 0x10000.
    ASSERT_EQ(read(record(4, 0, {0x00, 0x01}) + record(0, 0xFFF0, std::vector<std::uint8_t>(24, 7)) +
                   kEnd),
              0);
    EXPECT_EQ(bothLists(), (test::SegmentSummary{{0x1FFF0, 24}}));
}

TEST_F(IntelReader, SegmentAddressedRecordsWrapWithin64KiB) {
    ASSERT_EQ(read(record(2, 0, {0x10, 0x00}) + record(0, 0xFFFE, {1, 2, 3, 4}) + kEnd), 0);
    // Base 0x10000: 0x1FFFE and 0x1FFFF, then the offset wraps to 0x10000.
    auto all = bothLists();
    std::sort(all.begin(), all.end());
    EXPECT_EQ(all, (test::SegmentSummary{{0x10000, 2}, {0x1FFFE, 2}}));
}

TEST_F(IntelReader, EndRecordEndsTheRead) {
    ASSERT_EQ(read(record(0, 0xF000, {1}) + kEnd + "garbage\n" + record(0, 0xF100, {2})), 0);
    EXPECT_EQ(summary(FlashSegments()), (test::SegmentSummary{{0xF000, 1}}));
}

TEST_F(IntelReader, TypesThreeAndFiveAreIgnored) {
    ASSERT_EQ(read(record(3, 0, {0, 0, 0xF0, 0}) + record(5, 0, {0, 0, 0xF0, 0}) +
                   record(0, 0xF000, {1}) + kEnd),
              0);
    EXPECT_EQ(summary(FlashSegments()), (test::SegmentSummary{{0xF000, 1}}));
}

TEST_F(IntelReader, BadRecordsFail) {
    EXPECT_EQ(read(":0300300002337A1F\n" + kEnd), kErrIntelHex);  // checksum one off
    EXPECT_EQ(HexReadErrorDetail(), "Line 1: invalid record");
    EXPECT_EQ(read(record(0, 0xF000, {1}) + "@F000\n" + kEnd), kErrIntelHex);
    EXPECT_EQ(HexReadErrorDetail(), "Line 2: invalid record");
    EXPECT_EQ(read(record(0, 0xF000, {1})), -1);  // no end record
    EXPECT_EQ(HexReadErrorDetail(), "No end of file record");
    EXPECT_EQ(ReadIntelHexFile(dir_.path("missing.hex").c_str(), kLayout), kErrFileOpen);
}

}  // namespace
}  // namespace nandrel
