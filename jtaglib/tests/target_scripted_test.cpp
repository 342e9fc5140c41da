// The target core's decisions and the pod commands they send, against a pod
// that answers every command with success unless a test scripts otherwise.
#include <gmock/gmock.h>

#include "error_table.h"
#include "scripted_pod.h"
#include "target_jtag.h"
#include "test_classes.h"

namespace {

using namespace nandrel;
using ::testing::HasSubstr;
using ::testing::StartsWith;

class ScriptedTarget : public ::testing::Test {
  protected:
    void SetUp() override {
        backend->plug(pod);
        kv::usb::setBackend(backend);
        ASSERT_TRUE(target.Open(nullptr)) << target.errorText();
        pod->startRecording();
        pod->autoAnswer = true;
    }
    void TearDown() override {
        target.Close();
        kv::usb::setBackend(nullptr);
    }
    void select(const TargetClassValues& values, uint32_t deviceClass = 7) {
        ASSERT_TRUE(target.SelectDevice(40, deviceClass, values));
        pod->writes.clear();
    }
    // A device selected and its CPU held with its context taken.
    void selectAndHold(const TargetClassValues& values) {
        select(values);
        ASSERT_EQ(target.Reset(kResetPuc | kResetOnlyNamed, false, false), 1) << target.errorText();
        pod->writes.clear();
    }

