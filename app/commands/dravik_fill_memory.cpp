#include "kelvane/commands/dravik_memory_commands.h"
#include "kelvane/core/dravik.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/stdio_xml_file.h"
#include "kelvane/core/tree_ui.h"
#include "kelvane/core/xml_reading.h"

namespace kv {

CCommandDravik_FillMemory::CCommandDravik_FillMemory() : CFillMemoryCommand(&Page()) {
    elementName_ = kElementName;
    displayName_ = "Fill Memory";
    description_ = "Fill target memory";
    treeImage_ = 29;
}

CommandPage& CCommandDravik_FillMemory::Page() {
    static CommandPage page(kElementName);
    return page;
}

int CCommandDravik_FillMemory::DeclareElement(CStdioXMLFile& file) {
    return DeclareTextElement(file, kElementName);
}

int CCommandDravik_FillMemory::DeclareAttlist(CStdioXMLFile& file) {
    return DeclareCommandAttlist(file, kElementName,
                                 [&file] { return DeclareFillAttributes(file); });
}

CProjectTreeItem* CCommandDravik_FillMemory::CreateDefault(std::string& /*error*/) {
    auto* command = new CCommandDravik_FillMemory;
    command->UpdateLabel();
    return command;
}

int CCommandDravik_FillMemory::SetCount(std::uint32_t count) {
    if (!CheckPatternCount(dwPatternCount, count, error_)) return 0;
    return CCommandDravik_Buffer::SetCount(count);
}

int CCommandDravik_FillMemory::OnExecute(CExecuteParams* params) {
    params->SetStatusText("Filling memory");
    params->AdvanceProgress(progressUnits_);
    CDravik* pod = TakePod(params, "CCommandDravik_FillMemory::OnExecute");
    if (pod == nullptr) return 0;
    if (!RepeatPattern()) return 0;
    if (!pod->WriteMemory(buffer_.Data(), dwAddress, buffer_.GetLength())) return FailFromPod(pod);
    return 1;
}

}  // namespace kv
