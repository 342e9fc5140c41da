// Where run control meets the EEM polling thread: operations pause the thread
// before they take the port lock and wake it afterwards. Until the EEM starts
// a thread these have nothing to pause, wake or notify.
#include "error_table.h"
#include "target_jtag.h"

namespace nandrel {

bool CTargetJTAG::PausePolling(uint32_t) {
    return true;
}

bool CTargetJTAG::WakePolling(int32_t, bool) {
    return true;
}

int32_t CTargetJTAG::PrepareEemForRun() {
    return 0;
}

int32_t CTargetJTAG::StopPolling() {
    pollingActive_ = false;
    return 1;
}

void CTargetJTAG::NotifyWarning(uint32_t) {}

void CTargetJTAG::NotifyCpuStopped(uint32_t) {}

}  // namespace nandrel
