// The polling thread against the simulated pod: stops reported once through
// the callback, single steps with their cycles, trace, variable watch and
// sequencer messages, and the thread's pause, wake and stop rules.
#include "eem_fixture.h"
#include "eem_jtag.h"
#include "error_table.h"

namespace {

using namespace nandrel;
constexpr const char* kFG = "MSP430FG4619";

class EemThread : public EemTest {};

TEST_F(EemThread, RunToACodeBreakpointReportsTheHitOnceThenSleeps) {
    startEem(kFG, 38, testclasses::fg4619());
    loadProgram();
    setBreakpoint(code(0x020A));
    ASSERT_EQ(Nandrel_Run(target, NANDREL_RUN_TO_BREAKPOINT, 0), 1) << Nandrel_GetLastTargetError(target);
    const EemMessageRecord hit = waitFor(kBreak);
    EXPECT_EQ(hit.message, kBreak);
    EXPECT_EQ(static_cast<uint32_t>(hit.lParam), 0xFFFFFFFFu);  // a run counts no cycles
    // The hit the thread saw is the answer of the next State call, then the CPU is stopped.
    EXPECT_EQ(state(false), kBreakpointHit);
    EXPECT_EQ(state(false), kStopped);
    EXPECT_EQ(reg(0), 0x020Au);
    EXPECT_EQ(reg(6), 6u);
    EXPECT_EQ(chip().peek16(0x0300), 6);
    EXPECT_TRUE(threadAsleep());
    EXPECT_EQ(count(kBreak), 1u);
    EXPECT_EQ(count(kCpuStopped), 0u);
}

TEST_F(EemThread, SingleStepReportsStepDoneWithTheCycleCount) {
    startEem(kFG, 38, testclasses::fg4619());
    loadProgram();
    ASSERT_EQ(Nandrel_Run(target, NANDREL_RUN_SINGLE_STEP, 0), 1) << Nandrel_GetLastTargetError(target);
    const EemMessageRecord first = waitFor(kStep);
    EXPECT_EQ(first.message, kStep);
    uint32_t cycles = 0;
    EXPECT_EQ(state(false, &cycles), kStepDone);
    EXPECT_EQ(static_cast<uint32_t>(first.lParam), cycles);
    EXPECT_EQ(reg(0), 0x0204u);
    {
        std::lock_guard lock(mutex);
        received.clear();
    }
    ASSERT_EQ(Nandrel_Run(target, NANDREL_RUN_SINGLE_STEP, 0), 1);
    const EemMessageRecord second = waitFor(kStep);
    EXPECT_EQ(static_cast<uint32_t>(second.lParam), cycles + 1);  // add #1,r6
    EXPECT_EQ(state(false), kStepDone);
    EXPECT_EQ(reg(0), 0x0206u);
}

TEST_F(EemThread, DataWriteBreakpointStopsAfterTheWritingInstruction) {
    startEem(kFG, 38, testclasses::fg4619());
    loadProgram();
    BreakpointRecord r{};
    r.mode = 3;
    r.address = 0x0300;
    r.access = 7;  // write
    r.action = 1;
    r.mask = 0xFFFFF;
    setBreakpoint(r);
    ASSERT_EQ(Nandrel_Run(target, NANDREL_RUN_TO_BREAKPOINT, 0), 1);
    waitFor(kBreak);
    EXPECT_EQ(state(false), kBreakpointHit);
    EXPECT_EQ(reg(0), 0x020Au);
    EXPECT_EQ(chip().peek16(0x0300), 6);
}

TEST_F(EemThread, TraceHoldsTheLastEightBusCycles) {
    startEem(kFG, 38, testclasses::fg4619());
    loadProgram();
    BreakpointRecord r = code(0x020C);
    r.action = 3;  // break and store
    setBreakpoint(r);
    const EemTraceSettings trace{0, 0, 0};  // on, history of every cycle
    ASSERT_EQ(Nandrel_EEM_SetTrace(target, &trace), 1) << Nandrel_GetLastTargetError(target);
    ASSERT_EQ(Nandrel_Run(target, NANDREL_RUN_TO_BREAKPOINT, 0), 1);
    EXPECT_EQ(waitFor(kStorage).message, kStorage);
    waitFor(kBreak);
    EemTraceEntry entries[8];
    ASSERT_EQ(Nandrel_EEM_ReadTraceBuffer(target, entries), 1);
    const auto expected = chip().eem().trace();
    ASSERT_EQ(expected.size(), 8u);
    for (size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(entries[i].address, expected[i].address) << i;
        EXPECT_EQ(entries[i].data, expected[i].data) << i;
        EXPECT_EQ(entries[i].control, expected[i].control) << i;
    }
    // The trigger's own fetch is the newest; the write of R6 is among them.
    EXPECT_EQ(entries[7].address, 0x020Cu);
    EXPECT_EQ(entries[7].control & 1, 1);
    bool write = false;
    for (const EemTraceEntry& e : entries)
        write = write || (e.address == 0x0300 && e.data == 6 && (e.control & 4));
    EXPECT_TRUE(write);
    EemTraceSettings back{};
    ASSERT_EQ(Nandrel_EEM_GetTrace(target, &back), 1);
    EXPECT_EQ(back.mode, 0u);
}

TEST_F(EemThread, VariableWatchReportsTheWrittenValue) {
    startEem(kFG, 38, testclasses::fg4619());
    loadProgram();
    uint16_t variable = 0;
    const EemVariableSettings watch{0, 0x0300, 1};
    EXPECT_EQ(Nandrel_EEM_SetVariable(target, &variable, &watch), 0);
    EXPECT_EQ(lastError(), kErrVariableWatchOff);
    ASSERT_EQ(Nandrel_EEM_SetVariableWatch(target, 1), 1) << Nandrel_GetLastTargetError(target);
    EXPECT_EQ(waitFor(kWarning).wParam, 5u);
    ASSERT_EQ(Nandrel_EEM_SetVariable(target, &variable, &watch), 1)
        << Nandrel_GetLastTargetError(target);
    setBreakpoint(code(0x020C));
    ASSERT_EQ(Nandrel_Run(target, NANDREL_RUN_TO_BREAKPOINT, 0), 1);
    const EemMessageRecord value = waitFor(kStorage);
    EXPECT_EQ(value.wParam, 0x0300u);
    EXPECT_EQ(value.lParam, 6);
    uint32_t off = 7;
    EemVariableEntry entries[8];
    ASSERT_EQ(Nandrel_EEM_GetVariableWatch(target, &off, entries), 1);
    EXPECT_EQ(off, 0u);
    EXPECT_EQ(entries[0].handle, variable);
    EXPECT_EQ(entries[0].address, 0x0300);
    EXPECT_EQ(entries[0].state, 1u);
    const EemTraceSettings trace{0, 0, 0};
    EXPECT_EQ(Nandrel_EEM_SetTrace(target, &trace), 0);
    EXPECT_EQ(lastError(), kErrResources);
}

TEST_F(EemThread, SequencerStateChangesAreReported) {
    startEem(kFG, 38, testclasses::fg4619());
    loadProgram();
    BreakpointRecord first = code(0x0204), second = code(0x0206);
    first.action = second.action = 0;  // triggers of the sequencer only
    const uint16_t a = setBreakpoint(first);
    const uint16_t b = setBreakpoint(second);
    setBreakpoint(code(0x020C));
    EemSequencer s{};
    s.words[0] = 1;
    s.words[1] = static_cast<uint32_t>(a) << 16;  // start handle, no reset trigger
    s.words[2] = 1;                               // X0: state 0 -> 1 on a
    s.words[3] = 2;                               // X1: state 1 -> 2 on b
    s.words[6] = a | static_cast<uint32_t>(b) << 16;
    ASSERT_EQ(Nandrel_EEM_SetSequencer(target, &s), 1) << Nandrel_GetLastTargetError(target);
    uint32_t st = 9;
    ASSERT_EQ(Nandrel_EEM_ReadSequencerState(target, &st), 1);
    EXPECT_EQ(st, 0u);
    ASSERT_EQ(Nandrel_Run(target, NANDREL_RUN_TO_BREAKPOINT, 0), 1);
    waitFor(kBreak);
    const EemMessageRecord change = waitFor(kSequencer);
    EXPECT_EQ(change.lParam, 2);
    ASSERT_EQ(Nandrel_EEM_ReadSequencerState(target, &st), 1);
    EXPECT_EQ(st, 2u);
    // Triggers the sequencer uses cannot be removed or combined.
    BreakpointRecord clear{};
    uint16_t h = a;
    EXPECT_EQ(Nandrel_EEM_SetBreakpoint(target, &h, &clear), 0);
    EXPECT_EQ(lastError(), kErrTriggerInSequencer);
    const uint16_t pair[2] = {a, b};
    uint16_t combined = 0;
    EXPECT_EQ(Nandrel_EEM_SetCombineBreakpoint(target, 0, 2, &combined, pair), 0);
    EXPECT_EQ(lastError(), kErrCombinationInSequencer);
    EemSequencer back{};
    ASSERT_EQ(Nandrel_EEM_GetSequencer(target, &back), 1);
    EXPECT_EQ(back.words[6], s.words[6]);
}

TEST_F(EemThread, PollsLeaveTheClientsErrorAlone) {
    startEem(kFG, 38, testclasses::fg4619());
    loadProgram();
    ASSERT_EQ(Nandrel_Run(target, NANDREL_RUN_TO_BREAKPOINT, 0), 1);
    uint32_t v = 0;
    EXPECT_EQ(Nandrel_ReadRegister(target, 16, &v), 0);
    // Each poll moves the clock on by 2 ms: wait for twenty of them.
    const uint32_t start = manual.tickCount();
    for (int i = 0; i < 1000000 && manual.tickCount() - start < 40; ++i)
        std::this_thread::yield();
    EXPECT_GE(manual.tickCount() - start, 40u);
    EXPECT_EQ(std::string(Nandrel_GetLastTargetError(target)), "Invalid parameter(s)");
    EXPECT_EQ(lastError(), kErrParameter);
    EXPECT_EQ(state(true), kStopped);
}

// A client that asks for the state from inside the breakpoint-hit callback.
std::atomic<int32_t> stateInCallback{-1};
NANDREL_HANDLE callbackTarget = nullptr;
void askState(uint32_t message, uintptr_t, intptr_t, uint32_t) {
    if (message != 2) return;
    int32_t s = -1;
    if (Nandrel_State(callbackTarget, &s, 0, nullptr)) stateInCallback = s;
}

TEST_F(EemThread, TheCallbackMayCallTheLibrary) {
    startHeld(kFG, 38, testclasses::fg4619());
    stateInCallback = -1;
    callbackTarget = target;
    EemMessageNumbers numbers{1, 2, 3, 4, 5, 6};
    ASSERT_EQ(Nandrel_EEM_Init(target, &askState, 0, &numbers), 1);
    loadProgram();
    setBreakpoint(code(0x0204));
    ASSERT_EQ(Nandrel_Run(target, NANDREL_RUN_TO_BREAKPOINT, 0), 1);
    for (int i = 0; i < 1000000 && stateInCallback < 0; ++i)
        std::this_thread::yield();
    EXPECT_EQ(stateInCallback, kBreakpointHit);
    EXPECT_EQ(state(false), kStopped);
    ASSERT_EQ(Nandrel_CloseEEM(target), 1) << Nandrel_GetLastTargetError(target);
}

TEST_F(EemThread, StartPauseWakeAndStop) {
    startEem(kFG, 38, testclasses::fg4619());
    CEemJTAG& eem = t->Eem();
    EXPECT_TRUE(eem.threadRunning());
    EXPECT_TRUE(eem.polling());
    EXPECT_TRUE(threadAsleep());
    loadProgram();
    // A run to nowhere keeps the thread polling; State pauses it and wakes it again.
    ASSERT_EQ(Nandrel_Run(target, NANDREL_RUN_TO_BREAKPOINT, 0), 1);
    EXPECT_EQ(state(false), kRunning);
    EXPECT_EQ(state(true), kStopped);
    EXPECT_EQ(waitFor(kCpuStopped).message, kCpuStopped);
    ASSERT_EQ(Nandrel_CloseEEM(target), 1) << Nandrel_GetLastTargetError(target);
    EXPECT_FALSE(eem.threadRunning());
    EXPECT_FALSE(eem.polling());
    EXPECT_EQ(Nandrel_CloseEEM(target), 1);
    // Started again by the next initialisation.
    ASSERT_EQ(Nandrel_EEM_Init(target, &EemTest::record, kClient, nullptr), 1);
    EXPECT_TRUE(eem.threadRunning());
}

TEST_F(EemThread, ClosingWhileTheCpuRunsStopsTheThreadFirst) {
    startEem(kFG, 38, testclasses::fg4619());
    loadProgram();
    ASSERT_EQ(Nandrel_Run(target, NANDREL_RUN_TO_BREAKPOINT, 0), 1);
    Nandrel_CloseTarget(target);
    EXPECT_FALSE(t->Eem().threadRunning());
    Nandrel_CloseModule();
}

TEST_F(EemThread, ClosingJtagStopsTheThread) {
    startEem(kFG, 38, testclasses::fg4619());
    loadProgram();
    ASSERT_EQ(Nandrel_Run(target, NANDREL_RUN_TO_BREAKPOINT, 0), 1);
    ASSERT_EQ(Nandrel_CloseJTAG(target, 0), 1) << Nandrel_GetLastTargetError(target);
    EXPECT_FALSE(t->Eem().threadRunning());
}

TEST_F(EemThread, AThreadThatWillNotStopGivesError60) {
    startEem(kFG, 38, testclasses::fg4619());
    loadProgram();
    setBreakpoint(code(0x0204));
    hold = true;  // the client's callback does not return
    ASSERT_EQ(Nandrel_Run(target, NANDREL_RUN_TO_BREAKPOINT, 0), 1);
    waitFor(kBreak);
    EXPECT_EQ(Nandrel_CloseEEM(target), 0);
    EXPECT_EQ(lastError(), kErrThreadPause);
    hold = false;
    Nandrel_CloseModule();
}

TEST_F(EemThread, ClosingTheModuleWhileTheThreadPolls) {
    startEem(kFG, 38, testclasses::fg4619());
    loadProgram();
    ASSERT_EQ(Nandrel_Run(target, NANDREL_RUN_TO_BREAKPOINT, 0), 1);
    Nandrel_CloseModule();
}

}  // namespace
