#include <gtest/gtest.h>

#include "hex_test_support.h"
#include "kelvane/core/intel_hex_file.h"
#include "kelvane/core/text_hex_file.h"

namespace kv {
namespace {

TEST(HexImageFile, ClosedImageRefusesBlocksWithCriticalErrors) {
    test::MessageBoxRecorder boxes;
    CIntelHexFile image;
    const std::uint8_t byte = 0;
    std::uint8_t buffer[4];
    EXPECT_EQ(image.GetBlockCount(), 0u);
    EXPECT_EQ(image.GetBlock(0), nullptr);
    EXPECT_EQ(image.AddBlock(&byte, 0x1000, 1), 0);
    EXPECT_EQ(
        image.GetLastError(),
        "Called while file closed in CHexImageFile::ExtractBlock()\n\nContact program vendor\n");
    EXPECT_EQ(image.ExtractBlock(buffer, 0, 4), 0);
    EXPECT_EQ(image.Write(), 0);
    EXPECT_EQ(
        image.GetLastError(),
        "Hex block array is NULL in CIntelHexFile::WriteBlocks()\n\nContact program vendor\n");
    ASSERT_EQ(boxes.calls().size(), 3u);
    EXPECT_EQ(boxes.calls()[0].caption, "CHexImageFile Critical Error");
    EXPECT_EQ(boxes.calls()[1].caption, "CHexImageFile Critical Error");
    EXPECT_EQ(boxes.calls()[2].caption, "CIntelHexFile Critical Error");
    EXPECT_EQ(boxes.calls()[2].type, static_cast<unsigned>(kMbOk | kMbIconError));

    CTextHexFile text;
    EXPECT_EQ(text.Write(), 0);
    EXPECT_EQ(boxes.calls().back().caption, "CTextHexFile Critical Error");
}

TEST(HexImageFile, ExtractMergesEveryBlockIntoThePrefilledBuffer) {
    CTextHexFile image;
    ASSERT_EQ(image.Open("unused.txt", CHexImageFile::kModeWrite), 1);
    const std::uint8_t a[4] = {1, 2, 3, 4};
    const std::uint8_t b[2] = {5, 6};
    ASSERT_EQ(image.AddBlock(a, 0xFFDE, 4), 1);  // two bytes before the window
    ASSERT_EQ(image.AddBlock(b, 0xFFF0, 2), 1);
    std::vector<std::uint8_t> password(32, 0xFF);
    ASSERT_EQ(image.ExtractBlock(password.data(), 0xFFE0, 32), 1);
    std::vector<std::uint8_t> expected(32, 0xFF);
    expected[0] = 3, expected[1] = 4, expected[16] = 5, expected[17] = 6;
    EXPECT_EQ(password, expected);
    EXPECT_EQ(image.GetStartAddress(), 0xFFDEu);
    image.Close();
    EXPECT_FALSE(image.IsOpen());
    EXPECT_EQ(image.GetFileName(), "");
    EXPECT_EQ(image.GetStartAddress(), 0u);
}

TEST(HexImageFile, MissingFileFailsWithTheSystemTextAndStaysClosed) {
    test::TempDir dir;
    for (int type = 1; type <= 2; ++type) {
        std::unique_ptr<CHexImageFile> image;
        if (type == 1) {
            image = std::make_unique<CTextHexFile>();
        } else {
            image = std::make_unique<CIntelHexFile>();
        }
        EXPECT_EQ(image->Open(dir.path("missing"), CHexImageFile::kModeRead), 0);
        EXPECT_EQ(image->GetLastError(), "No such file or directory");
        EXPECT_FALSE(image->IsOpen());
        EXPECT_EQ(image->GetFileName(), "");
        EXPECT_EQ(image->GetBlockCount(), 0u);
    }
}

TEST(HexImageFile, FailedReadDropsBlocksOfAnEarlierOpen) {
    test::TempDir dir;
    CTextHexFile image;
    ASSERT_EQ(image.Open(dir.write("good.txt", "@F000\n01\nq\n"), CHexImageFile::kModeRead), 1);
    EXPECT_EQ(image.GetBlockCount(), 1u);
    EXPECT_EQ(image.Open(dir.write("bad.txt", "@F000\n01\nxyz\n"), CHexImageFile::kModeRead), 0);
    EXPECT_EQ(image.GetBlockCount(), 0u);
    EXPECT_EQ(image.GetLastError(), "Error parsing line 3\nxyz\nUnrecognized source line\nXYZ");
}

TEST(HexImageFile, WriteToAnUnwritablePlaceFails) {
    test::TempDir dir;
    CIntelHexFile image;
    ASSERT_EQ(image.Open(dir.path("no/such/dir.hex"), CHexImageFile::kModeWrite), 1);
    EXPECT_EQ(image.Write(), 0);
    EXPECT_EQ(image.GetLastError(), "No such file or directory");
    ASSERT_EQ(image.Open("/dev/full", CHexImageFile::kModeWrite), 1);
    const std::vector<std::uint8_t> data(64, 0xAB);
    image.AddBlock(data.data(), 0x1000, 64);
    EXPECT_EQ(image.Write(), 0);
    EXPECT_EQ(image.GetLastError(), "No space left on device");
}

}  // namespace
}  // namespace kv
