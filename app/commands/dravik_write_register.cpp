#include <cstdio>

#include "kelvane/commands/dravik_register_commands.h"
#include "kelvane/core/dravik.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/prg_processor.h"

namespace kv {

CCommandDravik_WriteRegister::CCommandDravik_WriteRegister()
    : CCommandDravik_RegisterValue(&Page()) {
    elementName_ = kElementName;
    displayName_ = "Write Register";
    description_ = "Write target register";
    treeImage_ = 16;
}

CommandPage& CCommandDravik_WriteRegister::Page() {
    static CommandPage page(kElementName);
    return page;
}

int CCommandDravik_WriteRegister::DeclareElement(CStdioXMLFile& file) {
    return DeclareTextElement(file, kElementName);
}

int CCommandDravik_WriteRegister::DeclareAttlist(CStdioXMLFile& file) {
    return DeclareCommandAttlist(file, kElementName,
                                 [&file] { return DeclareValueAttributes(file); });
}

CProjectTreeItem* CCommandDravik_WriteRegister::CreateDefault(std::string& /*error*/) {
    auto* command = new CCommandDravik_WriteRegister;
    command->UpdateLabel();
    return command;
}

int CCommandDravik_WriteRegister::OnExecute(CExecuteParams* params) {
    params->SetStatusText("Writing register");
    params->AdvanceProgress(progressUnits_);
    CDravik* pod = TakePod(params, "CCommandDravik_WriteRegister::OnExecute");
    if (pod == nullptr) return 0;
    // The CPU keeps only its register width: a wider value would be cut and
    // reported as written.
    CPrgProcessor* processor = params->GetProcessor();
    const int bits = processor != nullptr && processor->bIsMSP430X ? 20 : 16;
    if ((dwValue >> bits) != 0) {
        char text[128];
        std::snprintf(text, sizeof text, "Value 0x%lX does not fit in the %d-bit register %s",
                      static_cast<unsigned long>(dwValue), bits, RegisterName(wRegister).c_str());
        return Fail(text);
    }
    if (!pod->WriteRegister(wRegister, dwValue)) return FailFromPod(pod);
    params->Log(FormatRegisterValue(params, wRegister, dwValue), false);
    return 1;
}

}  // namespace kv
