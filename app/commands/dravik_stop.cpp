#include "kelvane/commands/dravik_run_control_commands.h"
#include "kelvane/core/dravik.h"
#include "kelvane/core/emulation_module.h"
#include "kelvane/core/execute_params.h"

namespace kv {

CCommandDravik_Stop::CCommandDravik_Stop() : CCommandDravik(&Page()) {
    elementName_ = kElementName;
    displayName_ = "Stop Target";
    description_ = "Stop target execution";
    treeLabel_ = "Stop";
    treeImage_ = 34;
}

CommandPage& CCommandDravik_Stop::Page() {
    static CommandPage page(kElementName);
    return page;
}

int CCommandDravik_Stop::DeclareElement(CStdioXMLFile& file) {
    return DeclareEmptyCommandElement(file, kElementName);
}

int CCommandDravik_Stop::DeclareAttlist(CStdioXMLFile& file) {
    return DeclareCommandAttlist(file, kElementName, [] { return 1; });
}

CCommandDravik_Stop* CCommandDravik_Stop::Create(std::string& /*error*/) {
    return new CCommandDravik_Stop;
}

CProjectTreeItem* CCommandDravik_Stop::CreateFromArguments(std::string& error,
                                                           const CommandArguments& /*args*/) {
    return Create(error);
}

int CCommandDravik_Stop::OnExecute(CExecuteParams* params) {
    params->SetStatusText("Stopping target");
    params->AdvanceProgress(progressUnits_);
    if (TakePod(params, "CCommandDravik_Stop::OnExecute") == nullptr) return 0;
    CEmulationModule* module = TakeEmulationModule(params, *this, "CCommandDravik_Stop::OnExecute");
    if (module == nullptr) return 0;
    if (!module->Stop()) {
        module->GetLastError(error_);
        return 0;
    }
    return 1;
}

}  // namespace kv
