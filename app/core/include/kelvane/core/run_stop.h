// A request to end the run in progress, made by a signal (Ctrl+C, a line
// script's timeout, a logout). The run stops at its next stopping point:
// before the next command, between the slices of a wait and between the
// pieces of a transfer, so after the library call in progress. It then goes
// the way of a failed run: the power-off operation switches off the targets
// it powered, and nothing is saved that a failed run would not save.
#pragma once

#include <string>

namespace kv {

// Asks the run in progress to stop, naming the signal that asked. Safe to
// call from a signal handler.
void RequestRunStop(int signalNumber) noexcept;
// The signal that asked the run to stop; 0 when none did.
int GetRunStopSignal() noexcept;
void ClearRunStop() noexcept;

// "SIGINT", "SIGTERM", "SIGHUP", else "signal <n>".
std::string SignalName(int signalNumber);
// The text a stopped run fails with: "Stopped by SIGINT".
std::string RunStopText();

}  // namespace kv
