// The emulation module's registers per EEM level: trigger blocks, level
// limits, the break status bit and clock control.
#include <gtest/gtest.h>

#include "eem_fixture.h"

namespace kv::sim::test {
namespace {

using namespace kv::asm430;

TEST(EemRegisters, TriggerBlocksPerLevel) {
    struct Want {
        const char* part;
        uint8_t level;
        int bus;
        int reg;
        bool storage;
    };
    for (const Want& w : {Want{"MSP430F2274", 1, 2, 0, false}, Want{"MSP430F149", 2, 3, 0, false},
                          Want{"MSP430FG4619", 3, 8, 2, true}}) {
        auto chip = poweredChip(w.part);
        Eem& eem = chip->eem();
        EXPECT_TRUE(eem.present()) << w.part;
        EXPECT_EQ(eem.level(), w.level) << w.part;
        EXPECT_EQ(eem.busTriggerBlocks(), w.bus) << w.part;
        EXPECT_EQ(eem.registerTriggerBlocks(), w.reg) << w.part;
        EXPECT_EQ(eem.hasStateStorage(), w.storage) << w.part;
        EXPECT_EQ(eem.hasSequencer(), w.storage) << w.part;
        // The last block's registers exist, the next block's do not.
        const uint16_t last = static_cast<uint16_t>((eem.triggerBlocks() - 1) * kEemBlockStride);
        writeEem(eem, last, 0x1234);
        EXPECT_EQ(readEem(eem, last + 1), 0x1234u);
        uint32_t v = 0;
        EXPECT_FALSE(eem.writeRegister(last + kEemBlockStride, 1)) << w.part;
        EXPECT_EQ(eem.writeRegister(kEemStorageControl, 0), w.storage) << w.part;
        EXPECT_EQ(eem.readRegister(kEemSequencerControl + 1, &v), w.storage) << w.part;
        // Writes take even numbers, reads odd ones.
        EXPECT_FALSE(eem.writeRegister(1, 0));
        EXPECT_FALSE(eem.readRegister(0, &v));
    }
}

TEST(EemRegisters, PartWithoutEemHasNoTriggerBlocks) {
    auto chip = poweredChip("MSP430F11x1-prototype");
    Eem& eem = chip->eem();
    EXPECT_FALSE(eem.present());
    EXPECT_EQ(eem.triggerBlocks(), 0);
    uint32_t v = 0;
    EXPECT_FALSE(eem.writeRegister(0, 0xF000));
    EXPECT_FALSE(eem.writeRegister(kEemBreakReaction, 1));
    EXPECT_FALSE(eem.readRegister(kEemControl, &v));
    EXPECT_FALSE(eem.writeControl(kEemStatusBreak));
    EXPECT_FALSE(eem.armed());
    // Its simple breakpoints are the chip's own.
    Assembler a(0xF000);
    a.nop();
    Label target = a.label();
    a.nop();
    loadProgram(*chip, a);
    chip->addBreakpoint(a.address(target));
    EXPECT_EQ(runFor(*chip).reason, StopReason::Breakpoint);
}

TEST(EemRegisters, SmallerLevelsCompareWholeBytesForEquality) {
    auto chip = poweredChip("MSP430F149");
    Eem& eem = chip->eem();
    writeEem(eem, 2, triggerControl(EemAccess::Write, EemOperator::GreaterEqual));
    EXPECT_EQ(readEem(eem, 3), triggerControl(EemAccess::Write, EemOperator::Equal));
    writeEem(eem, 2, triggerControl(EemAccess::Read, EemOperator::NotEqual, EemSource::DataBus));
    EXPECT_EQ(readEem(eem, 3),
              triggerControl(EemAccess::Read, EemOperator::NotEqual, EemSource::DataBus));
    writeEem(eem, 4, 0x000F);
    EXPECT_EQ(readEem(eem, 5), 0u);
    writeEem(eem, 4, 0xFF00);
    EXPECT_EQ(readEem(eem, 5), 0xFF00u);

    auto full = poweredChip("MSP430FG4619");
    Eem& eem3 = full->eem();
    writeEem(eem3, 2, triggerControl(EemAccess::Write, EemOperator::LessEqual));
    EXPECT_EQ(readEem(eem3, 3), triggerControl(EemAccess::Write, EemOperator::LessEqual));
    writeEem(eem3, 4, 0x000F);
    EXPECT_EQ(readEem(eem3, 5), 0x000Fu);
    // A register trigger block always compares a register.
    writeEem(eem3, 8 * kEemBlockStride + 2,
             triggerControl(EemAccess::Fetch, EemOperator::Equal, EemSource::AddressBus, 9));
    EXPECT_EQ(readEem(eem3, 8 * kEemBlockStride + 3),
              triggerControl(EemAccess::Fetch, EemOperator::Equal, EemSource::Register, 9));
}

TEST(EemRegisters, BreakStatusBitSetByBreakAndCleared) {
    auto chip = poweredChip("MSP430F149");
    Assembler a(0xC000);
    Label loop = a.label();
    a.inc(reg(R4));
    a.jmp(loop);
    loadProgram(*chip, a);
    Eem& eem = chip->eem();
    writeEem(eem, kEemGeneralControl, 0x0041);
    EXPECT_EQ(readEem(eem, kEemControl), 0x0041u);  // bits 0..6 read back, not stopped
    breakOn(eem, 0, a.address(loop), triggerControl(EemAccess::Fetch));

    EXPECT_EQ(runFor(*chip).reason, StopReason::EemBreak);
    EXPECT_EQ(readEem(eem, kEemControl), 0x0041u | kEemStatusBreak);
    EXPECT_EQ(eem.readControl(), 0x0041u | kEemStatusBreak);
    EXPECT_EQ(readEem(eem, kEemTriggerFlags), 0x1u);
    EXPECT_EQ(eem.readTriggerFlags(), 0x1u);

    // Writing the clear bit clears it and the trigger flags.
    ASSERT_TRUE(eem.writeControl(kEemControlClear));
    EXPECT_EQ(readEem(eem, kEemControl) & kEemStatusBreak, 0u);
    EXPECT_EQ(readEem(eem, kEemTriggerFlags), 0u);

    // So does a release by the debugger.
    EXPECT_EQ(runFor(*chip).reason, StopReason::EemBreak);
    EXPECT_TRUE(eem.breakHit());
    eem.release();
    EXPECT_FALSE(eem.breakHit());
    EXPECT_EQ(eem.triggerFlags(), 0u);

    // A run clears the status bit; the trigger flags stay until cleared.
    EXPECT_EQ(runFor(*chip).reason, StopReason::EemBreak);
    writeEem(eem, kEemBreakReaction, 0);
    EXPECT_EQ(runFor(*chip, 10).reason, StopReason::Instructions);
    EXPECT_EQ(readEem(eem, kEemControl) & kEemStatusBreak, 0u);
    EXPECT_EQ(eem.triggerFlags(), 0x1u);

    // Power loss resets the module.
    chip->powerOff();
    chip->powerOn();
    EXPECT_EQ(readEem(eem, 1), 0u);
    EXPECT_EQ(readEem(eem, 7), 0u);
    EXPECT_EQ(readEem(eem, kEemControl), 0u);
    EXPECT_FALSE(eem.armed());
}

TEST(EemRegisters, MaskWithBit15IgnoresTheUpperAddressBits) {
    auto chip = poweredChip("MSP430FG4619");
    Eem& eem = chip->eem();
    writeEem(eem, 4, 0xFFFF);
    EXPECT_EQ(readEem(eem, 5), 0xFFFFFu);
    writeEem(eem, 4, 0x7FFF);
    EXPECT_EQ(readEem(eem, 5), 0x7FFFu);
    writeEem(eem, 4, 0x1FFFF);
    EXPECT_EQ(readEem(eem, 5), 0x1FFFFu);

    // Any fetch, wherever it is: the single-step trigger.
    Assembler a(0x10000);
    a.inc(reg(R4));
    a.inc(reg(R4));
    loadProgram(*chip, a);
    chip->setReg(4, 0);
    breakOn(eem, 0, 0, triggerControl(EemAccess::Fetch), 0xFFFF);
    RunResult r = runFor(*chip);
    EXPECT_EQ(r.reason, StopReason::EemBreak);
    EXPECT_EQ(r.instructions, 0u);
    EXPECT_EQ(chip->reg(0), 0x10000u);
    // Given its first instruction over the data bus, the CPU stops at the next fetch.
    const uint16_t word = chip->peek16(0x10000);
    chip->cpu().execute(&word, 1);
    r = runFor(*chip);
    EXPECT_EQ(r.reason, StopReason::EemBreak);
    EXPECT_EQ(chip->reg(0), 0x10002u);
    EXPECT_EQ(chip->reg(4), 1u);
}

TEST(EemRegisters, ClockControlPerLevel) {
    auto chip = poweredChip("MSP430FG4619");
    Eem& eem = chip->eem();
    ASSERT_EQ(eem.clockControlLevel(), 2);
    writeEem(eem, kEemClockControl, 0x002E);
    writeEem(eem, kEemModuleClock0, 0x60D7);
    writeEem(eem, kEemModuleClock1, 0x0001);
    EXPECT_EQ(eem.clockControl(), 0x002E);
    EXPECT_EQ(eem.moduleClockControl(), 0x000160D7u);
    EXPECT_EQ(readEem(eem, kEemClockControl + 1), 0x002Eu);
    EXPECT_EQ(readEem(eem, kEemModuleClock0 + 1), 0x60D7u);
    EXPECT_EQ(readEem(eem, kEemModuleClock1 + 1), 0x0001u);
    EXPECT_TRUE(eem.aclkStopped());
    EXPECT_TRUE(eem.smclkStopped());
    EXPECT_TRUE(eem.mclkStopped());
    EXPECT_TRUE(eem.moduleClockStopped(14));   // Timer_A
    EXPECT_FALSE(eem.moduleClockStopped(15));  // the watchdog runs on
    EXPECT_TRUE(eem.moduleClockStopped(16));
    // Without the module-control bit the per-module bits are not in force.
    writeEem(eem, kEemClockControl, 0x0026);
    EXPECT_FALSE(eem.moduleClockStopped(14));
    EXPECT_TRUE(eem.smclkStopped());

    // General clock control only.
    auto general = poweredChip("MSP430F2274");
    Eem& eem1 = general->eem();
    EXPECT_EQ(eem1.clockControlLevel(), 1);
    writeEem(eem1, kEemClockControl, 0x002C);
    writeEem(eem1, kEemModuleClock0, 0x60D7);  // kept, but not in force
    EXPECT_EQ(readEem(eem1, kEemModuleClock0 + 1), 0x60D7u);
    EXPECT_FALSE(eem1.aclkStopped());
    EXPECT_TRUE(eem1.smclkStopped());
    EXPECT_FALSE(eem1.moduleClockStopped(14));

    // No clock control: the registers hold what a debugger writes, nothing stops.
    auto none = poweredChip("MSP430F149");
    Eem& eem0 = none->eem();
    EXPECT_EQ(eem0.clockControlLevel(), 0);
    writeEem(eem0, kEemClockControl, 0x002E);
    EXPECT_EQ(readEem(eem0, kEemClockControl + 1), 0x002Eu);
    EXPECT_FALSE(eem0.smclkStopped());
}

}  // namespace
}  // namespace kv::sim::test
