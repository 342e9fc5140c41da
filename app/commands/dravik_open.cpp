#include "kelvane/commands/dravik_open.h"

#include "kelvane/commands/current_project.h"
#include "kelvane/core/dravik.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/xml_reading.h"

namespace kv {

CCommandDravik_Open::CCommandDravik_Open() : CCommandDravik(&Page()) {
    elementName_ = kElementName;
    displayName_ = "Open JTAG";
    description_ = "Open JTAG interface";
    treeLabel_ = "Open JTAG";
    treeImage_ = 19;
}

CommandPage& CCommandDravik_Open::Page() {
    static CommandPage page(kElementName);
    return page;
}

int CCommandDravik_Open::DeclareElement(CStdioXMLFile& file) {
    return DeclareEmptyCommandElement(file, kElementName);
}

std::span<const CommandAttribute<CCommandDravik_Open>> CCommandDravik_Open::Attributes() {
    using T = CCommandDravik_Open;
    static constexpr CommandAttribute<T> kAttributes[] = {
        {.name = "dwVCC", .form = AttributeForm::kMillivolts, .dword = &T::dwVCC},
    };
    return kAttributes;
}

int CCommandDravik_Open::DeclareAttlist(CStdioXMLFile& file) {
    return DeclareCommandAttlist(file, kElementName,
                                 [&] { return DeclareCommandAttributes(file, Attributes()); });
}

CCommandDravik_Open* CCommandDravik_Open::Create(std::string& error, std::uint32_t vcc) {
    auto* command = new CCommandDravik_Open;
    if (!command->SetParameters(vcc)) {
        error = command->TakeError();
        delete command;
        return nullptr;
    }
    return command;
}

CProjectTreeItem* CCommandDravik_Open::CreateFromArguments(std::string& error,
                                                           const CommandArguments& args) {
    std::uint32_t vcc = 0;
    if (!CommandNumberArgument(args, 0, "CCommandDravik_Open", vcc, error)) return nullptr;
    return Create(error, vcc);
}

CCommandDravik_Open* CCommandDravik_Open::CreateDefault(std::string& error) {
    return Create(error, 3000);
}

int CCommandDravik_Open::SetParameters(std::uint32_t vcc) {
    dwVCC = vcc;
    return 1;
}

std::uint32_t CCommandDravik_Open::GetRunVCC() const {
    if (dwVCC != 0) return dwVCC;
    ProjectAccess* project = GetCommandProject();
    return project != nullptr && project->GetVcc() != 0 ? project->GetVcc() : 3300;
}

void CCommandDravik_Open::SetVCC(std::uint32_t vcc) {
    if (vcc == dwVCC) return;
    dwVCC = vcc;
    SetDocumentModified(1);
}

int CCommandDravik_Open::PropagateVCC(std::uint32_t vcc) {
    // An Open that follows the project's default keeps following it.
    if (dwVCC != 0 && vcc != 0 && vcc != dwVCC) {
        dwVCC = vcc;
        SetDocumentModified(1);
    }
    RefreshPage();
    return 1;
}

int CCommandDravik_Open::CopyTo(CProjectTreeItem* item) {
    auto* copy = dynamic_cast<CCommandDravik_Open*>(item);
    if (copy == nullptr) return Fail("Unable to spawn NULL new item");
    if (!CCommandDravik::CopyTo(item)) return 0;
    CopyCommandAttributes(*this, *copy, Attributes());
    return 1;
}

int CCommandDravik_Open::OnExecute(CExecuteParams* params) {
    if (params == nullptr) return Fail("Unable to execute NULL parameters");
    params->SetStatusText("Opening JTAG");
    params->AdvanceProgress(progressUnits_);
    CDravik* pod = TakePod(params, "CCommandDravik_Open::OnExecute");
    if (pod == nullptr) return 0;
    const std::uint32_t vcc = GetRunVCC();
    params->Log(FormatVcc(vcc) + " ", false);
    if (!pod->SetVCC(vcc)) return FailFromPod(pod);
    params->SetVcc(vcc);
    if (!pod->OpenJTAG()) return FailFromPod(pod);
    return 1;
}

int CCommandDravik_Open::WriteXMLAttributes(CStdioXMLFile& file) {
    return WriteCommandAttributes(file, *this, Attributes(), error_);
}

int CCommandDravik_Open::ReadXMLParameters(std::int32_t element) {
    CCommandDravik_Open values;
    if (!ReadCommandAttributes(element, values, Attributes(), error_)) return 0;
    return SetParameters(values.dwVCC);
}

}  // namespace kv
