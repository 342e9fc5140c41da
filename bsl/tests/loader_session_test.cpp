// Loader sessions end to end: entry, password, write, read, erase, load PC,
// memory offset, processor information and the patch.
#include <gtest/gtest.h>

#include "session_support.h"

namespace {

using bsltest::Session;
using kv::sim::LoaderProfile;
using kv::sim::RomBootLoader;
using kv::sim::testing::FlashTestBus;

using LoaderSession = Session;

TEST_F(LoaderSession, WrongEntrySequenceLeavesLoaderSilent) {
    bsltest::EnterLoader(1);
    EXPECT_EQ(bench.loader.state(), RomBootLoader::State::UserProgram);
    EXPECT_FALSE(port.Synchronize());
    EXPECT_EQ(port.ErrorText().rfind("Unable to read ack\n", 0), 0u);
}

TEST_F(LoaderSession, ResetSequenceRunsUserProgram) {
    bsltest::EnterLoader();
    // Disable all, clear all, hold reset, power, release reset.
    Tovrin_Purge(1, 1);
    Tovrin_DisableRx(), Tovrin_DisableTx(), Tovrin_DisableBSL(), Tovrin_DisableF12();
    Tovrin_ClearF3(), Tovrin_ClearF2(), Tovrin_ClearF4PD(), Tovrin_ClearF12(), Tovrin_UpdateData();
    Tovrin_EnableXRS(), Tovrin_UpdateEnable();
    EXPECT_EQ(bench.loader.state(), RomBootLoader::State::InReset);
    Tovrin_SetVTGT(), Tovrin_UpdateData();
    Tovrin_DisableXRS(), Tovrin_UpdateEnable();
    EXPECT_EQ(bench.loader.state(), RomBootLoader::State::UserProgram);
}

TEST_F(LoaderSession, EntrySequenceStartsLoaderAndSyncAnswers) {
    bsltest::EnterLoader();
    EXPECT_TRUE(port.Synchronize()) << port.ErrorText();
}

TEST_F(LoaderSession, WrongBaudRateGarblesTheSync) {
    Start();
    ASSERT_EQ(Tovrin_SetBaudRate(19200), 1);
    EXPECT_FALSE(port.Synchronize());
}

TEST_F(LoaderSession, PasswordRightAndWrong) {
    std::vector<uint8_t> password(32);
    for (int i = 0; i < 32; ++i)
        password[i] = static_cast<uint8_t>(0xC0 + i);
    bench.bus.poke(0xFFE0, password);
    Start();
    EXPECT_FALSE(port.SetPassword(blank.data(), true));
    EXPECT_EQ(port.ErrorText(), "Ack failed, returned A0");
    EXPECT_TRUE(bench.loader.locked());
    EXPECT_EQ(port.Password(), (std::array<uint8_t, 32>{[] {
                  std::array<uint8_t, 32> a{};
                  a.fill(0xFF);
                  return a;
              }()}));
    ASSERT_TRUE(port.SetPassword(password.data(), true)) << port.ErrorText();
    EXPECT_FALSE(bench.loader.locked());
    EXPECT_TRUE(std::equal(password.begin(), password.end(), port.Password().begin()));
}

TEST_F(LoaderSession, WriteThenReadBack) {
    Start();
    ASSERT_TRUE(port.SetPassword(blank.data(), true));
    std::vector<uint8_t> data(250);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i * 7);
    ASSERT_TRUE(port.TxDataBlock(0xE000, data.data(), data.size(), true)) << port.ErrorText();
    EXPECT_EQ(bench.bus.peek(0xE000, 250), data);
    std::vector<uint8_t> back(250);
    ASSERT_TRUE(port.RxDataBlock(0xE000, back.data(), 250));
    EXPECT_EQ(back, data);
    EXPECT_EQ(bench.bus.violations(), 0);
}

