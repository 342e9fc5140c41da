// Image files through the exported interface: writing with verify, verifying,
// reading back to a file, the frames they make and their progress notices.
#include "hesmark_fixture.h"
#include "kelvane/core/intel_hex_file.h"
#include "kelvane/core/text_hex_file.h"

namespace {

using hesmarktest::HesmarkTest;

// A TI-TXT text of `data` at `address`, 16 bytes a line.
std::string TiTxt(uint32_t address, const std::vector<uint8_t>& data) {
    char line[16];
    std::snprintf(line, sizeof line, "@%04X\n", address);
    std::string text = line;
    for (size_t i = 0; i < data.size(); ++i) {
        std::snprintf(line, sizeof line, "%02X", data[i]);
        text += line;
        text += (i % 16 == 15 || i + 1 == data.size()) ? "\n" : " ";
    }
    return text;
}

std::vector<uint8_t> Pattern(size_t n, uint8_t seed) {
    std::vector<uint8_t> data(n);
    for (size_t i = 0; i < n; ++i)
        data[i] = static_cast<uint8_t>(seed + i * 7);
    return data;
}

std::vector<size_t> Lengths(const std::vector<hesmarktest::Frame>& frames) {
    std::vector<size_t> out;
    for (const auto& f : frames)
        out.push_back(f.data.size());
    return out;
}

using Files = HesmarkTest;

TEST_F(Files, WriteVerifyReadBackAndCompare) {
    StartUnlocked();
    const std::vector<uint8_t> code = Pattern(300, 0x11);
    const std::vector<uint8_t> table = Pattern(20, 0x80);
    const std::string image = TempPath("image.txt");
    WriteText(image, TiTxt(0xE000, code) + TiTxt(0xF000, table) + "q\n");

    ASSERT_EQ(WriteFile_Hesmark(image.c_str(), 1, 1), 1) << LastError();
    EXPECT_EQ(Peek(0xE000, 300), code);
    EXPECT_EQ(Peek(0xF000, 20), table);
    EXPECT_EQ(Lengths(Frames(0x12)), (std::vector<size_t>{128, 128, 44, 20}));
    EXPECT_EQ(Frames(0x14).size(), 4u);  // each frame read back
    EXPECT_EQ(notices.front().kind, uint32_t{HESMARK_NOTIFY_APPEND});
    EXPECT_EQ(notices.front().text, "\nRead 0140 bytes from " + image);
    const std::vector<int32_t> progress = Progress(HESMARK_PROGRESS_WRITE_FILE);
    ASSERT_EQ(progress.size(), 23u);  // start, one per block, end
    EXPECT_EQ(progress.front(), 0);
    EXPECT_EQ(progress[1], 0);
    EXPECT_EQ(progress[21], 100 * 20 / 21);
    EXPECT_EQ(progress.back(), 100);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(Logs().back(), "Write (with verify) completed successfully");

    ClearLogs();
    ASSERT_EQ(VerifyFile_Hesmark(image.c_str(), 1), 1) << LastError();
    EXPECT_TRUE(Frames(0x12).empty());
    EXPECT_EQ(Logs(), (std::vector<std::string>{"", "Verifying target with " + image, "",
                                                "Verify completed successfully"}));

    ClearLogs();
    const std::string readBack = TempPath("back.hex");
    ASSERT_EQ(ReadFile_Hesmark(readBack.c_str(), 2, 0xE000, 300), 1) << LastError();
    EXPECT_EQ(Lengths(Frames(0x14)), (std::vector<size_t>{0, 0, 0}));
    std::vector<uint16_t> lengths;
    for (const auto& f : Frames(0x14))
        lengths.push_back(f.length);
    EXPECT_EQ(lengths, (std::vector<uint16_t>{128, 128, 44}));
    EXPECT_EQ(Progress(HESMARK_PROGRESS_READ_FILE), (std::vector<int32_t>{0, 42, 85, 100, 100}));
    EXPECT_EQ(Logs(), (std::vector<std::string>{
                          "", "Reading " + readBack + " from target as 012C bytes at E000", "",
                          "Read completed"}));
    kv::CIntelHexFile file(kv::kBootloaderHexBuild);
    ASSERT_EQ(file.Open(readBack, kv::CHexImageFile::kModeRead), 1) << file.GetLastError();
    std::vector<uint8_t> flat(300, 0);
    ASSERT_EQ(file.ExtractBlock(flat.data(), 0xE000, 300), 1);
    EXPECT_EQ(flat, code);
    EXPECT_EQ(file.GetTotalBytes(), 300u);
}

TEST_F(Files, VerifyNamesTheFirstDifference) {
    StartUnlocked();
    const std::string image = TempPath("image.txt");
    WriteText(image, TiTxt(0xE000, Pattern(32, 1)) + "q\n");
    ASSERT_EQ(WriteFile_Hesmark(image.c_str(), 1, 0), 1) << LastError();
    EXPECT_TRUE(Frames(0x14).empty());
    WriteText(image, TiTxt(0xE000, Pattern(32, 2)) + "q\n");
    EXPECT_EQ(VerifyFile_Hesmark(image.c_str(), 1), 0);
    EXPECT_EQ(LastError(), "Verify failed at address E000");
}

TEST_F(Files, BlocksGatherIntoFrames) {
    StartUnlocked();
    const std::string image = TempPath("image.txt");
    // Two 10-byte lines, the second where the first ends: one frame.
    WriteText(image, "@E000\n" + TiTxt(0xE000, Pattern(10, 1)).substr(6) +
                         TiTxt(0xE00A, Pattern(10, 2)).substr(6) + "q\n");
    ASSERT_EQ(WriteFile_Hesmark(image.c_str(), 1, 0), 1) << LastError();
    EXPECT_EQ(Lengths(Frames(0x12)), (std::vector<size_t>{20}));
    ClearLogs();
    // 10 bytes at 0xF000 and 0xF010: two frames.
    WriteText(image, TiTxt(0xF000, Pattern(10, 1)) + TiTxt(0xF010, Pattern(10, 2)) + "q\n");
    ASSERT_EQ(WriteFile_Hesmark(image.c_str(), 1, 0), 1) << LastError();
    EXPECT_EQ(Lengths(Frames(0x12)), (std::vector<size_t>{10, 10}));
}

TEST_F(Files, OddImagePaddedWithWarnings) {
    StartUnlocked();
    const std::string image = TempPath("odd.txt");
    WriteText(image, TiTxt(0xF000, {1, 2, 3, 4, 5}) + TiTxt(0xF101, {6, 7}) + "q\n");
    ASSERT_EQ(WriteFile_Hesmark(image.c_str(), 1, 1), 1) << LastError();
    const auto frames = Frames(0x12);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].data, (std::vector<uint8_t>{1, 2, 3, 4, 5, 0xFF}));
    EXPECT_EQ(frames[1].address, 0xF101);
    const std::vector<std::string> logs = Logs();
    EXPECT_NE(std::find(logs.begin(), logs.end(), "WARNING:  Encountered odd block size at F000"),
              logs.end());
    EXPECT_NE(std::find(logs.begin(), logs.end(), "WARNING:  Encountered odd block address F101"),
              logs.end());
}

