// The connection through the exported interface: adapter and target
// initialisation, passwords, erasing, load PC, signals and the texts.
#include <cstring>

#include "hesmark_fixture.h"
#include "kelvane/asm/msp430_asm.h"

namespace {

using hesmarktest::HesmarkTest;
using kv::sim::RomBootLoader;

// A program that stops the watchdog, leaves marks in R5 and RAM and sleeps.
std::vector<uint8_t> MarkProgram(uint32_t origin) {
    using namespace kv::asm430;
    Assembler a(origin);
    a.mov(imm(0x5A80), absolute(0x0120));
    a.mov(imm(0x0A00), reg(SP));
    a.mov(imm(0x1234), reg(R5));
    a.mov(imm(0xBEEF), absolute(0x0200));
    a.bis(imm(0xF0), reg(SR));
    std::vector<uint8_t> bytes;
    for (uint16_t w : a.words()) {
        bytes.push_back(static_cast<uint8_t>(w));
        bytes.push_back(static_cast<uint8_t>(w >> 8));
    }
    return bytes;
}

std::vector<uint8_t> Password() {
    std::vector<uint8_t> p(32);
    for (size_t i = 0; i < p.size(); ++i)
        p[i] = static_cast<uint8_t>(0xC0 + i);
    return p;
}

using Library = HesmarkTest;

TEST_F(Library, CallsBeforeOpenAndPlainTexts) {
    EXPECT_EQ(MassErase_Hesmark(), 0);
    EXPECT_EQ(LastError(), "MassErase_Hesmark() called prior to Open_Hesmark()");
    EXPECT_EQ(SetMemoryOffset_Hesmark(1), 0);
    EXPECT_EQ(LastError(), "Cannot set memory offset with NULL Hesmark Port");
    EXPECT_STREQ(GetVersion_Hesmark(), "01.01.00");
    EXPECT_STREQ(GetProcessorType_Hesmark(), "");
    EXPECT_EQ(IsOpen_Hesmark(), 0);
    uint32_t value = 0;
    EXPECT_EQ(SetOption_Hesmark(7, &value), 1);
    EXPECT_EQ(SetOption_Hesmark(2, nullptr), 0);
    char small[10];
    EXPECT_EQ(MassErase_Hesmark(), 0);
    EXPECT_EQ(GetLastError_Hesmark(small, sizeof small), 9);
    EXPECT_STREQ(small, "MassErase");
    ASSERT_EQ(Open_Hesmark(0, 9600), 1);
    EXPECT_EQ(PortTx_Hesmark(), 0);
    EXPECT_EQ(LastError(), "PortTx_Hesmark() not implemented yet.");
    EXPECT_EQ(PortRx_Hesmark(), 0);
    EXPECT_EQ(LastError(), "PortRx_Hesmark() not implemented yet.");
}

TEST_F(Library, OpenFailsWithoutAdapterAndLeavesNoConnection) {
    kv::usb::setBackend(std::make_shared<kv::sim::testing::SingleDeviceBackend>(nullptr));
    EXPECT_EQ(Open_Hesmark(0, 9600), 0);
    EXPECT_EQ(LastError().rfind("Unable to open Tovrin", 0), 0u) << LastError();
    EXPECT_EQ(IsOpen_Hesmark(), 0);
}

TEST_F(Library, AdapterInformationAndInitialisedTarget) {
    ASSERT_EQ(Open_Hesmark(0, 9600), 1);
    EXPECT_FALSE(bench.chip.powered());
    ASSERT_EQ(InitializeAdapter_Hesmark(), 1) << LastError();
    uint16_t version = 0;
    uint32_t serial = 0;
    ASSERT_EQ(GetAdapterInfo_Hesmark(&version, &serial), 1);
    EXPECT_EQ(version, 0x0103);
    EXPECT_EQ(serial, 0x00A1B2C3u);
    ClearLogs();
    const uint32_t start = bench.clock.tickCount();
    ASSERT_EQ(InitializeTarget_Hesmark(0), 1) << LastError();
    EXPECT_TRUE(bench.chip.powered());
    EXPECT_TRUE(bench.loader.running());
    EXPECT_GE(bench.clock.tickCount() - start, 380u);  // 3 x 100 + 20 + 50 + 10 ms
    EXPECT_EQ(Progress(HESMARK_PROGRESS_INIT_TARGET),
              (std::vector<int32_t>{0, 10, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100}));
    EXPECT_EQ(Logs(),
              (std::vector<std::string>{"", "Initializing target", "", "Target initialized"}));
    int32_t flag = 0;
    ASSERT_EQ(PollTargetSignal_Hesmark(&flag), 1) << LastError();
    EXPECT_EQ(flag, 1);
}

// A 1.x loader keeps the chip on a wrong password: the right one follows.
TEST_F(Library, PasswordFromWordsWrongThenRight) {
    const std::vector<uint8_t> password = Password();
    bench.chip.poke(0xFFE0, password.data(), password.size());
    Start();
    EXPECT_EQ(SetPasswordData_Hesmark(blank.data()), 0);
    EXPECT_EQ(LastError(), "Ack failed, returned A0");
    EXPECT_EQ(Logs().back(), "Set password acknowledge failed");
    EXPECT_TRUE(bench.loader.locked());
    ClearLogs();
    ASSERT_EQ(SetPasswordData_Hesmark(password.data()), 1) << LastError();
    EXPECT_FALSE(bench.loader.locked());
    EXPECT_EQ(Logs(),
              (std::vector<std::string>{"", "Setting password", "", "Reading processor information",
                                        "", "Set password successful"}));
    EXPECT_EQ(notices.back().flag, 1);
    uint8_t back[32];
    uint32_t count = 0;
    ASSERT_EQ(GetPasswordData_Hesmark(back, sizeof back, &count), 1);
    EXPECT_EQ(count, 32u);
    EXPECT_EQ(std::vector<uint8_t>(back, back + 32), password);
    EXPECT_EQ(GetPasswordData_Hesmark(back, 16, &count), 0);
    EXPECT_EQ(LastError(), "Insufficient password buffer size");
    EXPECT_STREQ(GetProcessorType_Hesmark(), "F149");
    uint8_t major = 0, minor = 0;
    ASSERT_EQ(GetBootloaderVersion_Hesmark(&major, &minor), 1);
    EXPECT_EQ(major, 0x01);
    EXPECT_EQ(minor, 0x61);
    EXPECT_EQ(IsPatchRequired_Hesmark(), 0);
}

TEST_F(Library, PasswordFromTiTxtAndIntelHexFiles) {
    const std::vector<uint8_t> password = Password();
    bench.chip.poke(0xFFE0, password.data(), password.size());
    Start();
    std::string ti = "@FFE0\n";
    std::string hex;
    for (int line = 0; line < 2; ++line) {
        const uint32_t address = 0xFFE0 + 16u * static_cast<uint32_t>(line);
        char head[16];
        std::snprintf(head, sizeof head, ":10%04X00", address);
        hex += head;
        unsigned sum = 0x10 + (address >> 8) + (address & 0xFF);
        for (int i = 0; i < 16; ++i) {
            const uint8_t b = password[static_cast<size_t>(line * 16 + i)];
            char text[4];
            std::snprintf(text, sizeof text, "%02X", b);
            ti += text;
            ti += i == 15 ? "\n" : " ";
            hex += text;
            sum += b;
        }
        char check[4];
        std::snprintf(check, sizeof check, "%02X", (0x100 - (sum & 0xFF)) & 0xFF);
        hex += check;
        hex += "\n";
    }
    ti += "q\n";
    hex += ":00000001FF\n";
    WriteText(TempPath("password.txt"), ti);
    WriteText(TempPath("password.hex"), hex);

    ASSERT_EQ(SetPasswordFile_Hesmark(TempPath("password.txt").c_str(), 1), 1) << LastError();
    EXPECT_FALSE(bench.loader.locked());
    ASSERT_EQ(InitializeTarget_Hesmark(0), 1);
    EXPECT_TRUE(bench.loader.locked());
    ASSERT_EQ(SetPasswordFile_Hesmark(TempPath("password.hex").c_str(), 2), 1) << LastError();
    EXPECT_FALSE(bench.loader.locked());
    EXPECT_EQ(SetPasswordFile_Hesmark(TempPath("password.hex").c_str(), 3), 0);
    EXPECT_EQ(LastError(), "Unrecognized file type 3");

    // With option 2 off the password is only stored.
    ASSERT_EQ(InitializeTarget_Hesmark(0), 1);
    uint32_t off = 0;
    ASSERT_EQ(SetOption_Hesmark(HESMARK_OPTION_SEND_PASSWORD_FILE, &off), 1);
    ClearLogs();
    ASSERT_EQ(SetPasswordFile_Hesmark(TempPath("password.txt").c_str(), 1), 1) << LastError();
    EXPECT_TRUE(bench.adapter->wireBytes(kv::sim::TovrinAdapter::Direction::ToTarget).empty());
    uint8_t back[32];
    uint32_t count = 0;
    ASSERT_EQ(GetPasswordData_Hesmark(back, sizeof back, &count), 1);
    EXPECT_EQ(std::vector<uint8_t>(back, back + 32), password);
}

TEST_F(Library, MassEraseClearsFlashAndPassword) {
    const std::vector<uint8_t> password = Password();
    bench.chip.poke(0xFFE0, password.data(), password.size());
    const uint8_t code[4] = {1, 2, 3, 4};
    bench.chip.poke(0x1100, code, 4);
    bench.chip.poke(0x1000, code, 4);
    Start();
    ASSERT_EQ(MassErase_Hesmark(), 1) << LastError();
    EXPECT_EQ(Logs(), (std::vector<std::string>{"", "", "Performing mass erase", "",
                                                "Mass erase successful"}));
    EXPECT_EQ(Peek(0x1100, 4), std::vector<uint8_t>(4, 0xFF));
    EXPECT_EQ(Peek(0x1000, 4), std::vector<uint8_t>(4, 0xFF));
    EXPECT_EQ(Peek(0xFFE0, 32), blank);
    EXPECT_EQ(SetPasswordData_Hesmark(blank.data()), 1) << LastError();
}

TEST_F(Library, SegmentEraseClearsOneSegment) {
    StartUnlocked();
    const std::vector<uint8_t> data = {0x12, 0x34, 0x56, 0x78};
    ASSERT_EQ(TxData_Hesmark(0xE010, data.data(), 4, 1), 1) << LastError();
    ASSERT_EQ(TxData_Hesmark(0xE200, data.data(), 4, 1), 1) << LastError();
    EXPECT_EQ(Peek(0xE010, 4), data);
    ClearLogs();
    ASSERT_EQ(SectorErase_Hesmark(0xE000), 1) << LastError();
    EXPECT_EQ(Logs(), (std::vector<std::string>{"", "", "Performing sector erase at E000", "",
                                                "Sector at E000 erased"}));
    EXPECT_EQ(Peek(0xE010, 4), std::vector<uint8_t>(4, 0xFF));
    EXPECT_EQ(Peek(0xE200, 4), data);
    uint8_t back[4];
    uint32_t got = 0;
    ASSERT_EQ(RxData_Hesmark(0xE200, back, 4, &got), 1) << LastError();
    EXPECT_EQ(got, 4u);
    EXPECT_EQ(std::vector<uint8_t>(back, back + 4), data);
}

TEST_F(Library, FlashOnlyClearsBitsThroughTheChip) {
    StartUnlocked();
    const uint8_t first[2] = {0xF0, 0xF0};
    const uint8_t second[2] = {0x0F, 0x0F};
    ASSERT_EQ(TxData_Hesmark(0xE000, first, 2, 0), 1) << LastError();
    // The loader reads back what it programmed and refuses the block.
    EXPECT_EQ(TxData_Hesmark(0xE000, second, 2, 0), 0);
    EXPECT_EQ(LastError(), "Ack failed, returned A0");
    EXPECT_EQ(Peek(0xE000, 2), (std::vector<uint8_t>{0x00, 0x00}));
    EXPECT_EQ(bench.chip.flash().eraseCount(0xE000), 0u);
}

TEST_F(Library, LoadPCRunsTheProgramOnTheCpu) {
    StartUnlocked();
    const std::vector<uint8_t> program = MarkProgram(0xE000);
    ASSERT_EQ(TxData_Hesmark(0xE000, program.data(), static_cast<uint32_t>(program.size()), 1), 1)
        << LastError();
    ClearLogs();
    ASSERT_EQ(LoadPC_Hesmark(0xE000), 1) << LastError();
    EXPECT_EQ(Logs(),
              (std::vector<std::string>{"", "", "Loading PC at E000", "", "PC loaded at E000"}));
    EXPECT_EQ(bench.loader.state(), RomBootLoader::State::UserProgram);
    EXPECT_EQ(bench.chip.reg(5), 0x1234u);
    EXPECT_EQ(bench.chip.peek16(0x0200), 0xBEEF);
    EXPECT_EQ(MassErase_Hesmark(), 0);  // the loader has left
}

TEST_F(Library, ResetTargetStartsTheUserProgramFromItsVector) {
    StartUnlocked();
    const std::vector<uint8_t> program = MarkProgram(0xE000);
    ASSERT_EQ(TxData_Hesmark(0xE000, program.data(), static_cast<uint32_t>(program.size()), 1), 1);
    const uint8_t vector[2] = {0x00, 0xE0};
    ASSERT_EQ(TxData_Hesmark(0xFFFE, vector, 2, 1), 1) << LastError();
    ClearLogs();
    const uint32_t start = bench.clock.tickCount();
    ASSERT_EQ(ResetTarget_Hesmark(), 1) << LastError();
    EXPECT_GE(bench.clock.tickCount() - start, 300u);
    EXPECT_EQ(Progress(HESMARK_PROGRESS_RESET_TARGET),
              (std::vector<int32_t>{0, 10, 20, 30, 40, 50, 90, 100}));
    EXPECT_EQ(bench.loader.state(), RomBootLoader::State::UserProgram);
    EXPECT_EQ(bench.chip.reg(5), 0x1234u);
    EXPECT_EQ(bench.chip.peek16(0x0200), 0xBEEF);
}

TEST_F(Library, PowerOffAndOnSwitchTheChip) {
    Start();
    ASSERT_EQ(PowerOff_Hesmark(), 1) << LastError();
    EXPECT_FALSE(bench.chip.powered());
    ASSERT_EQ(PowerOn_Hesmark(), 1) << LastError();
    EXPECT_TRUE(bench.chip.powered());
    EXPECT_EQ(Logs(),
              (std::vector<std::string>{"", "Powering down target", "", "Target powered down", "",
                                        "Powering up target", "", "Target powered up"}));
    ASSERT_EQ(Close_Hesmark(), 1);
    EXPECT_FALSE(bench.chip.powered());  // option 3: off at close
}

class LockA : public HesmarkTest {
  protected:
    LockA() : HesmarkTest(hesmarktest::LockAChip(), true) {}
};

TEST_F(LockA, SegmentAKeptByWritesAndMassErase) {
    const uint8_t calibration[2] = {0x5A, 0xA5};
    bench.chip.poke(0x10C0, calibration, 2);
    StartUnlocked();
    EXPECT_STREQ(GetProcessorType_Hesmark(), "F227");
    const uint8_t data[2] = {0x00, 0x00};
    EXPECT_EQ(TxData_Hesmark(0x10C0, data, 2, 1), 0);
    ASSERT_EQ(TxData_Hesmark(0x1080, data, 2, 1), 1) << LastError();
    ASSERT_EQ(MassErase_Hesmark(), 1) << LastError();
    EXPECT_EQ(Peek(0x10C0, 2), (std::vector<uint8_t>{0x5A, 0xA5}));
}

// The F2274's 2.00 loader answers a wrong password 0xA0 and erases the main
// flash and, LOCKA cleared, the information memory; a loader key word of
// 0x0000 at 0xFFDE keeps the chip.
TEST_F(LockA, AWrongPasswordErasesTheChipUnlessTheKeyWordKeepsIt) {
    const std::vector<uint8_t> password = Password();
    for (const bool keep : {false, true}) {
        SCOPED_TRACE(keep);
        const uint8_t calibration[2] = {0x5A, 0xA5};
        const uint8_t key[2] = {static_cast<uint8_t>(keep ? 0x00 : 0xFF),
                                static_cast<uint8_t>(keep ? 0x00 : 0xFF)};
        bench.chip.poke(0x10C0, calibration, 2);
        bench.chip.poke(0x1000, calibration, 2);
        bench.chip.poke(0xFFDE, key, 2);
        bench.chip.poke(0xFFE0, password.data(), password.size());
        Start();
        EXPECT_EQ(SetPasswordData_Hesmark(blank.data()), 0);
        EXPECT_EQ(LastError(), "Ack failed, returned A0");
        const std::vector<uint8_t> kept = keep ? std::vector<uint8_t>{0x5A, 0xA5}
                                               : std::vector<uint8_t>{0xFF, 0xFF};
        EXPECT_EQ(Peek(0x10C0, 2), kept);
        EXPECT_EQ(Peek(0x1000, 2), kept);
        const std::vector<uint8_t> vectors = keep ? std::vector<uint8_t>{0xC0, 0xC1} : kept;
        EXPECT_EQ(Peek(0xFFE0, 2), vectors);
        EXPECT_EQ(SetPasswordData_Hesmark(password.data()), keep ? 1 : 0) << LastError();
        if (!keep) {
            EXPECT_EQ(SetPasswordData_Hesmark(blank.data()), 1) << LastError();
        }
        ASSERT_EQ(Close_Hesmark(), 1);
    }
}

}  // namespace

