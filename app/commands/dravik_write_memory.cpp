#include "kelvane/commands/dravik_memory_commands.h"
#include "kelvane/core/dravik.h"
#include "kelvane/core/execute_params.h"

namespace kv {

CCommandDravik_WriteMemory::CCommandDravik_WriteMemory() : CCommandDravik_Buffer(&Page()) {
    elementName_ = kElementName;
    displayName_ = "Write Memory";
    description_ = "Write target memory";
    treeImage_ = 16;
}

CommandPage& CCommandDravik_WriteMemory::Page() {
    static CommandPage page(kElementName);
    return page;
}

int CCommandDravik_WriteMemory::DeclareElement(CStdioXMLFile& file) {
    return DeclareTextElement(file, kElementName);
}

int CCommandDravik_WriteMemory::DeclareAttlist(CStdioXMLFile& file) {
    return DeclareCommandAttlist(file, kElementName,
                                 [&file] { return DeclareBufferAttributes(file); });
}

CProjectTreeItem* CCommandDravik_WriteMemory::CreateDefault(std::string& /*error*/) {
    auto* command = new CCommandDravik_WriteMemory;
    command->UpdateLabel();
    return command;
}

int CCommandDravik_WriteMemory::OnExecute(CExecuteParams* params) {
    params->SetStatusText("Writing memory");
    params->AdvanceProgress(progressUnits_);
    CDravik* pod = TakePod(params, "CCommandDravik_WriteMemory::OnExecute");
    if (pod == nullptr) return 0;
    if (!buffer_.HasBuffer()) return Fail("Unable to write memory from NULL buffer");
    if (!pod->WriteMemory(buffer_.Data(), dwAddress, buffer_.GetLength())) return FailFromPod(pod);
    return 1;
}

int CCommandDravik_WriteMemory::WriteXMLContent(CStdioXMLFile& file) {
    if (!buffer_.WriteText(file, dwCount)) return Fail(file.TakeError());
    return 1;
}

int CCommandDravik_WriteMemory::ReadXMLParameters(std::int32_t element) {
    if (!CCommandDravik_Buffer::ReadXMLParameters(element)) return 0;
    return buffer_.ParseText(element, dwCount, "WriteMemory", error_);
}

}  // namespace kv
