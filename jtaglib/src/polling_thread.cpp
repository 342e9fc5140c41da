// The EEM polling thread: sleeps on the port's wakeup event while nothing
// runs, and while the CPU runs to a breakpoint or through a single step polls
// it every 2 ms under the port lock, handles trace and variable watch, and
// reports stops, storage events and sequencer changes to the client.
//
// Handshake: the thread signals asleep and waits for wakeup; an operation asks
// it to pause and waits for asleep; a wake signals wakeup and waits for the
// thread to count the wake-up, which it does only once asleep is reset, so a
// pause right after a wake waits for the thread's next sleep. Every time-out
// runs on kv::clock().
//
// The client's callback may close the target, the port or the whole module:
// the thread then leaves as soon as the callback returns, touching neither the
// port nor the target again, and keeps this object alive until it has left. A
// wake from the caller holds the port lock until the thread has counted it, so
// a callback that closes right after a wake finds the caller's call done.
#include <chrono>
#include <mutex>
#include <system_error>

#include "eem_jtag.h"
#include "error_table.h"
#include "kelvane/platform/clock.h"
#include "port_jtag.h"
#include "target_jtag.h"

namespace nandrel {

namespace {

// Set while the polling thread polls (not while it runs the client's callback).
thread_local bool t_inPoll = false;
constexpr uint32_t kPollMs = 2;
constexpr uint32_t kStartWaitMs = 10;
constexpr int kWakeYields = 100;

// Waits until `done` holds or `ms` of kv::clock() have passed.
template <typename F>
bool waitUntil(F&& done, uint32_t ms) {
    const uint32_t start = kv::clock().tickCount();
    for (int i = 0;; ++i) {
        if (done()) return true;
        if (kv::ticksSince(start, kv::clock().tickCount()) >= ms) return done();
        if (i < kWakeYields)
            std::this_thread::yield();
        else
            std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

}  // namespace

bool OnEemPollingThread() {
    return t_inPoll;
}

CEemJTAG::~CEemJTAG() {
    // The last owner may be the thread itself, leaving after its client closed
    // everything from the callback: it cannot wait for itself.
    if (thread_.joinable() && OnPollingThread())
        thread_.detach();
    else
        Shutdown();
}

bool CEemJTAG::OnPollingThread() const {
    return pollingId_.load() == std::this_thread::get_id();
}

void CEemJTAG::Sleep() {
    CPortJTAG* port = t_.port();
    if (!port) {
        stopRequest_ = true;
        return;
    }
    port->SetAsleepEvent();
    port->WaitWakeupEvent(kv::kInfinite, nullptr);
    // Awake before the waker learns of it: a pause that follows finds asleep reset.
    port->ResetAsleepEvent();
    ++wakeCount_;
}

void CEemJTAG::ThreadMain() {
    pollingId_ = std::this_thread::get_id();
    Sleep();
    std::vector<EemMessage> messages;
    while (polling_) {
        if (stopRequest_) break;
        messages.clear();
        const bool watching = Poll(&messages);
        for (const EemMessage& m : messages) {
            // A callback that closed the target has had its last message.
            if (stopRequest_) break;
            Notify(m);
        }
        if (stopRequest_) break;
        if (!watching || pauseRequest_)
            Sleep();
        else
            kv::clock().sleep(kPollMs);
    }
    polling_ = false;
    ended_ = true;
}

int32_t CEemJTAG::StartPolling() {
    if (thread_.joinable() && ended_) thread_.join();
    if (thread_.joinable() && abandoned_) return t_.SetError(kErrThreadActive);
    stopRequest_ = false;
    if (const int32_t e = InitEem()) return t_.SetError(e);
    if (!thread_.joinable()) {
        CPortJTAG* port = t_.port();
        port->ResetWakeupEvent();
        port->ResetAsleepEvent();
        ended_ = false;
        abandoned_ = false;
        polling_ = true;
        try {
            thread_ = std::thread([self = shared_from_this()] { self->ThreadMain(); });
        } catch (const std::system_error&) {
            polling_ = false;
            return t_.SetError(kErrThreadWake);
        }
        kv::clock().sleep(kStartWaitMs);
    }
    polling_ = true;
    return 1;
}

bool CEemJTAG::Pause(uint32_t timeoutMs) {
    if (!polling_ || !thread_.joinable() || OnPollingThread()) return true;
    pauseRequest_ = true;
    int32_t result = -1;
    t_.port()->WaitAsleepEvent(timeoutMs, &result);
    pauseRequest_ = false;
    return result == static_cast<int32_t>(kv::WaitResult::Signaled);
}

bool CEemJTAG::Wake(int32_t runMode, bool jtagReleased) {
    if (!polling_ || !thread_.joinable()) return true;
    // Only a single step or a run to a breakpoint with the link kept is watched.
    const bool watched = (runMode == kSingleStep || runMode == kRunToBreakpoint) && !jtagReleased;
    if (!stopRequest_ && !watched) return true;
    if (OnPollingThread()) {
        t_.port()->SetWakeupEvent();
        return true;
    }
    CPortJTAG& port = *t_.port();
    // The port lock is held until the thread has counted the wake-up. The
    // thread counts it before it takes the lock to poll, so it reaches the
    // client's callback, which may close the port, the target or the module,
    // only after this call has let go of the lock and touches nothing more.
    std::lock_guard lock(port.lock());
    const uint32_t seen = wakeCount_;
    port.SetWakeupEvent();
    // The thread counts every wake-up: by the time of the check it may be
    // asleep again after a short poll.
    return waitUntil([&] { return wakeCount_ != seen || ended_; }, kPollingPauseMs);
}

int32_t CEemJTAG::StopPolling() {
    if (!thread_.joinable()) {
        polling_ = false;
        return 1;
    }
    if (OnPollingThread()) {
        // A callback closes the EEM: the thread leaves when the callback returns.
        stopRequest_ = true;
        return 1;
    }
    if (ended_) {
        thread_.join();
        return 1;
    }
    if (!Pause(kPollingPauseMs)) return t_.SetError(kErrThreadPause);
    stopRequest_ = true;
    if (!Wake(0, false)) return t_.SetError(kErrThreadWake);
    if (!waitUntil([&] { return ended_.load(); }, kPollingPauseMs)) {
        // Left to end on its own; the target joins it before it goes away.
        abandoned_ = true;
        polling_ = false;
        return t_.SetError(kErrThreadPause);
    }
    thread_.join();
    return 1;
}

void CEemJTAG::Shutdown() {
    if (!thread_.joinable()) return;
    stopRequest_ = true;
    // From the client's callback: the thread leaves when the callback returns.
    if (OnPollingThread()) return;
    CPortJTAG* port = t_.port();
    if (port) port->SetWakeupEvent();
    thread_.join();
    polling_ = false;
}

bool CEemJTAG::Poll(std::vector<EemMessage>* out) {
    struct InPoll {
        InPoll() { t_inPoll = true; }
        ~InPoll() { t_inPoll = false; }
    } inPoll;
    CPortJTAG* port = t_.port();
    if (!port) return false;
    std::lock_guard lock(port->lock());
    int32_t state = kStopped;
    uint32_t cycles = 0;
    if (!t_.StateWorker(&state, false, &cycles, true)) return false;
    if (storageUse_ == 1)
        HandleTrace(state, out);
    else if (storageUse_ == 2)
        HandleWatch(out);
    if (sequencerOn_) {
        uint32_t v = 0;
        if (ReadReg(167, &v)) {
            const int s = static_cast<int>((v >> 8) & 3);
            if (s != lastSequencerState_) {
                lastSequencerState_ = s;
                out->push_back({messages_.sequencerState, 0, s});
            }
        }
    }
    const auto lp = static_cast<intptr_t>(cycles);
    switch (state) {
        case kRunning:
            return true;
        case kStepDone:
            out->push_back({messages_.singleStep, 0, lp});
            break;
        case kBreakpointHit:
            if (!breakpointReported_) out->push_back({messages_.breakpointHit, 0, lp});
            breakpointReported_ = true;
            break;
        default:
            out->push_back({messages_.cpuStopped, 0, lp});
            break;
    }
    return false;
}

void CEemJTAG::Notify(const EemMessage& m) const {
    if (callback_) callback_(m.message, m.wParam, m.lParam, clientValue_);
}

void CEemJTAG::NotifyWarning(uint32_t wParam) const {
    Notify({messages_.warning, wParam, 0});
}

void CEemJTAG::NotifyCpuStopped(uint32_t cycles) const {
    Notify({messages_.cpuStopped, 0, static_cast<intptr_t>(cycles)});
}

}  // namespace nandrel
