// The target core at its edges, through the exported functions against the
// simulated chips: registers of a running CPU, a chip with a blown fuse, the
// supply-cycle reset and the cycles of the first single step.
#include <algorithm>
#include <vector>

#include "error_table.h"
#include "instruction_cycles.h"
#include "sim_target_fixture.h"

namespace {

using namespace nandrel;
constexpr const char* kF149 = "MSP430F149";

class TargetEdge : public SimTargetTest {
  protected:
    int32_t lastError() { return Nandrel_GetLastTargetErrorNumber(target); }
    // 0200 mov #5A80h,&0120h (watchdog held); 0206 inc r4; 0208 jmp 0206
    void loadCounter() {
        load(0x0200, {0x40B2, 0x5A80, 0x0120, 0x5314, 0x3FFE});
        ASSERT_EQ(Nandrel_WriteRegister(target, 0, 0x0200), 1);
        ASSERT_EQ(Nandrel_WriteRegister(target, 4, 0), 1);
    }
};

TEST_F(TargetEdge, RegistersOfARunningCpuAreNotReportedFromTheOldCopy) {
    startHeld(kF149, 7, testclasses::f149());
    loadCounter();
    ASSERT_EQ(Nandrel_Run(target, NANDREL_RUN_FREE, 0), 1) << Nandrel_GetLastTargetError(target);
    uint32_t value = 0xABCD;
    EXPECT_EQ(Nandrel_ReadRegister(target, 4, &value), 0);
    EXPECT_EQ(lastError(), kErrReadRegister);
    EXPECT_EQ(value, 0xABCDu);
    EXPECT_STREQ(Nandrel_GetLastTargetError(target),
                 "Could not read device Register:\nCPU is running");
    uint32_t all[16] = {};
    EXPECT_EQ(Nandrel_ReadRegisters(target, all, 0x0011), 0);
    EXPECT_EQ(lastError(), kErrReadRegister);
    // A write would be lost when the CPU stops and its registers are taken.
    EXPECT_EQ(Nandrel_WriteRegister(target, 0, 0x0200), 0);
    EXPECT_EQ(lastError(), kErrWriteRegister);

    // Stopped, the copy is the CPU's: the loop has counted.
    EXPECT_EQ(state(true), kStopped);
    const uint32_t counted = reg(4);
    EXPECT_GT(counted, 0u);
    EXPECT_EQ(counted, chip().reg(4));
    EXPECT_EQ(reg(0), chip().reg(0));
}

TEST_F(TargetEdge, RegistersAfterAResetThatLetTheCpuRun) {
    startHeld(kF149, 7, testclasses::f149());
    // Executing with the JTAG link released: the CPU runs its program.
    ASSERT_EQ(Nandrel_Reset(target, 1, 1, 1), 1) << Nandrel_GetLastTargetError(target);
    uint32_t value = 0;
    EXPECT_EQ(Nandrel_ReadRegister(target, 0, &value), 0);
    EXPECT_EQ(lastError(), kErrReadRegister);
    // State takes the link back and the CPU's registers.
    EXPECT_EQ(state(true), kStopped);
    EXPECT_EQ(reg(0), kIdleLoop);
    // A reset without execution takes the registers at once.
    ASSERT_EQ(Nandrel_Reset(target, 1, 0, 0), 1) << Nandrel_GetLastTargetError(target);
    EXPECT_EQ(reg(0), kIdleLoop);
}

TEST_F(TargetEdge, AChipWithABlownFuseIsReportedAsSuch) {
    kv::sim::TargetFaults faults;
    faults.fused = true;
    start(kF149, faults);
    DeviceRecord record{};
    EXPECT_EQ(Nandrel_Identify(target, &record, sizeof record, 0), 0);
    EXPECT_EQ(lastError(), kErrFuseBlown);
    EXPECT_EQ(Nandrel_Identify(target, &record, sizeof record, 7), 0);
    EXPECT_EQ(lastError(), kErrFuseBlown);
    select(7, 7, testclasses::f149());
    EXPECT_EQ(Nandrel_Reset(target, 2 | 8, 0, 0), 0);
    EXPECT_EQ(lastError(), kErrFuseBlown);
}

TEST_F(TargetEdge, AChipSecuredByTheLibraryIdentifiesAsFused) {
    start(kF149);
    DeviceRecord record{};
    ASSERT_EQ(Nandrel_Identify(target, &record, sizeof record, 0), 1)
        << Nandrel_GetLastTargetError(target);
    ASSERT_EQ(Nandrel_Secure(target), 1) << Nandrel_GetLastTargetError(target);
    EXPECT_EQ(Nandrel_Identify(target, &record, sizeof record, 0), 0);
    EXPECT_EQ(lastError(), kErrFuseBlown);
    EXPECT_STREQ(Nandrel_ErrorString(kErrFuseBlown),
                 "Could not access device - security fuse is blown");
}

// A clock that keeps every sleep it is asked for.
class SleepLog final : public kv::Clock {
  public:
    uint32_t tickCount() override { return now_; }
    void sleep(uint32_t ms) override {
        sleeps.push_back(ms);
        now_ += ms;
    }
    std::vector<uint32_t> sleeps;

  private:
    uint32_t now_ = 1000;
};

TEST_F(TargetEdge, ASupplyCycleResetReportsTheNewSupplyAndLetsItSettle) {
    startHeld(kF149, 7, testclasses::f149());
    int32_t mv = 0;
    ASSERT_EQ(Nandrel_VCC(target, 1800), 1);
    SleepLog log;
    {
        kv::ScopedClock logging(log);
        ASSERT_EQ(Nandrel_Reset(target, 4 | 8, 0, 0), 1) << Nandrel_GetLastTargetError(target);
    }
    ASSERT_EQ(Nandrel_GetCurrentTargetVCC(target, &mv), 1);
    EXPECT_EQ(mv, 3000);
    EXPECT_EQ(pod->target().vcc(), 3000);
    // Off for 5 s, on and 10 ms to settle, then the 10 ms reset-line pulse.
    const std::vector<uint32_t> expected{5000, 10, 10};
    EXPECT_NE(std::search(log.sleeps.begin(), log.sleeps.end(), expected.begin(), expected.end()),
              log.sleeps.end());
}

TEST_F(TargetEdge, TheFirstSingleStepCountsItsInstruction) {
    startHeld(kF149, 7, testclasses::f149());
    // 0200 mov #5,r6 (2 cycles); 0204 add #1,r6 (1 cycle)
    load(0x0200, {0x4036, 0x0005, 0x5316, 0x3FFF});
    ASSERT_EQ(Nandrel_WriteRegister(target, 0, 0x0200), 1);
    uint32_t cycles = 0;
    ASSERT_EQ(state(false, &cycles), kStopped);
    EXPECT_EQ(cycles, kCyclesNotCounted);
    ASSERT_EQ(Nandrel_Run(target, NANDREL_RUN_SINGLE_STEP, 0), 1) << Nandrel_GetLastTargetError(target);
    EXPECT_EQ(state(false, &cycles), kStepDone);
    EXPECT_EQ(cycles, InstructionCycles(0x4036, 0, false));
    EXPECT_EQ(cycles, 2u);
    EXPECT_EQ(reg(0), 0x0204u);
    ASSERT_EQ(Nandrel_Run(target, NANDREL_RUN_SINGLE_STEP, 0), 1);
    EXPECT_EQ(state(false, &cycles), kStepDone);
    EXPECT_EQ(cycles, 3u);
    EXPECT_EQ(reg(6), 6u);
}

}  // namespace
