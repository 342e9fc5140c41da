#include <gtest/gtest.h>

#include "nandrel/image/hex_readers.h"
#include "segment_helpers.h"
#include "temp_dir.h"

namespace nandrel {
namespace {

class FileType : public ::testing::Test {
  protected:
    void TearDown() override { FreeHexBlockLists(); }
    int detect(const std::string& content, int* type) {
        return DetectHexFileType(dir_.write("image", content).c_str(), type);
    }
    test::TempDir dir_;
};

TEST_F(FileType, FirstNonEmptyLineDecides) {
    int type = -1;
    ASSERT_EQ(detect("@F000\n01\nq\n", &type), 0);
    EXPECT_EQ(type, kHexFileText);
    ASSERT_EQ(detect("\n  \r\n   :00000001FF\n", &type), 0);
    EXPECT_EQ(type, kHexFileIntel);
}

TEST_F(FileType, FailuresGiveTheirErrorNumbers) {
    int type = -1;
    EXPECT_EQ(detect("\n  \nF000\n", &type), kErrFileType);
    EXPECT_EQ(detect("\n \r\n", &type), kErrUnexpectedEnd);
    EXPECT_EQ(detect("", &type), kErrUnexpectedEnd);
    EXPECT_EQ(DetectHexFileType(dir_.path("missing").c_str(), &type), kErrFileOpen);
    // A folder is refused at the open, and the text says what it is.
    EXPECT_EQ(DetectHexFileType(dir_.path("").c_str(), &type), kErrFileOpen);
    EXPECT_NE(HexReadErrorDetail().find("is a folder, not a file"), std::string::npos);
}

TEST_F(FileType, ReadDetectsAndMapsFailuresToErrorNumbers) {
    const std::string text = dir_.write("a.txt", "@F000\n01\nq\n");
    ASSERT_EQ(ReadHexFileSegments(text.c_str(), kHexFileDetect, test::kLayout), 0);
    EXPECT_EQ(test::summary(FlashSegments()), (test::SegmentSummary{{0xF000, 1}}));
    const std::string intel = dir_.write("a.hex", ":01F0000002 0D\n:00000001FF\n");
    EXPECT_EQ(ReadHexFileSegments(intel.c_str(), kHexFileDetect, test::kLayout), kErrIntelHex);
    EXPECT_EQ(ReadHexFileSegments(text.c_str(), 3, test::kLayout), kErrFileType);
    const std::string open = dir_.write("open.txt", "@F000\n01\n");
    EXPECT_EQ(ReadHexFileSegments(open.c_str(), kHexFileText, test::kLayout), kErrFileData);
    EXPECT_EQ(ReadHexFileSegments(dir_.path("none").c_str(), kHexFileDetect, test::kLayout),
              kErrFileOpen);
}

}  // namespace
}  // namespace nandrel
