#include <cstdio>

#include "kelvane/commands/dravik_register_commands.h"
#include "kelvane/core/dravik.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/prg_processor.h"

namespace kv {

CCommandDravik_VerifyRegister::CCommandDravik_VerifyRegister()
    : CCommandDravik_RegisterValue(&Page()) {
    elementName_ = kElementName;
    displayName_ = "Verify Register";
    description_ = "Verify target register";
    treeImage_ = 15;
}

CommandPage& CCommandDravik_VerifyRegister::Page() {
    static CommandPage page(kElementName);
    return page;
}

int CCommandDravik_VerifyRegister::DeclareElement(CStdioXMLFile& file) {
    return DeclareTextElement(file, kElementName);
}

int CCommandDravik_VerifyRegister::DeclareAttlist(CStdioXMLFile& file) {
    return DeclareCommandAttlist(file, kElementName,
                                 [&file] { return DeclareValueAttributes(file); });
}

CProjectTreeItem* CCommandDravik_VerifyRegister::CreateDefault(std::string& /*error*/) {
    auto* command = new CCommandDravik_VerifyRegister;
    command->UpdateLabel();
    return command;
}

int CCommandDravik_VerifyRegister::OnExecute(CExecuteParams* params) {
    params->SetStatusText("Verifying register");
    params->AdvanceProgress(progressUnits_);
    CDravik* pod = TakePod(params, "CCommandDravik_VerifyRegister::OnExecute");
    if (pod == nullptr) return 0;
    std::uint32_t value = 0;
    if (!pod->ReadRegister(wRegister, value)) return FailFromPod(pod);
    params->Log(FormatRegisterValue(params, wRegister, value), false);
    if (value == dwValue) return 1;
    CPrgProcessor* processor = params->GetProcessor();
    const bool wide = processor != nullptr && processor->bIsMSP430X;
    char text[160];
    std::snprintf(text, sizeof text,
                  wide ? "Mismatched register %s value\n\nRead '0x%05lX', expected '0x%05lX'"
                       : "Mismatched register %s value\n\nRead '0x%04lX', expected '0x%04lX'",
                  RegisterName(wRegister).c_str(), static_cast<unsigned long>(value),
                  static_cast<unsigned long>(dwValue));
    return Fail(text);
}

}  // namespace kv
