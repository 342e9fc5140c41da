// The adapter wrapper through libhesmark.so against the simulated adapter and
// the ROM loader of a simulated chip.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

#include "kelvane/core/text_hex_file.h"
#include "kelvane/core/tovrin.h"
#include "tovrin_bench.h"

namespace {

using wrapperstest::ChipWithLoader;
using wrapperstest::Frame;
using wrapperstest::kPassword;
using wrapperstest::kReadBlock;
using wrapperstest::kWriteBlock;
using wrapperstest::TovrinBench;

kv::sim::DeviceProfile F149() {
    return ChipWithLoader("MSP430F149", 0x01, 0x61);
}

class TovrinTest : public ::testing::Test {
  protected:
    explicit TovrinTest(const kv::sim::DeviceProfile& device = F149(), bool testPin = false)
        : bench(device, testPin) {}
    void SetUp() override {
        kv::CTovrin::ResetProcessState();
        RegisterHWND_Hesmark(nullptr, nullptr, HESMARK_DEFAULT_MESSAGE, 0);
    }
    void TearDown() override { adapter.Close(); }

    // Opens, seizes the target and unlocks it with the blank password.
    void Start() {
        ASSERT_EQ(adapter.Reopen(), 1) << adapter.GetErrorText();
        ASSERT_EQ(adapter.InitializeTarget(), 1) << adapter.GetErrorText();
        ASSERT_EQ(adapter.ResendPassword(), 1) << adapter.GetErrorText();
        bench.ClearLogs();
    }

    std::vector<uint32_t> Lengths(uint8_t command) const {
        std::vector<uint32_t> out;
        for (const Frame& f : bench.Frames(command))
            out.push_back(f.length);
        return out;
    }

