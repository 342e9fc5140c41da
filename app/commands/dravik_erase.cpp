#include "kelvane/commands/dravik_erase.h"

#include <cstdio>

#include "kelvane/core/dravik.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/map_parameter_xml.h"
#include "kelvane/core/prg_processor.h"
#include "kelvane/core/xml_reading.h"

namespace kv {

std::span<const CommandAttribute<CCommandDravik_Erase>> CCommandDravik_Erase::Attributes() {
    using T = CCommandDravik_Erase;
    static constexpr CommandAttribute<T> kAttributes[] = {
        {.name = "dwEraseType",
         .form = AttributeForm::kKeyword,
         .dword = &T::dwEraseType,
         .map = &GetEraseTypeMap,
         .read = KeywordRead::kParseNow},
        {.name = "dwSegment", .form = AttributeForm::kHex, .dword = &T::dwSegment},
        {.name = "dwLength", .form = AttributeForm::kHex, .dword = &T::dwLength},
    };
    return kAttributes;
}

CCommandDravik_Erase::CCommandDravik_Erase() : CCommandDravik(&Page()) {
    elementName_ = kElementName;
    displayName_ = "Erase";
    description_ = "Erase target flash";
    treeLabel_ = "Erase";
    treeImage_ = 9;
}

CommandPage& CCommandDravik_Erase::Page() {
    static CommandPage page(kElementName);
    return page;
}

CMapParameterXML& CCommandDravik_Erase::GetEraseTypeMap() {
    static CMapParameterXML map;
    return map;
}

int CCommandDravik_Erase::InitEnumTable(std::string& /*error*/) {
    CMapParameterXML& map = GetEraseTypeMap();
    map.RemoveAll();
    map.AddDword("ERASE_ALL", "Mass Erase", NANDREL_ERASE_ALL);
    map.AddDword("ERASE_MAIN", "Erase Main", NANDREL_ERASE_MAIN);
    map.AddDword("ERASE_SEGMENT", "Erase Segment", NANDREL_ERASE_SEGMENT);
    return 1;
}

int CCommandDravik_Erase::DeclareElement(CStdioXMLFile& file) {
    return DeclareEmptyCommandElement(file, kElementName);
}

int CCommandDravik_Erase::DeclareAttlist(CStdioXMLFile& file) {
    return DeclareCommandAttlist(file, kElementName,
                                 [&] { return DeclareCommandAttributes(file, Attributes()); });
}

CCommandDravik_Erase* CCommandDravik_Erase::Create(std::string& error, const std::string& typeText,
                                                   std::uint32_t segment, std::uint32_t length) {
    return CreateCommand<CCommandDravik_Erase>(error, typeText, segment, length);
}

CProjectTreeItem* CCommandDravik_Erase::CreateFromArguments(std::string& error,
                                                            const CommandArguments& args) {
    std::string type;
    std::uint32_t segment = 0, length = 0;
    if (!CommandTextArgument(args, 0, "CCommandDravik_Erase", type, error) ||
        !CommandNumberArgument(args, 1, "CCommandDravik_Erase", segment, error) ||
        !CommandNumberArgument(args, 2, "CCommandDravik_Erase", length, error))
        return nullptr;
    return Create(error, type, segment, length);
}

CCommandDravik_Erase* CCommandDravik_Erase::CreateDefault(std::string& error) {
    return Create(error, "ERASE_ALL", 4096, 1);
}

int CCommandDravik_Erase::SetParameters(const std::string& typeText, std::uint32_t segment,
                                        std::uint32_t length) {
    CMapParameterXML& map = GetEraseTypeMap();
    std::uint32_t type = 0;
    if (!map.ParseNamedDWORD(typeText, &type)) return Fail(map.TakeErrorWithExpected());
    dwEraseType = type;
    dwSegment = segment;
    dwLength = length;
    ApplyDefaults();
    return 1;
}

void CCommandDravik_Erase::ApplyDefaults() {
    typeSet_ = true;
    UpdateLabel();
    if (dwSegment == 0) dwSegment = 0x1000;
    if (dwLength == 0) dwLength = 1;
}

void CCommandDravik_Erase::SetEraseType(std::uint32_t type) {
    if (typeSet_ && type == dwEraseType) return;
    dwEraseType = type;
    typeSet_ = true;
    UpdateLabel();
    SetDocumentModified(1);
}

void CCommandDravik_Erase::SetSegment(std::uint32_t segment) {
    if (segment == dwSegment) return;
    dwSegment = segment;
    SetDocumentModified(1);
}

void CCommandDravik_Erase::SetLength(std::uint32_t length) {
    if (length == dwLength) return;
    dwLength = length;
    SetDocumentModified(1);
}

void CCommandDravik_Erase::UpdateLabel() {
    if (!typeSet_) {
        treeLabel_ = "Erase";
    } else if (dwEraseType == NANDREL_ERASE_SEGMENT) {
        treeLabel_ = "Erase Segment";
    } else if (dwEraseType == NANDREL_ERASE_MAIN) {
        treeLabel_ = "Erase Main";
    } else if (dwEraseType == NANDREL_ERASE_ALL) {
        treeLabel_ = "Mass Erase";
    } else {
        treeLabel_ = "Erase";
    }
    ShowLabel();
}

int CCommandDravik_Erase::CopyTo(CProjectTreeItem* item) {
    auto* copy = dynamic_cast<CCommandDravik_Erase*>(item);
    if (copy == nullptr) return Fail("Unable to spawn NULL new item");
    if (!CCommandDravik::CopyTo(item)) return 0;
    CopyCommandAttributes(*this, *copy, Attributes());
    copy->typeSet_ = typeSet_;
    return 1;
}

// Only flash can be erased: an address in RAM, the peripherals or the boot
// ROM would be reported as erased while nothing happened.
int CCommandDravik_Erase::CheckSegmentRange(CPrgProcessor* processor) {
    if (processor == nullptr) return Fail("NULL MSP during CCommandDravik_Erase::EraseSegment");
    const std::uint64_t last = std::uint64_t{dwSegment} + (dwLength != 0 ? dwLength - 1 : 0);
    auto inFlash = [processor](std::uint64_t address) {
        return address <= 0xFFFFFFFFu &&
               (processor->IsInInfoMemory(static_cast<std::uint32_t>(address)) ||
                processor->IsInMainMemory(static_cast<std::uint32_t>(address)));
    };
    if (inFlash(dwSegment) && inFlash(last)) return 1;
    char text[160];
    std::snprintf(text, sizeof text,
                  "Unable to erase 0x%lX bytes at 0x%05lX: outside the flash memory of %s",
                  static_cast<unsigned long>(dwLength), static_cast<unsigned long>(dwSegment),
                  processor->Name.c_str());
    return Fail(text);
}

int CCommandDravik_Erase::OnExecute(CExecuteParams* params) {
    if (params == nullptr) return Fail("Unable to execute NULL parameters");
    params->AdvanceProgress(progressUnits_);
    CDravik* pod = nullptr;
    int ok = 0;
    if (dwEraseType == NANDREL_ERASE_SEGMENT) {
        params->SetStatusText("Erasing segment(s)");
        pod = TakePod(params, "CCommandDravik_Erase::EraseSegment");
        if (pod == nullptr) return 0;
        if (!CheckSegmentRange(params->GetProcessor())) return 0;
        ok = pod->EraseSegment(dwSegment, dwLength);
    } else if (dwEraseType == NANDREL_ERASE_MAIN) {
        params->SetStatusText("Erasing main flash");
        pod = TakePod(params, "CCommandDravik_Erase::EraseMain");
        if (pod == nullptr) return 0;
        CPrgProcessor* processor = params->GetProcessor();
        if (processor == nullptr) return Fail("NULL MSP during CCommandDravik_Erase::EraseMain");
        ok = pod->EraseMain(processor->MainStart, processor->MainSize);
    } else {
        params->SetStatusText("Erasing all flash");
        pod = TakePod(params, "CCommandDravik_Erase::EraseAll");
        if (pod == nullptr) return 0;
        ok = pod->EraseAll();
    }
    if (!ok) return FailFromPod(pod);
    return 1;
}

int CCommandDravik_Erase::WriteXMLAttributes(CStdioXMLFile& file) {
    return WriteCommandAttributes(file, *this, Attributes(), error_);
}

int CCommandDravik_Erase::ReadXMLParameters(std::int32_t element) {
    // Every value is read before any is stored, so a bad file leaves the
    // command as it was.
    CCommandDravik_Erase values;
    if (!ReadCommandAttributes(element, values, Attributes(), error_)) return 0;
    CopyCommandAttributes(values, *this, Attributes());
    ApplyDefaults();
    return 1;
}

}  // namespace kv
