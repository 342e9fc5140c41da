#include <gtest/gtest.h>

#include "chip_fixture.h"

namespace kv::sim::test {
namespace {

std::unique_ptr<Chip> runningWatchdogChip() {
    auto chip = std::make_unique<Chip>(*findProfile("MSP430F149"));
    chip->powerOn();
    return chip;
}

TEST(Watchdog, PasswordOnWriteAndOnRead) {
    auto chip = runningWatchdogChip();
    EXPECT_EQ(chip->read16(0x0120), 0x6900);
    EXPECT_EQ(chip->read8(0x0121), 0x69);
    chip->write16(0x0120, 0x5A88);  // hold, counter clear (reads as 0)
    EXPECT_EQ(chip->read16(0x0120), 0x6980);
    uint64_t pucs = chip->pucCount();
    chip->write16(0x0120, 0x6980);  // the read password is not the write password
    EXPECT_EQ(chip->pucCount(), pucs + 1);
    EXPECT_EQ(chip->lastResetCause(), ResetCause::WatchdogPassword);
    EXPECT_TRUE(chip->ifg1() & kWdtIfg);
    EXPECT_EQ(chip->read16(0x0120), 0x6900);
    chip->write8(0x0120, 0x80);  // a byte write has no password
    EXPECT_EQ(chip->pucCount(), pucs + 2);
}

TEST(Watchdog, TimeoutCausesPucUnlessHeld) {
    auto chip = runningWatchdogChip();
    double smclk = chip->clocks().smclkHz();
    uint64_t pucs = chip->pucCount();
    uint64_t timeout = static_cast<uint64_t>(32768 * chip->clocks().mclkHz() / smclk);
    chip->idle(timeout - 100);
    EXPECT_EQ(chip->pucCount(), pucs);
    chip->idle(200);
    EXPECT_EQ(chip->pucCount(), pucs + 1);
    EXPECT_EQ(chip->lastResetCause(), ResetCause::WatchdogTimeout);
    EXPECT_TRUE(chip->ifg1() & kWdtIfg);

    chip->write16(0x0120, 0x5A80);
    chip->idle(10 * timeout);
    EXPECT_EQ(chip->pucCount(), pucs + 1);

    // Clearing the counter in time keeps a running watchdog quiet.
    chip->write16(0x0120, 0x5A08);
    for (int i = 0; i < 10; ++i) {
        chip->idle(timeout / 2);
        chip->write16(0x0120, 0x5A08);
    }
    EXPECT_EQ(chip->pucCount(), pucs + 1);
}

TEST(Watchdog, IntervalModeFromAclkSetsTheFlag) {
    auto chip = runningWatchdogChip();
    chip->write8(0x0002, 0);
    chip->write16(0x0120, 0x5A1F);  // interval, ACLK, 64 cycles, counter clear
    double mclkPerAclk = chip->clocks().mclkHz() / 32768.0;
    chip->idle(static_cast<uint64_t>(60 * mclkPerAclk));
    EXPECT_FALSE(chip->ifg1() & kWdtIfg);
    chip->idle(static_cast<uint64_t>(8 * mclkPerAclk));
    EXPECT_TRUE(chip->ifg1() & kWdtIfg);
    EXPECT_EQ(chip->lastResetCause(), ResetCause::PowerOn);
}

TEST(Watchdog, InjectedFiring) {
    auto chip = poweredChip("MSP430F149");  // held
    uint64_t pucs = chip->pucCount();
    chip->fireWatchdog();
    EXPECT_EQ(chip->pucCount(), pucs + 1);
    chip->write16(0x0120, 0x5A80);
    chip->fireWatchdogAfter(5000);
    chip->idle(4000);
    EXPECT_EQ(chip->pucCount(), pucs + 1);
    chip->idle(2000);
    EXPECT_EQ(chip->pucCount(), pucs + 2);
    EXPECT_EQ(chip->lastResetCause(), ResetCause::WatchdogTimeout);
}

TEST(Resets, PucKeepsRamAndResetsRegisters) {
    auto chip = poweredChip("MSP430F149");
    chip->write16(0x0200, 0xCAFE);
    chip->write8(0x0057, 0x07);
    chip->write8(0x0000, kWdtIe | kNmiIe);
    chip->write16(0x012C, 0xA500);
    chip->write16(0x0128, 0x9600);  // KEYV and PUC
    EXPECT_EQ(chip->read16(0x0200), 0xCAFE);
    EXPECT_EQ(chip->read8(0x0057), 0x84);
    EXPECT_EQ(chip->ie1(), 0);
    EXPECT_TRUE(chip->ifg1() & kOfIfg);
    EXPECT_TRUE(chip->flash().fctl3() & kFctl3Keyv);
    EXPECT_TRUE(chip->flash().fctl3() & kFctl3Lock);
    EXPECT_EQ(chip->read16(0x0120), 0x6900);

    chip->write8(0x0002, kWdtIfg);
    chip->puc();
    EXPECT_TRUE(chip->ifg1() & kWdtIfg);  // only a POR clears the watchdog flag
    chip->por();
    EXPECT_FALSE(chip->ifg1() & kWdtIfg);
    EXPECT_FALSE(chip->flash().fctl3() & kFctl3Keyv);
    EXPECT_EQ(chip->read16(0x0200), 0xCAFE);  // the reset pin keeps RAM too
    EXPECT_EQ(chip->lastResetCause(), ResetCause::ResetPin);
}

TEST(Resets, PowerOffLosesRamButKeepsFlash) {
    auto chip = poweredChip("MSP430F149");
    chip->write16(0x0200, 0xCAFE);
    chip->write16(0x0202, 0xCAFE);
    chip->poke16(0xE000, 0x1234);
    chip->powerOff();
    EXPECT_FALSE(chip->powered());
    chip->powerOn();
    EXPECT_EQ(chip->lastResetCause(), ResetCause::PowerOn);
    EXPECT_FALSE(chip->read16(0x0200) == 0xCAFE && chip->read16(0x0202) == 0xCAFE);
    EXPECT_EQ(chip->read16(0xE000), 0x1234);
}

TEST(Resets, CpuStartsAtTheResetVector) {
    auto chip = poweredChip("MSP430F149");
    chip->poke16(0xFFFE, 0xC000);
    chip->setReg(2, 0x00F8);
    chip->puc();
    EXPECT_EQ(chip->reg(0), 0xC000u);
    EXPECT_EQ(chip->reg(2), 0u);
}

TEST(Supply, VoltageSwitchesTheChip) {
    Chip chip(*findProfile("MSP430F2274"));
    chip.setSupply(1700);
    EXPECT_FALSE(chip.powered());
    chip.setSupply(3300);
    EXPECT_TRUE(chip.powered());
    EXPECT_EQ(chip.supplyMillivolts(), 3300u);
    EXPECT_EQ(chip.lastResetCause(), ResetCause::PowerOn);
    EXPECT_TRUE(chip.ifg1() & kPorIfg);
    chip.write8(0x0002, 0);
    chip.por();
    EXPECT_TRUE(chip.ifg1() & kRstIfg);
    EXPECT_FALSE(chip.ifg1() & kPorIfg);
    chip.setSupply(0);
    EXPECT_FALSE(chip.powered());
    EXPECT_EQ(chip.supplyMillivolts(), 0u);
    chip.powerOn();
    EXPECT_EQ(chip.supplyMillivolts(), 3000u);
    // A part that needs more than 3 V.
    Chip fcas(*findProfile("TMS430FCAS003"));
    fcas.setSupply(3000);
    EXPECT_FALSE(fcas.powered());
    fcas.powerOn();
    EXPECT_EQ(fcas.supplyMillivolts(), 3135u);
}

}  // namespace
}  // namespace kv::sim::test