    TovrinBench bench;
    kv::CTovrin adapter;
};

TEST_F(TovrinTest, OpenReadsTheAdapterAndCloseForgetsIt) {
    std::string text;
    EXPECT_EQ(adapter.GetSerialNumber(text), 1);
    EXPECT_EQ(text, "Unknown");
    EXPECT_EQ(adapter.GetFirmwareVersion(text), 1);
    EXPECT_EQ(text, "Unknown");
    EXPECT_EQ(adapter.GetCurrentMemoryOffset(), -1);

    ASSERT_EQ(adapter.Reopen(), 1) << adapter.GetErrorText();
    EXPECT_EQ(adapter.IsOpen(), 1);
    EXPECT_EQ(adapter.GetSerialNumber(text), 1);
    EXPECT_EQ(text, "10597059");
    EXPECT_EQ(adapter.GetFirmwareVersion(text), 1);
    EXPECT_EQ(text, "v01.03");
    EXPECT_EQ(adapter.GetLibraryVersion(text), 1);
    EXPECT_EQ(text, GetVersion_Hesmark());
    EXPECT_FALSE(bench.chip.powered()) << "opening leaves the target alone";
    EXPECT_TRUE(bench.boxes.empty());

    EXPECT_EQ(adapter.Close(), 1);
    EXPECT_EQ(adapter.IsOpen(), 0);
    EXPECT_EQ(adapter.GetSerialNumber(text), 1);
    EXPECT_EQ(text, "Unknown");
    EXPECT_EQ(adapter.GetLibraryVersion(text), 1);
    EXPECT_EQ(text, "Unknown");
}

TEST_F(TovrinTest, CloseKeepsTheAdapterLinesForTheNextOpen) {
    Start();
    adapter.Close();
    const uint32_t image = (static_cast<uint32_t>(bench.adapter->enableRegister()) << 16) |
                           bench.adapter->dataRegister();
    EXPECT_EQ(kv::CTovrin::GetSavedAdapterRegisters(), image);
    // The next wrapper hands the image back to the library before opening.
    kv::CTovrin next;
    ASSERT_EQ(next.Reopen(), 1) << next.GetErrorText();
    uint32_t restored = 0;
    ASSERT_EQ(SetOption_Hesmark(0x1003, &restored), 1);
    EXPECT_EQ(restored, image);
    next.Close();
}

TEST_F(TovrinTest, SerialNumberShowsAsASignedNumber) {
    kv::sim::TovrinAdapter::Config config;
    config.serialNumber = 0xFFFFFFFF;
    TovrinBench other(F149(), false, config);
    kv::CTovrin wrapper;
    ASSERT_EQ(wrapper.Reopen(), 1) << wrapper.GetErrorText();
    std::string text;
    wrapper.GetSerialNumber(text);
    EXPECT_EQ(text, "-1");
    wrapper.Close();
}

TEST_F(TovrinTest, OpenWithoutAdapterTakesTheLibraryText) {
    kv::usb::setBackend(std::make_shared<kv::sim::testing::SingleDeviceBackend>(nullptr));
    EXPECT_EQ(adapter.Reopen(), 0);
    EXPECT_EQ(adapter.GetErrorText().rfind("Unable to open Tovrin", 0), 0u)
        << adapter.GetErrorText();
    EXPECT_EQ(adapter.IsOpen(), 0);
    std::string text;
    adapter.GetFirmwareVersion(text);
    EXPECT_EQ(text, "Unknown");
}

TEST_F(TovrinTest, LibraryFailuresLeaveTheLibraryText) {
    EXPECT_EQ(adapter.MassErase(), 0);
    EXPECT_EQ(adapter.GetErrorText(), "MassErase_Hesmark() called prior to Open_Hesmark()");
    EXPECT_EQ(adapter.InitializeTarget(), 0);
    EXPECT_EQ(adapter.GetErrorText(), "InitializeTarget_Hesmark() called prior to Open_Hesmark()");
    EXPECT_EQ(adapter.PowerOff(), 0);
    EXPECT_EQ(adapter.GetErrorText(), "PowerOff_Hesmark() called prior to Open_Hesmark()");
    std::string taken = adapter.TakeLastError();
    EXPECT_EQ(taken, "PowerOff_Hesmark() called prior to Open_Hesmark()");
    EXPECT_EQ(adapter.GetErrorText(), "");
}

TEST_F(TovrinTest, PasswordGoesLowByteFirstAndIsKeptForResending) {
    Start();
    // Give the chip a password of its own.
    std::vector<uint8_t> vectors(32);
    uint16_t words[16];
    for (int i = 0; i < 16; ++i) {
        words[i] = static_cast<uint16_t>(0xC100 + 2 * i);
        vectors[2 * i] = static_cast<uint8_t>(words[i]);
        vectors[2 * i + 1] = static_cast<uint8_t>(words[i] >> 8);
    }
    ASSERT_EQ(adapter.WriteMemory(vectors.data(), 0xFFE0, 32), 1) << adapter.GetErrorText();
    ASSERT_EQ(adapter.ResetTarget(), 1) << adapter.GetErrorText();
    ASSERT_EQ(adapter.InitializeTarget(), 1) << adapter.GetErrorText();
    bench.ClearLogs();

    ASSERT_EQ(adapter.SetPassword(words), 1) << adapter.GetErrorText();
    auto sent = bench.Frames(kPassword);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].data, vectors);
    EXPECT_TRUE(std::equal(vectors.begin(), vectors.end(), kv::CTovrin::GetLastPassword().begin()));

    // Another wrapper of the same program resends the same bytes.
    adapter.Close();
    kv::CTovrin next;
    ASSERT_EQ(next.Reopen(), 1);
    ASSERT_EQ(next.InitializeTarget(), 1) << next.GetErrorText();
    bench.ClearLogs();
    EXPECT_EQ(next.ResendPassword(), 1) << next.GetErrorText();
    sent = bench.Frames(kPassword);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].data, vectors);

    // A wrong password fails with the library's text.
    words[0] = 0x1234;
    EXPECT_EQ(next.SetPassword(words), 0);
    EXPECT_NE(next.GetErrorText(), "");
    EXPECT_NE(next.GetErrorText(), "No error");
    next.Close();
}

