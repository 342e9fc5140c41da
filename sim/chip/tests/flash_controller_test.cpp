#include <gtest/gtest.h>
#include <cmath>
#include <cstdio>

#include "chip_fixture.h"

namespace kv::sim::test {
namespace {

TEST(FlashController, RegistersReadWithTheReadKey) {
    auto chip = poweredChip("MSP430F149");
    EXPECT_EQ(chip->read16(0x0128), 0x9600);
    EXPECT_EQ(chip->read16(0x012A), 0x9642);
    EXPECT_EQ(chip->read16(0x012C), 0x9618);                        // LOCK and WAIT
    EXPECT_EQ(poweredChip("MSP430F2274")->read16(0x012C), 0x9658);  // and LOCKA
}

TEST(FlashController, Fctl1BitsFollowThePart) {
    auto f149 = poweredChip("MSP430F149");
    f149->write16(0x0128, 0xA5FE);
    EXPECT_EQ(f149->read16(0x0128), 0x96C6);
    auto f2274 = poweredChip("MSP430F2274");
    f2274->write16(0x0128, 0xA5FE);
    EXPECT_EQ(f2274->read16(0x0128), 0x96DE);  // with EEI and EEIEX
    auto fg4619 = poweredChip("MSP430FG4619");
    fg4619->write16(0x0128, 0xA5FE);
    EXPECT_EQ(fg4619->read16(0x0128), 0x96CE);  // with GMERAS
    auto fcas = poweredChip("TMS430FCAS003");
    fcas->write16(0x0128, 0xA5F0);
    EXPECT_EQ(fcas->read16(0x0128), 0x96F0);  // with the timing bits
}

TEST(FlashController, EraseWriteVerify) {
    auto chip = poweredChip("MSP430F149");
    unlockFlash(*chip, 3);
    double ftg = chip->flash().timingFrequency();
    EXPECT_GT(ftg, chip->profile().ftgMinHz);
    EXPECT_LT(ftg, chip->profile().ftgMaxHz);

    chip->poke16(0xF000, 0x0000);
    chip->poke16(0xF1FE, 0x0000);
    chip->write16(0x0128, 0xA502);
    double start = chip->seconds();
    chip->write16(0xF000, 0);
    EXPECT_TRUE(chip->flash().busy());
    EXPECT_EQ(chip->flash().operation(), FlashController::Operation::SegmentErase);
    chip->idleUntilFlashReady();
    EXPECT_FALSE(chip->flash().busy());
    EXPECT_NEAR(chip->seconds() - start, 4819 / ftg, 1e-5);
    EXPECT_EQ(chip->peek16(0xF000), 0xFFFF);
    EXPECT_EQ(chip->peek16(0xF1FE), 0xFFFF);
    EXPECT_EQ(chip->flash().eraseCount(0xF000), 1u);
    EXPECT_EQ(chip->flash().fctl1() & kFctl1Erase, 0);  // cleared when done

    chip->write16(0x0128, 0xA540);
    start = chip->seconds();
    chip->write16(0xF000, 0x1234);
    chip->idleUntilFlashReady();
    EXPECT_NEAR(chip->seconds() - start, 35 / ftg, 1e-6);
    chip->write8(0xF003, 0xA5);
    chip->idleUntilFlashReady();
    EXPECT_EQ(chip->read16(0xF000), 0x1234);
    EXPECT_EQ(chip->read16(0xF002), 0xA5FF);
    // Programming without an erase only clears bits.
    chip->write16(0xF000, 0xFF0F);
    chip->idleUntilFlashReady();
    EXPECT_EQ(chip->read16(0xF000), 0x1204);
    EXPECT_FALSE(chip->flash().accessViolation());
}

TEST(FlashController, WrongKeyCausesPucAndKeepsKeyv) {
    auto chip = poweredChip("MSP430F149");
    uint64_t pucs = chip->pucCount();
    chip->write16(0x0128, 0x9602);
    EXPECT_EQ(chip->pucCount(), pucs + 1);
    EXPECT_EQ(chip->lastResetCause(), ResetCause::FlashKey);
    EXPECT_TRUE(chip->flash().fctl3() & kFctl3Keyv);
    EXPECT_EQ(chip->flash().fctl1(), 0);
    // A byte write cannot carry the key either.
    chip->write8(0x012C, 0x00);
    EXPECT_EQ(chip->pucCount(), pucs + 2);
    chip->write16(0x012C, 0xA510);  // software clears KEYV
    EXPECT_FALSE(chip->flash().fctl3() & kFctl3Keyv);
}

TEST(FlashController, PlainWritesAndLockedWritesAreIgnored) {
    auto chip = poweredChip("MSP430F149");
    chip->write16(0xF000, 0x0000);  // locked
    EXPECT_EQ(chip->peek16(0xF000), 0xFFFF);
    EXPECT_TRUE(chip->flash().accessViolation());
    chip->write16(0x012C, 0xA500);  // unlock, clear ACCVIFG
    EXPECT_FALSE(chip->flash().accessViolation());
    chip->write16(0xF000, 0x0000);  // no write or erase mode
    EXPECT_EQ(chip->peek16(0xF000), 0xFFFF);
    EXPECT_TRUE(chip->flash().accessViolation());
    EXPECT_FALSE(chip->flash().busy());
}

TEST(FlashController, AccessDuringBusy) {
    auto chip = poweredChip("MSP430F149");
    chip->setDirectAccess(false);
    unlockFlash(*chip, 3);
    chip->poke16(0xF200, 0x1111);
    chip->write16(0x0128, 0xA502);
    chip->write16(0xF000, 0);
    ASSERT_TRUE(chip->flash().busy());
    // Instruction fetches see JMP $ and leave ACCVIFG alone.
    EXPECT_EQ(chip->fetch16(0xF200), 0x3FFF);
    EXPECT_FALSE(chip->flash().accessViolation());
    EXPECT_EQ(chip->read16(0xF200), 0x3FFF);
    EXPECT_TRUE(chip->flash().accessViolation());
    chip->write16(0x012C, 0xA500);
    chip->write16(0xF200, 0);  // write while busy: ignored
    EXPECT_TRUE(chip->flash().accessViolation());
    chip->write16(0x012C, 0xA500);
    chip->write16(0x0128, 0xA540);  // FCTL1 cannot change while busy
    EXPECT_TRUE(chip->flash().accessViolation());
    EXPECT_EQ(chip->flash().fctl1(), kFctl1Erase);
    chip->write16(0x012A, 0xA541);
    EXPECT_EQ(chip->flash().fctl2(), 0x42);
    chip->idleUntilFlashReady();
    EXPECT_EQ(chip->read16(0xF200), 0x1111);
    // The access violation raises the NMI when enabled.
    chip->write8(0x0000, kAccvIe);
    EXPECT_TRUE(chip->flash().accessViolation());
}

TEST(FlashController, EmergencyExitStopsTheOperation) {
    auto chip = poweredChip("MSP430F149");
    unlockFlash(*chip, 3);
    chip->poke16(0xF000, 0x0000);
    chip->write16(0x0128, 0xA502);
    chip->write16(0xF000, 0);
    chip->write16(0x012C, 0xA520);
    EXPECT_FALSE(chip->flash().busy());
    EXPECT_EQ(chip->peek16(0xF000), 0x0000);
    EXPECT_EQ(chip->flash().eraseCount(0xF000), 0u);
}

TEST(FlashController, LockAToggles) {
    auto chip = poweredChip("MSP430F2274");
    EXPECT_TRUE(chip->flash().fctl3() & kFctl3LockA);
    chip->write16(0x012C, 0xA540);
    EXPECT_FALSE(chip->flash().fctl3() & kFctl3LockA);
    chip->write16(0x012C, 0xA500);  // writing 0 leaves it
    EXPECT_FALSE(chip->flash().fctl3() & kFctl3LockA);
    chip->write16(0x012C, 0xA540);
    EXPECT_TRUE(chip->flash().fctl3() & kFctl3LockA);
    // A part without LOCKA ignores the bit.
    auto f149 = poweredChip("MSP430F149");
    f149->write16(0x012C, 0xA540);
    EXPECT_FALSE(f149->flash().fctl3() & kFctl3LockA);
}

TEST(FlashController, SegmentAProtection) {
    auto chip = poweredChip("MSP430F2274");
    for (uint32_t a = 0x1000; a < 0x1100; a += 2)
        chip->poke16(a, 0x0000);
    chip->poke16(0x8000, 0x0000);
    unlockFlash(*chip, 3);  // LOCKA stays set
    eraseSegment(*chip, 0x10C0);
    EXPECT_EQ(chip->peek16(0x10C0), 0x0000);
    EXPECT_EQ(chip->flash().eraseCount(0x10C0), 0u);
    eraseSegment(*chip, 0x1080);  // segment B is not protected
    EXPECT_EQ(chip->peek16(0x1080), 0xFFFF);
    EXPECT_EQ(chip->peek16(0x10BE), 0xFFFF);
    EXPECT_EQ(chip->peek16(0x10C0), 0x0000);

    // Erase all with LOCKA set leaves the information memory.
    chip->write16(0x0128, 0xA506);
    chip->write16(0x8000, 0);
    chip->idleUntilFlashReady();
    EXPECT_EQ(chip->peek16(0x8000), 0xFFFF);
    EXPECT_EQ(chip->peek16(0x1000), 0x0000);
    EXPECT_EQ(chip->peek16(0x10C0), 0x0000);
    EXPECT_EQ(chip->flash().eraseCount(0x8000), 1u);
    EXPECT_EQ(chip->flash().eraseCount(0xFE00), 1u);

    writeWord(*chip, 0x8000, 0x1234);
    EXPECT_EQ(chip->peek16(0x8000), 0x1234);
    chip->write16(0x0128, 0xA540);
    chip->write16(0x10FE, 0xFFFF);  // writes to segment A are ignored too

    chip->write16(0x012C, 0xA540);  // unlock segment A
    chip->write16(0x0128, 0xA506);
    chip->write16(0x8000, 0);
    chip->idleUntilFlashReady();
    EXPECT_EQ(chip->peek16(0x1000), 0xFFFF);
    EXPECT_EQ(chip->peek16(0x10C0), 0xFFFF);
    EXPECT_EQ(chip->flash().eraseCount(0x10C0), 1u);
    EXPECT_EQ(chip->flash().eraseCount(0x8000), 2u);
}

// A write or a segment erase into segment A under LOCKA keeps the segment
// and sets no flag: the guides name no access violation for it.
TEST(FlashController, SegmentAUnderLockAIsKeptWithoutAFlag) {
    for (const char* part : {"MSP430F2274", "MSP430F4794"}) {
        SCOPED_TRACE(part);
        auto chip = poweredChip(part);
        const uint32_t a = chip->profile().segmentA;
        chip->poke16(a + 2, 0x0000);
        unlockFlash(*chip, 3);
        writeWord(*chip, a, 0x1234);
        eraseSegment(*chip, a);
        EXPECT_EQ(chip->peek16(a), 0xFFFF);
        EXPECT_EQ(chip->peek16(a + 2), 0x0000);
        EXPECT_FALSE(chip->flash().accessViolation());
        EXPECT_EQ(chip->flash().ruleBreaks().total(), 0u);
        EXPECT_EQ(chip->reportRuleBreaks(), 0u);
    }
}

TEST(FlashController, MainEraseOnlyTouchesMainMemory) {
    auto chip = poweredChip("MSP430F149");
    chip->poke16(0x1000, 0x0000);
    chip->poke16(0x1100, 0x0000);
    chip->poke16(0xFFFE, 0x0000);
    unlockFlash(*chip, 3);
    chip->write16(0x0128, 0xA504);
    double start = chip->seconds();
    chip->write16(0xFFFE, 0);
    EXPECT_EQ(chip->flash().operation(), FlashController::Operation::MassErase);
    chip->idleUntilFlashReady();
    EXPECT_NEAR(chip->seconds() - start, 5297 / chip->flash().lastTimingFrequency(), 1e-5);
    EXPECT_EQ(chip->peek16(0x1100), 0xFFFF);
    EXPECT_EQ(chip->peek16(0xFFFE), 0xFFFF);
    EXPECT_EQ(chip->peek16(0x1000), 0x0000);
    EXPECT_EQ(chip->flash().eraseCount(0x1100), 1u);
    EXPECT_EQ(chip->flash().eraseCount(0x1000), 0u);
    // Erase all includes the information memory on a part without LOCKA.
    chip->write16(0x0128, 0xA506);
    chip->write16(0x1000, 0);
    chip->idleUntilFlashReady();
    EXPECT_EQ(chip->peek16(0x1000), 0xFFFF);
}

TEST(FlashController, GlobalEraseReachesFlashAbove64K) {
    auto chip = poweredChip("MSP430FG4619");
    chip->poke16(0x2100, 0x0000);
    chip->poke16(0x1FFFE, 0x0000);
    unlockFlash(*chip, 3);
    // MERAS alone erases the bank of the dummy write.
    chip->write16(0x0128, 0xA504);
    chip->write16(0x10000, 0);
    chip->idleUntilFlashReady();
    EXPECT_EQ(chip->peek16(0x1FFFE), 0xFFFF);
    EXPECT_EQ(chip->peek16(0x2100), 0x0000);
    chip->poke16(0x1FFFE, 0x0000);
    chip->write16(0x0128, 0xA50C);
    chip->write16(0x2100, 0);
    chip->idleUntilFlashReady();
    EXPECT_EQ(chip->peek16(0x2100), 0xFFFF);
    EXPECT_EQ(chip->peek16(0x1FFFE), 0xFFFF);
    writeWord(*chip, 0x1FFFE, 0x4400);
    EXPECT_EQ(chip->read16(0x1FFFE), 0x4400);
}

TEST(FlashController, BlockWrite) {
    auto chip = poweredChip("MSP430F2274");
    unlockFlash(*chip, 3);
    chip->write16(0x0128, 0xA5C0);  // BLKWRT | WRT
    chip->write16(0x8000, 0x1111);
    EXPECT_TRUE(chip->flash().busy());
    EXPECT_FALSE(chip->flash().fctl3() & kFctl3Wait);
    chip->write16(0x8002, 0x2222);  // too early: WAIT is low
    EXPECT_TRUE(chip->flash().accessViolation());
    chip->write16(0x012C, 0xA500);
    chip->idleUntilFlashReady();
    EXPECT_TRUE(chip->flash().busy());  // the block is still open
    EXPECT_TRUE(chip->flash().fctl3() & kFctl3Wait);
    chip->write16(0x8002, 0x2222);
    chip->idleUntilFlashReady();
    chip->write16(0x0128, 0xA500);  // end of block
    EXPECT_EQ(chip->flash().operation(), FlashController::Operation::BlockEnd);
    chip->idleUntilFlashReady();
    EXPECT_FALSE(chip->flash().busy());
    EXPECT_EQ(chip->read16(0x8000), 0x1111);
    EXPECT_EQ(chip->read16(0x8002), 0x2222);
}

TEST(FlashController, StrictModeCorruptsBadlyTimedOperations) {
    auto chip = poweredChip("MSP430F149");
    chip->setStrictFlashTiming(true);
    unlockFlash(*chip, 1);  // MCLK undivided: far above 476 kHz
    EXPECT_GT(chip->flash().timingFrequency(), chip->profile().ftgMaxHz);
    writeWord(*chip, 0xF000, 0x0000);
    EXPECT_NE(chip->peek16(0xF000), 0x0000);
    EXPECT_EQ(chip->flash().corruptedOperations(), 1u);
    chip->poke16(0xF010, 0x0000);
    chip->poke16(0xF014, 0x0000);
    eraseSegment(*chip, 0xF000);
    EXPECT_NE(chip->peek16(0xF014), 0xFFFF);

    // In range, the same sequence works.
    unlockFlash(*chip, 3);
    eraseSegment(*chip, 0xF000);
    writeWord(*chip, 0xF000, 0x0000);
    EXPECT_EQ(chip->peek16(0xF000), 0x0000);
    EXPECT_EQ(chip->peek16(0xF014), 0xFFFF);
    EXPECT_EQ(chip->flash().corruptedOperations(), 2u);

    // Lenient, a bad frequency only changes the timing.
    auto lax = poweredChip("MSP430F149");
    lax->setStrictFlashTiming(false);
    unlockFlash(*lax, 1);
    writeWord(*lax, 0xF000, 0x0000);
    EXPECT_EQ(lax->peek16(0xF000), 0x0000);
}

TEST(FlashController, StuckBits) {
    auto chip = poweredChip("MSP430F149");
    chip->addStuckBit({0xF000, 3, false});
    chip->addStuckBit({0xF001, 0, true});
    unlockFlash(*chip, 3);
    eraseSegment(*chip, 0xF000);
    EXPECT_EQ(chip->peek16(0xF000), 0xFFF7);
    writeWord(*chip, 0xF000, 0x0000);
    EXPECT_EQ(chip->peek16(0xF000), 0x0100);
}

TEST(FlashController, NoTimingClockFailsTheOperation) {
    auto chip = poweredChip("MSP430F2274");
    chip->setCrystals(0, 0);
    chip->write16(0x012A, 0xA502);  // ACLK, which has no crystal
    chip->write16(0x012C, 0xA500);
    chip->write16(0x0128, 0xA540);
    chip->write16(0x8000, 0x0000);
    EXPECT_FALSE(chip->flash().busy());
    EXPECT_TRUE(chip->flash().fctl3() & kFctl3Fail);
    EXPECT_EQ(chip->peek16(0x8000), 0xFFFF);
}

TEST(FlashController, PucAbortsAndLocks) {
    auto chip = poweredChip("MSP430F149");
    unlockFlash(*chip, 3);
    chip->write16(0x0128, 0xA502);
    chip->write16(0xF000, 0);
    chip->puc();
    EXPECT_FALSE(chip->flash().busy());
    EXPECT_EQ(chip->read16(0x012C), 0x9618);
    EXPECT_EQ(chip->read16(0x0128), 0x9600);
}

// The flash's documented rules, enforced by default.
TEST(FlashRules, RowProgramTimeBeyondTcptLeavesWeakBits) {
    for (const char* name : {"MSP430F149", "MSP430F2274"}) {
        auto chip = poweredChip(name);
        unlockFlash(*chip, 3);
        const double ftg = chip->flash().timingFrequency();
        const double perWord = chip->profile().timing.wordWrite / ftg;
        const double limit = chip->profile().cumulativeProgramSeconds;
        // The whole 64-byte row once fits; writing its words again goes past tCPT.
        const int words = static_cast<int>(limit / perWord);
        EXPECT_GE(words, 32) << name;
        int written = 0;
        for (; written < words; ++written)
            writeWord(*chip, 0xF000 + 2 * static_cast<uint32_t>(written % 32), 0xFFFF);
        EXPECT_EQ(chip->flash().ruleBreaks().programTime, 0u) << name;
        EXPECT_NEAR(chip->flash().rowProgramSeconds(0xF03E), written * perWord, 1e-9) << name;
        EXPECT_EQ(chip->flash().rowProgramSeconds(0xF040), 0) << name;  // the next row
        writeWord(*chip, 0xF000, 0x0000);
        EXPECT_EQ(chip->flash().ruleBreaks().programTime, 1u) << name;
        EXPECT_NE(chip->peek16(0xF000), 0x0000) << name;
        // An erase of the segment starts the row's time again.
        eraseSegment(*chip, 0xF000);
        EXPECT_EQ(chip->flash().rowProgramSeconds(0xF000), 0) << name;
        writeWord(*chip, 0xF000, 0x1234);
        EXPECT_EQ(chip->peek16(0xF000), 0x1234) << name;
        EXPECT_EQ(chip->flash().ruleBreaks().programTime, 1u) << name;
    }
}

TEST(FlashRules, OlderFlashErasesAfter200MsOfMassErase) {
    auto chip = poweredChip("MSP430F149");
    chip->poke16(0xE004, 0x0000);  // a cell a short erase leaves
    chip->poke16(0xE000, 0x0000);
    unlockFlash(*chip, 3);
    const double each = 5297 / chip->flash().timingFrequency();
    const int needed = static_cast<int>(std::ceil(0.2 / each));
    for (int run = 1; run <= needed; ++run) {
        chip->write16(0x0128, 0xA504);
        chip->write16(0xFFFE, 0);
        chip->idleUntilFlashReady();
        EXPECT_EQ(chip->peek16(0xE000), 0xFFFF);
        if (run < needed) {
            EXPECT_EQ(chip->peek16(0xE004), 0x00FF) << run;  // 0xE005 kept its 0x00
            // Writing into cells whose erase fell short breaks the rule.
            const uint64_t before = chip->flash().ruleBreaks().massErase;
            if (run == 1) {
                writeWord(*chip, 0xE100, 0x1234);
                EXPECT_EQ(chip->flash().ruleBreaks().massErase, before + 1);
            }
        } else {
            EXPECT_EQ(chip->peek16(0xE004), 0xFFFF);
        }
    }
    // A later erase run must reach the total again, though the cells it finds
    // are erased; they stay erased, and the short run is counted when it ends.
    writeWord(*chip, 0x1000, 0x1234);  // ends the complete run
    const uint64_t shortRuns = chip->flash().ruleBreaks().eraseTime;
    chip->write16(0x0128, 0xA504);
    chip->write16(0xFFFE, 0);
    chip->idleUntilFlashReady();
    writeWord(*chip, 0x1002, 0x1234);
    EXPECT_EQ(chip->flash().ruleBreaks().eraseTime, shortRuns + 1);
    EXPECT_EQ(chip->peek16(0xE004), 0xFFFF);
    // The newer flash needs one run of 10593 cycles.
    auto f2274 = poweredChip("MSP430F2274");
    f2274->poke16(0x8004, 0x0000);
    unlockFlash(*f2274, 3);
    f2274->write16(0x0128, 0xA504);
    f2274->write16(0xFFFE, 0);
    f2274->idleUntilFlashReady();
    EXPECT_EQ(f2274->peek16(0x8004), 0xFFFF);
}

TEST(FlashRules, BlockWriteStaysInItsRow) {
    auto chip = poweredChip("MSP430F2274");
    unlockFlash(*chip, 3);
    chip->write16(0x0128, 0xA5C0);  // BLKWRT | WRT
    const uint32_t start = 0x803C;  // two words before a row boundary
    for (uint32_t i = 0; i < 4; ++i) {
        chip->write16(start + 2 * i, 0x0000);
        chip->idleUntilFlashReady();
    }
    chip->write16(0x0128, 0xA500);
    chip->idleUntilFlashReady();
    EXPECT_EQ(chip->peek16(0x803C), 0x0000);
    EXPECT_EQ(chip->peek16(0x803E), 0x0000);
    EXPECT_NE(chip->peek16(0x8040), 0x0000);
    EXPECT_NE(chip->peek16(0x8042), 0x0000);
    EXPECT_EQ(chip->flash().ruleBreaks().blockRow, 2u);
}

TEST(FlashRules, EveryProfileIsRatedForTheSameGeneratorRange) {
    for (const std::string& name : profileNames()) {
        const DeviceProfile* p = findProfile(name);
        EXPECT_EQ(p->ftgMinHz, 257e3) << name;
        EXPECT_EQ(p->ftgMaxHz, 476e3) << name;
    }
    EXPECT_TRUE(poweredChip("TMS430FCAS003")->flash().strict());
}

}  // namespace
}  // namespace kv::sim::test

