#include "kelvane/commands/tovrin_memory_commands.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/tovrin.h"

namespace kv {

CCommandTovrin_ReadMemory::CCommandTovrin_ReadMemory() : CCommandTovrin_Buffer(Page()) {
    elementName_ = kElementName;
    displayName_ = "Read Memory (BSL)";
    description_ = "Read target memory via Tovrin";
    treeImage_ = 17;
}

CommandPage& CCommandTovrin_ReadMemory::Page() {
    static CommandPage page(kElementName);
    return page;
}

int CCommandTovrin_ReadMemory::DeclareElement(CStdioXMLFile& file) {
    return DeclareTextElement(file, kElementName);
}

int CCommandTovrin_ReadMemory::DeclareAttlist(CStdioXMLFile& file) {
    return DeclareCommandAttlist(file, kElementName,
                                 [&file] { return DeclareBufferAttributes(file); });
}

CProjectTreeItem* CCommandTovrin_ReadMemory::CreateDefault(std::string& /*error*/) {
    auto* command = new CCommandTovrin_ReadMemory;
    command->UpdateLabel();
    return command;
}

int CCommandTovrin_ReadMemory::OnExecute(CExecuteParams* params) {
    if (params == nullptr) return Fail("Unable to execute NULL parameters");
    params->SetStatusText("Reading memory");
    params->AdvanceProgress(progressUnits_);
    CTovrin* adapter = TakeAdapter(params, "CCommandTovrin_ReadMemory::OnExecute");
    if (adapter == nullptr) return 0;
    if (!buffer_.HasBuffer()) return Fail("Unable to read memory into NULL buffer");
    if (!adapter->ReadMemory(buffer_.Data(), dwAddress, buffer_.GetLength()))
        return FailFromAdapter(adapter);
    if (!PrintValues(params, true)) return 0;
    RefreshDialog();
    return 1;
}

}  // namespace kv
