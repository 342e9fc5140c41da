#include <gtest/gtest.h>

#include <numeric>

#include "hex_test_support.h"
#include "kelvane/core/intel_hex_file.h"

namespace kv {
namespace {

struct BlockInfo {
    std::uint32_t address;
    std::uint32_t count;
    bool operator==(const BlockInfo&) const = default;
};

std::vector<BlockInfo> blocks(const CHexImageFile& image) {
    std::vector<BlockInfo> out;
    for (std::size_t i = 0; i < image.GetBlockCount(); ++i) {
        out.push_back({image.GetBlock(i)->GetAddress(), image.GetBlock(i)->GetCount()});
    }
    return out;
}

std::string record(int type, unsigned address, const std::vector<std::uint8_t>& data) {
    unsigned sum = static_cast<unsigned>(data.size()) + (address >> 8) + (address & 0xFF) +
                   static_cast<unsigned>(type);
    char text[16];
    std::snprintf(text, sizeof text, ":%02X%04X%02X", static_cast<unsigned>(data.size()),
                  address & 0xFFFF, type);
    std::string line = text;
    for (std::uint8_t b : data) {
        std::snprintf(text, sizeof text, "%02X", b);
        line += text;
        sum += b;
    }
    std::snprintf(text, sizeof text, "%02X\n", (0x100 - (sum & 0xFF)) & 0xFF);
    return line + text;
}

class IntelHexFile : public ::testing::Test {
  protected:
    int read(const std::string& content) {
        return image_.Open(dir_.write("image.hex", content), CHexImageFile::kModeRead);
    }
    test::TempDir dir_;
    CIntelHexFile image_;
};

TEST_F(IntelHexFile, ChecksumOneOffNamesTheLine) {
    EXPECT_EQ(read(record(0, 0xF000, {1}) + ":0300300002337A1F\n:00000001FF\n"), 0);
    EXPECT_EQ(image_.GetLastError(),
              "Error parsing line 2\n:0300300002337A1F\n"
              "Hex record checksum failed\n:0300300002337A1F");
    EXPECT_FALSE(image_.IsOpen());
}

TEST_F(IntelHexFile, ExtendedAddressRecords) {
    ASSERT_EQ(read(record(4, 0, {0x00, 0x01}) + record(0, 0, {0x5A}) + ":00000001FF\n"), 1);
    EXPECT_EQ(blocks(image_), (std::vector<BlockInfo>{{0x10000, 1}}));
    ASSERT_EQ(read(record(2, 0, {0x12, 0x34}) + record(0, 0x0010, {0x5A}) + ":00000001FF\n"), 1);
    EXPECT_EQ(blocks(image_), (std::vector<BlockInfo>{{0x12350, 1}}));
    EXPECT_EQ(read(record(4, 0, {0x01}) + ":00000001FF\n"), 0);
    EXPECT_EQ(image_.GetLastError(),
              "Error parsing line 1\n:0100000401FA\n"
              "Invalid extended linear address record, expected 2 bytes of data");
}

TEST_F(IntelHexFile, RecordsCrossing64KiBRunOnUnlessSegmentAddressed) {
    // Linear (no extended record, or type 04): on past the boundary.
    ASSERT_EQ(read(record(0, 0xFFF8, std::vector<std::uint8_t>(24, 1)) + ":00000001FF\n"), 1);
    EXPECT_EQ(blocks(image_), (std::vector<BlockInfo>{{0xFFF8, 24}}));
    ASSERT_EQ(read(record(4, 0, {0x00, 0x01}) + record(0, 0xFFF0, std::vector<std::uint8_t>(32, 2)) +
                   ":00000001FF\n"),
              1);
    EXPECT_EQ(blocks(image_), (std::vector<BlockInfo>{{0x1FFF0, 32}}));
    // Segment (type 02): the offset wraps within 16 bits of the segment base.
    ASSERT_EQ(read(record(2, 0, {0x10, 0x00}) + record(0, 0xFFFC, {1, 2, 3, 4, 5, 6}) +
                   ":00000001FF\n"),
              1);
    EXPECT_EQ(blocks(image_), (std::vector<BlockInfo>{{0x10000, 2}, {0x1FFFC, 4}}));
    // A later type 04 record ends segment addressing.
    ASSERT_EQ(read(record(2, 0, {0x10, 0x00}) + record(4, 0, {0x00, 0x00}) +
                   record(0, 0xFFFE, {1, 2, 3, 4}) + ":00000001FF\n"),
              1);
    EXPECT_EQ(blocks(image_), (std::vector<BlockInfo>{{0xFFFE, 4}}));
}

TEST_F(IntelHexFile, ContiguousDataAreaBecomesFullBlocks) {
    std::vector<std::uint8_t> data(5000);
    std::iota(data.begin(), data.end(), 0);
    std::string body;
    for (std::uint32_t at = 0; at < data.size(); at += 16) {
        const auto end = std::min<std::size_t>(at + 16, data.size());
        body += record(0, 0x4000 + at, {data.begin() + at, data.begin() + end});
    }
    ASSERT_EQ(read(body + ":00000001FF\n"), 1);
    EXPECT_EQ(blocks(image_), (std::vector<BlockInfo>{{0x4000, 4096}, {0x5000, 904}}));
    std::vector<std::uint8_t> back(5000);
    ASSERT_EQ(image_.ExtractBlock(back.data(), 0x4000, 5000), 1);
    EXPECT_EQ(back, data);
}

TEST_F(IntelHexFile, MalformedRecordTexts) {
    const auto failing = [&](const std::string& line) {
        EXPECT_EQ(read(line + "\n:00000001FF\n"), 0) << line;
        return image_.GetLastError();
    };
    EXPECT_EQ(failing(":0000000"),
              "Error parsing line 1\n:0000000\nHex record is truncated\n:0000000");
    EXPECT_EQ(failing(":G0000000000"),
              "Error parsing line 1\n:G0000000000\nCould not convert byte count\n:G0000000000");
    EXPECT_EQ(failing(":00X00000000"),
              "Error parsing line 1\n:00X00000000\n"
              "Could not convert hex record address\n:00X00000000");
    EXPECT_EQ(failing(":000000Z0000"),
              "Error parsing line 1\n:000000Z0000\nCould not convert record type\n:000000Z0000");
    EXPECT_EQ(failing(":0200000001FF"),
              "Error parsing line 1\n:0200000001FF\nHex record is truncated\n:0200000001FF");
    EXPECT_EQ(
        failing(":01000000GG00"),
        "Error parsing line 1\n:01000000GG00\nCould not convert record values\n:01000000GG00");
    EXPECT_EQ(failing(":010000000000"),
              "Error parsing line 1\n:010000000000\n"
              "Hex record checksum failed\n:010000000000");
    EXPECT_EQ(failing(":0100000000ZZ"),
              "Error parsing line 1\n:0100000000ZZ\n"
              "Could not convert hex record checksum\n:0100000000ZZ");
    EXPECT_EQ(failing(":00000006FA"),
              "Error parsing line 1\n:00000006FA\nUnrecognized record type 06 in source line\n"
              ":00000006FA");
}

TEST_F(IntelHexFile, OtherLinesAndRecordsAreSkipped) {
    ASSERT_EQ(read("; comment\n\n" + record(3, 0, {0, 0, 0, 0}) + record(5, 0, {0, 0, 0, 0}) +
                   record(0, 0xF000, {1}) + ":00000001FF\n" + record(0, 0xF100, {2})),
              1);
    // Reading goes on after the end record.
    EXPECT_EQ(blocks(image_), (std::vector<BlockInfo>{{0xF000, 1}, {0xF100, 1}}));
}

TEST_F(IntelHexFile, WritesRecordsOfSixteenBytes) {
    ASSERT_EQ(image_.Open(dir_.path("out.hex"), CHexImageFile::kModeWrite), 1);
    std::vector<std::uint8_t> data(20);
    std::iota(data.begin(), data.end(), 0);
    ASSERT_EQ(image_.AddBlock(data.data(), 0xF000, 20), 1);
    ASSERT_EQ(image_.AddBlock(data.data(), 0x0200, 1), 1);  // sorted first
    ASSERT_EQ(image_.Write(), 1);
    EXPECT_EQ(test::readFile(dir_.path("out.hex")),
              ":0102000000FD\n"
              ":10F00000000102030405060708090A0B0C0D0E0F88\n"
              ":04F0100010111213B6\n"
              ":00000001FF\n");
}

TEST_F(IntelHexFile, DataAbove64KiBGetExtendedAddressRecords) {
    ASSERT_EQ(image_.Open(dir_.path("out.hex"), CHexImageFile::kModeWrite), 1);
    const std::vector<std::uint8_t> one = {0xA5};
    ASSERT_EQ(image_.AddBlock(one.data(), 0x12345, 1), 1);
    ASSERT_EQ(image_.Write(), 1);
    EXPECT_EQ(test::readFile(dir_.path("out.hex")),
              ":020000040001F9\n"
              ":01234500A5F2\n"
              ":00000001FF\n");
}

TEST_F(IntelHexFile, RoundTripAcrossThe64KiBBoundaries) {
    std::vector<std::uint8_t> data(0x40);
    std::iota(data.begin(), data.end(), 0x80);
    const std::string path = dir_.path("rt.hex");
    ASSERT_EQ(image_.Open(path, CHexImageFile::kModeWrite), 1);
    ASSERT_EQ(image_.AddBlock(data.data(), 0xFFF8, 0x20), 1);  // crosses 0x10000
    ASSERT_EQ(image_.AddBlock(data.data() + 0x20, 0x2FFF0, 0x20), 1);
    ASSERT_EQ(image_.AddBlock(data.data(), 0x1100, 3), 1);
    ASSERT_EQ(image_.Write(), 1);
    const std::string written = test::readFile(path);
    EXPECT_NE(written.find(":020000040001F9\n"), std::string::npos);
    EXPECT_NE(written.find(":020000040003F7\n"), std::string::npos);

    CIntelHexFile back;
    ASSERT_EQ(back.Open(path, CHexImageFile::kModeRead), 1);
    EXPECT_EQ(blocks(back), (std::vector<BlockInfo>{{0x1100, 3}, {0xFFF8, 0x20}, {0x2FFF0, 0x20}}));
    std::vector<std::uint8_t> bytes(0x20);
    ASSERT_EQ(back.ExtractBlock(bytes.data(), 0xFFF8, 0x20), 1);
    EXPECT_EQ(bytes, std::vector<std::uint8_t>(data.begin(), data.begin() + 0x20));
    ASSERT_EQ(back.ExtractBlock(bytes.data(), 0x2FFF0, 0x20), 1);
    EXPECT_EQ(bytes, std::vector<std::uint8_t>(data.begin() + 0x20, data.end()));
    // Writing the image read back gives the same file.
    ASSERT_EQ(back.Write(), 1);
    EXPECT_EQ(test::readFile(path), written);
}

}  // namespace
}  // namespace kv