TEST_F(TovrinTest, ResendBeforeAnyPasswordSendsTheErasedChipPassword) {
    ASSERT_EQ(adapter.Reopen(), 1);
    ASSERT_EQ(adapter.InitializeTarget(), 1) << adapter.GetErrorText();
    bench.ClearLogs();
    EXPECT_EQ(adapter.ResendPassword(), 1) << adapter.GetErrorText();
    ASSERT_EQ(bench.Frames(kPassword).size(), 1u);
    EXPECT_EQ(bench.Frames(kPassword)[0].data, std::vector<uint8_t>(32, 0xFF));
}

TEST_F(TovrinTest, LoaderVersionIsReadOnceAfterTheSeize) {
    Start();
    uint8_t major = 0, minor = 0;
    ASSERT_EQ(adapter.GetBootloaderVersion(major, minor), 1);
    EXPECT_EQ(major, 0x01);
    EXPECT_EQ(minor, 0x61);
    EXPECT_EQ(adapter.SupportsMemoryOffset(), 0);
    EXPECT_EQ(adapter.GetCurrentMemoryOffset(), 0);
}

// A file image written, verified and read back the way the adapter's file
// commands move it: in pieces of at most 768 bytes.
TEST_F(TovrinTest, MassEraseWriteVerifyAndReadAFile) {
    Start();
    const auto dir =
        std::filesystem::temp_directory_path() / ("kelvane_tovrin_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string source = (dir / "image.txt").string();
    const std::string readBack = (dir / "read.txt").string();
    {
        std::ofstream out(source);
        out << "@F000\n";
        for (int line = 0; line < 100; ++line) {
            for (int i = 0; i < 16; ++i) {
                char text[4];
                std::snprintf(text, sizeof text, "%02X", (line * 16 + i * 7) & 0xFF);
                out << text << (i == 15 ? "\n" : " ");
            }
        }
        out << "@FFFE\n00 F0\nq\n";
    }
    ASSERT_EQ(adapter.MassErase(), 1) << adapter.GetErrorText();
    ASSERT_EQ(adapter.ResendPassword(), 1) << adapter.GetErrorText();

    kv::CTextHexFile image;
    ASSERT_EQ(image.Open(source, kv::CHexImageFile::kModeRead), 1) << image.GetLastError();
    for (size_t b = 0; b < image.GetBlockCount(); ++b) {
        const kv::CHexBlock* block = image.GetBlock(b);
        for (uint32_t done = 0; done < block->GetCount(); done += 768) {
            const uint32_t n = std::min<uint32_t>(768, block->GetCount() - done);
            ASSERT_EQ(adapter.WriteMemory(block->GetData() + done, block->GetAddress() + done, n),
                      1)
                << adapter.GetErrorText();
            ASSERT_EQ(adapter.VerifyMemory(block->GetData() + done, block->GetAddress() + done, n),
                      1)
                << adapter.GetErrorText();
        }
    }
    EXPECT_EQ(bench.Peek(0xF000, 3), (std::vector<uint8_t>{0x00, 0x07, 0x0E}));
    EXPECT_EQ(bench.Peek(0xFFFE, 2), (std::vector<uint8_t>{0x00, 0xF0}));

    std::vector<uint8_t> data(1600);
    ASSERT_EQ(adapter.ReadMemory(data.data(), 0xF000, 1600), 1) << adapter.GetErrorText();
    kv::CTextHexFile out;
    ASSERT_EQ(out.Open(readBack, kv::CHexImageFile::kModeWrite), 1);
    ASSERT_EQ(out.AddBlock(data.data(), 0xF000, 1600), 1);
    uint8_t vector[2];
    ASSERT_EQ(adapter.ReadMemory(vector, 0xFFFE, 2), 1);
    ASSERT_EQ(out.AddBlock(vector, 0xFFFE, 2), 1);
    ASSERT_EQ(out.Write(), 1) << out.GetLastError();
    out.Close();

    kv::CTextHexFile again;
    ASSERT_EQ(again.Open(readBack, kv::CHexImageFile::kModeRead), 1) << again.GetLastError();
    std::vector<uint8_t> expected(0x1000, 0xFF), actual(0x1000, 0xFF);
    image.ExtractBlock(expected.data(), 0xF000, 0x1000);
    again.ExtractBlock(actual.data(), 0xF000, 0x1000);
    EXPECT_EQ(actual, expected);
    EXPECT_EQ(again.GetTotalBytes(), 1602u);

    // A byte that differs is named.
    data[5] ^= 0xFF;
    EXPECT_EQ(adapter.VerifyMemory(data.data(), 0xF000, 16), 0);
    EXPECT_EQ(adapter.GetErrorText(), "Verify error at address 0xF005, read 0x23, expected 0xDC");
    std::filesystem::remove_all(dir);
}

TEST_F(TovrinTest, OddStartAndLengthAreWidenedWithTheTargetBytes) {
    Start();
    const uint8_t before[6] = {0x10, 0x11, 0x12, 0x13, 0x14, 0x15};
    bench.chip.poke(0x0300, before, 6);
    const uint8_t three[3] = {0xA1, 0xA2, 0xA3};
    ASSERT_EQ(adapter.WriteMemory(three, 0x0301, 3), 1) << adapter.GetErrorText();
    auto reads = bench.Frames(kReadBlock);
    auto writes = bench.Frames(kWriteBlock);
    ASSERT_GE(reads.size(), 2u);
    EXPECT_EQ(reads[0].address, 0x0300u);
    EXPECT_EQ(reads[0].length, 2u);
    EXPECT_EQ(reads[1].address, 0x0302u);
    EXPECT_EQ(reads[1].length, 2u);
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].address, 0x0300u);
    EXPECT_EQ(writes[0].data, (std::vector<uint8_t>{0x10, 0xA1, 0xA2, 0xA3}));
    EXPECT_EQ(bench.Peek(0x0300, 6), (std::vector<uint8_t>{0x10, 0xA1, 0xA2, 0xA3, 0x14, 0x15}));

    // An odd start with an even count needs the byte behind as well.
    bench.ClearLogs();
    const uint8_t two[2] = {0xB1, 0xB2};
    ASSERT_EQ(adapter.WriteMemory(two, 0x0303, 2), 1) << adapter.GetErrorText();
    writes = bench.Frames(kWriteBlock);
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].address, 0x0302u);
    EXPECT_EQ(writes[0].data, (std::vector<uint8_t>{0xA2, 0xB1, 0xB2, 0x15}));
    EXPECT_EQ(bench.Peek(0x0300, 6), (std::vector<uint8_t>{0x10, 0xA1, 0xA2, 0xB1, 0xB2, 0x15}));

    // An even start with an odd count.
    const uint8_t one[1] = {0xC1};
    ASSERT_EQ(adapter.WriteMemory(one, 0x0304, 1), 1) << adapter.GetErrorText();
    EXPECT_EQ(bench.Peek(0x0300, 6), (std::vector<uint8_t>{0x10, 0xA1, 0xA2, 0xB1, 0xC1, 0x15}));

    uint8_t read[3] = {};
    ASSERT_EQ(adapter.ReadMemory(read, 0x0301, 3), 1) << adapter.GetErrorText();
    EXPECT_EQ(std::vector<uint8_t>(read, read + 3), (std::vector<uint8_t>{0xA1, 0xA2, 0xB1}));
    ASSERT_EQ(adapter.ReadMemory(read, 0x0305, 1), 1);
    EXPECT_EQ(read[0], 0x15);
    EXPECT_EQ(adapter.WriteMemory(nullptr, 0x0300, 0), 1) << "zero bytes succeed at once";
    EXPECT_EQ(adapter.ReadMemory(nullptr, 0x0300, 0), 1);
}

