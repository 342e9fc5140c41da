#include "kelvane/commands/dravik_memory_commands.h"
#include "kelvane/core/dravik.h"
#include "kelvane/core/execute_params.h"

namespace kv {

CCommandDravik_ReadMemory::CCommandDravik_ReadMemory() : CCommandDravik_Buffer(&Page()) {
    elementName_ = kElementName;
    displayName_ = "Read Memory";
    description_ = "Read target memory";
    treeImage_ = 17;
}

CommandPage& CCommandDravik_ReadMemory::Page() {
    static CommandPage page(kElementName);
    return page;
}

int CCommandDravik_ReadMemory::DeclareElement(CStdioXMLFile& file) {
    return DeclareTextElement(file, kElementName);
}

int CCommandDravik_ReadMemory::DeclareAttlist(CStdioXMLFile& file) {
    return DeclareCommandAttlist(file, kElementName,
                                 [&file] { return DeclareBufferAttributes(file); });
}

CProjectTreeItem* CCommandDravik_ReadMemory::CreateDefault(std::string& /*error*/) {
    auto* command = new CCommandDravik_ReadMemory;
    command->UpdateLabel();
    return command;
}

int CCommandDravik_ReadMemory::OnExecute(CExecuteParams* params) {
    params->SetStatusText("Reading memory");
    params->AdvanceProgress(progressUnits_);
    CDravik* pod = TakePod(params, "CCommandDravik_ReadMemory::OnExecute");
    if (pod == nullptr) return 0;
    if (!buffer_.HasBuffer()) return Fail("Unable to read memory into NULL buffer");
    if (!pod->ReadMemory(buffer_.Data(), dwAddress, buffer_.GetLength())) return FailFromPod(pod);
    if (!PrintValues(params, true)) return 0;
    RefreshDialog();
    return 1;
}

}  // namespace kv
