// Locks, events and wait results in the shape the libraries expect of the
// platform: a recursive critical section and auto- or manual-reset events.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace kv {

// A lock that its owner may take again (a critical section).
using CriticalSection = std::recursive_mutex;

enum class WaitResult : uint32_t {
    Signaled = 0x00000000,  // the event was set
    Timeout = 0x00000102,   // the time ran out
};

inline constexpr uint32_t kInfinite = 0xFFFFFFFF;

// An event that is set and reset. An auto-reset event releases one waiter and
// resets itself; a manual-reset one stays set until reset.
class Event {
public:
    explicit Event(bool manualReset, bool initiallySet = false)
        : manual_(manualReset), set_(initiallySet) {}
    void set();
    void reset();
    bool isSet();
    // Waits up to `ms` real milliseconds (kInfinite: without end).
    WaitResult wait(uint32_t ms);
    // Waits up to `ms` milliseconds of kv::clock() (kInfinite: without end),
    // looking at the event every real millisecond. On a ManualClock the time
    // runs out only as far as someone moves the clock on.
    WaitResult waitOnClock(uint32_t ms);

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool manual_;
    bool set_;
};

}  // namespace kv