TEST_F(TovrinTest, TransfersGoInFramesOfAtMost192Bytes) {
    Start();
    std::vector<uint8_t> data(500);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i * 3);
    ASSERT_EQ(adapter.WriteMemory(data.data(), 0x1100, 500), 1) << adapter.GetErrorText();
    EXPECT_EQ(Lengths(kWriteBlock), (std::vector<uint32_t>{192, 192, 116}));
    EXPECT_EQ(bench.Peek(0x1100, 500), data);
    bench.ClearLogs();
    std::vector<uint8_t> read(500);
    ASSERT_EQ(adapter.ReadMemory(read.data(), 0x1100, 500), 1);
    EXPECT_EQ(Lengths(kReadBlock), (std::vector<uint32_t>{192, 192, 116}));
    EXPECT_EQ(read, data);
}

TEST_F(TovrinTest, PlainDevicesStopAtTheEndOfTheFirst64K) {
    Start();
    std::vector<uint8_t> data(400, 0x5A);
    EXPECT_EQ(adapter.WriteMemory(data.data(), 0xFF80, 400), 0);
    EXPECT_EQ(adapter.GetErrorText(), "Unable to set memory offset with non-MSP430X devices");
    EXPECT_EQ(Lengths(kWriteBlock), (std::vector<uint32_t>{128}));
}

