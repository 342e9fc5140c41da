// State storage (trace) and the trigger sequencer of a level-3 emulation module.
#include <gtest/gtest.h>

#include "eem_fixture.h"

namespace kv::sim::test {
namespace {

using namespace kv::asm430;

constexpr uint16_t kHistoryAll =
    kStorEnable | kStorReset | (kStorModeHistory << kStorModeShift) | kStorAllCycles;

struct Cycle {
    uint32_t address;
    uint32_t data;
    uint16_t control;
};

void expectTrace(const std::vector<EemTraceEntry>& trace, const std::vector<Cycle>& want) {
    ASSERT_EQ(trace.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(trace[i].address, want[i].address) << "entry " << i;
        EXPECT_EQ(trace[i].data, want[i].data) << "entry " << i;
        EXPECT_EQ(trace[i].control, want[i].control) << "entry " << i;
    }
}

TEST(EemStateStorage, TraceHoldsTheLastEightBusCycles) {
    auto chip = poweredChip("MSP430FG4619");
    Assembler a(0x2100);
    a.clr(reg(R5));                      // 0x2100: fetch
    a.mov(imm(0x1234), reg(R4));         // 0x2102: fetch, operand word
    a.mov(reg(R4), absolute(0x1200));    // 0x2106: fetch, operand word, write
    a.mov_b(absolute(0x1200), reg(R6));  // 0x210A: fetch, operand word, byte read
    Label end = a.label();
    a.jmp(end);
    loadProgram(*chip, a);
    Eem& eem = chip->eem();
    writeEem(eem, kEemStorageControl, kHistoryAll);
    EXPECT_EQ(runFor(*chip, 4).reason, StopReason::Instructions);

    const uint16_t stream = kEemCycleRead | kEemCycleStream;
    expectTrace(eem.trace(), {
                                 {0x2102, 0x4034, kEemCycleFetch},
                                 {0x2104, 0x1234, stream},
                                 {0x2106, 0x4482, kEemCycleFetch},
                                 {0x2108, 0x1200, stream},
                                 {0x1200, 0x1234, kEemCycleWrite},
                                 {0x210A, 0x4256, kEemCycleFetch},
                                 {0x210C, 0x1200, stream},
                                 {0x1200, 0x34, kEemCycleRead | kEemCycleByte},
                             });

    // The same through the registers: nine cycles stored, the oldest in slot 1.
    const uint32_t index = readEem(eem, kEemStorageIndex + 1);
    EXPECT_EQ(index & 7u, 1u);
    EXPECT_EQ(index >> 8, 9u);
    EXPECT_EQ(readEem(eem, kEemStorageControl + 1) & 0xFF00u, kStorStatusData | kStorStatusFull);
    writeEem(eem, kEemStorageIndex, 4);
    EXPECT_EQ(readEem(eem, kEemStorageData), 0x2108u);
    EXPECT_EQ(readEem(eem, kEemStorageData), 0x1200u);
    EXPECT_EQ(readEem(eem, kEemStorageData), stream);
    EXPECT_EQ(readEem(eem, kEemStorageData), 0x1200u);  // slot 5: the write
    EXPECT_EQ(readEem(eem, kEemStorageData), 0x1234u);
    EXPECT_EQ(readEem(eem, kEemStorageData), kEemCycleWrite);
}

TEST(EemStateStorage, FetchThatBrokeIsFetchedAgainOnResume) {
    auto chip = poweredChip("MSP430FG4619");
    Assembler a(0x2100);
    a.clr(reg(R4));
    Label target = a.label();
    a.inc(reg(R4));
    Label end = a.label();
    a.jmp(end);
    loadProgram(*chip, a);
    Eem& eem = chip->eem();
    writeEem(eem, kEemStorageControl, kHistoryAll);
    breakOn(eem, 0, a.address(target), triggerControl(EemAccess::Fetch));
    EXPECT_EQ(runFor(*chip).reason, StopReason::EemBreak);
    ASSERT_TRUE(eem.writeControl(kEemControlClear));
    // Resumed at the breakpoint, the CPU fetches it again: a second entry, a
    // second trigger and a stop before the instruction.
    RunResult r = runFor(*chip, 1);
    EXPECT_EQ(r.reason, StopReason::EemBreak);
    EXPECT_EQ(r.instructions, 0u);
    expectTrace(eem.trace(), {{0x2100, chip->peek16(0x2100), kEemCycleFetch},
                              {0x2102, chip->peek16(0x2102), kEemCycleFetch},
                              {0x2102, chip->peek16(0x2102), kEemCycleFetch}});
    EXPECT_EQ(eem.triggerFlags(), 1u);
    EXPECT_EQ(chip->reg(4), 0u);
}

TEST(EemStateStorage, HistoryStopsOnStorageTrigger) {
    auto chip = poweredChip("MSP430FG4619");
    Assembler a(0x2100);
    a.clr(reg(R4));
    Label loop = a.label();
    a.inc(reg(R4));
    a.mov(reg(R4), absolute(0x1210));
    a.jmp(loop);
    loadProgram(*chip, a);
    Eem& eem = chip->eem();
    // Store data cycles only; stop when 3 is written.
    writeEem(eem, kEemStorageControl,
             kStorEnable | kStorReset | (kStorModeHistory << kStorModeShift));
    setTrigger(eem, 0, 3, triggerControl(EemAccess::Write, EemOperator::Equal, EemSource::DataBus));
    setCombination(eem, 0, 0x1);
    writeEem(eem, kEemStorageReaction, 0x1);
    EXPECT_EQ(runFor(*chip, 100).reason, StopReason::Instructions);  // storage never breaks
    expectTrace(
        eem.trace(),
        {{0x1210, 1, kEemCycleWrite}, {0x1210, 2, kEemCycleWrite}, {0x1210, 3, kEemCycleWrite}});
    EXPECT_EQ(readEem(eem, kEemStorageControl + 1) & 0xFF00u,
              kStorStatusData | kStorStatusTriggered | kStorStatusStopped);
}

TEST(EemStateStorage, StoreOnTriggerKeepsOnlyTriggeredCycles) {
    auto chip = poweredChip("MSP430FG4619");
    Assembler a(0x2100);
    a.mov(imm(0x11), absolute(0x1200));
    a.mov(imm(0x22), absolute(0x1202));  // watched
    a.mov(imm(0x33), absolute(0x1200));
    a.mov(imm(0x44), absolute(0x1202));  // watched
    a.mov(absolute(0x1202), reg(R4));    // a read: not stored
    Label end = a.label();
    a.jmp(end);
    loadProgram(*chip, a);
    Eem& eem = chip->eem();
    writeEem(eem, kEemStorageControl,
             kStorEnable | kStorReset | (kStorModeOnTrigger << kStorModeShift) | kStorAllCycles);
    setTrigger(eem, 5, 0x1202, triggerControl(EemAccess::Write));
    setCombination(eem, 5, 1u << 5);
    writeEem(eem, kEemStorageReaction, 1u << 5);
    runFor(*chip, 5);
    expectTrace(eem.trace(), {{0x1202, 0x22, kEemCycleWrite}, {0x1202, 0x44, kEemCycleWrite}});
    EXPECT_EQ(readEem(eem, kEemStorageIndex + 1), 0x0202u);

    // Armed again (as a variable watch does after reading): the flags and the
    // count start afresh, the entries stay.
    writeEem(eem, kEemStorageControl,
             kStorEnable | (kStorModeOnTrigger << kStorModeShift) | kStorAllCycles);
    EXPECT_EQ(readEem(eem, kEemStorageControl + 1) & 0xFF00u, 0u);
    EXPECT_EQ(readEem(eem, kEemStorageIndex + 1), 0x0002u);
    EXPECT_EQ(eem.trace().size(), 2u);

    // A restart empties the storage.
    writeEem(eem, kEemStorageControl, readEem(eem, kEemStorageControl + 1) | kStorReset);
    EXPECT_TRUE(eem.trace().empty());
    EXPECT_EQ(readEem(eem, kEemStorageControl + 1) & 0xFF00u, 0u);
}

TEST(EemStateStorage, StartOnTriggerStoresTheDataCyclesThatFollow) {
    auto chip = poweredChip("MSP430FG4619");
    Assembler a(0x2100);
    a.mov(imm(1), absolute(0x1200));  // before the trigger
    a.mov(imm(2), absolute(0x1204));  // the trigger
    a.clr(reg(R4));
    Label loop = a.label();
    a.inc(reg(R4));
    a.mov(reg(R4), absolute(0x1206));
    a.jmp(loop);
    loadProgram(*chip, a);
    Eem& eem = chip->eem();
    writeEem(eem, kEemStorageControl,
             kStorEnable | kStorReset | (kStorModeStartOnTrigger << kStorModeShift));
    setTrigger(eem, 0, 0x1204, triggerControl(EemAccess::Write));
    setCombination(eem, 0, 0x1);
    writeEem(eem, kEemStorageReaction, 0x1);
    runFor(*chip, 100);
    std::vector<Cycle> want = {{0x1204, 2, kEemCycleWrite}};
    for (uint32_t i = 1; i <= 7; ++i)
        want.push_back({0x1206, i, kEemCycleWrite});
    expectTrace(eem.trace(), want);
    EXPECT_EQ(readEem(eem, kEemStorageControl + 1) & 0xFF00u,
              kStorStatusData | kStorStatusTriggered | kStorStatusStopped | kStorStatusFull);
}

TEST(EemStateStorage, ExtensionWordIsTheOpcodeFetch) {
    auto chip = poweredChip("MSP430FG4619");
    Assembler a(0x2100);
    a.addx_a(reg(R4), reg(R5));
    Label end = a.label();
    a.jmp(end);
    loadProgram(*chip, a);
    Eem& eem = chip->eem();
    writeEem(eem, kEemStorageControl, kHistoryAll);
    runFor(*chip, 1);
    expectTrace(eem.trace(), {{0x2100, chip->peek16(0x2100), kEemCycleFetch},
                              {0x2102, chip->peek16(0x2102), kEemCycleRead | kEemCycleStream}});
}

// Sequencer words: next states in bits 0..15 and trigger fields (combination + 1) above.
uint32_t transitions(int x0, int y0, int x1, int y1, int tx0, int ty0, int tx1, int ty1) {
    return static_cast<uint32_t>(x0 | (y0 << 4) | (x1 << 8) | (y1 << 12)) |
           (static_cast<uint32_t>(tx0 | (ty0 << 4) | (tx1 << 8) | (ty1 << 12)) << 16);
}

TEST(EemSequencer, StatesFollowTriggersAndTheFinalStateBreaks) {
    auto chip = poweredChip("MSP430FG4619");
    Assembler a(0x2100);
    a.clr(reg(R4));
    Label loop = a.label();
    Label first = a.newLabel();
    Label second = a.newLabel();
    a.inc(reg(R4));
    a.cmp(imm(1), reg(R4));
    a.jeq(second);  // the first pass goes to `second` before `first`
    a.bind(first);
    a.add(imm(0x10), reg(R5));
    a.bind(second);
    a.add(imm(0x100), reg(R6));
    a.jmp(loop);
    loadProgram(*chip, a);
    chip->setReg(5, 0);
    chip->setReg(6, 0);
    Eem& eem = chip->eem();
    setTrigger(eem, 0, a.address(first), triggerControl(EemAccess::Fetch));
    setTrigger(eem, 1, a.address(second), triggerControl(EemAccess::Fetch));
    setCombination(eem, 0, 0x1);
    setCombination(eem, 1, 0x2);
    // State 0 --first--> 1 --second--> 3 (final); the final state breaks.
    writeEem(eem, kEemSequence01, transitions(1, 0, 3, 0, 1, 0, 2, 0));
    writeEem(eem, kEemSequence23, 0);
    writeEem(eem, kEemSequencerControl, kSeqEnable);
    writeEem(eem, kEemBreakReaction, kEemSequencerTrigger);
    EXPECT_EQ(readEem(eem, kEemSequencerControl + 1) >> 8, 0u);

    RunResult r = runFor(*chip, 1000);
    EXPECT_EQ(r.reason, StopReason::EemBreak);
    EXPECT_EQ(chip->reg(0), a.address(second));  // before the instruction runs
    EXPECT_EQ(chip->reg(4), 2u);
    EXPECT_EQ(chip->reg(5), 0x10u);
    EXPECT_EQ(chip->reg(6), 0x100u);  // only the first pass's
    EXPECT_EQ(eem.sequencerState(), 3);
    EXPECT_EQ(readEem(eem, kEemSequencerControl + 1) >> 8, 3u);
    EXPECT_EQ(eem.triggerFlags(), kEemSequencerTrigger | 0x3u);
    EXPECT_TRUE(eem.breakHit());
}

TEST(EemSequencer, ResetTriggerReturnsToStateZero) {
    auto chip = poweredChip("MSP430FG4619");
    Assembler a(0x2100);
    Label start = a.label();
    a.inc(reg(R4));  // advances the sequencer
    Label reset = a.label();
    a.inc(reg(R5));  // resets it
    a.jmp(start);
    loadProgram(*chip, a);
    Eem& eem = chip->eem();
    setTrigger(eem, 0, a.address(start), triggerControl(EemAccess::Fetch));
    setTrigger(eem, 2, a.address(reset), triggerControl(EemAccess::Fetch));
    setCombination(eem, 0, 0x1);
    setCombination(eem, 2, 0x4);
    writeEem(eem, kEemSequence01, transitions(1, 0, 0, 0, 1, 0, 0, 0));
    writeEem(eem, kEemSequencerControl, kSeqEnable | kSeqResetTrigger | (2 << kSeqResetShift));
    runFor(*chip, 1);
    EXPECT_EQ(eem.sequencerState(), 1);
    runFor(*chip, 1);
    EXPECT_EQ(eem.sequencerState(), 0);
    // Off: the state goes back to 0 and stays there.
    runFor(*chip, 2);
    EXPECT_EQ(eem.sequencerState(), 1);
    writeEem(eem, kEemSequencerControl, 0);
    EXPECT_EQ(eem.sequencerState(), 0);
}

}  // namespace
}  // namespace kv::sim::test