TEST_F(LoaderSession, VerifyNamesFirstDifferingAddress) {
    Start();
    ASSERT_TRUE(port.SetPassword(blank.data(), true));
    port.logs.clear();
    bench.bus.poke(0xE000, {1, 2, 3, 4});
    const uint8_t expected[4] = {1, 2, 9, 4};
    EXPECT_FALSE(port.VerifyBlock(0xE000, expected, 4));
    EXPECT_EQ(port.ErrorText(), "Verify failed at address E002");
    EXPECT_EQ(port.logs, std::vector<std::string>{"Verify failed at address E002"});
    bench.loader.faults().silentFrame = bench.loader.frames() + 1;
    EXPECT_FALSE(port.VerifyBlock(0xE000, expected, 4));
    // The read's own failure says why.
    EXPECT_EQ(port.ErrorText(),
              "Unable to verify data\nComm receive timed-out, 0 bytes available (No error)");
}

TEST_F(LoaderSession, SegmentEraseThenBlank) {
    Start();
    ASSERT_TRUE(port.SetPassword(blank.data(), true));
    const uint8_t data[2] = {0x12, 0x34};
    ASSERT_TRUE(port.TxDataBlock(0xE010, data, 2, true));
    ASSERT_TRUE(port.TxDataBlock(0xE200, data, 2, true));
    ASSERT_TRUE(port.EraseSegment(0xE000)) << port.ErrorText();
    uint8_t back[2];
    ASSERT_TRUE(port.RxDataBlock(0xE010, back, 2));
    EXPECT_EQ(back[0], 0xFF);
    EXPECT_EQ(back[1], 0xFF);
    EXPECT_EQ(bench.bus.peek(0xE200, 2), (std::vector<uint8_t>{0x12, 0x34}));
}

TEST_F(LoaderSession, MassEraseWhileLockedLeavesBlankPassword) {
    bench.bus.poke(0xFFE0, std::vector<uint8_t>(32, 0x42));
    bench.bus.poke(0x8000, {0x00, 0x00});
    Start();
    const std::vector<uint8_t> old(32, 0x42);
    ASSERT_TRUE(port.MassErase()) << port.ErrorText();
    EXPECT_FALSE(port.SetPassword(old.data(), true));
    ASSERT_TRUE(port.SetPassword(blank.data(), true)) << port.ErrorText();
    uint8_t back[2];
    ASSERT_TRUE(port.RxDataBlock(0x8000, back, 2));
    EXPECT_EQ(back[0], 0xFF);
}

TEST_F(LoaderSession, RefusedFrameReportedWithItsText) {
    Start();
    ASSERT_TRUE(port.SetPassword(blank.data(), true));
    bench.loader.faults().refuseFrame = bench.loader.frames() + 1;
    const uint8_t data[2] = {1, 2};
    EXPECT_FALSE(port.TxDataBlock(0xE000, data, 2, false));
    EXPECT_EQ(port.ErrorText(), "Ack failed, returned A0");
    EXPECT_EQ(bench.bus.peek(0xE000, 2), (std::vector<uint8_t>{0xFF, 0xFF}));
}

TEST_F(LoaderSession, ProcessorInformationOfLoaderWithoutPatch) {
    Start();
    ASSERT_TRUE(port.SetPassword(blank.data(), true));
    EXPECT_EQ(port.ProcessorType(), "F413");
    EXPECT_EQ(port.LoaderMajor(), 1);
    EXPECT_EQ(port.LoaderMinor(), 0x60);
    EXPECT_FALSE(port.IsPatchRequired());
    EXPECT_FALSE(port.PatchActive());
}

TEST_F(LoaderSession, LoadPCRunsUserProgram) {
    Start();
    ASSERT_TRUE(port.SetPassword(blank.data(), true));
    ASSERT_TRUE(port.LoadPC(0xF000)) << port.ErrorText();
    EXPECT_EQ(bench.loader.state(), RomBootLoader::State::UserProgram);
    EXPECT_EQ(bench.loader.programCounter(), 0xF000u);
    EXPECT_FALSE(port.Synchronize());
}

TEST_F(LoaderSession, MemoryOffsetUnknownToThisLoader) {
    Start();
    ASSERT_TRUE(port.SetPassword(blank.data(), true));
    EXPECT_FALSE(port.SetMemoryOffset(1));
    EXPECT_EQ(port.ErrorText(), "Ack failed, returned A0");
}

