// Program-wide state the window reads: the busy flag and what device
// detection found (the application's globals).
#pragma once

namespace kv::ui {

// While set, every command handler of the view returns at once.
int IsBusy();
void SetBusyFlag(int busy);

// The pod is present: detection found it, or the last run opened it.
int IsPodPresent();
// A pod that can blow the JTAG fuse was found.
int IsProfessionalPod();

}  // namespace kv::ui
