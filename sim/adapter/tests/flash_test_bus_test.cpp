#include "flash_test_bus.h"

#include <gtest/gtest.h>

namespace {

using kv::sim::testing::FlashTestBus;

constexpr uint32_t kFctl1 = 0x0128, kFctl3 = 0x012C;

TEST(FlashTestBus, ProgrammingOnlyClearsBitsAndNeedsUnlockAndWrt) {
    FlashTestBus bus;
    bus.write8(0xF000, 0x00);  // locked
    EXPECT_EQ(bus.read8(0xF000), 0xFF);
    EXPECT_EQ(bus.violations(), 1);
    bus.write16(kFctl3, 0xA500);
    bus.write16(kFctl1, 0xA540);
    bus.write8(0xF000, 0xF0);
    bus.write8(0xF000, 0x3C);
    EXPECT_EQ(bus.read8(0xF000), 0x30);
    EXPECT_EQ(bus.read16(kFctl1), 0x9640);
}

TEST(FlashTestBus, WrongKeyIsIgnored) {
    FlashTestBus bus;
    bus.write16(kFctl3, 0x1200);
    EXPECT_TRUE(bus.locked());
    EXPECT_EQ(bus.violations(), 1);
}

TEST(FlashTestBus, SegmentAndMassEraseSetBits) {
    FlashTestBus bus;
    bus.poke(0xF000, {0, 0});
    bus.poke(0xF200, {0});
    bus.poke(0x1000, {0});
    bus.write16(kFctl3, 0xA500);
    bus.write16(kFctl1, 0xA502);
    bus.write8(0xF010, 0);
    EXPECT_EQ(bus.peek(0xF000, 2), (std::vector<uint8_t>{0xFF, 0xFF}));
    EXPECT_EQ(bus.peek(0xF200, 1)[0], 0);
    bus.write16(kFctl1, 0xA504);  // main memory only
    bus.write8(0xFF00, 0);
    EXPECT_EQ(bus.peek(0xF200, 1)[0], 0xFF);
    EXPECT_EQ(bus.peek(0x1000, 1)[0], 0);
    bus.write16(kFctl1, 0xA506);  // main and information memory
    bus.write16(0xFF00, 0);
    EXPECT_EQ(bus.peek(0x1000, 1)[0], 0xFF);
    EXPECT_EQ(bus.erases(), 3);
}

TEST(FlashTestBus, LockAGuardsSegmentAAndTogglesOnOne) {
    FlashTestBus bus(FlashTestBus::layout2xx());
    bus.poke(0x10C0, {0x12});
    bus.poke(0x1080, {0x34});
    bus.write16(kFctl3, 0xA500);  // LOCKA written 0: unchanged
    EXPECT_TRUE(bus.lockA());
    bus.write16(kFctl1, 0xA506);
    bus.write8(0x3100, 0);
    EXPECT_EQ(bus.peek(0x10C0, 1)[0], 0x12);
    EXPECT_EQ(bus.peek(0x1080, 1)[0], 0xFF);
    bus.write16(kFctl3, 0xA540);  // toggle: LOCKA clear
    EXPECT_FALSE(bus.lockA());
    bus.write16(kFctl1, 0xA502);
    bus.write8(0x10C0, 0);
    EXPECT_EQ(bus.peek(0x10C0, 1)[0], 0xFF);
}

}  // namespace
