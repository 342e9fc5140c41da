#include "kelvane/commands/tovrin_simple_commands.h"

#include "kelvane/commands/command_text.h"
#include "kelvane/commands/current_project.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/prg_processor.h"
#include "kelvane/core/stdio_xml_file.h"
#include "kelvane/core/tovrin.h"
#include "kelvane/core/xml_reading.h"

namespace kv {

CCommandTovrin_EraseSegment::CCommandTovrin_EraseSegment() : CCommandTovrin(Page()) {
    Describe(kElementName, "Erase Segment (BSL)", "Erase target flash segment(s) via Tovrin", 9);
}

int CCommandTovrin_EraseSegment::DeclareElement(CStdioXMLFile& file) {
    return DeclareEmptyCommandElement(file, kElementName);
}

std::span<const CommandAttribute<CCommandTovrin_EraseSegment>>
CCommandTovrin_EraseSegment::Attributes() {
    using T = CCommandTovrin_EraseSegment;
    static constexpr CommandAttribute<T> kAttributes[] = {
        {.name = "dwSegment", .form = AttributeForm::kHex, .dword = &T::dwSegment},
        {.name = "dwLength", .form = AttributeForm::kHex, .dword = &T::dwLength},
    };
    return kAttributes;
}

int CCommandTovrin_EraseSegment::DeclareAttlist(CStdioXMLFile& file) {
    return DeclareCommandAttlist(file, kElementName,
                                 [&] { return DeclareCommandAttributes(file, Attributes()); });
}

CProjectTreeItem* CCommandTovrin_EraseSegment::CreateFromArguments(std::string& error,
                                                                   const CommandArguments& args) {
    std::uint32_t segment = 0;
    std::uint32_t length = 0;
    if (!CommandNumberArgument(args, 0, "CCommandTovrin_EraseSegment", segment, error) ||
        !CommandNumberArgument(args, 1, "CCommandTovrin_EraseSegment", length, error))
        return nullptr;
    auto* command = new CCommandTovrin_EraseSegment;
    command->SetParameters(segment, length);
    return command;
}

CProjectTreeItem* CCommandTovrin_EraseSegment::CreateDefault(std::string& error) {
    return CreateFromArguments(error, {std::uint32_t{0x1000}, std::uint32_t{2}});
}

CommandPage& CCommandTovrin_EraseSegment::Page() {
    static CommandPage page(kElementName);
    return page;
}

CProjectTreeItem* CCommandTovrin_EraseSegment::CreateNew() {
    return new CCommandTovrin_EraseSegment;
}

int CCommandTovrin_EraseSegment::SetParameters(std::uint32_t segment, std::uint32_t length) {
    dwSegment = segment != 0 ? segment : 0x1000;
    dwLength = length != 0 ? length : 1;
    UpdateLabel();
    return 1;
}

void CCommandTovrin_EraseSegment::SetSegment(std::uint32_t segment) {
    if (segment == dwSegment) return;
    dwSegment = segment;
    UpdateLabel();
    SetDocumentModified(1);
}

void CCommandTovrin_EraseSegment::SetLength(std::uint32_t length) {
    if (length == dwLength) return;
    dwLength = length;
    SetDocumentModified(1);
}

void CCommandTovrin_EraseSegment::UpdateLabel() {
    SetLabel(Format("Erase Segment @0x%04lX (BSL)", static_cast<unsigned long>(dwSegment)));
}

int CCommandTovrin_EraseSegment::GetProgressAggregate() {
    CPrgProcessor* processor = GetCommandProjectProcessor();
    if (processor == nullptr) {
        error_ = "Unable to calculate progress aggregate for NULL processor\n" +
                 CommandProjectProcessorReason();
        return 0;
    }
    SegmentMap map;
    if (!processor->GetSegmentMap(dwSegment, dwLength, &map)) {
        error_ = processor->TakeLastError();
        return 0;
    }
    return 1 + (map.partialStart != 0 ? 1 : 0) + static_cast<int>(map.segmentCount);
}

int CCommandTovrin_EraseSegment::CopyTo(CProjectTreeItem* item) {
    if (!CCommandTovrin::CopyTo(item)) return 0;
    auto* copy = static_cast<CCommandTovrin_EraseSegment*>(item);
    CopyCommandAttributes(*this, *copy, Attributes());
    return 1;
}

int CCommandTovrin_EraseSegment::EraseOne(CExecuteParams* params, CTovrin* adapter,
                                          std::uint32_t address, std::uint32_t size) {
    // The erase call's own answer is not trusted; the check decides.
    adapter->SectorErase(address);
    int erased = 1;
    std::uint32_t failure = 0;
    if (!adapter->EraseCheck(address, size / 2, &erased, &failure)) {
        if (erased) return FailFromAdapter(adapter);
        adapter->TakeLastError();
        return Fail(Format("Erase Segment (BSL) failed at address 0x%04lX",
                           static_cast<unsigned long>(failure)));
    }
    params->Log(".", false);
    params->AdvanceProgress(1);
    PumpMessages(0);
    return 1;
}

int CCommandTovrin_EraseSegment::OnExecute(CExecuteParams* params) {
    if (params == nullptr) return Fail("Unable to execute NULL parameters");
    params->AdvanceProgress(1);
    params->SetStatusText("Erasing segment(s) via Tovrin ");
    if ((dwSegment & 1) != 0 || (dwLength & 1) != 0)
        return Fail("Both the segment address and the erase length must be even values");
    CTovrin* adapter = TakeAdapter(params, "CCommandTovrin_EraseSegment::EraseAll");
    if (adapter == nullptr) return 0;
    CPrgProcessor* processor = params->GetProcessor();
    if (processor == nullptr) return Fail("Cannot erase segment(s) with NULL processor");
    SegmentMap map;
    if (!processor->GetSegmentMap(dwSegment, dwLength, &map))
        return Fail(processor->TakeLastError());
    params->Log(Format("at address 0x%04lX", static_cast<unsigned long>(dwSegment)), true);
    PumpMessages(0);
    if (map.partialStart != 0 && !EraseOne(params, adapter, map.partialStart, map.partialSize))
        return 0;
    std::uint32_t address = map.firstSegment;
    for (std::uint32_t i = 0; i < map.segmentCount; ++i, address += map.segmentSize)
        if (StopRequested(params) || !EraseOne(params, adapter, address, map.segmentSize))
            return 0;
    return 1;
}

int CCommandTovrin_EraseSegment::WriteXMLAttributes(CStdioXMLFile& file) {
    return WriteCommandAttributes(file, *this, Attributes(), error_);
}

int CCommandTovrin_EraseSegment::ReadXMLParameters(std::int32_t element) {
    CCommandTovrin_EraseSegment values;
    if (!ReadCommandAttributes(element, values, Attributes(), error_)) return 0;
    return SetParameters(values.dwSegment, values.dwLength);
}

}  // namespace kv
