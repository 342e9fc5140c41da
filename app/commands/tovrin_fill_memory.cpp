#include "kelvane/commands/tovrin_memory_commands.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/stdio_xml_file.h"
#include "kelvane/core/tovrin.h"
#include "kelvane/core/tree_ui.h"
#include "kelvane/core/xml_reading.h"

namespace kv {

CCommandTovrin_FillMemory::CCommandTovrin_FillMemory() : CCommandTovrin_Buffer(Page()) {
    elementName_ = "Tovrin_FillMemory";
    displayName_ = "Fill Memory (BSL)";
    description_ = "Fill target memory via Tovrin";
    treeImage_ = 29;
}

CommandPage& CCommandTovrin_FillMemory::Page() {
    static CommandPage page("Tovrin_FillMemory");
    return page;
}

int CCommandTovrin_FillMemory::DeclareElement(CStdioXMLFile& file) {
    return DeclareTextElement(file, kElementName);
}

int CCommandTovrin_FillMemory::DeclareAttlist(CStdioXMLFile& file) {
    return DeclareCommandAttlist(file, kElementName, [&file] {
        return DeclareBufferAttributes(file) && file.DeclareCdataAttribute("dwPatternCount", true);
    });
}

CProjectTreeItem* CCommandTovrin_FillMemory::CreateDefault(std::string& /*error*/) {
    auto* command = new CCommandTovrin_FillMemory;
    command->UpdateLabel();
    return command;
}

int CCommandTovrin_FillMemory::CheckPatternCount(std::uint32_t patternCount, std::uint32_t count,
                                                 std::string& error) {
    if (patternCount > count) {
        error = "Pattern count must be less than or equal to the symbol count";
        return 0;
    }
    // An empty pattern has nothing to repeat.
    if (patternCount == 0) {
        error = "Pattern count must be at least 1";
        return 0;
    }
    return 1;
}

int CCommandTovrin_FillMemory::SetParameters(std::uint32_t address, std::uint32_t count,
                                             std::uint16_t type, std::uint32_t patternCount) {
    if (!CheckPatternCount(patternCount, count, error_)) return 0;
    if (!CCommandTovrin_Buffer::SetParameters(address, count, type)) return 0;
    dwPatternCount = patternCount;
    return 1;
}

int CCommandTovrin_FillMemory::SetPatternCount(std::uint32_t patternCount) {
    if (patternCount == dwPatternCount) return 1;
    if (!CheckPatternCount(patternCount, dwCount, error_)) return 0;
    dwPatternCount = patternCount;
    SetDocumentModified(1);
    return 1;
}

int CCommandTovrin_FillMemory::CopyTo(CProjectTreeItem* item) {
    if (!CCommandTovrin_Buffer::CopyTo(item)) return 0;
    static_cast<CCommandTovrin_FillMemory*>(item)->dwPatternCount = dwPatternCount;
    return 1;
}

int CCommandTovrin_FillMemory::OnExecute(CExecuteParams* params) {
    params->SetStatusText("Filling memory");
    params->AdvanceProgress(progressUnits_);
    CTovrin* adapter = TakeAdapter(params, "CCommandTovrin_FillMemory::OnExecute");
    if (adapter == nullptr) return 0;
    if (!buffer_.HasBuffer()) return Fail("Unable to fill memory from NULL buffer");
    const std::uint32_t length = buffer_.GetLength();
    const std::uint32_t pattern = buffer_.GetValueSize() * dwPatternCount;
    if (pattern == 0 || pattern > length)
        return Fail("Pattern count must be at least 1 and at most the symbol count");
    std::uint8_t* bytes = buffer_.Data();
    for (std::uint32_t i = pattern; i < length; ++i)
        bytes[i] = bytes[i % pattern];
    if (!adapter->WriteMemory(bytes, dwAddress, length)) return FailFromAdapter(adapter);
    return 1;
}

int CCommandTovrin_FillMemory::WriteXMLAttributes(CStdioXMLFile& file) {
    if (!CCommandTovrin_Buffer::WriteXMLAttributes(file)) return 0;
    if (!file.WriteDwordAttribute("dwPatternCount", dwPatternCount, true))
        return Fail(file.TakeError());
    return 1;
}

int CCommandTovrin_FillMemory::WriteXMLContent(CStdioXMLFile& file) {
    if (!buffer_.WriteText(file, dwPatternCount)) return Fail(file.TakeError());
    return 1;
}

int CCommandTovrin_FillMemory::ReadXMLParameters(std::int32_t element) {
    std::uint32_t address = 0, count = 0, patternCount = 0;
    std::uint16_t type = 0;
    if (!ReadBufferAttributes(element, address, count, type)) return 0;
    if (!ReadXmlDwordHex(element, "dwPatternCount", patternCount, error_)) return 0;
    if (!SetParameters(address, count, type, patternCount)) return 0;
    return buffer_.ParseText(element, dwPatternCount, "FillMemory", error_);
}

}  // namespace kv
