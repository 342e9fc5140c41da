// While a run lasts, SIGINT (Ctrl+C), SIGTERM (a line script's timeout, a
// shutdown) and SIGHUP (a logout, a closed terminal) ask it to stop instead
// of ending the program with the target powered: the run stops at its next
// stopping point and switches its targets off (run_stop.h). A second signal
// ends the program at once. Outside a run, and where a signal was ignored
// when the run began (nohup), the signals keep their usual effect.
#pragma once

#include <csignal>

namespace kv {

class CRunSignalGuard {
  public:
    // Forgets an earlier request and takes the signals over.
    CRunSignalGuard();
    // Gives the signals their previous effect back.
    ~CRunSignalGuard();
    CRunSignalGuard(const CRunSignalGuard&) = delete;
    CRunSignalGuard& operator=(const CRunSignalGuard&) = delete;

    // The signals a run takes over.
    static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

  private:
    struct sigaction previous_[3] {};
    bool taken_[3] = {};
};

}  // namespace kv
