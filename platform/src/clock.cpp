#include "kelvane/platform/clock.h"

#include <chrono>
#include <thread>

namespace kv {

uint32_t SystemClock::tickCount() {
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void SystemClock::sleep(uint32_t ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

namespace {
SystemClock systemClock;
std::atomic<Clock*> current{nullptr};
}  // namespace

Clock& clock() {
    Clock* c = current.load();
    return c ? *c : systemClock;
}

Clock* setClock(Clock* c) {
    Clock* previous = current.exchange(c);
    return previous ? previous : &systemClock;
}

}  // namespace kv
