#include "kelvane/commands/dravik_vcc.h"

#include "kelvane/core/dravik.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/project_access.h"
#include "kelvane/core/xml_reading.h"

namespace kv {

CCommandDravik_VCC::CCommandDravik_VCC() : CCommandDravik(&Page()) {
    elementName_ = kElementName;
    displayName_ = "Set/Clear VCC";
    description_ = "Set or clear target VCC";
    treeImage_ = 7;
}

CommandPage& CCommandDravik_VCC::Page() {
    static CommandPage page(kElementName);
    return page;
}

int CCommandDravik_VCC::DeclareElement(CStdioXMLFile& file) {
    return DeclareEmptyCommandElement(file, kElementName);
}

std::span<const CommandAttribute<CCommandDravik_VCC>> CCommandDravik_VCC::Attributes() {
    using T = CCommandDravik_VCC;
    static constexpr CommandAttribute<T> kAttributes[] = {
        {.name = "dwVCC", .form = AttributeForm::kMillivolts, .dword = &T::dwVCC},
    };
    return kAttributes;
}

int CCommandDravik_VCC::DeclareAttlist(CStdioXMLFile& file) {
    return DeclareCommandAttlist(file, kElementName,
                                 [&] { return DeclareCommandAttributes(file, Attributes()); });
}

CCommandDravik_VCC* CCommandDravik_VCC::Create(std::string& error, std::uint32_t vcc) {
    auto* command = new CCommandDravik_VCC;
    if (!command->SetParameters(vcc)) {
        error = command->TakeError();
        delete command;
        return nullptr;
    }
    return command;
}

CProjectTreeItem* CCommandDravik_VCC::CreateFromArguments(std::string& error,
                                                          const CommandArguments& args) {
    std::uint32_t vcc = 0;
    if (!CommandNumberArgument(args, 0, "CCommandDravik_VCC", vcc, error)) return nullptr;
    return Create(error, vcc);
}

CCommandDravik_VCC* CCommandDravik_VCC::CreateDefault(std::string& error) {
    return Create(error, 3000);
}

int CCommandDravik_VCC::SetParameters(std::uint32_t vcc) {
    dwVCC = vcc;
    ShowImage();
    UpdateLabel();
    return 1;
}

void CCommandDravik_VCC::SetVCC(std::uint32_t vcc) {
    if (vcc == dwVCC) return;
    dwVCC = vcc;
    ShowImage();
    UpdateLabel();
    SetDocumentModified(1);
}

void CCommandDravik_VCC::ShowImage() {
    treeImage_ = dwVCC != 0 ? 6 : 7;
    SetTreeImage(true);
}

void CCommandDravik_VCC::UpdateLabel() {
    treeLabel_ = dwVCC != 0 ? "VCC = " + FormatVcc(dwVCC) : std::string("VCC Off");
    ShowLabel();
}

int CCommandDravik_VCC::PropagateVCC(std::uint32_t vcc) {
    if (dwVCC == 0) return 1;
    SetVCC(vcc);
    RefreshPage();
    return 1;
}

int CCommandDravik_VCC::CopyTo(CProjectTreeItem* item) {
    auto* copy = dynamic_cast<CCommandDravik_VCC*>(item);
    if (copy == nullptr) return Fail("Unable to spawn NULL new item");
    if (!CCommandDravik::CopyTo(item)) return 0;
    CopyCommandAttributes(*this, *copy, Attributes());
    return 1;
}

int CCommandDravik_VCC::OnExecute(CExecuteParams* params) {
    if (params == nullptr) return Fail("Unable to execute NULL parameters");
    params->SetStatusText(dwVCC != 0 ? "Setting VCC" : "Removing VCC");
    params->AdvanceProgress(progressUnits_);
    CDravik* pod = TakePod(params, "CCommandDravik_VCC::OnExecute");
    if (pod == nullptr) return 0;
    if (!pod->SetVCC(dwVCC)) return FailFromPod(pod);
    params->SetVcc(dwVCC);
    return 1;
}

int CCommandDravik_VCC::WriteXMLAttributes(CStdioXMLFile& file) {
    return WriteCommandAttributes(file, *this, Attributes(), error_);
}

int CCommandDravik_VCC::ReadXMLParameters(std::int32_t element) {
    CCommandDravik_VCC values;
    if (!ReadCommandAttributes(element, values, Attributes(), error_)) return 0;
    return SetParameters(values.dwVCC);
}

}  // namespace kv