namespace kv::sim::test {
namespace {

std::string lineFor(const Chip& chip, const std::string& rule) {
    for (const std::string& line : chip.flash().ruleBreakLines())
        if (line.find(rule) != std::string::npos) return line;
    return {};
}

// Each part programs and erases only at the supply its family's data sheet
// rates the flash for; below it a write leaves weak bits and is counted.
TEST(FlashRules, EachPartProgramsOnlyAtItsDataSheetsSupply) {
    const struct {
        const char* part;
        uint32_t minimum;
    } parts[] = {{"MSP430F149", 2700},   {"MSP430F1611", 2700}, {"MSP430FG43x", 2700},
                 {"MSP430FE427", 2700},  {"MSP430FG4619", 2700}, {"MSP430F2274", 2200},
                 {"MSP430F2132", 2200},  {"MSP430F2619", 2200}, {"MSP430F4794", 2200}};
    for (const auto& p : parts) {
        SCOPED_TRACE(p.part);
        auto chip = poweredChip(p.part);
        EXPECT_EQ(chip->profile().flashMinMillivolts, p.minimum);
        const uint32_t at = chip->profile().mainStart;
        chip->setSupply(p.minimum);
        unlockFlash(*chip, 3);
        writeWord(*chip, at, 0x1234);
        EXPECT_EQ(chip->peek16(at), 0x1234);
        EXPECT_EQ(chip->flash().ruleBreaks().supply, 0u);
        if (p.minimum - 100 < chip->profile().vccMinMillivolts) continue;  // the chip is off
        chip->setSupply(p.minimum - 100);
        writeWord(*chip, at + 2, 0x0000);
        EXPECT_NE(chip->peek16(at + 2), 0x0000);  // weak bits
        EXPECT_EQ(chip->flash().ruleBreaks().supply, 1u);
        char line[120];
        std::snprintf(line, sizeof line,
                      "flash rule broken: write or erase below the program and erase supply "
                      "minimum, last at %05X, 1 time",
                      at + 2);
        EXPECT_EQ(lineFor(*chip, "supply minimum"), line);
    }
}

// Access violations and wrong keys are counted with the address they were
// made at; a user program's own from flash are its business.
TEST(FlashRules, AccessViolationsAndWrongKeysAreCounted) {
    const struct {
        const char* what;
        uint32_t at;
        void (*make)(Chip&);
    } cases[] = {
        {"write while locked", 0xF000, [](Chip& c) { c.write16(0xF000, 0); }},
        {"write without a mode", 0xF002,
         [](Chip& c) {
             unlockFlash(c, 3);
             c.write16(0xF002, 0);
         }},
        {"write while busy", 0xF200,
         [](Chip& c) {
             unlockFlash(c, 3);
             c.write16(0x0128, 0xA502);
             c.write16(0xF000, 0);
             c.write16(0xF200, 0);
         }},
        {"read while busy", 0xF204,
         [](Chip& c) {
             c.setDirectAccess(false);
             unlockFlash(c, 3);
             c.write16(0x0128, 0xA502);
             c.write16(0xF000, 0);
             c.read16(0xF204);
         }},
        {"wrong key", 0x0128, [](Chip& c) { c.write16(0x0128, 0x9602); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto chip = poweredChip("MSP430F149");
        c.make(*chip);
        chip->idleUntilFlashReady();
        EXPECT_EQ(chip->flash().ruleBreaks().access, 1u);
        EXPECT_EQ(chip->flash().lastBreakAddresses().access, c.at);
        EXPECT_NE(lineFor(*chip, "access violation").find("1 time"), std::string::npos);
    }
    // A program running from flash that writes its locked flash.
    auto chip = poweredChip("MSP430F149");
    const uint16_t program[] = {0x4382, 0xF000, 0x3FFF};  // mov #0, &0xF000; jmp $
    chip->poke(0xE000, reinterpret_cast<const uint8_t*>(program), sizeof program);
    chip->setReg(0, 0xE000);
    RunLimits limits;
    limits.maxInstructions = 4;
    chip->run(limits);
    EXPECT_TRUE(chip->flash().accessViolation());
    EXPECT_EQ(chip->flash().ruleBreaks().access, 0u);

    // A saved chip keeps the counts and addresses.
    auto saved = poweredChip("MSP430F149");
    saved->write16(0x0128, 0x9602);
    const std::string path = ::testing::TempDir() + "access_rule.kvchip";
    ASSERT_TRUE(saved->save(path, nullptr));
    Chip loaded(saved->profile());
    ASSERT_TRUE(loaded.load(path, nullptr));
    EXPECT_EQ(loaded.flash().ruleBreaks().access, 1u);
    EXPECT_EQ(loaded.flash().lastBreakAddresses().access, 0x0128u);
}

// The F47x3/F47x4 carry the 2xx flash controller: LOCKA keeps segment A,
// FAIL and the erase interrupt bits are there.
TEST(FlashRules, TheF47x4KeepsSegmentAUnderLockA) {
    auto chip = poweredChip("MSP430F4794");
    EXPECT_EQ(chip->read16(0x012C), 0x9658);  // LOCK, WAIT and LOCKA
    chip->write16(0x0128, 0xA5FE);
    EXPECT_EQ(chip->read16(0x0128), 0x96DE);  // with EEI and EEIEX
    chip->write16(0x0128, 0xA500);
    chip->poke16(0x10C0, 0x0000);
    chip->poke16(0x1080, 0x0000);
    unlockFlash(*chip, 3);
    eraseSegment(*chip, 0x10C0);
    eraseSegment(*chip, 0x1080);
    EXPECT_EQ(chip->peek16(0x10C0), 0x0000);
    EXPECT_EQ(chip->peek16(0x1080), 0xFFFF);
    chip->write16(0x012C, 0xA540);  // LOCKA cleared: segment A erases
    eraseSegment(*chip, 0x10C0);
    EXPECT_EQ(chip->peek16(0x10C0), 0xFFFF);
    EXPECT_EQ(chip->flash().ruleBreaks().total(), 0u);
}

}  // namespace
}  // namespace kv::sim::test
