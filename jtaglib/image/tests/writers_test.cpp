#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>

#include <numeric>

#include "nandrel/image/hex_readers.h"
#include "nandrel/image/hex_writers.h"
#include "segment_helpers.h"
#include "temp_dir.h"

namespace nandrel {
namespace {

std::vector<std::uint8_t> counting(std::size_t n, int first = 0) {
    std::vector<std::uint8_t> bytes(n);
    std::iota(bytes.begin(), bytes.end(), static_cast<std::uint8_t>(first));
    return bytes;
}

// Limits the size of files this process writes, so that writes past it fail
// (the signal such a write raises is ignored); the old limit.
rlimit FileSizeLimit(rlim_t bytes) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit before{};
    ::getrlimit(RLIMIT_FSIZE, &before);
    rlimit limit = before;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
    return before;
}

class Writers : public ::testing::Test {
  protected:
    void TearDown() override { FreeHexBlockLists(); }
    test::TempDir dir_;
};

TEST_F(Writers, TextReadOutOfThirtyTwoBytes) {
    const std::string path = dir_.path("out.txt");
    const auto data = counting(0x20);
    ASSERT_EQ(WriteTextHexOpen(path.c_str()), 1);
    ASSERT_EQ(WriteTextHexRecord(0x1000, 0x10, data.data()), 1);
    ASSERT_EQ(WriteTextHexEnd(), 1);
    EXPECT_EQ(test::readFile(path),
              "@1000\n"
              "00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F\n"
              "10 11 12 13 14 15 16 17 18 19 1A 1B 1C 1D 1E 1F\n"
              "q\n");
}

TEST_F(Writers, TextRecordsContinueOrStartAddressLines) {
    const std::string path = dir_.path("out.txt");
    const auto data = counting(6, 0xA0);
    ASSERT_EQ(WriteTextHexOpen(path.c_str()), 1);
    ASSERT_EQ(WriteTextHexRecord(0xF000, 1, data.data()), 1);
    ASSERT_EQ(WriteTextHexRecord(0xF002, 1, data.data() + 2), 1);  // continues the line
    ASSERT_EQ(WriteTextHexRecord(0x12340, 1, data.data() + 4), 1);
    ASSERT_EQ(WriteTextHexEnd(), 1);
    EXPECT_EQ(test::readFile(path), "@F000\nA0 A1 A2 A3 \n@12340\nA4 A5 \nq\n");
}

TEST_F(Writers, IntelReadOutAcrossThe64KiBBoundary) {
    const std::string path = dir_.path("out.hex");
    const auto data = counting(68);
    ASSERT_EQ(WriteIntelHexOpen(path.c_str()), 1);
    ASSERT_EQ(WriteIntelHexRecord(0xFFE0, 34, data.data()), 1);
    ASSERT_EQ(WriteIntelHexEnd(), 1);
    EXPECT_EQ(test::readFile(path),
              ":20FFE000000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F11\n"
              ":020000040001F9\n"
              ":20000000202122232425262728292A2B2C2D2E2F303132333435363738393A3B3C3D3E3FF0\n"
              ":0400200040414243D6\n"
              ":00000001FF\n");
}

TEST_F(Writers, IntelRecordIsCutAtThe64KiBBoundary) {
    const std::string path = dir_.path("out.hex");
    const auto data = counting(8);
    ASSERT_EQ(WriteIntelHexOpen(path.c_str()), 1);
    ASSERT_EQ(WriteIntelHexRecord(0x1FFFC, 4, data.data()), 1);
    ASSERT_EQ(WriteIntelHexEnd(), 1);
    EXPECT_EQ(test::readFile(path),
              ":020000040001F9\n"
              ":04FFFC0000010203FB\n"
              ":020000040002F8\n"
              ":0400000004050607E6\n"
              ":00000001FF\n");
}

TEST_F(Writers, FailWithoutAnOpenFile) {
    const std::uint8_t data[2] = {1, 2};
    EXPECT_EQ(WriteTextHexRecord(0, 1, data), 0);
    EXPECT_EQ(WriteTextHexEnd(), 0);
    EXPECT_EQ(WriteIntelHexRecord(0, 1, data), 0);
    EXPECT_EQ(WriteIntelHexEnd(), 0);
    EXPECT_EQ(WriteTextHexOpen(dir_.path("no/such/dir.txt").c_str()), 0);
    EXPECT_EQ(WriteIntelHexOpen(nullptr), 0);
}

TEST_F(Writers, FailedWritesAreReported) {
    // A device is never written: it could hold the run.
    EXPECT_EQ(WriteTextHexOpen("/dev/full"), 0);
    EXPECT_EQ(WriteIntelHexOpen("/dev/null"), 0);
    // A file that cannot grow: the writes fail and the end says so.
    const auto data = counting(8192);
    const rlimit before = FileSizeLimit(1024);
    ASSERT_EQ(WriteTextHexOpen(dir_.path("full.txt").c_str()), 1);
    WriteTextHexRecord(0x1000, 4096, data.data());
    EXPECT_EQ(WriteTextHexEnd(), 0);
    ASSERT_EQ(WriteIntelHexOpen(dir_.path("full.hex").c_str()), 1);
    WriteIntelHexRecord(0x1000, 4096, data.data());
    EXPECT_EQ(WriteIntelHexEnd(), 0);
    ::setrlimit(RLIMIT_FSIZE, &before);
}

TEST_F(Writers, BothFormatsReadBackWhatWasWritten) {
    const ImageMemoryLayout layout{0x1000, 0x10FF, 0x4000, 0x3FFFF};
    const auto data = counting(0x300, 7);
    for (int type : {kHexFileText, kHexFileIntel}) {
        SCOPED_TRACE(type);
        const std::string path = dir_.path(type == kHexFileText ? "rt.txt" : "rt.hex");
        const bool text = type == kHexFileText;
        ASSERT_EQ(text ? WriteTextHexOpen(path.c_str()) : WriteIntelHexOpen(path.c_str()), 1);
        auto write = text ? WriteTextHexRecord : WriteIntelHexRecord;
        ASSERT_EQ(write(0x1000, 0x40, data.data()), 1);
        ASSERT_EQ(write(0xFF00, 0x100, data.data() + 0x80), 1);
        ASSERT_EQ(write(0x2F000, 0x20, data.data() + 0x280), 1);
        ASSERT_EQ(text ? WriteTextHexEnd() : WriteIntelHexEnd(), 1);
        ASSERT_EQ(ReadHexFileSegments(path.c_str(), kHexFileDetect, layout), 0);
        ASSERT_EQ(test::summary(FlashSegments()),
                  (test::SegmentSummary{{0x2F000, 0x40}, {0xFF00, 0x200}, {0x1000, 0x80}}));
        const HexSegment* s = FlashSegments().head();
        EXPECT_EQ(s->data, std::vector<std::uint8_t>(data.begin() + 0x280, data.begin() + 0x2C0));
        s = s->next;
        EXPECT_EQ(s->data, std::vector<std::uint8_t>(data.begin() + 0x80, data.begin() + 0x280));
        s = s->next;
        EXPECT_EQ(s->data, std::vector<std::uint8_t>(data.begin(), data.begin() + 0x80));
    }
}

}  // namespace
}  // namespace nandrel