TEST_F(LoaderSession, AdapterClosedTexts) {
    port.SetAdapterOpen(false);
    const uint8_t b = 0;
    EXPECT_FALSE(port.WritePort(&b, 1));
    EXPECT_EQ(port.ErrorText(), "Error: WritePort Called while Tovrin closed.");
    uint8_t in = 0;
    size_t got = 0;
    EXPECT_FALSE(port.ReadPort(&in, 1, 10, &got));
    EXPECT_EQ(port.ErrorText(), "Error: ReadPort Called while Tovrin closed.");
    EXPECT_TRUE(port.WritePort(&b, 0));
}

TEST_F(LoaderSession, AbsentTargetTimesOut) {
    bench.adapter->attachTarget(nullptr);
    bsltest::EnterLoader();
    EXPECT_FALSE(port.MassErase());
    EXPECT_EQ(port.ErrorText().rfind("Unable to read ack\n", 0), 0u);
}

TEST_F(LoaderSession, LoadPCPausesAndPurgesBothBuffers) {
    Start();
    ASSERT_TRUE(port.SetPassword(blank.data(), true));
    const uint32_t start = Now();
    ASSERT_TRUE(port.LoadPC(0x0C22)) << port.ErrorText();  // loader restart: stays in the loader
    EXPECT_GE(Now() - start, 100u);
    EXPECT_TRUE(bench.loader.locked());
    uint32_t queued = 1;
    ASSERT_EQ(Tovrin_GetQueueStatus(&queued), 1);
    EXPECT_EQ(queued, 0u);
}

TEST_F(LoaderSession, PurgeFirstArgumentIsTransmitSecondIsReceive) {
    Start();
    const uint8_t sync = 0x80;
    ASSERT_EQ(Tovrin_WritePort(&sync, 1), 1);
    bench.clock.advance(10);
    uint32_t queued = 0;
    Tovrin_Purge(1, 0);
    Tovrin_GetQueueStatus(&queued);
    EXPECT_EQ(queued, 1u);
    Tovrin_Purge(0, 1);
    Tovrin_GetQueueStatus(&queued);
    EXPECT_EQ(queued, 0u);
    // Sync and a mass-erase frame, purged from the transmit side at once:
    // only the character already on the line reaches the loader.
    const uint8_t burst[] = {0x80, 0x80, 0x18, 0x04, 0x04, 0x00, 0xFF, 0x06, 0xA5, 0x7D, 0xB9};
    // The loader waits for the frame the first sync announced: its header
    // byte, then a pause, and the loader drops that frame.
    ASSERT_EQ(Tovrin_WritePort(&sync, 1), 1);
    bench.clock.advance(200);
    ASSERT_EQ(Tovrin_WritePort(burst, sizeof burst), 1);
    Tovrin_Purge(1, 0);
    bench.clock.advance(2000);
    Tovrin_GetQueueStatus(&queued);
    EXPECT_EQ(queued, 1u);  // the sync answer only
    EXPECT_EQ(bench.loader.frames(), 0u);
}

TEST_F(LoaderSession, PurgeOfClosedAdapterIsCritical) {
    Tovrin_Close();
    EXPECT_FALSE(port.FlushComm());
    ASSERT_EQ(bench.boxes.size(), 1u);
    EXPECT_EQ(bench.boxes[0].caption, "CHesmarkBootloadPort Critical Error");
    EXPECT_EQ(bench.boxes[0].text,
              "Tovrin closed in CHesmarkBootloadPort::FlushComm()\n\nContact program vendor\n");
    EXPECT_EQ(bench.boxes[0].type, kv::kMbOk | kv::kMbIconError);
}

class OffsetSession : public Session {
  protected:
    OffsetSession() : Session(LoaderProfile::f2619(), FlashTestBus::layout2xx()) {}
};

TEST_F(OffsetSession, MemoryOffsetMovesBlocksAbove64K) {
    Start();
    ASSERT_TRUE(port.SetPassword(blank.data(), true));
    EXPECT_EQ(port.ProcessorType(), "2619");
    ASSERT_TRUE(port.SetMemoryOffset(1)) << port.ErrorText();
    const uint8_t data[4] = {0xA1, 0xA2, 0xA3, 0xA4};
    ASSERT_TRUE(port.TxDataBlock(0x0000, data, 4, true)) << port.ErrorText();
    EXPECT_EQ(bench.bus.peek(0x10000, 4), (std::vector<uint8_t>{0xA1, 0xA2, 0xA3, 0xA4}));
    EXPECT_EQ(bench.loader.memoryOffset(), 1u);
}

