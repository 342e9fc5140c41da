#include "kelvane/commands/dravik_run_control_commands.h"
#include "kelvane/core/dravik.h"
#include "kelvane/core/emulation_module.h"
#include "kelvane/core/execute_params.h"

namespace kv {

CCommandDravik_SingleStep::CCommandDravik_SingleStep() : CCommandDravik(&Page()) {
    elementName_ = kElementName;
    displayName_ = "Single Step";
    description_ = "Single step target code";
    treeLabel_ = "Single Step";
    treeImage_ = 37;
}

CommandPage& CCommandDravik_SingleStep::Page() {
    static CommandPage page(kElementName);
    return page;
}

int CCommandDravik_SingleStep::DeclareElement(CStdioXMLFile& file) {
    return DeclareEmptyCommandElement(file, kElementName);
}

int CCommandDravik_SingleStep::DeclareAttlist(CStdioXMLFile& file) {
    return DeclareCommandAttlist(file, kElementName, [] { return 1; });
}

CCommandDravik_SingleStep* CCommandDravik_SingleStep::Create(std::string& /*error*/) {
    return new CCommandDravik_SingleStep;
}

CProjectTreeItem* CCommandDravik_SingleStep::CreateFromArguments(std::string& error,
                                                                 const CommandArguments& /*args*/) {
    return Create(error);
}

int CCommandDravik_SingleStep::OnExecute(CExecuteParams* params) {
    params->SetStatusText("Single stepping target");
    params->AdvanceProgress(progressUnits_);
    if (TakePod(params, "CCommandDravik_SingleStep::OnExecute") == nullptr) return 0;
    CEmulationModule* module =
        TakeEmulationModule(params, *this, "CCommandDravik_SingleStep::OnExecute");
    if (module == nullptr) return 0;
    if (!module->SingleStep()) {
        module->GetLastError(error_);
        return 0;
    }
    return 1;
}

}  // namespace kv