TEST_F(TovrinTest, EraseCheckFindsTheFirstWordThatIsNotBlank) {
    Start();
    int erased = -1;
    uint32_t failure = 99;
    EXPECT_EQ(adapter.EraseCheck(0x1001, 4, &erased, &failure), 0);
    EXPECT_EQ(adapter.GetErrorText(), "The starting address for an erase check must be even.");
    EXPECT_TRUE(bench.Frames().empty());
    EXPECT_EQ(adapter.EraseCheck(0x1000, 4, nullptr, &failure), 0);
    EXPECT_EQ(adapter.GetErrorText(), "Unable to check erase status with NULL pbErased flag");
    EXPECT_EQ(adapter.EraseCheck(0x1000, 4, &erased, nullptr), 0);
    EXPECT_EQ(adapter.GetErrorText(), "Unable to check erase status with NULL pdwFailureAddress");

    ASSERT_EQ(adapter.EraseCheck(0xF000, 0x100, &erased, &failure), 1) << adapter.GetErrorText();
    EXPECT_EQ(erased, 1);
    EXPECT_EQ(failure, 0u);

    const uint8_t word[2] = {0x34, 0x12};
    ASSERT_EQ(adapter.WriteMemory(word, 0xF0A2, 2), 1);
    EXPECT_EQ(adapter.EraseCheck(0xF000, 0x100, &erased, &failure), 0);
    EXPECT_EQ(erased, 0);
    EXPECT_EQ(failure, 0xF0A2u);
    EXPECT_EQ(adapter.GetErrorText(), "Verify failed at address 0xF0A2, read 0x1234");

    ASSERT_EQ(adapter.SectorErase(0xF000), 1) << adapter.GetErrorText();
    EXPECT_EQ(adapter.EraseCheck(0xF000, 0x100, &erased, &failure), 1) << adapter.GetErrorText();
}

TEST_F(TovrinTest, LoadPCStartsTheProgramAndReopenSeizesAgain) {
    Start();
    EXPECT_EQ(adapter.LoadPC(0xF000), 1) << adapter.GetErrorText();
    EXPECT_FALSE(bench.loader.running());
    EXPECT_EQ(adapter.PowerOff(), 1) << adapter.GetErrorText();
    EXPECT_FALSE(bench.chip.powered());
}

class TovrinLockA : public TovrinTest {
  protected:
    TovrinLockA() : TovrinTest(*kv::sim::findProfile("MSP430F2274"), true) {}
};