    kv::ManualClock manual{1000};
    kv::ScopedClock scope{manual};
    std::shared_ptr<kv::sim::SimBackend> backend = std::make_shared<kv::sim::SimBackend>();
    std::shared_ptr<ScriptedPod> pod = std::make_shared<ScriptedPod>();
    CTargetJTAG target;
};

TEST_F(ScriptedTarget, RegisterReadsComeFromTheCopyWithoutTraffic) {
    ASSERT_EQ(target.WriteRegister(5, 0x1234), 1);
    EXPECT_EQ(pod->writes, (std::vector<Bytes>{{178, 5, 0, 0, 0x12, 0x34}}));
    pod->writes.clear();
    uint32_t value = 0;
    ASSERT_EQ(target.ReadRegister(5, &value), 1);
    EXPECT_EQ(value, 0x1234u);
    ASSERT_EQ(target.ReadRegister(0x10005, &value), 1) << "numbers are taken modulo 65536";
    EXPECT_EQ(value, 0x1234u);
    for (int n : {0, 2, 3})
        ASSERT_EQ(target.WriteRegister(n, 0xF000), 1);
    EXPECT_TRUE(pod->writes.empty()) << "PC, SR and CG wait for the next run";
}

TEST_F(ScriptedTarget, RegisterNumbersOutsideTheCopyAreRefused) {
    uint32_t value = 7;
    for (int32_t n : {16, -1, 0xFFFF, 0x7FFFFFFF}) {
        SCOPED_TRACE(n);
        EXPECT_EQ(target.ReadRegister(n, &value), 0);
        EXPECT_EQ(target.TakeErrorNumber(), kErrParameter);
        EXPECT_EQ(target.WriteRegister(n, 1), 0);
        EXPECT_EQ(target.TakeErrorNumber(), kErrParameter);
    }
    EXPECT_EQ(value, 7u);
    EXPECT_TRUE(pod->writes.empty());
    uint32_t regs[16] = {};
    EXPECT_EQ(target.ReadRegisters(regs, 0x10000), 0);
    EXPECT_EQ(target.TakeErrorNumber(), kErrParameter);
    EXPECT_EQ(target.ReadRegisters(regs, 0), 0);
    EXPECT_EQ(target.ReadRegisters(nullptr, 1), 0);
    EXPECT_EQ(target.WriteRegisters(regs, -1), 0);
    EXPECT_EQ(target.TakeErrorNumber(), kErrParameter);
    EXPECT_TRUE(pod->writes.empty());
}

TEST_F(ScriptedTarget, RegisterBlocksFollowTheMask) {
    uint32_t in[16] = {};
    for (uint32_t n = 0; n < 16; ++n)
        in[n] = 0x100 + n;
    ASSERT_EQ(target.WriteRegisters(in, 0x8031), 1);  // R0, R4, R5, R15
    EXPECT_EQ(pod->commands(), (Bytes{178, 178, 178}));
    uint32_t out[16] = {};
    ASSERT_EQ(target.ReadRegisters(out, 0xFFFF), 1);
    EXPECT_EQ(out[0], 0x100u);
    EXPECT_EQ(out[1], 0u);
    EXPECT_EQ(out[15], 0x10Fu);
    pod->reply(178, {179, 2});
    EXPECT_EQ(target.WriteRegister(9, 1), 0);
    EXPECT_EQ(target.TakeErrorNumber(), kErrWriteRegister);
    EXPECT_EQ(target.errorText(), "Could not write device Register:\nWriteRegister failed (2)");
}

TEST_F(ScriptedTarget, SupplyLimitsAndFailure) {
    ASSERT_EQ(target.VCC(3600), 1);
    EXPECT_EQ(pod->writes.back(), (Bytes{52, 0x0E, 0x10}));
    EXPECT_EQ(target.lastVcc(), 3600u);
    pod->writes.clear();
    EXPECT_EQ(target.VCC(3601), 0);
    EXPECT_EQ(target.TakeErrorNumber(), kErrParameter);
    EXPECT_EQ(target.VCC(-5), 0);
    EXPECT_EQ(target.TakeErrorNumber(), kErrParameter);
    EXPECT_TRUE(pod->writes.empty());
    EXPECT_EQ(target.lastVcc(), 3600u);
    pod->failWrites = true;
    EXPECT_EQ(target.VCC(3000), 0);
    EXPECT_EQ(target.TakeErrorNumber(), kErrVcc);
    EXPECT_THAT(target.errorText(), StartsWith("Could not set device Vcc:\nWritePort failed"));
    EXPECT_EQ(target.lastVcc(), 3600u);
}

TEST_F(ScriptedTarget, ConnectAcceptsBothJtagIds) {
    for (uint8_t id : {0x89, 0x8D}) {
        pod->writes.clear();
        pod->jtagId = id;
        EXPECT_EQ(target.Connect(), 0);
        EXPECT_EQ(target.jtagId(), id);
        EXPECT_EQ(pod->commands(), (Bytes{33, 55, 32, 166, 168, 166, 56}));
        EXPECT_EQ(pod->writes.back(), (Bytes{56, 0xFF}));
    }
}

TEST_F(ScriptedTarget, ConnectGivesUpAfterFourAttempts) {
    pod->jtagId = 0xFF;
    const uint32_t start = manual.tickCount();
    EXPECT_EQ(target.Connect(), kErrUnknownDevice);
    EXPECT_EQ(pod->count(32), 4u);
    EXPECT_EQ(pod->count(56), 4u);
    // Attempts three and four drive the entry sequence first.
    EXPECT_EQ(pod->count(40), 6u);
    EXPECT_EQ(manual.tickCount() - start, 4 * 10 + 2 * 105u);
}

TEST_F(ScriptedTarget, TheEntrySequenceComesFromTheThirdAttempt) {
    pod->jtagId = 0xFF;
    pod->reply(56, {57, 0xFF});
    pod->reply(56, {57, 0xFF});
    pod->reply(56, {57, 0x89});
    EXPECT_EQ(target.Connect(), 0);
    const Bytes third(pod->allBytes());
    const Bytes entry = {44, 39, 40, 0, 45, 38, 44, 39, 45, 38, 40, 2, 40, 1, 44, 39, 38};
    const Bytes attempt = {33, 55, 32};
    Bytes expected;
    for (int i = 0; i < 2; ++i) {
        expected.insert(expected.end(), attempt.begin(), attempt.end());
        expected.insert(expected.end(), {166, 168, 166, 56, 0xFF});
    }
    expected.insert(expected.end(), attempt.begin(), attempt.end());
    expected.insert(expected.end(), entry.begin(), entry.end());
    expected.insert(expected.end(), {166, 168, 166, 56, 0xFF});
    EXPECT_EQ(third, expected);
}

TEST_F(ScriptedTarget, ClassSettingsLayout) {
    ASSERT_TRUE(target.SelectDevice(60, 38, testclasses::fg4619()));
    EXPECT_EQ(pod->writes.back(),
              (Bytes{170, 38, 0x81, 0x03, 0x00, 0x00, 0x03, 0x02, 0x00, 0x09, 0xFF}));
    ASSERT_TRUE(target.SelectDevice(0, 0, TargetClassValues{}));
    EXPECT_EQ(pod->writes.back(),
              (Bytes{170, 0, 0x3E, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x09, 0xFF}));
    TargetClassValues v = testclasses::noEem();
    v.clockControl = 1;
    ASSERT_TRUE(target.SelectDevice(44, 49, v));
    EXPECT_EQ(pod->writes.back(),
              (Bytes{170, 49, 0x58, 0x04, 0x00, 0x00, 0x00, 0x02, 0x00, 0x02, 0xFF}));
}

TEST_F(ScriptedTarget, ConfigureItems) {
    select(testclasses::f149());
    EXPECT_EQ(target.Configure(1, 0x7000), 0) << "class 7 has no item 1";
    EXPECT_EQ(target.TakeErrorNumber(), kErrParameter);
    for (int32_t item : {7, 11, 12, -1}) {
        EXPECT_EQ(target.Configure(item, 0), 0);
        EXPECT_EQ(target.TakeErrorNumber(), kErrParameter);
    }
    EXPECT_EQ(target.Configure(4, 1), 0) << "no flash test in class 7";
    EXPECT_EQ(target.Configure(8, 3), 0);
    EXPECT_EQ(target.TakeErrorNumber(), kErrParameter);
    EXPECT_TRUE(pod->writes.empty());

    EXPECT_EQ(target.Configure(8, 2), 1);
    EXPECT_EQ(pod->writes.back(), (Bytes{172, 2}));
    EXPECT_EQ(target.jtagMode(), 2u);
    EXPECT_EQ(target.Configure(2, 38), 1);
    EXPECT_EQ(target.clockControl(), 38);
    EXPECT_EQ(target.Configure(3, 0x0029), 1);
    EXPECT_EQ(target.mainClockControl(), 0x0029);
    EXPECT_EQ(target.Configure(6, 1), 1);
    EXPECT_EQ(target.flashSettings().flashClockDivider, 16u);
    EXPECT_EQ(target.Configure(6, 2), 1);
    EXPECT_TRUE(target.flashSettings().alternativeFlashTiming);
    EXPECT_EQ(target.Configure(6, 9), 1) << "other values change nothing";
    EXPECT_EQ(target.flashSettings().flashClockDivider, 16u);
    EXPECT_TRUE(target.flashSettings().alternativeFlashTiming);
    EXPECT_EQ(target.Configure(6, 0), 1);
    EXPECT_EQ(target.flashSettings().flashClockDivider, 32u);
    EXPECT_FALSE(target.flashSettings().alternativeFlashTiming);
    EXPECT_EQ(target.Configure(5, 1), 1);
    EXPECT_TRUE(target.flashSettings().lockedSegmentAccess);
    EXPECT_EQ(target.Configure(10, 0x0200), 1);
    EXPECT_EQ(target.flashSettings().ramPreserve, 0x0200u);

    select(testclasses::f149(), 13);
    ASSERT_EQ(target.Configure(1, 0x7FFF), 1);
    EXPECT_EQ(target.item1Value(), 0x7000u);
    EXPECT_EQ(pod->writes.back(),
              (Bytes{170, 13, 0x00, 0x00, 0x00, 0x70, 0x02, 0x02, 0x00, 0x09, 0xFF}));
}

TEST_F(ScriptedTarget, RunAndStateArguments) {
    EXPECT_EQ(target.Run(NANDREL_RUN_FREE, false), 0);
    EXPECT_EQ(target.TakeErrorNumber(), kErrUnknownDevice);
    int32_t state = -1;
    EXPECT_EQ(target.State(&state, false, nullptr), 0);
    EXPECT_EQ(target.TakeErrorNumber(), kErrUnknownDevice);
    select(testclasses::f149());
    for (int32_t mode : {0, 4, -1}) {
        EXPECT_EQ(target.Run(mode, false), 0);
        EXPECT_EQ(target.TakeErrorNumber(), kErrParameter);
    }
    EXPECT_EQ(target.State(nullptr, false, nullptr), 0);
    EXPECT_EQ(target.TakeErrorNumber(), kErrParameter);
    uint32_t cycles = 0;
    EXPECT_EQ(target.State(&state, false, &cycles), 1);
    EXPECT_EQ(state, kStopped);
    EXPECT_EQ(cycles, kCyclesNotCounted);
    EXPECT_TRUE(pod->writes.empty());
    EXPECT_EQ(target.Reset(0, false, false), 0);
    EXPECT_EQ(target.TakeErrorNumber(), kErrParameter);
}

TEST_F(ScriptedTarget, FreeRunWritesTheCopyBackAndReleases) {
    selectAndHold(testclasses::f149());
    ASSERT_EQ(target.WriteRegister(0, 0x0200), 1);
    ASSERT_EQ(target.Run(kFreeRun, false), 1) << target.errorText();
    const Bytes commands = pod->commands();
    ASSERT_GE(commands.size(), 3u);
    EXPECT_EQ(commands.back(), 114) << "released last";
    EXPECT_EQ(pod->writes[pod->writes.size() - 2], (Bytes{76, 0, 0, 0x02, 0x00}));
    EXPECT_EQ(pod->count(178), 15u) << "R1 to R15";
    EXPECT_EQ(target.runMode(), kFreeRun);
}

TEST_F(ScriptedTarget, APendingBusValueReleasesTheCpuOnce) {
    selectAndHold(testclasses::f149());
    ASSERT_EQ(target.Configure(9, 0x4303), 1);
    ASSERT_EQ(target.Run(kFreeRun, true), 1);
    EXPECT_EQ(pod->count(114), 0u);
    EXPECT_EQ(pod->count(118), 1u);
    EXPECT_EQ(pod->writes.back(), (Bytes{33}));
    EXPECT_TRUE(target.jtagReleased());
    int32_t state = -1;
    ASSERT_EQ(target.State(&state, true, nullptr), 1) << target.errorText();
    EXPECT_EQ(state, kStopped);
    EXPECT_FALSE(target.jtagReleased());
    pod->writes.clear();
    ASSERT_EQ(target.Run(kFreeRun, false), 1);
    EXPECT_EQ(pod->count(118), 0u);
    EXPECT_EQ(pod->count(114), 1u);
}

TEST_F(ScriptedTarget, AStopRequestStopsTheCpuInEveryRunMode) {
    for (int32_t mode : {kFreeRun, kSingleStep, kRunToBreakpoint}) {
        SCOPED_TRACE(mode);
        selectAndHold(testclasses::f149());
        ASSERT_EQ(target.Run(mode, false), 1) << target.errorText();
        // The EEM never reports a stop.
        int32_t state = -1;
        ASSERT_EQ(target.State(&state, false, nullptr), 1);
        EXPECT_EQ(state, kRunning);
        ASSERT_EQ(target.State(&state, true, nullptr), 1) << target.errorText();
        EXPECT_EQ(state, kStopped);
        EXPECT_EQ(target.runMode(), kNotRunning);
    }
}

TEST_F(ScriptedTarget, StopsSeenThroughTheEemAndTheBreakpointBits) {
    selectAndHold(testclasses::f149());
    ASSERT_EQ(target.Run(kRunToBreakpoint, false), 1);
    pod->reply(224, {225, 0, 0x00, 0x80});
    int32_t state = -1;
    ASSERT_EQ(target.State(&state, false, nullptr), 1);
    EXPECT_EQ(state, kBreakpointHit);

    selectAndHold(testclasses::noEem());
    ASSERT_EQ(target.Run(kRunToBreakpoint, false), 1);
    EXPECT_EQ(pod->count(74), 1u) << "stopping at simple breakpoints is enabled";
    ASSERT_EQ(target.State(&state, false, nullptr), 1);
    EXPECT_EQ(state, kRunning);
    pod->reply(72, {73, 0x02});
    ASSERT_EQ(target.State(&state, false, nullptr), 1);
    EXPECT_EQ(state, kBreakpointHit);
}

TEST_F(ScriptedTarget, AStoppedCpuIsTakenIntoTheCopy) {
    selectAndHold(testclasses::f149());
    ASSERT_EQ(target.Run(kFreeRun, false), 1);
    pod->writes.clear();
    pod->reply(102, {103, 0, 0x00, 0x01, 0x69, 0x00});  // the watchdog
    pod->reply(176, {177, 0, 0, 0, 0xF0, 0x10});        // PC
    pod->reply(176, {177, 0, 0, 0, 0x09, 0xFE});        // SP
    int32_t state = -1;
    ASSERT_EQ(target.State(&state, true, nullptr), 1) << target.errorText();
    EXPECT_EQ(pod->commands().front(), 116) << "held first";
    EXPECT_EQ(target.savedWatchdog(), 0x6900);
    const Bytes hold = {106, 0x03, 0x00, 0x01, 0x20, 0x00, 0x01, 0x5A, 0x80};
    EXPECT_EQ(pod->writes[2], hold);
    uint32_t pc = 0, sp = 0;
    target.ReadRegister(0, &pc);
    target.ReadRegister(1, &sp);
    EXPECT_EQ(pc, 0xF010u);
    EXPECT_EQ(sp, 0x09FEu);
}

TEST_F(ScriptedTarget, ACpuOffWithoutInterruptsCannotBeStepped) {
    selectAndHold(testclasses::f149());
    ASSERT_EQ(target.WriteRegister(2, 0x0010), 1);
    EXPECT_EQ(target.Run(kSingleStep, false), 0);
    EXPECT_EQ(target.TakeErrorNumber(), kErrSingleStep);
    ASSERT_EQ(target.WriteRegister(2, 0x0018), 1);
    EXPECT_EQ(target.Run(kSingleStep, false), 1) << "interrupts may wake it";
}

TEST_F(ScriptedTarget, ResetMethodsOnTheWire) {
    select(testclasses::f149());
    ASSERT_EQ(target.Reset(kResetPuc, false, false), 1) << target.errorText();
    Bytes commands = pod->commands();
    ASSERT_GE(commands.size(), 4u);
    EXPECT_EQ(pod->writes[0], (Bytes{64, 0xC8, 0x24, 0x01}));
    EXPECT_EQ(pod->writes[1], (Bytes{56, 0x28}));
    EXPECT_EQ(Bytes(commands.begin() + 2, commands.begin() + 4), (Bytes{116, 112}));

    pod->writes.clear();
    ASSERT_EQ(target.Reset(kResetPin | kResetOnlyNamed, true, false), 1) << target.errorText();
    EXPECT_EQ(pod->count(64), 0u) << "no power-up clear over JTAG";
    EXPECT_EQ(Bytes(pod->writes[0]), (Bytes{39}));
    EXPECT_EQ(Bytes(pod->writes[1]), (Bytes{40, 0}));
    EXPECT_EQ(Bytes(pod->writes[2]), (Bytes{40, 1}));
    EXPECT_EQ(Bytes(pod->writes[3]), (Bytes{38}));
    EXPECT_EQ(pod->commands().back(), 114) << "executing: released";
    EXPECT_EQ(target.runMode(), kFreeRun);

    pod->writes.clear();
    const uint32_t start = manual.tickCount();
    ASSERT_EQ(target.Reset(kResetSupply | kResetOnlyNamed, false, true), 1);
    EXPECT_EQ(pod->writes[0], (Bytes{53}));
    EXPECT_EQ(pod->writes[1], (Bytes{52, 0x0B, 0xB8}));
    EXPECT_GE(manual.tickCount() - start, 5020u);
    EXPECT_EQ(target.runMode(), kNotRunning);
}

TEST_F(ScriptedTarget, AResetThatFindsNothing) {
    select(testclasses::f149());
    pod->reply(112, {113, 1, 0, 0, 0, 0, 0, 0});
    pod->reply(112, {113, 1, 0, 0, 0, 0, 0, 0});
    pod->reply(112, {113, 1, 0, 0, 0, 0, 0, 0});
    pod->reply(112, {113, 1, 0, 0, 0, 0, 0, 0});
    // The final power-up clear succeeds, but not by a method asked for.
    EXPECT_EQ(target.Reset(kResetPuc, false, false), 0);
    EXPECT_EQ(target.TakeErrorNumber(), kErrReset);
    EXPECT_EQ(pod->count(112), 5u);

    for (int i = 0; i < 4; ++i)
        pod->reply(112, {113, 1, 0, 0, 0, 0, 0, 0});
    pod->jtagId = 0xFF;
    EXPECT_EQ(target.Reset(kResetPuc | kResetSupply, false, false), 0);
    EXPECT_EQ(target.TakeErrorNumber(), kErrFindDevice);
}

TEST_F(ScriptedTarget, SecureBlowsAndChecksTheFuse) {
    EXPECT_EQ(target.Secure(), 0);
    EXPECT_EQ(target.TakeErrorNumber(), kErrUnknownDevice);
    select(testclasses::noEem());
    EXPECT_EQ(target.Secure(), 0) << "class without a fuse-blow supply";
    EXPECT_EQ(target.TakeErrorNumber(), kErrFuseBlow);
    EXPECT_TRUE(pod->writes.empty());
    select(testclasses::f149());
    EXPECT_EQ(target.Secure(), 0) << "the fuse still answers";
    EXPECT_EQ(target.TakeErrorNumber(), kErrFuseBlow);
    EXPECT_EQ(pod->count(64), 3u);
    pod->reply(64, {65, 0x55, 0x55});
    EXPECT_EQ(target.Secure(), 1);
}

TEST_F(ScriptedTarget, JtagLinkOpenAndClose) {
    target.SetKeySPMA(nullptr);
    const uint16_t key[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    target.SetKeySPMA(key);
    target.SetErrorNumber(9);
    ASSERT_EQ(target.OpenJTAG(), 1);
    EXPECT_FALSE(target.keySPMASet());
    EXPECT_EQ(target.TakeErrorNumber(), 0);
    EXPECT_EQ(pod->allBytes(), (Bytes{172, 0, 32}));
    pod->writes.clear();
    target.SetKeySPMA(key);
    ASSERT_EQ(target.CloseJTAG(1), 1);
    EXPECT_FALSE(target.keySPMASet());
    EXPECT_EQ(pod->allBytes(), (Bytes{53, 33}));
    EXPECT_EQ(target.lastVcc(), 0u);
    EXPECT_EQ(target.SetJtagMode(3), 0);
}

TEST(TargetWithoutPod, OperationsFailWithNullInterface) {
    CTargetJTAG target;
    EXPECT_EQ(target.OpenJTAG(), 0);
    EXPECT_EQ(target.TakeErrorNumber(), kErrInitialize);
    EXPECT_EQ(target.errorText(), "Could not initialize device interface:\nNULL interface");
    EXPECT_EQ(target.VCC(3000), 0);
    EXPECT_EQ(target.TakeErrorNumber(), kErrInitialize);
    EXPECT_EQ(target.Reset(1, false, false), 0);
    EXPECT_EQ(target.TakeErrorNumber(), kErrInitialize);
    EXPECT_EQ(target.ResetJTAGTAP(), 0);
    EXPECT_EQ(target.TakeErrorNumber(), kErrInitialize);
}

}  // namespace
