#include <gtest/gtest.h>

#include <numeric>

#include "hex_test_support.h"
#include "kelvane/core/text_hex_file.h"

namespace kv {
namespace {

std::string byteTokens(int count, int first = 0) {
    std::string line;
    char text[4];
    for (int i = 0; i < count; ++i) {
        std::snprintf(text, sizeof text, "%02X", (first + i) & 0xFF);
        line += text;
        line += i + 1 == count ? "\n" : " ";
    }
    return line;
}

class TextHexFile : public ::testing::Test {
  protected:
    int read(const std::string& content) {
        return image_.Open(dir_.write("image.txt", content), CHexImageFile::kModeRead);
    }
    test::TempDir dir_;
    CTextHexFile image_;
};

TEST_F(TextHexFile, AddressDataAndEndMark) {
    ASSERT_EQ(read("@F000\n12 34\nq\n"), 1);
    ASSERT_EQ(image_.GetBlockCount(), 1u);
    EXPECT_EQ(image_.GetBlock(0)->GetAddress(), 0xF000u);
    EXPECT_EQ(image_.GetBlock(0)->GetCount(), 2u);
    EXPECT_EQ(image_.GetBlock(0)->GetData()[1], 0x34);
}

TEST_F(TextHexFile, LowerCaseBlanksAndRunsOverLines) {
    ASSERT_EQ(read("  @f000\r\n\r\n" + byteTokens(16) + "\t" + byteTokens(16, 16) +
                   "ab cd\n@1000\n1\nQ\n"),
              1);
    ASSERT_EQ(image_.GetBlockCount(), 2u);
    EXPECT_EQ(image_.GetBlock(0)->GetAddress(), 0x1000u);
    EXPECT_EQ(image_.GetBlock(1)->GetAddress(), 0xF000u);
    EXPECT_EQ(image_.GetBlock(1)->GetCount(), 34u);
    EXPECT_EQ(image_.GetBlock(1)->GetData()[32], 0xAB);
}

TEST_F(TextHexFile, LastRunWithoutEndMarkIsKept) {
    ASSERT_EQ(read("@F000\n01 02 03\n"), 1);
    ASSERT_EQ(image_.GetBlockCount(), 1u);
    EXPECT_EQ(image_.GetBlock(0)->GetCount(), 3u);
}

TEST_F(TextHexFile, LineOfMoreThan128BytesFails) {
    ASSERT_EQ(read("@F000\n" + byteTokens(128) + "q\n"), 1);
    EXPECT_EQ(image_.GetBlock(0)->GetCount(), 128u);
    const std::string line = byteTokens(130);
    EXPECT_EQ(read("@F000\n" + line + "q\n"), 0);
    // A long line is quoted by its start, so that the reason after it always fits.
    const std::string shown = line.substr(0, 64) + "...";
    EXPECT_EQ(image_.GetLastError(),
              "Error parsing line 2\n" + shown + "\nMore than 128 bytes in source line\n" + shown);
}

TEST_F(TextHexFile, BadTokensAndLines) {
    EXPECT_EQ(read("@F000\n01 100\nq\n"), 0);
    EXPECT_EQ(image_.GetLastError(),
              "Error parsing line 2\n01 100\nUnable to parse bytes from source line\n01 100");
    EXPECT_EQ(read("@F000\n01 0G\nq\n"), 0);
    EXPECT_EQ(image_.GetLastError(),
              "Error parsing line 2\n01 0G\nUnable to parse bytes from source line\n01 0G");
    EXPECT_EQ(read("@XYZ\n01\nq\n"), 0);
    EXPECT_EQ(image_.GetLastError(),
              "Error parsing line 1\n@XYZ\nUnable to parse address from @XYZ");
    EXPECT_EQ(read("@F000\n01\n*\n"), 0);
    EXPECT_EQ(image_.GetLastError(), "Error parsing line 3\n*\nUnrecognized source line\n*");
}

TEST_F(TextHexFile, RunIsCutAtTheBlockSize) {
    std::string body = "@8000\n";
    for (int i = 0; i < 5000 / 16; ++i)
        body += byteTokens(16, i);
    body += byteTokens(8);
    ASSERT_EQ(read(body + "q\n"), 1);
    ASSERT_EQ(image_.GetBlockCount(), 2u);
    EXPECT_EQ(image_.GetBlock(0)->GetCount(), 4096u);
    EXPECT_EQ(image_.GetBlock(1)->GetAddress(), 0x9000u);
    EXPECT_EQ(image_.GetBlock(1)->GetCount(), 904u);
}

TEST_F(TextHexFile, WritesTwentyBytesAsTwoLines) {
    ASSERT_EQ(image_.Open(dir_.path("out.txt"), CHexImageFile::kModeWrite), 1);
    std::vector<std::uint8_t> data(20);
    std::iota(data.begin(), data.end(), 0xE0);
    ASSERT_EQ(image_.AddBlock(data.data(), 0x1100, 20), 1);
    ASSERT_EQ(image_.Write(), 1);
    EXPECT_EQ(test::readFile(dir_.path("out.txt")),
              "@1100\n"
              "E0 E1 E2 E3 E4 E5 E6 E7 E8 E9 EA EB EC ED EE EF\n"
              "F0 F1 F2 F3 \n"
              "q\n");
}

TEST_F(TextHexFile, ContinuingBlockFillsTheLineAndAGapStartsAnAddressLine) {
    ASSERT_EQ(image_.Open(dir_.path("out.txt"), CHexImageFile::kModeWrite), 1);
    const std::uint8_t a[3] = {1, 2, 3};
    ASSERT_EQ(image_.AddBlock(a, 0x12340, 3), 1);
    ASSERT_EQ(image_.AddBlock(a, 0xF000, 2), 1);
    ASSERT_EQ(image_.AddBlock(a, 0xF002, 3), 1);
    ASSERT_EQ(image_.Write(), 1);
    EXPECT_EQ(test::readFile(dir_.path("out.txt")),
              "@F000\n01 02 01 02 03 \n@12340\n01 02 03 \nq\n");

    CTextHexFile back;
    ASSERT_EQ(back.Open(dir_.path("out.txt"), CHexImageFile::kModeRead), 1);
    ASSERT_EQ(back.GetBlockCount(), 2u);
    EXPECT_EQ(back.GetBlock(0)->GetAddress(), 0xF000u);
    EXPECT_EQ(back.GetBlock(0)->GetCount(), 5u);
    EXPECT_EQ(back.GetBlock(1)->GetAddress(), 0x12340u);
    // Writing the image read back gives the same file.
    const std::string before = test::readFile(dir_.path("out.txt"));
    ASSERT_EQ(back.Write(), 1);
    EXPECT_EQ(test::readFile(dir_.path("out.txt")), before);
}

}  // namespace
}  // namespace kv
