// Faults the connection guards against: memory above 64K, padded odd blocks,
// and receive counts larger than a frame.
#include "hesmark_fixture.h"

namespace {

using hesmarktest::HesmarkTest;

std::string Line(uint32_t address, const std::vector<uint8_t>& data) {
    char text[16];
    std::snprintf(text, sizeof text, "@%05X\n", address);
    std::string out = text;
    for (size_t i = 0; i < data.size(); ++i) {
        std::snprintf(text, sizeof text, "%02X", data[i]);
        out += text;
        out += i + 1 == data.size() ? "\n" : " ";
    }
    return out;
}

class BigMemory : public HesmarkTest {
  protected:
    BigMemory() : HesmarkTest(hesmarktest::BigChip(), false) {}
};

TEST_F(BigMemory, HighBlocksUseTheMemoryOffset) {
    StartUnlocked();
    const std::vector<uint8_t> low0 = Peek(0x0000, 0x200);
    const std::vector<uint8_t> high(16, 0x3C);
    const std::vector<uint8_t> edge = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    const std::string image = TempPath("big.txt");
    WriteText(image, Line(0xFFF8, edge) + Line(0x12000, high) + "q\n");
    ASSERT_EQ(WriteFile_Hesmark(image.c_str(), 1, 1), 1) << LastError();
    EXPECT_EQ(Peek(0xFFF8, 16), edge);
    EXPECT_EQ(Peek(0x12000, 16), high);
    EXPECT_EQ(Peek(0x0000, 0x200), low0);
    const auto offsets = Frames(0x21);
    ASSERT_EQ(offsets.size(), 1u);
    EXPECT_EQ(offsets[0].address, 1);
    // The block across 0x10000 is cut there.
    const auto writes = Frames(0x12);
    ASSERT_EQ(writes.size(), 3u);
    EXPECT_EQ(writes[0].address, 0xFFF8);
    EXPECT_EQ(writes[0].data.size(), 8u);
    EXPECT_EQ(writes[1].address, 0x0000);
    EXPECT_EQ(bench.loader.memoryOffset(), 1u);
    ASSERT_EQ(VerifyFile_Hesmark(image.c_str(), 1), 1) << LastError();
    // Back below 64K the offset returns to 0.
    const uint8_t data[2] = {0x12, 0x34};
    ASSERT_EQ(TxData_Hesmark(0x3000, data, 2, 1), 1) << LastError();
    EXPECT_EQ(bench.loader.memoryOffset(), 0u);
    EXPECT_EQ(Peek(0x3000, 2), (std::vector<uint8_t>{0x12, 0x34}));
    EXPECT_EQ(Peek(0x13000, 2), (std::vector<uint8_t>{0xFF, 0xFF}));
}

TEST_F(BigMemory, AnOffsetTheCallerSetsHoldsForAddressesBelow64K) {
    StartUnlocked();
    ASSERT_EQ(SetMemoryOffset_Hesmark(1), 1) << LastError();
    EXPECT_EQ(bench.loader.memoryOffset(), 1u);
    const uint8_t data[2] = {0x5A, 0xA5};
    ASSERT_EQ(TxData_Hesmark(0x3000, data, 2, 1), 1) << LastError();
    EXPECT_EQ(bench.loader.memoryOffset(), 1u);
    EXPECT_EQ(Peek(0x13000, 2), (std::vector<uint8_t>{0x5A, 0xA5}));
    EXPECT_EQ(Peek(0x3000, 2), (std::vector<uint8_t>{0xFF, 0xFF}));
    uint8_t back[2] = {};
    uint32_t got = 0;
    ASSERT_EQ(RxData_Hesmark(0x3000, back, 2, &got), 1) << LastError();
    EXPECT_EQ(back[0], 0x5A);
    EXPECT_TRUE(Frames(0x21).size() == 1u);  // set once, by the caller
    // An address above 64K chooses its own offset; from then on low addresses are low again.
    ASSERT_EQ(RxData_Hesmark(0x12000, back, 2, &got), 1) << LastError();
    ASSERT_EQ(TxData_Hesmark(0x3100, data, 2, 1), 1) << LastError();
    EXPECT_EQ(bench.loader.memoryOffset(), 0u);
    EXPECT_EQ(Peek(0x3100, 2), (std::vector<uint8_t>{0x5A, 0xA5}));
}

TEST_F(HesmarkTest, HighBlocksRefusedByLoaderWithoutOffset) {
    StartUnlocked();
    const std::vector<uint8_t> low0 = Peek(0x0000, 0x400);
    const std::string image = TempPath("big.txt");
    WriteText(image, Line(0xF000, {1, 2}) + Line(0x10000, std::vector<uint8_t>(16, 0)) + "q\n");
    EXPECT_EQ(WriteFile_Hesmark(image.c_str(), 1, 1), 0);
    EXPECT_EQ(LastError(),
              "Unable to reach address 10000: bootstrap loader 1.61 has no memory offset command");
    EXPECT_EQ(Frames(0x12).size(), 1u);  // the block below 64K only
    EXPECT_TRUE(Frames(0x21).empty());
    EXPECT_EQ(Peek(0x0000, 0x400), low0);
    uint8_t buffer[2];
    uint32_t got = 7;
    EXPECT_EQ(RxData_Hesmark(0x10000, buffer, 2, &got), 0);
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(ReadFile_Hesmark(TempPath("out.txt").c_str(), 1, 0xFFF0, 32), 0);
    EXPECT_EQ(LastError(),
              "Unable to reach address 10000: bootstrap loader 1.61 has no memory offset command");
}

TEST_F(HesmarkTest, HighBlockWithLoaderVersionUnknownAsksTheLoader) {
    Start();  // no password: the version has not been read
    const std::vector<uint8_t> low0 = Peek(0x0000, 0x400);
    const std::string image = TempPath("big.txt");
    WriteText(image, Line(0x10000, std::vector<uint8_t>(16, 0)) + "q\n");
    EXPECT_EQ(WriteFile_Hesmark(image.c_str(), 1, 0), 0);
    EXPECT_EQ(LastError(),
              "Unable to set memory offset 0001 for address 10000\nAck failed, returned A0");
    EXPECT_EQ(Frames(0x21).size(), 1u);
    EXPECT_TRUE(Frames(0x12).empty());
    EXPECT_EQ(Peek(0x0000, 0x400), low0);
}

TEST_F(HesmarkTest, OddRunAtFrameLimitNotWrittenTwice) {
    StartUnlocked();
    // Contiguous 13-byte lines: after nine of them the frame would pass 128 bytes
    // with an odd 117 gathered.
    std::string text;
    std::vector<uint8_t> all;
    for (uint32_t i = 0; i < 12; ++i) {
        std::vector<uint8_t> line(13);
        for (size_t k = 0; k < line.size(); ++k)
            line[k] = static_cast<uint8_t>(i * 13 + k);
        text += Line(0xE000 + 13 * i, line);
        all.insert(all.end(), line.begin(), line.end());
    }
    const std::string image = TempPath("runs.txt");
    WriteText(image, text + "q\n");
    ASSERT_EQ(WriteFile_Hesmark(image.c_str(), 1, 1), 1) << LastError();
    EXPECT_EQ(Peek(0xE000, all.size()), all);
    std::vector<int> writes(all.size(), 0);
    for (const auto& f : Frames(0x12)) {
        EXPECT_EQ(f.data.size() % 2, 0u);
        for (size_t k = 0; k < f.data.size(); ++k)
            ++writes[f.address - 0xE000 + k];
    }
    for (size_t a = 0; a < writes.size(); ++a)
        EXPECT_EQ(writes[a], 1) << "byte at " << std::hex << 0xE000 + a;
}

TEST_F(HesmarkTest, PadByteNotComparedByVerify) {
    // The byte behind an odd image holds other data.
    const uint8_t programmed[6] = {1, 2, 3, 4, 5, 0x12};
    bench.chip.poke(0xF000, programmed, sizeof programmed);
    StartUnlocked();
    const std::string image = TempPath("odd.txt");
    WriteText(image, Line(0xF000, {1, 2, 3, 4, 5}) + "q\n");
    ASSERT_EQ(VerifyFile_Hesmark(image.c_str(), 1), 1) << LastError();
    ASSERT_EQ(Frames(0x14).size(), 1u);
    EXPECT_EQ(Frames(0x14)[0].length, 6);
    const uint8_t odd[3] = {1, 2, 3};
    EXPECT_EQ(VerifyData_Hesmark(0xF000, odd, 3), 1) << LastError();
}

TEST_F(HesmarkTest, ReceiveCountLargerThanAFrameFails) {
    StartUnlocked();
    std::vector<uint8_t> buffer(300, 0xAA);
    uint32_t got = 5;
    EXPECT_EQ(RxData_Hesmark(0xE000, buffer.data(), 300, &got), 0);
    EXPECT_EQ(LastError(), "Data buffer must 250 bytes or less, tried 012C");
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(RxData_Hesmark(0xE000, buffer.data(), 252, &got), 0);
    EXPECT_EQ(RxData_Hesmark(0xE000, buffer.data(), 3, &got), 0);
    EXPECT_EQ(LastError(), "Data buffer must contain an even number of bytes, tried 0003");
    EXPECT_EQ(RxData_Hesmark(0xE000, nullptr, 4, &got), 0);
    EXPECT_EQ(buffer, std::vector<uint8_t>(300, 0xAA));
    EXPECT_TRUE(Frames().empty());
    ASSERT_EQ(RxData_Hesmark(0xE000, buffer.data(), 250, &got), 1) << LastError();
    EXPECT_EQ(got, 250u);
}

}  // namespace
