#include "kelvane/platform/sync.h"

#include <chrono>

#include "kelvane/platform/clock.h"

namespace kv {

void Event::set() {
    // Notified under the lock: a waiter that wakes and then destroys the event
    // cannot do so while this call still signals it.
    std::lock_guard lock(mutex_);
    set_ = true;
    if (manual_)
        cv_.notify_all();
    else
        cv_.notify_one();
}

void Event::reset() {
    std::lock_guard lock(mutex_);
    set_ = false;
}

bool Event::isSet() {
    std::lock_guard lock(mutex_);
    return set_;
}

WaitResult Event::wait(uint32_t ms) {
    std::unique_lock lock(mutex_);
    auto ready = [this] { return set_; };
    if (ms == kInfinite) {
        cv_.wait(lock, ready);
    } else if (!cv_.wait_for(lock, std::chrono::milliseconds(ms), ready)) {
        return WaitResult::Timeout;
    }
    if (!manual_) set_ = false;
    return WaitResult::Signaled;
}

WaitResult Event::waitOnClock(uint32_t ms) {
    if (ms == kInfinite) return wait(kInfinite);
    const uint32_t start = clock().tickCount();
    for (;;) {
        if (wait(1) == WaitResult::Signaled) return WaitResult::Signaled;
        if (ticksSince(start, clock().tickCount()) >= ms) return wait(0);
    }
}

}  // namespace kv
