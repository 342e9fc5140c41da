#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

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
    const std::vector<std::uint8_t> data(64, 0xAB);
    // A device or a FIFO is refused before anything is written to it.
    ASSERT_EQ(image.Open("/dev/full", CHexImageFile::kModeWrite), 1);
    image.AddBlock(data.data(), 0x1000, 64);
    EXPECT_EQ(image.Write(), 0);
    EXPECT_EQ(image.GetLastError(), "/dev/full is a device, not a file");
    const std::string fifo = dir.path("fifo.hex");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(image.Open(fifo, CHexImageFile::kModeWrite), 1);
    image.AddBlock(data.data(), 0x1000, 64);
    EXPECT_EQ(image.Write(), 0);
    EXPECT_EQ(image.GetLastError(), fifo + " is a FIFO, not a file");
}

#if defined(__SANITIZE_ADDRESS__)
#define KELVANE_NO_ADDRESS_LIMIT 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KELVANE_NO_ADDRESS_LIMIT 1
#endif
#endif

#ifndef KELVANE_NO_ADDRESS_LIMIT
// The address space the process uses now, in bytes.
rlim_t CurrentAddressSpace() {
    std::ifstream statm("/proc/self/statm");
    unsigned long pages = 0;
    statm >> pages;
    return static_cast<rlim_t>(pages) * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE));
}
#endif

TEST(HexImageFile, ReadingWithoutEnoughMemoryFailsWithAText) {
#ifdef KELVANE_NO_ADDRESS_LIMIT
    GTEST_SKIP() << "the address sanitizer reserves more address space than the limit allows";
#else
    // Two hundred thousand one-byte blocks of a few dozen bytes each: some 11 MB.
    test::TempDir dir;
    std::string text;
    char line[32];
    for (unsigned i = 0; i < 200000; ++i) {
        std::snprintf(line, sizeof line, "@%05X\n00\n", 0x1000 + 2 * i);
        text += line;
    }
    const std::string path = dir.write("sparse.txt", text + "q\n");
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const rlim_t limit = CurrentAddressSpace() + 4u * 1024 * 1024;
        const rlimit bound{limit, limit};
        ::setrlimit(RLIMIT_AS, &bound);
        CTextHexFile image;
        const int opened = image.Open(path, CHexImageFile::kModeRead);
        const std::string result = std::to_string(opened) + ":" + image.GetLastError();
        const ssize_t written = ::write(pipeEnds[1], result.data(), result.size());
        ::_exit(written == static_cast<ssize_t>(result.size()) ? 0 : 1);
    }
    ::close(pipeEnds[1]);
    std::string result;
    char chunk[256];
    ssize_t got = 0;
    while ((got = ::read(pipeEnds[0], chunk, sizeof chunk)) > 0)
        result.append(chunk, static_cast<std::size_t>(got));
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << "the child ended by signal " << WTERMSIG(status);
    EXPECT_EQ(result, "0:Not enough memory to read " + path);
#endif
}

}  // namespace
}  // namespace kv
