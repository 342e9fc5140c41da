// The EEM at its edges, through the exported functions against the simulated
// chips: closing from the client's callback, the pause right after a wake,
// every trace setting, breakpoints that fire again after a run from one, and
// the trigger blocks the breakpoint table owns.
#include <atomic>
#include <ostream>
#include <string>

#include "eem_fixture.h"
#include "eem_jtag.h"
#include "error_table.h"

namespace {

using namespace nandrel;
constexpr const char* kFG = "MSP430FG4619";
constexpr const char* kF149 = "MSP430F149";

class EemEdge : public EemTest {
  protected:
    // 0200 mov #5A80h,&0120h (watchdog held); 0206 inc r4; 0208 inc r5; 020A jmp 0206
    void loadCounter() {
        load(0x0200, {0x40B2, 0x5A80, 0x0120, 0x5314, 0x5315, 0x3FFD});
        ASSERT_EQ(Nandrel_WriteRegister(target, 0, 0x0200), 1);
        ASSERT_EQ(Nandrel_WriteRegister(target, 4, 0), 1);
        ASSERT_EQ(Nandrel_WriteRegister(target, 5, 0), 1);
    }
    // Waits until the polling thread has left (ten real seconds at most).
    bool threadEnded() {
        for (int i = 0; i < 2000000; ++i) {
            if (!t->Eem().threadRunning()) return true;
            std::this_thread::yield();
        }
        return false;
    }
    void clearReceived() {
        std::lock_guard lock(mutex);
        received.clear();
    }
};

// What the closing callback does on the breakpoint hit.
enum class CloseFrom { Target, Port, Module };
std::atomic<int> g_closeWhat{0};
std::atomic<NANDREL_HANDLE> g_closeHandle{nullptr};
std::atomic<bool> g_closed{false};

std::atomic<bool> g_runReturned{false};

void closingCallback(uint32_t message, uintptr_t, intptr_t, uint32_t) {
    if (message != 2 || g_closed) return;
    // A client closes once its own call into the library has returned.
    for (int i = 0; i < 2000000 && !g_runReturned; ++i)
        std::this_thread::yield();
    switch (static_cast<CloseFrom>(g_closeWhat.load())) {
        case CloseFrom::Target:
            Nandrel_CloseTarget(g_closeHandle);
            break;
        case CloseFrom::Port:
            Nandrel_ClosePort(g_closeHandle);
            break;
        case CloseFrom::Module:
            Nandrel_CloseModule();
            break;
    }
    g_closed = true;
}

void PrintTo(CloseFrom c, std::ostream* os) {
    *os << static_cast<int>(c);
}

class EemEdgeClose : public EemEdge, public ::testing::WithParamInterface<CloseFrom> {};

TEST_P(EemEdgeClose, ClosingFromTheBreakpointCallbackEndsTheThreadCleanly) {
    startHeld(kFG, 38, testclasses::fg4619());
    EemMessageNumbers numbers{1, 2, 3, 4, 5, 6};
    ASSERT_EQ(Nandrel_EEM_Init(target, &closingCallback, 0, &numbers), 1);
    loadProgram();
    setBreakpoint(code(0x0204));
    g_closed = false;
    g_runReturned = false;
    g_closeWhat = static_cast<int>(GetParam());
    g_closeHandle = GetParam() == CloseFrom::Port ? t->port()->handle() : target;
    ASSERT_EQ(Nandrel_Run(target, NANDREL_RUN_TO_BREAKPOINT, 0), 1)
        << Nandrel_GetLastTargetError(target);
    g_runReturned = true;
    for (int i = 0; i < 2000000 && !g_closed; ++i)
        std::this_thread::yield();
    ASSERT_TRUE(g_closed);
    if (GetParam() == CloseFrom::Target) {
        EXPECT_TRUE(threadEnded());
        EXPECT_STREQ(Nandrel_GetLastTargetError(target), "Invalid target object");
        // A closed target refuses further work with the "no pod" error.
        int32_t s = 0;
        EXPECT_EQ(Nandrel_State(target, &s, 0, nullptr), 0);
    }
    // The library opens again on the same simulated pod.
    Nandrel_CloseModule();
    NANDREL_HANDLE port = openPort();
    ASSERT_NE(port, nullptr) << interfaceError();
    EXPECT_NE(Nandrel_OpenTarget(port, 0), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Closes, EemEdgeClose,
                         ::testing::Values(CloseFrom::Target, CloseFrom::Port, CloseFrom::Module),
                         [](const ::testing::TestParamInfo<CloseFrom>& p) {
                             return std::string(p.param == CloseFrom::Target ? "Target"
                                                : p.param == CloseFrom::Port ? "Port"
                                                                             : "Module");
                         });

// Closes on the breakpoint hit at once: the client's Run may still be waking
// the thread when the callback comes.
void closeAtOnceCallback(uint32_t message, uintptr_t, intptr_t, uint32_t) {
    if (message != 2 || g_closed) return;
    if (static_cast<CloseFrom>(g_closeWhat.load()) == CloseFrom::Port)
        Nandrel_ClosePort(g_closeHandle);
    else
        Nandrel_CloseModule();
    g_closed = true;
}

class EemCloseRace : public EemEdge {
  protected:
    // The chain opened again on the plugged pod, the part held and its EEM started.
    void openAgain() {
        NANDREL_HANDLE port = openPort();
        ASSERT_NE(port, nullptr) << interfaceError();
        target = Nandrel_OpenTarget(port, 0);
        t = static_cast<CTargetJTAG*>(resolveHandle(target, NANDREL_KIND_TARGET));
        ASSERT_NE(t, nullptr);
        ASSERT_EQ(Nandrel_VCC(target, 3000), 1);
        ASSERT_EQ(Nandrel_OpenJTAG(target), 1);
        select(40, 38, testclasses::fg4619());
        ASSERT_EQ(Nandrel_Reset(target, 1, 0, 0), 1) << Nandrel_GetLastTargetError(target);
        EemMessageNumbers numbers{1, 2, 3, 4, 5, 6};
        ASSERT_EQ(Nandrel_EEM_Init(target, &closeAtOnceCallback, 0, &numbers), 1);
        g_closeHandle = t->port()->handle();
    }
};

TEST_F(EemCloseRace, ClosingFromTheCallbackRightAfterAWakeLeavesTheCallerSound) {
    start(kFG);
    Nandrel_CloseModule();
    for (int round = 0; round < 40; ++round) {
        for (CloseFrom what : {CloseFrom::Port, CloseFrom::Module}) {
            openAgain();
            loadProgram();
            setBreakpoint(code(0x0204));
            g_closed = false;
            g_closeWhat = static_cast<int>(what);
            // The thread may poll, report the hit and close while this call wakes it.
            ASSERT_EQ(Nandrel_Run(target, NANDREL_RUN_TO_BREAKPOINT, 0), 1)
                << Nandrel_GetLastTargetError(target);
            for (int i = 0; i < 2000000 && !g_closed; ++i)
                std::this_thread::yield();
            ASSERT_TRUE(g_closed) << "round " << round;
            Nandrel_CloseModule();
        }
    }
}

TEST_F(EemEdge, APauseRightAfterAWakeWaitsForTheThreadToSleep) {
    startEem(kFG, 38, testclasses::fg4619());
    loadCounter();
    for (int round = 0; round < 200; ++round) {
        // A run to nowhere: the woken thread polls and does not sleep on its own.
        ASSERT_EQ(Nandrel_Run(target, NANDREL_RUN_TO_BREAKPOINT, 0), 1)
            << Nandrel_GetLastTargetError(target);
        int32_t result = -1;
        t->port()->WaitAsleepEvent(0, &result);
        ASSERT_NE(result, 0) << "the wake returned while the thread still counted as asleep, round "
                             << round;
        ASSERT_EQ(state(true), kStopped);
    }
}

struct TraceCase {
    EemTraceSettings settings;
    bool storageTrigger;
    uint32_t control;  // the storage control the library writes
    const char* name;
};

void PrintTo(const TraceCase& c, std::ostream* os) {
    *os << c.name;
}

class EemEdgeTrace : public EemEdge, public ::testing::WithParamInterface<TraceCase> {
  protected:
    // The value of the last storage-control write (register 158) on the wire.
    uint32_t lastStorageControlWritten() {
        uint32_t value = 0xFFFFFFFF;
        for (const kv::sim::CommandRecord& r : pod->records())
            if (r.command == 234 && r.request.size() == 7 && r.request[1] == 0 &&
                r.request[2] == 158)
                value = static_cast<uint32_t>(r.request[3]) << 24 | r.request[4] << 16 |
                        r.request[5] << 8 | r.request[6];
        return value;
    }
};

TEST_P(EemEdgeTrace, EveryTraceSettingDeliversTheStorage) {
    const TraceCase c = GetParam();
    startEem(kFG, 38, testclasses::fg4619());
    // 0200 mov #5A80h,&0120h; 0206 mov #5,r6; 020A add #1,r6; 020C mov r6,&0300; 0210 jmp 020A
    load(0x0200, {0x40B2, 0x5A80, 0x0120, 0x4036, 0x0005, 0x5316, 0x4682, 0x0300, 0x3FFC});
    ASSERT_EQ(Nandrel_WriteRegister(target, 0, 0x0200), 1);
    if (c.storageTrigger) {
        BreakpointRecord r{};
        r.mode = 3;
        r.address = 0x0300;
        r.access = 7;  // write
        r.action = 2;  // state storage only
        r.mask = 0xFFFFF;
        setBreakpoint(r);
    }
    ASSERT_EQ(Nandrel_EEM_SetTrace(target, &c.settings), 1) << Nandrel_GetLastTargetError(target);
    EXPECT_EQ(lastStorageControlWritten(), c.control);
    ASSERT_EQ(Nandrel_Run(target, NANDREL_RUN_TO_BREAKPOINT, 0), 1);
    ASSERT_EQ(waitFor(kStorage).message, kStorage);
    EemTraceEntry entries[8] = {};
    ASSERT_EQ(Nandrel_EEM_ReadTraceBuffer(target, entries), 1);
    bool stored = false;
    for (const EemTraceEntry& e : entries) {
        stored = stored || e.address != 0 || e.control != 0;
        // Stored on the trigger alone: every entry is the write of R6.
        if (c.settings.store >= 2 && e.control != 0) {
            EXPECT_EQ(e.address, 0x0300u);
            EXPECT_EQ(e.control & 4, 4);
        }
    }
    EXPECT_TRUE(stored);
    EXPECT_EQ(state(true), kStopped);

    // Stopped (first word 1), the storage stays quiet; restarted (2), it delivers again.
    const EemTraceSettings stop{1, c.settings.store, c.settings.option};
    ASSERT_EQ(Nandrel_EEM_SetTrace(target, &stop), 1);
    EXPECT_EQ(chip().eem().storage().control() & 1, 0u);
    ASSERT_EQ(Nandrel_EEM_SetTrace(target, &c.settings), 1);
    const EemTraceSettings restart{2, 0, 0};
    ASSERT_EQ(Nandrel_EEM_SetTrace(target, &restart), 1) << Nandrel_GetLastTargetError(target);
    clearReceived();
    ASSERT_EQ(Nandrel_Run(target, NANDREL_RUN_TO_BREAKPOINT, 0), 1);
    EXPECT_EQ(waitFor(kStorage).message, kStorage);
    EXPECT_EQ(state(true), kStopped);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, EemEdgeTrace,
    ::testing::Values(TraceCase{{0, 0, 0}, true, 97 + 2, "History"},
                      // History that stops after eight entries: no trigger needed.
                      TraceCase{{0, 0, 1}, false, 97 + 6, "HistoryStopAfterEight"},
                      TraceCase{{0, 0, 1}, true, 97 + 6, "HistoryStopAfterEightTriggered"},
                      TraceCase{{0, 1, 0}, true, 89 + 2, "StartOnTrigger"},
                      TraceCase{{0, 1, 1}, true, 89 + 6, "StartOnTriggerStopAfterEight"},
                      TraceCase{{0, 2, 0}, true, 73 + 2, "StoreOnTrigger"},
                      TraceCase{{0, 2, 1}, true, 73 + 6, "StoreOnTriggerStopAfterEight"},
                      TraceCase{{0, 3, 0}, true, 73, "StoreOnTriggerContinuous"},
                      TraceCase{{0, 3, 1}, true, 73, "StoreOnTriggerContinuousOption"},
                      // Beyond 3 the base setting stays: enabled, every cycle, restarted.
                      TraceCase{{0, 4, 0}, true, 65 + 2, "StoreBeyondThree"}),
    [](const ::testing::TestParamInfo<TraceCase>& p) { return std::string(p.param.name); });

TEST_F(EemEdge, RunHitRunReachesTheNextHitOnALevel3Part) {
    startEem(kFG, 38, testclasses::fg4619());
    loadCounter();
    setBreakpoint(code(0x0208));
    for (uint32_t round = 1; round <= 3; ++round) {
        clearReceived();
        ASSERT_EQ(Nandrel_Run(target, NANDREL_RUN_TO_BREAKPOINT, 0), 1)
            << Nandrel_GetLastTargetError(target);
        ASSERT_EQ(waitFor(kBreak).message, kBreak) << round;
        EXPECT_EQ(state(false), kBreakpointHit);
        EXPECT_EQ(reg(0), 0x0208u);
        EXPECT_EQ(reg(4), round);
        EXPECT_EQ(reg(5), round - 1);
    }
    // No step message: the step off the breakpoint belongs to the run.
    EXPECT_EQ(count(kStep), 0u);
}

TEST_F(EemEdge, RunHitRunReachesTheNextHitWithoutThePollingThread) {
    startHeld(kF149, 7, testclasses::f149());
    loadCounter();
    setBreakpoint(code(0x0208));
    for (uint32_t round = 1; round <= 3; ++round) {
        ASSERT_EQ(Nandrel_Run(target, NANDREL_RUN_TO_BREAKPOINT, 0), 1)
            << Nandrel_GetLastTargetError(target);
        int32_t s = kRunning;
        for (int i = 0; i < 10 && s == kRunning; ++i)
            s = state(false);
        EXPECT_EQ(s, kBreakpointHit) << round;
        EXPECT_EQ(reg(0), 0x0208u);
        EXPECT_EQ(reg(4), round);
        EXPECT_EQ(reg(5), round - 1);
    }
    // A free run from the breakpoint runs past it.
    ASSERT_EQ(Nandrel_Run(target, NANDREL_RUN_FREE, 0), 1) << Nandrel_GetLastTargetError(target);
    EXPECT_EQ(state(true), kStopped);
    EXPECT_GT(reg(4), 100u);
    // The breakpoint is armed as before: a run to it from elsewhere stops at it.
    uint32_t reaction = 0;
    ASSERT_EQ(Nandrel_ReadRegisterEEM(target, 129, &reaction), 1);
    EXPECT_EQ(reaction & 1, 1u);
}

TEST_F(EemEdge, RunHitRunWithSimpleBreakpointsOnAPartWithoutEem) {
    startHeld("MSP430F11x1-prototype", 1, testclasses::noEem());
    loadCounter();
    ASSERT_EQ(Nandrel_Breakpoint(target, 0, 0x0208), 1) << Nandrel_GetLastTargetError(target);
    for (uint32_t round = 1; round <= 3; ++round) {
        ASSERT_EQ(Nandrel_Run(target, NANDREL_RUN_TO_BREAKPOINT, 0), 1)
            << Nandrel_GetLastTargetError(target);
        EXPECT_EQ(state(false), kBreakpointHit) << round;
        EXPECT_EQ(reg(0), 0x0208u);
        EXPECT_EQ(reg(4), round);
        EXPECT_EQ(reg(5), round - 1);
    }
    // A free run from the breakpoint runs past it; the next run to it stops there.
    ASSERT_EQ(Nandrel_Run(target, NANDREL_RUN_FREE, 0), 1) << Nandrel_GetLastTargetError(target);
    EXPECT_EQ(state(true), kStopped);
    EXPECT_GT(reg(4), 100u);
    ASSERT_EQ(Nandrel_Run(target, NANDREL_RUN_TO_BREAKPOINT, 0), 1);
    EXPECT_EQ(state(false), kBreakpointHit);
    EXPECT_EQ(reg(0), 0x0208u);
}

TEST_F(EemEdge, ARunStartingAtADataBreakpointDoesNotStepOverIt) {
    // Only fetch breakpoints at the PC are stepped off: a write trigger on the
    // first instruction still stops the run after it.
    startHeld(kFG, 38, testclasses::fg4619());
    // 0200 mov r6,&0300; 0204 jmp $
    load(0x0200, {0x4682, 0x0300, 0x3FFF});
    ASSERT_EQ(Nandrel_WriteRegister(target, 0, 0x0200), 1);
    BreakpointRecord r{};
    r.mode = 3;
    r.address = 0x0300;
    r.access = 7;
    r.action = 1;
    r.mask = 0xFFFFF;
    setBreakpoint(r);
    ASSERT_EQ(Nandrel_Run(target, NANDREL_RUN_TO_BREAKPOINT, 0), 1);
    EXPECT_EQ(state(false), kBreakpointHit);
    EXPECT_EQ(reg(0), 0x0204u);
}

TEST_F(EemEdge, SimpleBreakpointsLeaveTheTablesTriggerBlocksAlone) {
    startHeld(kF149, 7, testclasses::f149());
    const uint16_t h = setBreakpoint(code(0x0204));
    ASSERT_NE(h, 0);
    // The table took block 0: the simple breakpoint on block 0 is refused.
    EXPECT_EQ(Nandrel_Breakpoint(target, 0, 0x0206), 0);
    EXPECT_EQ(lastError(), kErrResources);
    uint32_t value = 0;
    ASSERT_EQ(Nandrel_ReadRegisterEEM(target, 1, &value), 1);
    EXPECT_EQ(value, 0x0204u);
    BreakpointRecord back{};
    ASSERT_EQ(Nandrel_EEM_GetBreakpoint(target, h, &back), 1);
    EXPECT_EQ(back.address, 0x0204u);
    // A free block takes it, and the table allocates around it afterwards.
    ASSERT_EQ(Nandrel_Breakpoint(target, 1, 0x0206), 1) << Nandrel_GetLastTargetError(target);
    ASSERT_EQ(Nandrel_ReadRegisterEEM(target, 9, &value), 1);
    EXPECT_EQ(value, 0x0206u);
    const uint16_t h2 = setBreakpoint(code(0x0208));
    ASSERT_NE(h2, 0);
    ASSERT_EQ(Nandrel_ReadRegisterEEM(target, 17, &value), 1);
    EXPECT_EQ(value, 0x0208u);
    ASSERT_EQ(Nandrel_ReadRegisterEEM(target, 9, &value), 1);
    EXPECT_EQ(value, 0x0206u);
}

TEST_F(EemEdge, GetBreakpointWritesFifteenSlots) {
    startHeld(kF149, 7, testclasses::f149());
    BreakpointRecord r = code(0x0204);
    const uint16_t h = setBreakpoint(r);
    // A caller's record of fifteen slots, with a guard word behind it.
    struct {
        uint32_t slots[15];
        uint32_t guard;
    } caller;
    std::fill(std::begin(caller.slots), std::end(caller.slots), 0xA5A5A5A5u);
    caller.guard = 0xDEADBEEF;
    ASSERT_EQ(Nandrel_EEM_GetBreakpoint(target, h, reinterpret_cast<BreakpointRecord*>(&caller)),
              1);
    EXPECT_EQ(caller.guard, 0xDEADBEEFu);
    EXPECT_EQ(caller.slots[0], 1u);       // mode
    EXPECT_EQ(caller.slots[1], 0x0204u);  // address
    EXPECT_EQ(caller.slots[5], 1u);       // action
    EXPECT_EQ(caller.slots[14], 0u);      // condition operator
}

// What a set that the pod fails part-way was asked to do.
enum class FailedSet { New, Moved, Cleared };

struct FailedSetCase {
    FailedSet what;
    const char* name;
};

void PrintTo(const FailedSetCase& c, std::ostream* os) {
    *os << c.name;
}

class EemEdgeFailedSet : public EemEdge, public ::testing::WithParamInterface<FailedSetCase> {
  protected:
    // The pod answers the n-th EEM data exchange from now with status 9.
    void failExchange(uint32_t n) {
        uint32_t seen = 0;
        for (const kv::sim::CommandRecord& r : pod->records())
            seen += r.command == 234;
        pod->addFault({234, kv::sim::PodFaultKind::Status, 9, seen + n});
    }
};

TEST_P(EemEdgeFailedSet, APodFaultLeavesTheTableAndTheBlocksAsTheyWere) {
    startHeld(kF149, 7, testclasses::f149());
    loadCounter();
    const uint16_t kept = setBreakpoint(code(0x0208));
    ASSERT_EQ(kept, 1);
    uint16_t handle = GetParam().what == FailedSet::New ? 0 : kept;
    BreakpointRecord r = code(0x0206);
    if (GetParam().what == FailedSet::Cleared) r.mode = 0;
    failExchange(2);
    EXPECT_EQ(Nandrel_EEM_SetBreakpoint(target, &handle, &r), 0);
    EXPECT_EQ(lastError(), kErrBreakpoint);
    EXPECT_EQ(handle, GetParam().what == FailedSet::New ? 0 : kept);

    // The table still describes the one breakpoint, and nothing else.
    BreakpointRecord back{};
    ASSERT_EQ(Nandrel_EEM_GetBreakpoint(target, kept, &back), 1);
    EXPECT_EQ(back.address, 0x0208u);
    EXPECT_EQ(Nandrel_EEM_GetBreakpoint(target, 2, &back), 0);
    EXPECT_EQ(lastError(), kErrParameter);
    // Its block compares its address again, and it still stops a run there.
    uint32_t value = 0;
    ASSERT_EQ(Nandrel_ReadRegisterEEM(target, 1, &value), 1);
    EXPECT_EQ(value, 0x0208u);
    ASSERT_EQ(Nandrel_Run(target, NANDREL_RUN_TO_BREAKPOINT, 0), 1)
        << Nandrel_GetLastTargetError(target);
    EXPECT_EQ(state(false), kBreakpointHit);
    EXPECT_EQ(reg(0), 0x0208u);
    // The other two blocks are free, and no more.
    EXPECT_NE(setBreakpoint(code(0x020A)), 0);
    EXPECT_NE(setBreakpoint(code(0x0206)), 0);
    uint16_t none = 0;
    const BreakpointRecord fourth = code(0x0200);
    EXPECT_EQ(Nandrel_EEM_SetBreakpoint(target, &none, &fourth), 0);
    EXPECT_EQ(lastError(), kErrResources);
}

INSTANTIATE_TEST_SUITE_P(
    Sets, EemEdgeFailedSet,
    ::testing::Values(FailedSetCase{FailedSet::New, "ANewBreakpoint"},
                      FailedSetCase{FailedSet::Moved, "ABreakpointMovedElsewhere"},
                      FailedSetCase{FailedSet::Cleared, "ABreakpointCleared"}),
    [](const ::testing::TestParamInfo<FailedSetCase>& p) { return std::string(p.param.name); });

TEST_F(EemEdge, APartWithoutEemRefusesBreakpointRecordsWithoutTalkingToThePod) {
    startHeld("MSP430F11x1-prototype", 1, testclasses::noEem());
    const size_t before = podCommands();
    uint16_t handle = 0;
    const BreakpointRecord r = code(0x0208);
    EXPECT_EQ(Nandrel_EEM_SetBreakpoint(target, &handle, &r), 0);
    EXPECT_EQ(lastError(), kErrParameter);
    EXPECT_EQ(handle, 0);
    EXPECT_EQ(podCommands(), before);
    BreakpointRecord back{};
    EXPECT_EQ(Nandrel_EEM_GetBreakpoint(target, 1, &back), 0);
    // The simple breakpoints are the part's own.
    EXPECT_EQ(Nandrel_Breakpoint(target, 0, 0x0208), 1) << Nandrel_GetLastTargetError(target);
}

}  // namespace
