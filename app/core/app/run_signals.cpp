#include "kelvane/app/run_signals.h"

#include "kelvane/core/run_stop.h"

namespace kv {

namespace {

// Only async-signal-safe calls: an atomic store, sigaction and raise.
extern "C" void OnRunSignal(int number) {
    if (GetRunStopSignal() == 0) {
        RequestRunStop(number);
        return;
    }
    // Asked twice: the signal's usual effect, once this handler returns.
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    sigemptyset(&standard.sa_mask);
    for (int taken : CRunSignalGuard::kSignals)
        ::sigaction(taken, &standard, nullptr);
    ::raise(number);
}

}  // namespace

CRunSignalGuard::CRunSignalGuard() {
    ClearRunStop();
    struct sigaction handler {};
    handler.sa_handler = OnRunSignal;
    handler.sa_flags = SA_RESTART;
    sigemptyset(&handler.sa_mask);
    for (int number : kSignals)
        sigaddset(&handler.sa_mask, number);
    for (int i = 0; i < 3; ++i) {
        if (::sigaction(kSignals[i], nullptr, &previous_[i]) != 0) continue;
        // A signal the program was started to ignore stays ignored.
        if (previous_[i].sa_handler == SIG_IGN) continue;
        taken_[i] = ::sigaction(kSignals[i], &handler, nullptr) == 0;
    }
}

CRunSignalGuard::~CRunSignalGuard() {
    for (int i = 0; i < 3; ++i)
        if (taken_[i]) ::sigaction(kSignals[i], &previous_[i], nullptr);
}

}  // namespace kv
