// Where run control meets the EEM polling thread: operations pause the thread
// before they take the port lock and wake it afterwards; closing the target
// ends it first.
#include "eem_jtag.h"
#include "error_table.h"
#include "target_jtag.h"

namespace nandrel {

CEemJTAG& CTargetJTAG::Eem() {
    if (!eem_) eem_ = std::make_shared<CEemJTAG>(*this);
    return *eem_;
}

bool CTargetJTAG::pollingActive() const {
    return eem_ && eem_->polling();
}

bool CTargetJTAG::PausePolling(uint32_t timeoutMs) {
    return !eem_ || eem_->Pause(timeoutMs);
}

bool CTargetJTAG::WakePolling(int32_t runMode, bool jtagReleased) {
    return !eem_ || eem_->Wake(runMode, jtagReleased);
}

int32_t CTargetJTAG::PrepareEemForRun() {
    if (eem_) eem_->PrepareRun();
    return 0;
}

int32_t CTargetJTAG::StopPolling() {
    return eem_ ? eem_->StopPolling() : 1;
}

void CTargetJTAG::ShutdownPolling() {
    if (eem_) eem_->Shutdown();
}

void CTargetJTAG::NotifyWarning(uint32_t wParam) {
    if (eem_ && eem_->polling()) eem_->NotifyWarning(wParam);
}

void CTargetJTAG::NotifyCpuStopped(uint32_t cycles) {
    if (eem_) eem_->NotifyCpuStopped(cycles);
}

}  // namespace nandrel