// The register image comes from the target; the write carries the flash key in
// its high byte and goes without a verify read. LOCKA toggles when 1 is written,
// so the bit is written only when the segment's state must change.
TEST_F(TovrinLockA, LockAWritesTheControlRegisterWithTheKey) {
    Start();
    uint8_t reg[2] = {};
    ASSERT_EQ(adapter.ReadMemory(reg, 0x012C, 2), 1) << adapter.GetErrorText();
    ASSERT_EQ(reg[1], 0x96);
    ASSERT_EQ(reg[0], 0x58) << "LOCKA is set after a reset";
    struct Step {
        int lock;
        bool toggles;
    };
    // Locked: unlock (toggle), unlock again (no toggle), lock (toggle), lock again.
    for (Step step : {Step{0, true}, Step{0, false}, Step{1, true}, Step{1, false}}) {
        SCOPED_TRACE(step.lock);
        ASSERT_EQ(adapter.ReadMemory(reg, 0x012C, 2), 1);
        bench.ClearLogs();
        ASSERT_EQ(adapter.SetLockA(step.lock), 1) << adapter.GetErrorText();
        auto reads = bench.Frames(kReadBlock);
        ASSERT_EQ(reads.size(), 1u) << "the register is written without a verify";
        EXPECT_EQ(reads[0].address, 0x012Cu);
        EXPECT_EQ(reads[0].length, 2u);
        auto writes = bench.Frames(kWriteBlock);
        ASSERT_EQ(writes.size(), 1u);
        EXPECT_EQ(writes[0].address, 0x012Cu);
        const uint8_t low = step.toggles ? static_cast<uint8_t>(reg[0] | 0x40)
                                         : static_cast<uint8_t>(reg[0] & ~0x40);
        EXPECT_EQ(writes[0].data, (std::vector<uint8_t>{low, 0xA5}));
        uint8_t after[2] = {};
        ASSERT_EQ(adapter.ReadMemory(after, 0x012C, 2), 1);
        EXPECT_EQ((after[0] & 0x40) != 0, step.lock != 0) << "segment A lock as asked";
    }
}

class TovrinExtended : public TovrinTest {
  protected:
    TovrinExtended() : TovrinTest(ChipWithLoader("MSP430FG4619", 0x02, 0x12)) {}
};

TEST_F(TovrinExtended, ExtendedMemoryIsRefusedBeforeAnyFrame) {
    Start();
    adapter.SetExtendedTarget(1);
    EXPECT_EQ(adapter.SupportsMemoryOffset(), 1);
    uint8_t data[4] = {};
    EXPECT_EQ(adapter.ReadMemory(data, 0x10000, 4), 0);
    EXPECT_EQ(adapter.GetErrorText(),
              "Unable to access extended memory at or above 0x00010000 with the current BSL "
              "implementations.\nUse a Dravik or Morrend instead");
    EXPECT_TRUE(bench.Frames().empty());
    // Memory below 64K still works.
    EXPECT_EQ(adapter.ReadMemory(data, 0x1100, 4), 1) << adapter.GetErrorText();
}

TEST(TovrinLoaderVersions, MemoryOffsetFromLoader2Point18On) {
    struct Case {
        uint8_t major, minor;
        int supported;
    };
    for (const Case& c : {Case{2, 0x11, 0}, Case{2, 0x12, 1}, Case{3, 0x00, 1}, Case{1, 0x61, 0}}) {
        SCOPED_TRACE(testing::Message() << int(c.major) << "." << int(c.minor));
        TovrinBench bench(ChipWithLoader("MSP430FG4619", c.major, c.minor));
        kv::CTovrin adapter;
        ASSERT_EQ(adapter.Reopen(), 1) << adapter.GetErrorText();
        ASSERT_EQ(adapter.InitializeTarget(), 1) << adapter.GetErrorText();
        ASSERT_EQ(adapter.ResendPassword(), 1) << adapter.GetErrorText();
        EXPECT_EQ(adapter.SupportsMemoryOffset(), c.supported);
        adapter.Close();
    }
}

class TovrinOldLoader : public TovrinTest {
  protected:
    TovrinOldLoader() : TovrinTest(ChipWithLoader("MSP430F149", 0x01, 0x10)) {}
    void TearDown() override {
        TovrinTest::TearDown();
        kv::CTovrin::ResetProcessState();
        std::filesystem::remove_all(dir);
    }
    // The simulator's patch as the program's PATCH.TXT; the bytes it writes.
    uint32_t SupplyPatch() {
        std::filesystem::create_directories(dir);
        const std::string patch = (dir / "PATCH.TXT").string();
        std::filesystem::copy_file(KELVANE_SIM_PATCH_FILE, patch);
        kv::CTovrin::SetPatchFileName(patch.c_str(), 1);
        kv::CTextHexFile image;
        EXPECT_EQ(image.Open(patch, kv::CHexImageFile::kModeRead), 1) << image.GetLastError();
        return (image.GetTotalBytes() + 1) & ~1u;
    }
    std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                ("kelvane_oldloader_" + std::to_string(::getpid()));
};

