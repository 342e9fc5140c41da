#include "app_state.h"

#include "kelvane/app/kelvane_app.h"
#include "kelvane/core/execute_params.h"

namespace kv::ui {

namespace {

int gBusy = 0;

}  // namespace

int IsBusy() {
    return gBusy;
}

void SetBusyFlag(int busy) {
    gBusy = busy;
}

int IsPodPresent() {
    return GetPodInUse() != 0 ? 1 : 0;
}

int IsProfessionalPod() {
    return GetAppGlobals().podVppCapable != 0 ? 1 : 0;
}

}  // namespace kv::ui
