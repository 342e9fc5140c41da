#include "kelvane/commands/tovrin_memory_commands.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/stdio_xml_file.h"
#include "kelvane/core/tovrin.h"
#include "kelvane/core/tree_ui.h"
#include "kelvane/core/xml_reading.h"

namespace kv {

CCommandTovrin_FillMemory::CCommandTovrin_FillMemory() : CFillMemoryCommand(Page()) {
    elementName_ = kElementName;
    displayName_ = "Fill Memory (BSL)";
    description_ = "Fill target memory via Tovrin";
    treeImage_ = 29;
}

CommandPage& CCommandTovrin_FillMemory::Page() {
    static CommandPage page(kElementName);
    return page;
}

int CCommandTovrin_FillMemory::DeclareElement(CStdioXMLFile& file) {
    return DeclareTextElement(file, kElementName);
}

int CCommandTovrin_FillMemory::DeclareAttlist(CStdioXMLFile& file) {
    return DeclareCommandAttlist(file, kElementName,
                                 [&file] { return DeclareFillAttributes(file); });
}

CProjectTreeItem* CCommandTovrin_FillMemory::CreateDefault(std::string& /*error*/) {
    auto* command = new CCommandTovrin_FillMemory;
    command->UpdateLabel();
    return command;
}

int CCommandTovrin_FillMemory::OnExecute(CExecuteParams* params) {
    if (params == nullptr) return Fail("Unable to execute NULL parameters");
    params->SetStatusText("Filling memory");
    params->AdvanceProgress(progressUnits_);
    CTovrin* adapter = TakeAdapter(params, "CCommandTovrin_FillMemory::OnExecute");
    if (adapter == nullptr) return 0;
    if (!RepeatPattern()) return 0;
    if (!adapter->WriteMemory(buffer_.Data(), dwAddress, buffer_.GetLength()))
        return FailFromAdapter(adapter);
    return 1;
}

}  // namespace kv
