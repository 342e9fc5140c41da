// Tick counts, sleeping and the injectable clock.
//
// Every timed wait in the system goes through kv::clock(), so tests swap in a
// ManualClock and never sleep for real.
#pragma once

#include <atomic>
#include <cstdint>

namespace kv {

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds since an arbitrary start; wraps like a 32-bit tick count.
    virtual uint32_t tickCount() = 0;
    // Lets at least `ms` milliseconds pass.
    virtual void sleep(uint32_t ms) = 0;
};

// The wall clock of the machine.
class SystemClock final : public Clock {
public:
    uint32_t tickCount() override;
    void sleep(uint32_t ms) override;
};

// A clock that moves only when told to: sleep() advances it at once.
class ManualClock final : public Clock {
public:
    explicit ManualClock(uint32_t start = 0) : now_(start) {}
    uint32_t tickCount() override { return now_.load(); }
    void sleep(uint32_t ms) override { now_ += ms; }
    void advance(uint32_t ms) { now_ += ms; }
    void set(uint32_t now) { now_ = now; }

private:
    std::atomic<uint32_t> now_;
};

// The clock in force (the system clock unless one is installed).
Clock& clock();
// Installs `c` (nullptr restores the system clock); returns the previous one.
Clock* setClock(Clock* c);

// Milliseconds from `start` to `now` on a wrapping 32-bit tick counter.
inline uint32_t ticksSince(uint32_t start, uint32_t now) { return now - start; }

// Installs a clock for one scope.
class ScopedClock {
public:
    explicit ScopedClock(Clock& c) : previous_(setClock(&c)) {}
    ~ScopedClock() { setClock(previous_); }
    ScopedClock(const ScopedClock&) = delete;
    ScopedClock& operator=(const ScopedClock&) = delete;

private:
    Clock* previous_;
};

}  // namespace kv
