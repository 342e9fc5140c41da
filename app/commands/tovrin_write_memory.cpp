#include "kelvane/commands/tovrin_memory_commands.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/tovrin.h"

namespace kv {

CCommandTovrin_WriteMemory::CCommandTovrin_WriteMemory() : CCommandTovrin_Buffer(Page()) {
    elementName_ = kElementName;
    displayName_ = "Write Memory (BSL)";
    description_ = "Write target memory via Tovrin";
    treeImage_ = 16;
}

CommandPage& CCommandTovrin_WriteMemory::Page() {
    static CommandPage page(kElementName);
    return page;
}

int CCommandTovrin_WriteMemory::DeclareElement(CStdioXMLFile& file) {
    return DeclareTextElement(file, kElementName);
}

int CCommandTovrin_WriteMemory::DeclareAttlist(CStdioXMLFile& file) {
    return DeclareCommandAttlist(file, kElementName,
                                 [&file] { return DeclareBufferAttributes(file); });
}

CProjectTreeItem* CCommandTovrin_WriteMemory::CreateDefault(std::string& /*error*/) {
    auto* command = new CCommandTovrin_WriteMemory;
    command->UpdateLabel();
    return command;
}

int CCommandTovrin_WriteMemory::OnExecute(CExecuteParams* params) {
    if (params == nullptr) return Fail("Unable to execute NULL parameters");
    params->SetStatusText("Writing memory");
    params->AdvanceProgress(progressUnits_);
    CTovrin* adapter = TakeAdapter(params, "CCommandTovrin_WriteMemory::OnExecute");
    if (adapter == nullptr) return 0;
    if (!buffer_.HasBuffer()) return Fail("Unable to write memory from NULL buffer");
    if (!adapter->WriteMemory(buffer_.Data(), dwAddress, buffer_.GetLength()))
        return FailFromAdapter(adapter);
    return 1;
}

int CCommandTovrin_WriteMemory::WriteXMLContent(CStdioXMLFile& file) {
    if (!buffer_.WriteText(file, dwCount)) return Fail(file.TakeError());
    return 1;
}

int CCommandTovrin_WriteMemory::ReadXMLParameters(std::int32_t element) {
    if (!CCommandTovrin_Buffer::ReadXMLParameters(element)) return 0;
    return buffer_.ParseText(element, dwCount, "WriteMemory", error_);
}

}  // namespace kv