TEST_F(Files, UnreadableFilesAndTypes) {
    StartUnlocked();
    EXPECT_EQ(WriteFile_Hesmark(TempPath("missing.txt").c_str(), 1, 1), 0);
    EXPECT_NE(LastError(), "No error");
    EXPECT_EQ(WriteFile_Hesmark(TempPath("missing.txt").c_str(), 5, 1), 0);
    EXPECT_EQ(LastError(), "Unrecognized file type 5");
    EXPECT_EQ(ReadFile_Hesmark(TempPath("out.txt").c_str(), 0, 0xE000, 2), 0);
    EXPECT_EQ(LastError(), "Unrecognized file type 0");
}

}  // namespace

namespace {

class LongImage : public HesmarkTest {
  protected:
    LongImage() : HesmarkTest(hesmarktest::LockAChip(), true) {}
};

// Long enough for the flash work to outlast the watchdog's reset interval.
TEST_F(LongImage, FourKilobytesWrittenAndVerified) {
    StartUnlocked();
    const std::vector<uint8_t> code = Pattern(4096, 0x21);
    const std::string image = TempPath("long.txt");
    WriteText(image, TiTxt(0xC000, code) + "q\n");
    ASSERT_EQ(WriteFile_Hesmark(image.c_str(), 1, 1), 1) << LastError();
    EXPECT_EQ(Peek(0xC000, code.size()), code);
    ClearLogs();
    ASSERT_EQ(VerifyFile_Hesmark(image.c_str(), 1), 1) << LastError();
    const std::vector<int32_t> progress = Progress(HESMARK_PROGRESS_VERIFY_FILE);
    ASSERT_EQ(progress.size(), 258u);
    EXPECT_EQ(progress.front(), 0);
    EXPECT_EQ(progress.back(), 100);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(bench.chip.pucCount(), 2u);  // power-on and the loader's entry reset
}

}  // namespace
