#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "kelvane/platform/clock.h"
#include "kelvane/platform/sync.h"

namespace {

TEST(Event, AutoResetReleasesOneWaitAndResets) {
    kv::Event e(false);
    e.set();
    EXPECT_EQ(e.wait(0), kv::WaitResult::Signaled);
    EXPECT_EQ(e.wait(0), kv::WaitResult::Timeout);
}

TEST(Event, ManualResetStaysSetUntilReset) {
    kv::Event e(true, true);
    EXPECT_EQ(e.wait(0), kv::WaitResult::Signaled);
    EXPECT_EQ(e.wait(0), kv::WaitResult::Signaled);
    e.reset();
    EXPECT_EQ(e.wait(1), kv::WaitResult::Timeout);
}

TEST(Event, WakesAWaiterInAnotherThread) {
    kv::Event e(false);
    std::thread t([&] { e.set(); });
    EXPECT_EQ(e.wait(kv::kInfinite), kv::WaitResult::Signaled);
    t.join();
}

TEST(Event, WaitResultsHaveThePlatformValues) {
    EXPECT_EQ(static_cast<uint32_t>(kv::WaitResult::Signaled), 0u);
    EXPECT_EQ(static_cast<uint32_t>(kv::WaitResult::Timeout), 0x102u);
}

TEST(Event, WaitOnClockTimesOutOnTheInstalledClock) {
    kv::ManualClock manual;
    kv::ScopedClock scope(manual);
    kv::Event e(true);
    std::atomic<bool> done{false};
    std::thread mover([&] {
        while (!done)
            manual.advance(10);
    });
    EXPECT_EQ(e.waitOnClock(5000), kv::WaitResult::Timeout);
    EXPECT_GE(manual.tickCount(), 5000u);
    done = true;
    mover.join();
    e.set();
    EXPECT_EQ(e.waitOnClock(5000), kv::WaitResult::Signaled);
}

TEST(CriticalSection, OwnerMayEnterAgain) {
    kv::CriticalSection cs;
    std::lock_guard a(cs);
    EXPECT_TRUE(cs.try_lock());
    cs.unlock();
}

}  // namespace
