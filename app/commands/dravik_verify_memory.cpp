#include "kelvane/commands/dravik_memory_commands.h"
#include "kelvane/core/dravik.h"
#include "kelvane/core/execute_params.h"

namespace kv {

CCommandDravik_VerifyMemory::CCommandDravik_VerifyMemory() : CCommandDravik_Buffer(&Page()) {
    elementName_ = kElementName;
    displayName_ = "Verify Memory";
    description_ = "Verify target memory";
    treeImage_ = 15;
}

CommandPage& CCommandDravik_VerifyMemory::Page() {
    static CommandPage page(kElementName);
    return page;
}

int CCommandDravik_VerifyMemory::DeclareElement(CStdioXMLFile& file) {
    return DeclareTextElement(file, kElementName);
}

int CCommandDravik_VerifyMemory::DeclareAttlist(CStdioXMLFile& file) {
    return DeclareCommandAttlist(file, kElementName,
                                 [&file] { return DeclareBufferAttributes(file); });
}

CProjectTreeItem* CCommandDravik_VerifyMemory::CreateDefault(std::string& /*error*/) {
    auto* command = new CCommandDravik_VerifyMemory;
    command->UpdateLabel();
    return command;
}

int CCommandDravik_VerifyMemory::OnExecute(CExecuteParams* params) {
    params->SetStatusText("Verifying memory");
    params->AdvanceProgress(progressUnits_);
    CDravik* pod = TakePod(params, "CCommandDravik_VerifyMemory::OnExecute");
    if (pod == nullptr) return 0;
    if (!buffer_.HasBuffer()) return Fail("Unable to verify memory against NULL buffer");
    if (!pod->VerifyMemory(buffer_.Data(), dwAddress, buffer_.GetLength())) return FailFromPod(pod);
    return 1;
}

int CCommandDravik_VerifyMemory::WriteXMLContent(CStdioXMLFile& file) {
    if (!buffer_.WriteText(file, dwCount)) return Fail(file.TakeError());
    return 1;
}

int CCommandDravik_VerifyMemory::ReadXMLParameters(std::int32_t element) {
    if (!CCommandDravik_Buffer::ReadXMLParameters(element)) return 0;
    return buffer_.ParseText(element, dwCount, "VerifyMemory", error_);
}

}  // namespace kv
