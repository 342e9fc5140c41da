// The EEM's breakpoint table and registers on the simulated pod: what each
// level can express, combinations, the edge cases of initialisation and
// register access, clock control and the simple breakpoints.
#include "eem_fixture.h"
#include "error_table.h"

namespace {

using namespace nandrel;
constexpr const char* kFG = "MSP430FG4619";
constexpr const char* kF149 = "MSP430F149";

class Eem : public EemTest {
  protected:
    void runToStop(uint32_t expectedPc) {
        ASSERT_EQ(Nandrel_Run(target, NANDREL_RUN_TO_BREAKPOINT, 0), 1) << Nandrel_GetLastTargetError(target);
        waitFor(kBreak);
        EXPECT_EQ(state(false), kBreakpointHit);
        EXPECT_EQ(reg(0), expectedPc);
    }
};

TEST_F(Eem, RangeBreakpointOnALevel3Part) {
    startEem(kFG, 38, testclasses::fg4619());
    loadProgram();
    BreakpointRecord r{};
    r.mode = 2;
    r.address = 0x0208;  // the lower address may come second
    r.endAddress = 0x0206;
    r.action = 1;
    const uint16_t h = setBreakpoint(r);
    runToStop(0x0206);
    BreakpointRecord back{};
    ASSERT_EQ(Nandrel_EEM_GetBreakpoint(target, h, &back), 1);
    EXPECT_EQ(back.endAddress, 0x0206u);
    EXPECT_EQ(back.mode, 2u);
    r.type = 2;  // a register range
    uint16_t other = 0;
    EXPECT_EQ(Nandrel_EEM_SetBreakpoint(target, &other, &r), 0);
    EXPECT_EQ(lastError(), kErrParameter);
}

TEST_F(Eem, OutsideRangeAndMaskBreakpoints) {
    startEem(kFG, 38, testclasses::fg4619());
    loadProgram();
    BreakpointRecord r{};
    r.mode = 3;
    r.address = 0x0208;
    r.mask = 0xFFF8;  // compares all but the three lowest address bits
    r.action = 1;
    uint16_t h = setBreakpoint(r);
    runToStop(0x020A);  // the first fetch in 0x0208..0x020F after the start
    BreakpointRecord clear{};
    ASSERT_EQ(Nandrel_EEM_SetBreakpoint(target, &h, &clear), 1);
    BreakpointRecord outside{};
    outside.mode = 2;
    outside.address = 0x0200;
    outside.endAddress = 0x020C;
    outside.rangeAction = 1;
    outside.action = 1;
    setBreakpoint(outside);
    load(0x020C, {0x4030, 0x0400});  // br #0400
    load(0x0400, {0x3FFF});
    ASSERT_EQ(Nandrel_WriteRegister(target, 0, 0x0200), 1);
    runToStop(0x0400);
}

TEST_F(Eem, SmallerLevelsRefuseWhatTheyCannotExpress) {
    startEem(kF149, 7, testclasses::f149());
    BreakpointRecord r{};
    r.mode = 3;
    r.address = 0x0300;
    r.action = 1;
    r.mask = 0xFF00;
    setBreakpoint(r);  // whole bytes are fine
    uint16_t h = 0;
    for (auto change : std::initializer_list<void (*)(BreakpointRecord&)>{
             [](BreakpointRecord& b) { b.op = 1; }, [](BreakpointRecord& b) { b.op = 2; },
             [](BreakpointRecord& b) { b.mask = 0x0FF0; }, [](BreakpointRecord& b) { b.type = 2; },
             [](BreakpointRecord& b) {
                 b.mode = 2;
                 b.endAddress = 0x0310;
             },
             [](BreakpointRecord& b) {
                 b.condition = 1;
                 b.conditionMask = 0x1234;
             }}) {
        BreakpointRecord bad = r;
        change(bad);
        h = 0;
        EXPECT_EQ(Nandrel_EEM_SetBreakpoint(target, &h, &bad), 0);
        EXPECT_EQ(lastError(), kErrParameter);
    }
    // Three blocks: a fourth breakpoint finds none free.
    setBreakpoint(code(0x0200));
    setBreakpoint(code(0x0202));
    h = 0;
    BreakpointRecord more = code(0x0204);
    EXPECT_EQ(Nandrel_EEM_SetBreakpoint(target, &h, &more), 0);
    EXPECT_EQ(lastError(), kErrResources);
    BreakpointRecord clear{};
    h = 0;
    EXPECT_EQ(Nandrel_EEM_SetBreakpoint(target, &h, &clear), 0);
    EXPECT_EQ(lastError(), kErrParameter);
}

TEST_F(Eem, CombinationsAndTheirErrors) {
    startEem(kFG, 38, testclasses::fg4619());
    loadProgram();
    BreakpointRecord fetch = code(0x020A), write{};
    write.mode = 3;
    write.address = 0x0300;
    write.access = 7;
    write.mask = 0xFFFFF;
    write.action = 1;
    const uint16_t a = setBreakpoint(fetch);
    const uint16_t b = setBreakpoint(write);
    const uint16_t pair[2] = {a, b};
    uint16_t combined = 0;
    EXPECT_EQ(Nandrel_EEM_SetCombineBreakpoint(target, 0, 1, &combined, pair), 0);
    EXPECT_EQ(lastError(), kErrParameter);
    ASSERT_EQ(Nandrel_EEM_SetCombineBreakpoint(target, 0, 2, &combined, pair), 1)
        << Nandrel_GetLastTargetError(target);
    uint16_t n = 2, list[2] = {};
    ASSERT_EQ(Nandrel_EEM_GetCombineBreakpoint(target, combined, &n, list), 1);
    EXPECT_EQ(n, 2);
    EXPECT_EQ(list[0], a);
    EXPECT_EQ(list[1], b);
    // A fetch of 020A and a write of 0300 never share a cycle: the run goes on.
    ASSERT_EQ(Nandrel_Run(target, NANDREL_RUN_TO_BREAKPOINT, 0), 1);
    EXPECT_EQ(state(false), kRunning);
    EXPECT_EQ(state(true), kStopped);
    // Sequencer triggers: a combination it uses cannot be released (51).
    EemSequencer s{};
    s.words[0] = 1;
    s.words[1] = static_cast<uint32_t>(combined) << 16;
    s.words[2] = 1;
    s.words[6] = combined;
    ASSERT_EQ(Nandrel_EEM_SetSequencer(target, &s), 1) << Nandrel_GetLastTargetError(target);
    EXPECT_EQ(Nandrel_EEM_SetCombineBreakpoint(target, 1, 0, &combined, nullptr), 0);
    EXPECT_EQ(lastError(), kErrTriggerInSequencer);
    s.words[0] = 0;
    ASSERT_EQ(Nandrel_EEM_SetSequencer(target, &s), 1);
    ASSERT_EQ(Nandrel_EEM_SetCombineBreakpoint(target, 1, 0, &combined, nullptr), 1);
    EXPECT_EQ(Nandrel_EEM_GetCombineBreakpoint(target, combined == 0 ? 0x101 : combined, &n, list),
              0);
    uint32_t st = 0;
    EXPECT_EQ(Nandrel_EEM_ReadSequencerState(target, &st), 0);
    EXPECT_EQ(lastError(), kErrSequencerOff);
}

TEST_F(Eem, EdgeCasesOfInitialisationAndRegisters) {
    startHeld("MSP430F11x1-prototype", 1, testclasses::noEem());
    EXPECT_EQ(Nandrel_EEM_Init(target, &EemTest::record, kClient, nullptr), 0);
    EXPECT_EQ(lastError(), kErrEemInit);
    EXPECT_FALSE(t->Eem().threadRunning());
    EXPECT_EQ(Nandrel_CloseEEM(target), 1);
    // Simple breakpoints of a part without EEM go through the JTAG registers.
    ASSERT_EQ(Nandrel_Breakpoint(target, 1, 0x0204), 1) << Nandrel_GetLastTargetError(target);
    EXPECT_EQ(pod->target().breakpointAddress(1), 0x0204u);
    EXPECT_EQ(Nandrel_Breakpoint(target, 2, 0x0204), 0);
    EXPECT_EQ(lastError(), kErrParameter);
    EXPECT_EQ(Nandrel_Breakpoint(target, 0, 0x10000), 0);
    EXPECT_EQ(lastError(), kErrParameter);
}

TEST_F(Eem, Level2RefusesStorageAndReadsItsStatus) {
    startEem(kF149, 7, testclasses::f149());
    const EemTraceSettings trace{0, 0, 0};
    EXPECT_EQ(Nandrel_EEM_SetTrace(target, &trace), 0);
    EXPECT_EQ(lastError(), kErrResources);
    EXPECT_EQ(Nandrel_EEM_SetVariableWatch(target, 1), 0);
    EXPECT_EQ(lastError(), kErrNoStateStorage);
    EemSequencer s{};
    EXPECT_EQ(Nandrel_EEM_SetSequencer(target, &s), 0);
    EXPECT_EQ(lastError(), kErrNoSequencer);
    uint32_t value = 7;
    EXPECT_EQ(Nandrel_ReadRegisterEEM(target, 130, &value), 0);
    EXPECT_EQ(lastError(), kErrParameter);
    EXPECT_EQ(value, 0u);
    ASSERT_EQ(Nandrel_ReadRegisterEEM(target, 131, &value), 1)
        << Nandrel_GetLastTargetError(target);
    EXPECT_EQ(value & 0x80, 0u);
    EXPECT_EQ(Nandrel_ReadRegisterEEM(target, 256 + 1, &value), 0);
    ASSERT_EQ(Nandrel_WriteRegisterEEM(target, 136, 0x2E), 1);
    EXPECT_EQ(t->clockControl(), 0x2E);
    EXPECT_EQ(Nandrel_Test(target, 0), 1);
    EXPECT_EQ(Nandrel_OpenEEM(target), 1);
}

TEST_F(Eem, ASimpleBreakpointOnAnEemPartStopsTheRun) {
    startEem(kF149, 7, testclasses::f149());
    loadProgram();
    ASSERT_EQ(Nandrel_Breakpoint(target, 2, 0x0206), 1) << Nandrel_GetLastTargetError(target);
    uint32_t reaction = 0;
    ASSERT_EQ(Nandrel_ReadRegisterEEM(target, 129, &reaction), 1);
    EXPECT_EQ(reaction, 4u);
    runToStop(0x0206);
}

TEST_F(Eem, ClockControlChangesReachThePod) {
    startEem(kFG, 38, testclasses::fg4619());
    EemClockControl c{1, 0x1234, 0x2E};
    ASSERT_EQ(Nandrel_EEM_SetClockControl(target, &c), 1) << Nandrel_GetLastTargetError(target);
    EXPECT_EQ(chip().eem().moduleClockControl() & 0xFFFF, 0x1234u);
    bool clockWarning = false;
    {
        std::lock_guard lock(mutex);
        for (const EemMessageRecord& m : received)
            clockWarning = clockWarning || (m.message == kWarning && m.wParam == 3);
    }
    EXPECT_TRUE(clockWarning);
    EemClockControl back{};
    ASSERT_EQ(Nandrel_EEM_GetClockControl(target, &back), 1);
    EXPECT_EQ(back.mainClockControl, 0x1234);
    c.mode = 0;
    ASSERT_EQ(Nandrel_EEM_SetClockControl(target, &c), 1);
    EXPECT_EQ(chip().eem().clockControl(), 38);
}

// The EEM starts without resetting the CPU: a held CPU keeps the registers
// written into the copy, and the controlled clock is in force at once.
TEST_F(Eem, StartingKeepsTheCpuAndPutsTheClockControlInForce) {
    for (const bool extended : {false, true}) {
        SCOPED_TRACE(extended ? kFG : kF149);
        if (extended)
            startHeld(kFG, 38, testclasses::fg4619());
        else
            startHeld(kF149, 7, testclasses::f149());
        ASSERT_EQ(Nandrel_WriteRegister(target, 0, 0x0200), 1);
        ASSERT_EQ(Nandrel_WriteRegister(target, 5, 0x1234), 1);
        const uint64_t resets = chip().pucCount();
        EemMessageNumbers numbers{kStep, kBreak, kStorage, kSequencer, kWarning, kCpuStopped};
        ASSERT_EQ(Nandrel_EEM_Init(target, &EemTest::record, kClient, &numbers), 1)
            << Nandrel_GetLastTargetError(target);
        EXPECT_EQ(chip().pucCount(), resets);
        EXPECT_EQ(reg(0), 0x0200u);
        EXPECT_EQ(chip().reg(5), 0x1234u);
        EXPECT_EQ(chip().eem().clockControl(), 0x2Eu);
        EXPECT_EQ(chip().eem().moduleClockControl() & 0xFFFF, t->mainClockControl());
        Nandrel_CloseTarget(target);
    }
}

TEST_F(Eem, AFailedInitialisationIsReported) {
    kv::sim::PodConfig config;
    config.chip = kFG;
    config.faults.push_back({234, kv::sim::PodFaultKind::Status, 3, 0});
    pod = plug(config);
    pod->chip()->poke16(0xFFFE, static_cast<uint16_t>(kIdleLoop));
    pod->chip()->poke16(kIdleLoop, 0x3FFF);
    target = Nandrel_OpenTarget(openPort(), 0);
    t = static_cast<CTargetJTAG*>(resolveHandle(target, NANDREL_KIND_TARGET));
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(Nandrel_VCC(target, 3000), 1);
    ASSERT_EQ(Nandrel_OpenJTAG(target), 1);
    select(40, 38, testclasses::fg4619());
    EXPECT_EQ(Nandrel_EEM_Init(target, &EemTest::record, kClient, nullptr), 0);
    EXPECT_EQ(lastError(), kErrEemInit);
    EXPECT_FALSE(t->Eem().threadRunning());
}

}  // namespace
