// How every EEM operation runs: the polling thread paused, the port lock held
// for the operation, and the thread woken again for the current run.
#pragma once

#include <mutex>

#include "eem_jtag.h"
#include "error_table.h"
#include "port_jtag.h"
#include "target_jtag.h"

namespace nandrel {

template <typename F>
int32_t CEemJTAG::Operation(F&& body) {
    if (!t_.protocol() || !t_.port()) {
        t_.Fail("NULL interface");
        return t_.SetError(kErrInitialize);
    }
    // An operation made of others pauses and wakes the thread once.
    const bool outermost = depth_ == 0;
    if (outermost && !Pause(kPollingPauseMs)) return t_.SetError(kErrThreadPause);
    int32_t result;
    ++depth_;
    try {
        std::lock_guard lock(t_.port()->lock());
        result = body();
    } catch (...) {
        --depth_;
        throw;
    }
    --depth_;
    if (outermost && !Wake(t_.runMode(), t_.jtagReleased()) && result)
        return t_.SetError(kErrThreadWake);
    return result;
}

}  // namespace nandrel
