#include "kelvane/commands/dravik_run_control_commands.h"
#include "kelvane/core/dravik.h"
#include "kelvane/core/emulation_module.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/map_parameter_xml.h"
#include "kelvane/core/tree_ui.h"
#include "kelvane/core/xml_reading.h"

namespace kv {

CEmulationModule* TakeEmulationModule(CExecuteParams* params, CProjectTreeItem& command,
                                      const std::string& where) {
    CEmulationModule* module = params->GetEmulationModule();
    if (module == nullptr) command.SetLastError("NULL emulation module during " + where);
    return module;
}

CCommandDravik_Reset::CCommandDravik_Reset() : CCommandDravik(&Page()) {
    elementName_ = kElementName;
    displayName_ = "Reset Target";
    description_ = "Reset target, method optional";
    treeImage_ = 5;
}

CommandPage& CCommandDravik_Reset::Page() {
    static CommandPage page(kElementName);
    return page;
}

CMapParameterXML& CCommandDravik_Reset::MethodMap() {
    static CMapParameterXML map;
    return map;
}

int CCommandDravik_Reset::InitEnumTable(std::string& /*error*/) {
    CMapParameterXML& map = MethodMap();
    map.RemoveAll();
    map.AddDword("PUC_RESET", "PUC only", 1);
    map.AddDword("RST_RESET", "RST only", 2);
    map.AddDword("VCC_RESET", "VCC only", 4);
    map.AddDword("FORCE_PUC_RESET", "Force PUC", 9);
    map.AddDword("FORCE_RST_RESET", "Force RST", 10);
    map.AddDword("FORCE_VCC_RESET", "Force VCC", 12);
    map.AddDword("ALL_RESETS", "All", 7);
    return 1;
}

int CCommandDravik_Reset::DeclareElement(CStdioXMLFile& file) {
    return DeclareEmptyCommandElement(file, kElementName);
}

std::span<const CommandAttribute<CCommandDravik_Reset>> CCommandDravik_Reset::Attributes() {
    using T = CCommandDravik_Reset;
    static constexpr CommandAttribute<T> kAttributes[] = {
        {.name = "dwMethod",
         .form = AttributeForm::kKeyword,
         .dword = &T::dwMethod,
         .map = &MethodMap,
         .read = KeywordRead::kParseLast},
        {.name = "bExecute", .form = AttributeForm::kBool, .number = &T::bExecute},
        {.name = "bReleaseJTAG", .form = AttributeForm::kBool, .number = &T::bReleaseJTAG},
    };
    return kAttributes;
}

int CCommandDravik_Reset::DeclareAttlist(CStdioXMLFile& file) {
    return DeclareCommandAttlist(file, kElementName,
                                 [&] { return DeclareCommandAttributes(file, Attributes()); });
}

CCommandDravik_Reset* CCommandDravik_Reset::Create(std::string& error, const std::string& method,
                                                   int execute, int releaseJTAG) {
    auto* command = new CCommandDravik_Reset;
    if (!command->SetParameters(method, execute, releaseJTAG)) {
        error = command->TakeError();
        delete command;
        return nullptr;
    }
    return command;
}

CProjectTreeItem* CCommandDravik_Reset::CreateFromArguments(std::string& error,
                                                            const CommandArguments& args) {
    std::string method;
    std::uint32_t execute = 0, release = 0;
    if (!CommandTextArgument(args, 0, "CCommandDravik_Reset", method, error) ||
        !CommandNumberArgument(args, 1, "CCommandDravik_Reset", execute, error) ||
        !CommandNumberArgument(args, 2, "CCommandDravik_Reset", release, error))
        return nullptr;
    return Create(error, method, static_cast<int>(execute), static_cast<int>(release));
}

CCommandDravik_Reset* CCommandDravik_Reset::CreateDefault(std::string& error) {
    return Create(error, "PUC_RESET", 1, 1);
}

int CCommandDravik_Reset::SetParameters(const std::string& method, int execute, int releaseJTAG) {
    std::uint32_t value = 0;
    CMapParameterXML& map = MethodMap();
    if (!map.ParseNamedDWORD(method, &value)) return Fail(map.TakeErrorWithExpected());
    Store(value, execute, releaseJTAG);
    return 1;
}

void CCommandDravik_Reset::Store(std::uint32_t method, int execute, int releaseJTAG) {
    dwMethod = method;
    UpdateLabel();
    bExecute = execute ? 1 : 0;
    bReleaseJTAG = releaseJTAG ? 1 : 0;
}

void CCommandDravik_Reset::SetMethod(std::uint32_t method) {
    if (method == dwMethod) return;
    dwMethod = method;
    UpdateLabel();
    SetDocumentModified(1);
}

void CCommandDravik_Reset::SetExecute(int execute) {
    if ((execute ? 1 : 0) == bExecute) return;
    bExecute = execute ? 1 : 0;
    SetDocumentModified(1);
}

void CCommandDravik_Reset::SetReleaseJTAG(int releaseJTAG) {
    if ((releaseJTAG ? 1 : 0) == bReleaseJTAG) return;
    bReleaseJTAG = releaseJTAG ? 1 : 0;
    SetDocumentModified(1);
}

void CCommandDravik_Reset::UpdateLabel() {
    switch (dwMethod) {
        case 1:
        case 9:
            treeLabel_ = "Reset (PUC)";
            break;
        case 2:
        case 10:
            treeLabel_ = "Reset (RST)";
            break;
        case 4:
        case 12:
            treeLabel_ = "Reset (VCC)";
            break;
        default:
            treeLabel_ = "Reset";
            break;
    }
    ShowLabel();
}

int CCommandDravik_Reset::CopyTo(CProjectTreeItem* item) {
    if (!CCommandDravik::CopyTo(item)) return 0;
    auto* copy = static_cast<CCommandDravik_Reset*>(item);
    CopyCommandAttributes(*this, *copy, Attributes());
    return 1;
}

int CCommandDravik_Reset::OnExecute(CExecuteParams* params) {
    params->SetStatusText("Resetting target");
    params->AdvanceProgress(progressUnits_);
    CDravik* pod = TakePod(params, "CCommandDravik_Reset::OnExecute");
    if (pod == nullptr) return 0;
    CEmulationModule* module = params->GetEmulationModule();
    if (bReleaseJTAG && module != nullptr && !module->CloseEEM()) {
        module->GetLastError(error_);
        return 0;
    }
    if (!pod->Reset(static_cast<std::int32_t>(dwMethod), bExecute, bReleaseJTAG))
        return FailFromPod(pod);
    return 1;
}

int CCommandDravik_Reset::WriteXMLAttributes(CStdioXMLFile& file) {
    return WriteCommandAttributes(file, *this, Attributes(), error_);
}

int CCommandDravik_Reset::ReadXMLParameters(std::int32_t element) {
    CCommandDravik_Reset values;
    if (!ReadCommandAttributes(element, values, Attributes(), error_)) return 0;
    Store(values.dwMethod, values.bExecute, values.bReleaseJTAG);
    return 1;
}

}  // namespace kv