TEST_F(TovrinOldLoader, MissingPatchFileIsAskedForByNameWhenTheLoaderNeedsIt) {
    std::filesystem::create_directories(dir);
    const std::string patch = (dir / "PATCH.TXT").string();
    kv::CTovrin::SetPatchFileName(patch.c_str(), 1);
    ASSERT_EQ(adapter.Reopen(), 1) << "a missing patch file fails no open: "
                                   << adapter.GetErrorText();
    ASSERT_EQ(adapter.InitializeTarget(), 1) << adapter.GetErrorText();
    ASSERT_EQ(adapter.ResendPassword(), 1) << adapter.GetErrorText();
    bench.ClearLogs();
    const uint8_t data[2] = {0x34, 0x12};
    EXPECT_EQ(adapter.WriteMemory(data, 0x1100, 2), 0);
    EXPECT_EQ(adapter.GetErrorText(),
              "Bootstrap loader 1.10 needs the loader patch: supply the patch file " + patch);
    EXPECT_TRUE(bench.Frames().empty());

    // The simulator's patch supplied under that name: the next run works.
    std::filesystem::copy_file(KELVANE_SIM_PATCH_FILE, patch);
    ASSERT_EQ(adapter.Reopen(), 1) << adapter.GetErrorText();
    ASSERT_EQ(adapter.InitializeTarget(), 1) << adapter.GetErrorText();
    ASSERT_EQ(adapter.ResendPassword(), 1) << adapter.GetErrorText();
    ASSERT_EQ(adapter.WriteMemory(data, 0x1100, 2), 1) << adapter.GetErrorText();
    uint8_t back[2] = {};
    ASSERT_EQ(adapter.ReadMemory(back, 0x1100, 2), 1) << adapter.GetErrorText();
    EXPECT_EQ(back[0], 0x34);
    EXPECT_EQ(back[1], 0x12);
}

// A PATCH.TXT that cannot serve is refused when the adapter opens, with the
// reason, and a long line's reason survives the library's error buffer.
TEST_F(TovrinOldLoader, UnusablePatchFilesAreRefusedWithTheirReasonWhenRead) {
    const std::string kRow = "00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F\n";
    struct Case {
        const char* what;
        std::string content;  // empty: a symbolic link loop
        std::string reason;
    };
    const Case cases[] = {
        {"empty", "\n", "\nThe file holds no data"},
        {"no data", "@0220\nq\n", "\nThe file holds no data"},
        {"long bad line", "@0220\n" + std::string(1000, ' ') + "ZZ\nq\n",
         "\nError parsing line 2\n" + std::string(64, ' ') + "...\nUnrecognized source line\nZZ"},
        {"above the RAM", "@09F0\n" + kRow + "00\nq\n",
         "\nPatch data at 00A00 lies outside the loader's RAM, 00220 to 009FF"},
        {"on the loader's variables", "@0200\n00 01\nq\n",
         "\nPatch data at 00200 lies outside the loader's RAM, 00220 to 009FF"},
        {"cut short", "@0220\n" + kRow, "\nThe patch has no end line 'q': the file may be cut short"},
        {"data behind the end line", "@0220\n" + kRow + "q\n@0240\n00 01\n",
         "\nThe patch has no end line 'q': the file may be cut short"},
        {"odd start", "@0221\n" + kRow + "q\n",
         "\nPatch code at 00221 starts at an odd address: MSP430 code starts at even addresses "
         "only"},
        {"link loop", "", "\nToo many levels of symbolic links"},
    };
    std::filesystem::create_directories(dir);
    const std::string patch = (dir / "PATCH.TXT").string();
    kv::CTovrin::SetPatchFileName(patch.c_str(), 1);
    for (const Case& c : cases) {
        std::filesystem::remove(patch);
        std::filesystem::remove(dir / "loop");
        if (c.content.empty()) {
            std::filesystem::create_symlink("loop", patch);
            std::filesystem::create_symlink("PATCH.TXT", dir / "loop");
        } else {
            std::ofstream(patch) << c.content;
        }
        const auto begun = std::chrono::steady_clock::now();
        EXPECT_EQ(adapter.Reopen(), 0) << c.what;
        EXPECT_EQ(adapter.GetErrorText(), "Unable to open patch file " + patch + c.reason)
            << c.what;
        EXPECT_LT(std::chrono::steady_clock::now() - begun, std::chrono::seconds(5)) << c.what;
    }
}

