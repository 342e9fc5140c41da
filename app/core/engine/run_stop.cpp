#include "kelvane/core/run_stop.h"

#include <atomic>
#include <csignal>

namespace kv {

namespace {

// Written by a signal handler: only a lock-free atomic may be.
std::atomic<int> gStopSignal{0};
static_assert(std::atomic<int>::is_always_lock_free);

}  // namespace

void RequestRunStop(int signalNumber) noexcept {
    gStopSignal.store(signalNumber, std::memory_order_relaxed);
}

int GetRunStopSignal() noexcept {
    return gStopSignal.load(std::memory_order_relaxed);
}

void ClearRunStop() noexcept {
    gStopSignal.store(0, std::memory_order_relaxed);
}

std::string SignalName(int signalNumber) {
    switch (signalNumber) {
        case SIGINT:
            return "SIGINT";
        case SIGTERM:
            return "SIGTERM";
        case SIGHUP:
            return "SIGHUP";
        default:
            return "signal " + std::to_string(signalNumber);
    }
}

std::string RunStopText() {
    return "Stopped by " + SignalName(GetRunStopSignal());
}

}  // namespace kv
