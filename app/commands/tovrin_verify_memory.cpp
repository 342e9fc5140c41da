#include "kelvane/commands/tovrin_memory_commands.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/tovrin.h"

namespace kv {

CCommandTovrin_VerifyMemory::CCommandTovrin_VerifyMemory() : CCommandTovrin_Buffer(Page()) {
    elementName_ = kElementName;
    displayName_ = "Verify Memory (BSL)";
    description_ = "Verify target memory via Tovrin";
    treeImage_ = 15;
}

CommandPage& CCommandTovrin_VerifyMemory::Page() {
    static CommandPage page(kElementName);
    return page;
}

int CCommandTovrin_VerifyMemory::DeclareElement(CStdioXMLFile& file) {
    return DeclareTextElement(file, kElementName);
}

int CCommandTovrin_VerifyMemory::DeclareAttlist(CStdioXMLFile& file) {
    return DeclareCommandAttlist(file, kElementName,
                                 [&file] { return DeclareBufferAttributes(file); });
}

CProjectTreeItem* CCommandTovrin_VerifyMemory::CreateDefault(std::string& /*error*/) {
    auto* command = new CCommandTovrin_VerifyMemory;
    command->UpdateLabel();
    return command;
}

int CCommandTovrin_VerifyMemory::OnExecute(CExecuteParams* params) {
    if (params == nullptr) return Fail("Unable to execute NULL parameters");
    params->SetStatusText("Verifying memory");
    params->AdvanceProgress(progressUnits_);
    CTovrin* adapter = TakeAdapter(params, "CCommandTovrin_VerifyMemory::OnExecute");
    if (adapter == nullptr) return 0;
    if (!buffer_.HasBuffer()) return Fail("Unable to verify memory against NULL buffer");
    if (!adapter->VerifyMemory(buffer_.Data(), dwAddress, buffer_.GetLength()))
        return FailFromAdapter(adapter);
    return 1;
}

int CCommandTovrin_VerifyMemory::WriteXMLContent(CStdioXMLFile& file) {
    if (!buffer_.WriteText(file, dwCount)) return Fail(file.TakeError());
    return 1;
}

int CCommandTovrin_VerifyMemory::ReadXMLParameters(std::int32_t element) {
    if (!CCommandTovrin_Buffer::ReadXMLParameters(element)) return 0;
    return buffer_.ParseText(element, dwCount, "VerifyMemory", error_);
}

}  // namespace kv