namespace {

using hesmarktest::HesmarkTest;

TEST_F(HesmarkTest, NoticesFollowTheKindMask) {
    Start();
    ASSERT_EQ(RegisterHWND_Hesmark(nullptr, nullptr, 0, HESMARK_NOTIFY_LOG), 1);
    EXPECT_EQ(MassErase_Hesmark(), 1);
    EXPECT_TRUE(notices.empty());  // no callback: nothing reaches the old one
    std::vector<hesmarktest::Notice> only;
    auto record = [](void* user, uint32_t message, uint32_t kind, const void*) {
        EXPECT_EQ(message, 2000u);
        static_cast<std::vector<hesmarktest::Notice>*>(user)->push_back({kind, 0, "", 0, 0});
    };
    ASSERT_EQ(RegisterHWND_Hesmark(record, &only, 2000, HESMARK_NOTIFY_APPEND), 1);
    EXPECT_EQ(MassErase_Hesmark(), 1);
    // One "." for the sync byte and one for the frame.
    ASSERT_EQ(only.size(), 2u);
    EXPECT_EQ(only[0].kind, uint32_t{HESMARK_NOTIFY_APPEND});
}

TEST_F(HesmarkTest, DotAppendedAfterEveryWrite) {
    Start();
    EXPECT_EQ(MassErase_Hesmark(), 1);
    int dots = 0;
    for (const auto& n : notices)
        if (n.kind == HESMARK_NOTIFY_APPEND && n.text == "." && n.flag == 1) ++dots;
    EXPECT_EQ(dots, 2);
}

TEST_F(HesmarkTest, NotImplementedPortCallsBeforeOpen) {
    EXPECT_EQ(PortTx_Hesmark(), 0);
    EXPECT_EQ(LastError(), "PortTx_Hesmark() called prior to Open_Hesmark()");
    EXPECT_EQ(IsPatchRequired_Hesmark(), 0);
    EXPECT_EQ(LastError(), "IsPatchRequired_Hesmark() called prior to Open_Hesmark()");
}

}  // namespace
