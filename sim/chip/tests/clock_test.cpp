#include <gtest/gtest.h>

#include "chip_fixture.h"

namespace kv::sim::test {
namespace {

// The basic clock search of the flash routines: start at range 7, tap 3 and
// walk until the clock lies in 1.41..2.14 MHz. Returns the frequency found, or 0.
double basicClockSearch(Chip& chip, int maxRange) {
    int range = 7;
    int tap = 3;
    for (int guard = 0; guard < 1000; ++guard) {
        chip.write8(0x0056, static_cast<uint8_t>(tap << 5));
        chip.write8(0x0057, static_cast<uint8_t>(range));
        double f = chip.clocks().mclkHz();
        if (f < 1410000) {
            if (++tap > 7) {
                tap = 0;
                if (++range > maxRange) return 0;
            }
        } else if (f >= 2140001) {
            if (--tap == 0) {
                tap = 7;
                if (--range == 0) return 0;
            }
        } else {
            return f;
        }
    }
    return -1;  // the walk did not end
}

// The FLL+ bisection over the DCO taps 0..27 for 2.14 MHz.
double fllSearch(Chip& chip) {
    auto measure = [&](int setting) {
        chip.write8(0x0050, 0);
        chip.write8(0x0051, static_cast<uint8_t>(setting * 8));
        chip.write8(0x0052, 0x80);
        chip.write8(0x0053, 0x80);
        return chip.clocks().mclkHz();
    };
    int low = 0;
    int high = 27;
    bool movedHigh = false;
    double f = 0;
    while (high - low > 1) {
        int mid = (low + high) / 2;
        f = measure(mid);
        movedHigh = f >= 2140001;
        if (movedHigh) {
            high = mid;
        } else {
            low = mid;
        }
    }
    if (movedHigh) f = measure(low);
    return f >= 1285000 && f <= 2380000 ? f : 0;
}

TEST(ClockSystem, BasicClockIsMonotonic) {
    for (const char* name : {"MSP430F149", "MSP430F2274"}) {
        auto chip = poweredChip(name);
        int ranges = chip->profile().clock == ClockKind::BasicClockPlus ? 16 : 8;
        double previousRangeStart = 0;
        for (int rsel = 0; rsel < ranges; ++rsel) {
            double previous = 0;
            for (int dco = 0; dco < 8; ++dco) {
                for (int mod = 0; mod < 32; mod += 8) {
                    chip->write8(0x0057, static_cast<uint8_t>(0x80 | rsel));
                    chip->write8(0x0056, static_cast<uint8_t>((dco << 5) | mod));
                    double f = chip->clocks().dcoHz();
                    if (dco == 7 && mod > 0) {
                        EXPECT_DOUBLE_EQ(f, previous);
                        continue;
                    }
                    EXPECT_GT(f, previous) << name << " rsel " << rsel << " dco " << dco;
                    previous = f;
                }
                if (dco == 0) {
                    chip->write8(0x0056, 0);
                    EXPECT_GT(chip->clocks().dcoHz(), previousRangeStart);
                    previousRangeStart = chip->clocks().dcoHz();
                }
            }
        }
    }
}

TEST(ClockSystem, DefaultsAndDividers) {
    auto chip = poweredChip("MSP430F149");
    double dco = chip->clocks().dcoHz();
    EXPECT_GT(dco, 600e3);
    EXPECT_LT(dco, 1.2e6);
    EXPECT_DOUBLE_EQ(chip->clocks().mclkHz(), dco);
    EXPECT_DOUBLE_EQ(chip->clocks().aclkHz(), 32768.0);
    chip->write8(0x0058, 0x36);  // MCLK / 8, SMCLK / 8
    EXPECT_DOUBLE_EQ(chip->clocks().mclkHz(), dco / 8);
    EXPECT_DOUBLE_EQ(chip->clocks().smclkHz(), dco / 8);
    chip->write8(0x0058, 0xC0);  // MCLK from LFXT1
    EXPECT_DOUBLE_EQ(chip->clocks().mclkHz(), 32768.0);
    chip->write8(0x0057, 0xB4);  // ACLK / 8
    EXPECT_DOUBLE_EQ(chip->clocks().aclkHz(), 4096.0);
}

TEST(ClockSystem, TimeFollowsMclk) {
    auto chip = poweredChip("MSP430F149");
    double f = chip->clocks().mclkHz();
    double t0 = chip->seconds();
    chip->idle(1000);
    EXPECT_NEAR(chip->seconds() - t0, 1000 / f, 1e-9);
    chip->write8(0x0058, 0x30);  // MCLK / 8
    t0 = chip->seconds();
    chip->idle(1000);
    EXPECT_NEAR(chip->seconds() - t0, 8000 / f, 1e-9);
}

TEST(ClockSystem, BasicClockSearchConvergesOrFailsWithScale) {
    for (const char* name : {"MSP430F149", "MSP430F2274"}) {
        auto chip = poweredChip(name);
        int maxRange = chip->profile().clock == ClockKind::BasicClockPlus ? 15 : 7;
        double f = basicClockSearch(*chip, maxRange);
        EXPECT_GE(f, 1410000) << name;
        EXPECT_LT(f, 2140001) << name;
        chip->setDcoScale(0.05);  // a part far too slow: the range runs out
        EXPECT_EQ(basicClockSearch(*chip, maxRange), 0) << name;
        chip->setDcoScale(40.0);  // far too fast: the range reaches 0
        EXPECT_EQ(basicClockSearch(*chip, maxRange), 0) << name;
        chip->setDcoScale(1.3);
        EXPECT_GT(basicClockSearch(*chip, maxRange), 0) << name;
    }
}

TEST(ClockSystem, DcoLimitFaultMakesTheSearchFail) {
    auto chip = poweredChip("MSP430F149");
    chip->setDcoLimits(0, 1.2e6);  // this DCO never reaches 1.41 MHz
    EXPECT_EQ(basicClockSearch(*chip, 7), 0);
    chip->setDcoLimits(0, 0);
    EXPECT_GT(basicClockSearch(*chip, 7), 0);
}

TEST(ClockSystem, FllSearchConvergesOrFails) {
    auto chip = poweredChip("MSP430FG4619");
    EXPECT_GT(fllSearch(*chip), 0);
    chip->setDcoScale(0.1);
    EXPECT_EQ(fllSearch(*chip), 0);
    chip->setDcoScale(8.0);
    EXPECT_EQ(fllSearch(*chip), 0);
}

TEST(ClockSystem, FllTapsAndRangesAreMonotonic) {
    auto chip = poweredChip("MSP430FG4619");
    double previousRange = 0;
    for (uint8_t fn : {0x00, 0x04, 0x08, 0x10, 0x20}) {
        double previous = 0;
        for (int tap = 0; tap < 32; ++tap) {
            chip->write8(0x0050, fn);
            chip->write8(0x0051, static_cast<uint8_t>(tap << 3));
            double f = chip->clocks().dcoHz();
            EXPECT_GT(f, previous);
            previous = f;
            if (tap == 0) {
                EXPECT_GT(f, previousRange);
                previousRange = f;
            }
        }
    }
}

TEST(ClockSystem, FllLocksToTheMultiplier) {
    auto chip = poweredChip("MSP430FG4619");
    // After a PUC the loop runs at 32 x 32768 Hz.
    EXPECT_NEAR(chip->clocks().mclkHz(), 32 * 32768.0, 0.05 * 32 * 32768.0);
    chip->write8(0x0052, 63);  // N = 63: twice as fast
    chip->write8(0x0051, 0);   // and start the loop from the bottom
    chip->idle(200000);
    EXPECT_NEAR(chip->clocks().mclkHz(), 64 * 32768.0, 0.05 * 64 * 32768.0);
}

TEST(ClockSystem, ClockModuleAt0x0140) {
    auto chip = poweredChip("TMS430FCAS003");
    double f = chip->clocks().mclkHz();
    EXPECT_GT(f, 0.8e6);
    EXPECT_LT(f, 1.2e6);
    chip->write16(0x0140, 0x0882);  // the flash clock setting
    EXPECT_NEAR(chip->clocks().mclkHz(), 2.38e6, 0.05e6);
    chip->write16(0x0142, 0x0001);
    EXPECT_NEAR(chip->clocks().mclkHz(), 1.19e6, 0.03e6);
}

}  // namespace
}  // namespace kv::sim::test
