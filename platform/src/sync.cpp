#include "kelvane/platform/sync.h"

#include <chrono>

namespace kv {

void Event::set() {
    {
        std::lock_guard lock(mutex_);
        set_ = true;
    }
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

}  // namespace kv