TEST_F(OffsetSession, MassEraseSparesSegmentAUnderLockA) {
    bench.bus.poke(0x10C0, {0x11});
    Start();
    ASSERT_TRUE(port.MassErase());
    EXPECT_EQ(bench.bus.peek(0x10C0, 1)[0], 0x11);
}

class PatchSession : public Session {
  protected:
    PatchSession() : Session(LoaderProfile::f149()) {}
    void LoadPatch() {
        std::vector<uint8_t> code = bench.loader.profile().patchCode;
        code.resize(150, 0x43);
        port.SetPatchImage({{0x0220, code}});
    }
};

TEST_F(PatchSession, OldLoaderNeedsPatchAndIsIdentified) {
    Start();
    ASSERT_TRUE(port.SetPassword(blank.data(), false));
    EXPECT_EQ(port.ProcessorType(), "F149");
    EXPECT_EQ(port.LoaderMajor(), 1);
    EXPECT_EQ(port.LoaderMinor(), 0x10);
    EXPECT_TRUE(port.IsPatchRequired());
    const uint8_t data[2] = {1, 2};
    EXPECT_FALSE(port.TxDataBlock(0xF000, data, 2, false));
    EXPECT_EQ(port.ErrorText(), "Ack failed, returned A0");
}

TEST_F(PatchSession, AutomaticPatchMakesBlocksWork) {
    LoadPatch();
    Start();
    ASSERT_TRUE(port.SetPassword(blank.data(), true)) << port.ErrorText();
    EXPECT_TRUE(port.PatchActive());
    const std::vector<uint8_t>& code = bench.loader.profile().patchCode;
    EXPECT_EQ(bench.bus.peek(0x0220, code.size()), code);
    bench.adapter->clearLogs();
    port.logs.clear();
    const uint8_t data[4] = {5, 6, 7, 8};
    ASSERT_TRUE(port.TxDataBlock(0xF000, data, 4, true)) << port.ErrorText();
    EXPECT_EQ(bench.bus.peek(0xF000, 4), (std::vector<uint8_t>{5, 6, 7, 8}));
    // Each block command is preceded by a load PC to the patch.
    const auto sent = Sent();
    EXPECT_EQ(sent[2], 0x1A);
    EXPECT_EQ(sent[5], 0x20);
    EXPECT_EQ(sent[6], 0x02);
    EXPECT_TRUE(port.logs.empty());  // patch steps run quietly
}

TEST_F(PatchSession, PatchWithoutImageFails) {
    Start();
    port.SetPatchActive(true);
    uint8_t buffer[2];
    EXPECT_FALSE(port.RxDataBlock(0xF000, buffer, 2));
    EXPECT_EQ(port.ErrorText(), "No patch file available");
}

struct IdCase {
    uint8_t id[3];
    uint8_t major, minor;
    const char* type;
    bool patch;
};

class Identification : public Session, public ::testing::WithParamInterface<IdCase> {
  protected:
    static LoaderProfile Profile() {
        LoaderProfile p = LoaderProfile::f413();
        const IdCase& c = GetParam();
        std::copy(c.id, c.id + 3, p.identification.begin());
        p.identification[10] = c.major;
        p.identification[11] = c.minor;
        return p;
    }
    Identification() : Session(Profile()) {}
};

TEST_P(Identification, TypeTextAndPatchRule) {
    Start();
    ASSERT_TRUE(port.SetPassword(blank.data(), false)) << port.ErrorText();
    EXPECT_EQ(port.ProcessorType(), GetParam().type);
    EXPECT_EQ(port.IsPatchRequired(), GetParam().patch);
}

INSTANTIATE_TEST_SUITE_P(Versions, Identification,
                         ::testing::Values(IdCase{{0xF1, 0x49, 0x00}, 1, 0x10, "F149", true},
                                           IdCase{{0xF1, 0x69, 0x1A}, 1, 0x11, "F1691", false},
                                           IdCase{{0xF4, 0x13, 0x00}, 2, 0x00, "F413", false},
                                           IdCase{{0x11, 0x21, 0x00}, 1, 0x00, "1121", true}),
                         [](const auto& param) { return std::string(param.param.type); });

}  // namespace
