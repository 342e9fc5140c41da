#include "kelvane/commands/dravik_register_commands.h"
#include "kelvane/core/dravik.h"
#include "kelvane/core/execute_params.h"

namespace kv {

CCommandDravik_ReadRegister::CCommandDravik_ReadRegister() : CCommandDravik_Register(&Page()) {
    elementName_ = kElementName;
    displayName_ = "Read Register";
    description_ = "Read target register";
    treeImage_ = 17;
}

CommandPage& CCommandDravik_ReadRegister::Page() {
    static CommandPage page(kElementName);
    return page;
}

int CCommandDravik_ReadRegister::DeclareElement(CStdioXMLFile& file) {
    return DeclareTextElement(file, kElementName);
}

int CCommandDravik_ReadRegister::DeclareAttlist(CStdioXMLFile& file) {
    return DeclareCommandAttlist(file, kElementName,
                                 [&file] { return DeclareRegisterAttribute(file); });
}

CProjectTreeItem* CCommandDravik_ReadRegister::CreateDefault(std::string& /*error*/) {
    auto* command = new CCommandDravik_ReadRegister;
    command->UpdateLabel();
    return command;
}

int CCommandDravik_ReadRegister::SetParameters(std::uint16_t reg) {
    wRegister = reg;
    UpdateLabel();
    return 1;
}

int CCommandDravik_ReadRegister::OnExecute(CExecuteParams* params) {
    params->SetStatusText("Reading register");
    params->AdvanceProgress(progressUnits_);
    CDravik* pod = TakePod(params, "CCommandDravik_ReadRegister::OnExecute");
    if (pod == nullptr) return 0;
    std::uint32_t value = 0;
    if (!pod->ReadRegister(wRegister, value)) return FailFromPod(pod);
    params->Log(FormatRegisterValue(params, wRegister, value), false);
    return 1;
}

}  // namespace kv