// Each frame the password sends on a loader that needs the patch, refused:
// only the password frame's refusal is a refused password; the version read
// and every step of the patch are named.
TEST_F(TovrinOldLoader, ARefusedStepAfterThePasswordIsNamed) {
    const uint32_t patchBytes = SupplyPatch();
    const std::string accepted = "The password was accepted, but ";
    const std::string nak = "\nAck failed, returned A0";
    const struct {
        uint32_t frame;
        std::string text;
    } rows[] = {
        {1, "Ack failed, returned A0\nThe target's bootstrap loader refused the password. A "
            "chip with a 2.x loader erases its main and information memory on a wrong password."},
        {2, accepted + "the read of the processor information and loader version failed\n"
                       "Read request failed, read 0001 bytes\n"
                       "The loader refused the read: it answered NAK (A0)"},
        {3, accepted + "the loader patch failed at its load PC 0C22" + nak},
        {4, accepted + "the loader patch failed at the password for the restarted loader" + nak},
        {5, accepted + "the loader patch failed at its write of " + std::to_string(patchBytes) +
                " bytes at 0220" + nak},
    };
    uint16_t words[16];
    std::fill(std::begin(words), std::end(words), 0xFFFF);
    ASSERT_EQ(adapter.Reopen(), 1) << adapter.GetErrorText();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.frame);
        bench.loader.faults().refuseFrame = row.frame;
        ASSERT_EQ(adapter.InitializeTarget(), 1) << adapter.GetErrorText();
        EXPECT_EQ(adapter.SetPassword(words), 0);
        EXPECT_EQ(adapter.GetErrorText(), row.text);
        ASSERT_EQ(adapter.InitializeTarget(), 1) << adapter.GetErrorText();
        EXPECT_EQ(adapter.ResendPassword(), 0);
        EXPECT_EQ(adapter.GetErrorText(), row.text);
    }
}

// A 1.10 loader acknowledges a block that did not take (bits of programmed
// flash cannot go back to 1); the library's own read-back finds it.
TEST_F(TovrinOldLoader, AWriteThatDoesNotTakeIsFoundByTheReadBack) {
    SupplyPatch();
    Start();
    const uint8_t zeros[2] = {0x00, 0x00};
    const uint8_t ones[2] = {0x0F, 0xF0};
    ASSERT_EQ(adapter.WriteMemory(zeros, 0x1100, 2), 1) << adapter.GetErrorText();
    EXPECT_EQ(adapter.WriteMemory(ones, 0x1100, 2), 0);
    EXPECT_EQ(adapter.GetErrorText(), "Verify failed at address 1100");
    EXPECT_EQ(bench.Peek(0x1100, 2), (std::vector<uint8_t>{0x00, 0x00}));
}

TEST(TovrinPatchFile, NameIsMadeFullUnlessKeptAsIs) {
    kv::CTovrin::SetPatchFileName("PATCH.TXT", 0);
    EXPECT_EQ(kv::CTovrin::GetPatchFileName(),
              (std::filesystem::current_path() / "PATCH.TXT").string());
    kv::CTovrin::SetPatchFileName("PATCH.TXT", 1);
    EXPECT_EQ(kv::CTovrin::GetPatchFileName(), "PATCH.TXT");
    kv::CTovrin::SetPatchFileName(nullptr, 0);
    EXPECT_EQ(kv::CTovrin::GetPatchFileName(), "");
}

}  // namespace
