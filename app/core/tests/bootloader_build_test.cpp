#include <gtest/gtest.h>

#include <numeric>

#include "hex_test_support.h"
#include "kelvane/core/intel_hex_file.h"
#include "kelvane/core/text_hex_file.h"

namespace kv {
namespace {

// The bootstrap-loader library's build: 16-byte blocks, no run accumulator.
class BootloaderBuild : public ::testing::Test {
  protected:
    test::TempDir dir_;
};

TEST_F(BootloaderBuild, IntelDataAreaBecomesSixteenByteBlocks) {
    std::vector<std::uint8_t> data(5000);
    std::iota(data.begin(), data.end(), 0);
    CIntelHexFile writer(kProgramHexBuild);
    const std::string path = dir_.path("area.hex");
    ASSERT_EQ(writer.Open(path, CHexImageFile::kModeWrite), 1);
    ASSERT_EQ(writer.AddBlock(data.data(), 0x4000, 5000), 1);
    ASSERT_EQ(writer.Write(), 1);

    CIntelHexFile image(kBootloaderHexBuild);
    ASSERT_EQ(image.Open(path, CHexImageFile::kModeRead), 1);
    ASSERT_EQ(image.GetBlockCount(), 313u);
    for (std::size_t i = 0; i < 312; ++i) {
        ASSERT_EQ(image.GetBlock(i)->GetAddress(), 0x4000 + 16 * i);
        ASSERT_EQ(image.GetBlock(i)->GetCount(), 16u);
    }
    EXPECT_EQ(image.GetBlock(312)->GetCount(), 8u);
    EXPECT_EQ(image.GetStartAddress(), 0x4000u);
    EXPECT_EQ(image.GetTotalBytes(), 5000u);
    std::vector<std::uint8_t> back(5000);
    ASSERT_EQ(image.ExtractBlock(back.data(), 0x4000, 5000), 1);
    EXPECT_EQ(back, data);
}

TEST_F(BootloaderBuild, TextLinesAreStoredDirectly) {
    CTextHexFile image(kBootloaderHexBuild);
    const std::string path = dir_.write(
        "patch.txt",
        "@0220\n00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 11 12 13\n@0200\n31 40\n");
    ASSERT_EQ(image.Open(path, CHexImageFile::kModeRead), 1);
    ASSERT_EQ(image.GetBlockCount(), 3u);
    EXPECT_EQ(image.GetBlock(0)->GetAddress(), 0x0200u);
    EXPECT_EQ(image.GetBlock(0)->GetCount(), 2u);
    EXPECT_EQ(image.GetBlock(1)->GetAddress(), 0x0220u);
    EXPECT_EQ(image.GetBlock(1)->GetCount(), 16u);
    EXPECT_EQ(image.GetBlock(2)->GetAddress(), 0x0230u);
    EXPECT_EQ(image.GetBlock(2)->GetCount(), 4u);
    EXPECT_EQ(image.GetStartAddress(), 0x0200u);
}

TEST_F(BootloaderBuild, BlocksHoldSixteenBytes) {
    test::MessageBoxRecorder boxes;
    CIntelHexFile image(kBootloaderHexBuild);
    ASSERT_EQ(image.Open(dir_.path("x.hex"), CHexImageFile::kModeWrite), 1);
    EXPECT_EQ(image.GetStartAddress(), 0u);
    const std::vector<std::uint8_t> data(40, 0x11);
    ASSERT_EQ(image.AddBlock(data.data(), 0xF000, 40), 1);
    EXPECT_EQ(image.GetBlockCount(), 3u);
    CHexBlock* block = image.GetBlock(0);
    EXPECT_EQ(block->GetCapacity(), 16u);
    EXPECT_EQ(block->Load(data.data(), 0xF000, 17), 0);
    ASSERT_EQ(boxes.calls().size(), 1u);
    EXPECT_EQ(boxes.calls()[0].text,
              "Passed too many bytes in CHexBlock::Load()\n\nContact program vendor\n");
}

TEST_F(BootloaderBuild, WritesTheSameFilesAsTheProgramBuild) {
    std::vector<std::uint8_t> data(300);
    std::iota(data.begin(), data.end(), 0x40);
    for (int type = 1; type <= 2; ++type) {
        std::unique_ptr<CHexImageFile> program, loader;
        if (type == 1) {
            program = std::make_unique<CTextHexFile>(kProgramHexBuild);
            loader = std::make_unique<CTextHexFile>(kBootloaderHexBuild);
        } else {
            program = std::make_unique<CIntelHexFile>(kProgramHexBuild);
            loader = std::make_unique<CIntelHexFile>(kBootloaderHexBuild);
        }
        ASSERT_EQ(program->Open(dir_.path("program"), CHexImageFile::kModeWrite), 1);
        ASSERT_EQ(loader->Open(dir_.path("loader"), CHexImageFile::kModeWrite), 1);
        for (CHexImageFile* image : {program.get(), loader.get()}) {
            ASSERT_EQ(image->AddBlock(data.data(), 0xFF80, 300), 1);
            ASSERT_EQ(image->Write(), 1);
        }
        EXPECT_EQ(test::readFile(dir_.path("program")), test::readFile(dir_.path("loader")));
    }
}

}  // namespace
}  // namespace kv
