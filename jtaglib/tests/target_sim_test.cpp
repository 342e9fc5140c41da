// The target core against the simulated pod and chip: connecting, resets,
// registers, running a program and stepping it.
#include <gmock/gmock.h>

#include "error_table.h"
#include "kelvane/asm/msp430_asm.h"
#include "sim_target_fixture.h"

namespace {

using namespace kv::asm430;
using nandrel::kErrParameter;
using nandrel::kErrUnknownDevice;

constexpr const char* kF149 = "MSP430F149";
constexpr const char* kFG4619 = "MSP430FG4619";

class SimTarget : public SimTargetTest {};

TEST_F(SimTarget, ConnectAcceptsBothJtagIds) {
    start(kF149);
    EXPECT_EQ(t->Connect(), 0);
    EXPECT_EQ(t->jtagId(), 0x89);
    Nandrel_CloseModule();
    start(kFG4619);
    EXPECT_EQ(t->Connect(), 0);
    EXPECT_EQ(t->jtagId(), 0x8D);
    EXPECT_EQ(pod->target().connectAttempts(), 2u) << "OpenJTAG and one connect attempt";
}

TEST_F(SimTarget, ConnectGivesUpOnAMuteChip) {
    kv::sim::TargetFaults faults;
    faults.mute = true;
    start(kF149, faults);
    EXPECT_EQ(t->Connect(), kErrUnknownDevice);
    EXPECT_EQ(t->jtagId(), 0xFF);
    EXPECT_EQ(pod->target().connectAttempts(), 1u + 4u);
}

TEST_F(SimTarget, AChipThatNeedsTheEntrySequenceIsFoundOnTheThirdAttempt) {
    kv::sim::TargetFaults faults;
    faults.needsEntry = true;
    start(kF149, faults);
    EXPECT_EQ(t->Connect(), 0);
    EXPECT_TRUE(pod->target().entrySeen());
    EXPECT_EQ(pod->target().connectAttempts(), 1u + 3u);
}

TEST_F(SimTarget, EveryResetMethodResetsAndHoldsTheCpu) {
    start(kF149);
    select(7, 7, testclasses::f149());
    for (int32_t method : {1, 2 | 8, 4 | 8, 7, 2, 4}) {
        SCOPED_TRACE(method);
        // Leave the reset vector for the reset to find.
        ASSERT_EQ(Nandrel_WriteRegister(target, 0, 0x1234), 1);
        const uint64_t pucs = chip().pucCount();
        ASSERT_EQ(Nandrel_Reset(target, method, 0, 0), 1) << Nandrel_GetLastTargetError(target);
        EXPECT_GT(chip().pucCount(), pucs);
        EXPECT_TRUE(pod->target().held());
        EXPECT_EQ(reg(0), kIdleLoop);
        EXPECT_EQ(chip().reg(0), kIdleLoop);
        EXPECT_TRUE(chip().watchdog().held());
        EXPECT_EQ(t->savedWatchdog(), 0x6900) << "as the reset left it";
    }
    EXPECT_EQ(Nandrel_Reset(target, 0, 0, 0), 0);
    EXPECT_EQ(Nandrel_GetLastTargetErrorNumber(target), kErrParameter);
}

TEST_F(SimTarget, AnExecutingResetLeavesTheCpuRunning) {
    start(kF149);
    select(7, 7, testclasses::f149());
    ASSERT_EQ(Nandrel_Reset(target, 2 | 8, 1, 1), 1) << Nandrel_GetLastTargetError(target);
    EXPECT_FALSE(pod->target().held());
    EXPECT_FALSE(pod->target().linkEnabled());
    EXPECT_EQ(state(false), nandrel::kRunning);
    EXPECT_EQ(state(true), nandrel::kStopped);
    EXPECT_EQ(reg(0), kIdleLoop);
}

TEST_F(SimTarget, RegisterWritesReachTheCpuAndReadsDoNotTalkToThePod) {
    startHeld(kF149, 7, testclasses::f149());
    ASSERT_EQ(Nandrel_WriteRegister(target, 5, 0xBEEF), 1);
    EXPECT_EQ(chip().reg(5), 0xBEEFu);
    const size_t before = podCommands();
    EXPECT_EQ(reg(5), 0xBEEFu);
    ASSERT_EQ(Nandrel_WriteRegister(target, 0, 0x0200), 1);
    EXPECT_EQ(podCommands(), before);
    EXPECT_EQ(chip().reg(0), kIdleLoop) << "the PC waits for the next run";
    EXPECT_EQ(Nandrel_ReadRegister(target, 16, nullptr), 0);
    uint32_t value = 0;
    EXPECT_EQ(Nandrel_ReadRegister(target, 16, &value), 0);
    EXPECT_EQ(Nandrel_GetLastTargetErrorNumber(target), kErrParameter);
}

// Holds the watchdog, sums 5+4+3+2+1 into R6, copies it to R7 and stays at `done`.
struct SumProgram {
    std::vector<uint16_t> words;
    uint32_t done = 0;
};

SumProgram sumProgram(uint32_t origin) {
    Assembler a(origin);
    a.mov(imm(0x5A80), absolute(0x0120));
    a.mov(imm(5), reg(R4));
    a.mov(imm(0), reg(R6));
    Label loop = a.label();
    a.add(reg(R4), reg(R6));
    a.dec(reg(R4));
    a.jnz(loop);
    a.mov(reg(R6), reg(R7));
    a.mov(imm(0x1234), reg(R9));
    SumProgram p;
    p.done = a.here();
    a.jmp(a.label());
    p.words = a.words();
    return p;
}

TEST_F(SimTarget, ARunProgramComputesItsRegisters) {
    for (bool releaseJtag : {false, true}) {
        SCOPED_TRACE(releaseJtag);
        startHeld(kF149, 7, testclasses::f149());
        const SumProgram p = sumProgram(0x0200);
        load(0x0200, p.words);
        ASSERT_EQ(Nandrel_WriteRegister(target, 0, 0x0200), 1);
        ASSERT_EQ(Nandrel_WriteRegister(target, 7, 0), 1);
        ASSERT_EQ(Nandrel_Run(target, NANDREL_RUN_FREE, releaseJtag ? 1 : 0), 1)
            << Nandrel_GetLastTargetError(target);
        EXPECT_FALSE(pod->target().held());
        EXPECT_EQ(state(false), nandrel::kRunning);
        EXPECT_EQ(state(false), nandrel::kRunning) << "a free run stops only when asked";
        uint32_t cycles = 0;
        EXPECT_EQ(state(true, &cycles), nandrel::kStopped);
        EXPECT_EQ(cycles, nandrel::kCyclesNotCounted);
        EXPECT_EQ(reg(6), 15u);
        EXPECT_EQ(reg(7), 15u);
        EXPECT_EQ(reg(9), 0x1234u);
        EXPECT_EQ(reg(0), p.done);
        EXPECT_TRUE(pod->target().held());
        EXPECT_TRUE(pod->target().linkEnabled());
        EXPECT_EQ(state(false), nandrel::kStopped);
        Nandrel_CloseModule();
    }
}

TEST_F(SimTarget, RunToAnEemBreakpoint) {
    startHeld(kF149, 7, testclasses::f149());
    const SumProgram p = sumProgram(0x0200);
    load(0x0200, p.words);
    // Trigger block 0 on the address of the copy to R7, breaking.
    const uint32_t at = p.done - 6;
    for (auto [reg, value] :
         {std::pair<uint16_t, uint32_t>{0, at}, {2, 0}, {4, 0}, {6, 1}, {128, 1}}) {
        uint32_t v = value;
        ASSERT_TRUE(t->protocol()->EEM_DataExchange(reg, &v));
    }
    ASSERT_EQ(Nandrel_WriteRegister(target, 0, 0x0200), 1);
    ASSERT_EQ(Nandrel_Run(target, NANDREL_RUN_TO_BREAKPOINT, 0), 1) << Nandrel_GetLastTargetError(target);
    EXPECT_EQ(state(false), nandrel::kBreakpointHit);
    EXPECT_EQ(reg(0), at);
    EXPECT_EQ(reg(6), 15u);
    EXPECT_EQ(reg(7), 0u);
}

TEST_F(SimTarget, ACpuWithoutEemStopsAtASimpleBreakpoint) {
    startHeld("MSP430F11x1-prototype", 1, testclasses::noEem());
    const SumProgram p = sumProgram(0x0200);
    load(0x0200, p.words);
    const uint32_t at = p.done - 6;
    ASSERT_TRUE(t->protocol()->IrDrShift16(0x0B, static_cast<uint16_t>(at), nullptr));
    ASSERT_EQ(Nandrel_WriteRegister(target, 0, 0x0200), 1);
    ASSERT_EQ(Nandrel_Run(target, NANDREL_RUN_TO_BREAKPOINT, 0), 1) << Nandrel_GetLastTargetError(target);
    EXPECT_EQ(state(false), nandrel::kBreakpointHit);
    EXPECT_EQ(reg(0), at);
    EXPECT_EQ(reg(7), 0u);
}

TEST_F(SimTarget, SupplyLimit) {
    start(kF149);
    EXPECT_EQ(Nandrel_VCC(target, 3600), 1);
    int32_t mv = 0;
    Nandrel_GetCurrentTargetVCC(target, &mv);
    EXPECT_EQ(mv, 3600);
    EXPECT_EQ(pod->target().vcc(), 3600);
    EXPECT_EQ(Nandrel_VCC(target, 3601), 0);
    EXPECT_EQ(Nandrel_GetLastTargetErrorNumber(target), kErrParameter);
    Nandrel_GetCurrentTargetVCC(target, &mv);
    EXPECT_EQ(mv, 3600);
    EXPECT_EQ(pod->target().vcc(), 3600);
    // Closing in mode 1 switches the supply off before the link.
    ASSERT_EQ(Nandrel_CloseJTAG(target, 1), 1) << Nandrel_GetLastTargetError(target);
    EXPECT_FALSE(chip().powered());
    EXPECT_FALSE(pod->target().linkEnabled());
    Nandrel_GetCurrentTargetVCC(target, &mv);
    EXPECT_EQ(mv, 0);
}

TEST_F(SimTarget, SecureBlowsTheFuseOnce) {
    start(kF149);
    select(7, 7, testclasses::f149());
    EXPECT_EQ(Nandrel_Secure(target), 1) << Nandrel_GetLastTargetError(target);
    EXPECT_TRUE(chip().fuseBlown());
    EXPECT_EQ(t->Connect(), kErrUnknownDevice);
    // The reset finds no chip answering its id, and the fuse test tells why.
    EXPECT_EQ(Nandrel_Reset(target, 1, 0, 0), 0);
    EXPECT_EQ(Nandrel_GetLastTargetErrorNumber(target), nandrel::kErrFuseBlown);
}

TEST_F(SimTarget, AStopRequestEndsARunThatNeverReachesItsBreakpoint) {
    startHeld(kF149, 7, testclasses::f149());
    const SumProgram p = sumProgram(0x0200);
    load(0x0200, p.words);
    ASSERT_EQ(Nandrel_WriteRegister(target, 0, 0x0200), 1);
    ASSERT_EQ(Nandrel_Run(target, NANDREL_RUN_TO_BREAKPOINT, 0), 1) << Nandrel_GetLastTargetError(target);
    EXPECT_EQ(state(false), nandrel::kRunning);
    EXPECT_EQ(state(true), nandrel::kStopped);
    EXPECT_TRUE(pod->target().held());
    EXPECT_EQ(reg(0), p.done);
    EXPECT_EQ(reg(7), 15u);
}

TEST_F(SimTarget, IdentificationTakesTheSelectedDeviceOver) {
    start(kF149);
    t->ClearDeviceState();
    ASSERT_EQ(t->Connect(), 0);
    select(7, 7, testclasses::f149());
    EXPECT_EQ(t->ConnectSelectedDevice(), 0);
    EXPECT_EQ(t->runMode(), nandrel::kFreeRun);
    EXPECT_EQ(state(true), nandrel::kStopped) << "the stop that ends identification";
    EXPECT_EQ(reg(0), kIdleLoop);
    chip().blowFuse();
    EXPECT_EQ(t->ConnectSelectedDevice(), nandrel::kErrFuseBlown);
}

TEST_F(SimTarget, ClassSettingsReachThePod) {
    start(kFG4619);
    select(60, 38, testclasses::fg4619());
    const kv::sim::ClassSettings& s = pod->target().classSettings();
    EXPECT_TRUE(s.received);
    EXPECT_EQ(s.deviceClass, 38);
    EXPECT_EQ(s.flags1, 0x81);
    EXPECT_EQ(s.flags2, 0x03);
    EXPECT_EQ(s.emulationLevel, 3);
    EXPECT_EQ(s.ramStart, 0x0200);
    EXPECT_EQ(s.ramEnd, 0x09FF);
}

}  // namespace
