#include "kelvane/commands/command_dravik.h"

#include "kelvane/core/dravik.h"
#include "kelvane/core/execute_params.h"

namespace kv {

CCommandDravik::CCommandDravik(CommandPage* page) : CPagedCommand(page) {
    group_ = "Dravik";
}

int CCommandDravik::GetRequiredInterfaces(int* podNeeded, int* /*adapterNeeded*/) {
    if (podNeeded != nullptr) *podNeeded = 1;
    return 1;
}

CDravik* CCommandDravik::TakePod(CExecuteParams* params, const std::string& where) {
    CDravik* pod = params->GetDravik();
    if (pod == nullptr) Fail("NULL Dravik during " + where);
    return pod;
}

int CCommandDravik::FailFromPod(CDravik* pod) {
    return Fail(pod->TakeLastError());
}

}  // namespace kv
