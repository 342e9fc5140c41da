#include <gtest/gtest.h>

#include "kelvane/platform/clock.h"

namespace {

TEST(Clock, ManualClockMovesOnlyWhenTold) {
    kv::ManualClock manual(100);
    kv::ScopedClock scope(manual);
    EXPECT_EQ(kv::clock().tickCount(), 100u);
    kv::clock().sleep(5000);
    EXPECT_EQ(kv::clock().tickCount(), 5100u);
}

TEST(Clock, ScopedClockRestoresThePrevious) {
    kv::Clock* before = &kv::clock();
    {
        kv::ManualClock manual;
        kv::ScopedClock scope(manual);
        EXPECT_EQ(&kv::clock(), &manual);
    }
    EXPECT_EQ(&kv::clock(), before);
}

TEST(Clock, TicksSinceSurvivesTheWrap) {
    EXPECT_EQ(kv::ticksSince(0xFFFFFFF0u, 0x00000010u), 0x20u);
    kv::ManualClock manual(0xFFFFFFFEu);
    const uint32_t start = manual.tickCount();
    manual.advance(4);
    EXPECT_EQ(kv::ticksSince(start, manual.tickCount()), 4u);
}

}  // namespace
