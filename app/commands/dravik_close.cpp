#include "kelvane/commands/dravik_close.h"

#include "kelvane/core/dravik.h"
#include "kelvane/core/emulation_module.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/map_parameter_xml.h"

namespace kv {

CCommandDravik_Close::CCommandDravik_Close() : CCommandDravik(&Page()) {
    elementName_ = kElementName;
    displayName_ = "Close JTAG";
    description_ = "Close JTAG interface";
    treeLabel_ = "Close JTAG";
    treeImage_ = 20;
}

CommandPage& CCommandDravik_Close::Page() {
    static CommandPage page(kElementName);
    return page;
}

int CCommandDravik_Close::DeclareElement(CStdioXMLFile& file) {
    return DeclareEmptyCommandElement(file, kElementName);
}

std::span<const CommandAttribute<CCommandDravik_Close>> CCommandDravik_Close::Attributes() {
    using T = CCommandDravik_Close;
    static constexpr CommandAttribute<T> kAttributes[] = {
        {.name = "bVccOff", .form = AttributeForm::kBool, .number = &T::bVccOff},
    };
    return kAttributes;
}

int CCommandDravik_Close::DeclareAttlist(CStdioXMLFile& file) {
    return DeclareCommandAttlist(file, kElementName,
                                 [&] { return DeclareCommandAttributes(file, Attributes()); });
}

CCommandDravik_Close* CCommandDravik_Close::Create(std::string& error, int vccOff) {
    auto* command = new CCommandDravik_Close;
    if (!command->SetParameters(vccOff)) {
        error = command->TakeError();
        delete command;
        return nullptr;
    }
    return command;
}

CProjectTreeItem* CCommandDravik_Close::CreateFromArguments(std::string& error,
                                                            const CommandArguments& args) {
    std::uint32_t vccOff = 0;
    if (!CommandNumberArgument(args, 0, "CCommandDravik_Close", vccOff, error)) return nullptr;
    return Create(error, vccOff != 0);
}

CCommandDravik_Close* CCommandDravik_Close::CreateDefault(std::string& error) {
    return Create(error, 1);
}

int CCommandDravik_Close::SetParameters(int vccOff) {
    bVccOff = vccOff != 0;
    return 1;
}

void CCommandDravik_Close::SetVccOff(int vccOff) {
    int flag = vccOff != 0;
    if (flag == bVccOff) return;
    bVccOff = flag;
    SetDocumentModified(1);
}

int CCommandDravik_Close::CopyTo(CProjectTreeItem* item) {
    auto* copy = dynamic_cast<CCommandDravik_Close*>(item);
    if (copy == nullptr) return Fail("Unable to spawn NULL new item");
    if (!CCommandDravik::CopyTo(item)) return 0;
    CopyCommandAttributes(*this, *copy, Attributes());
    return 1;
}

int CCommandDravik_Close::OnExecute(CExecuteParams* params) {
    if (params == nullptr) return Fail("Unable to execute NULL parameters");
    params->SetStatusText("Closing JTAG");
    params->AdvanceProgress(progressUnits_);
    CDravik* pod = TakePod(params, "CCommandDravik_Close::OnExecute");
    if (pod == nullptr) return 0;
    if (CEmulationModule* module = params->GetEmulationModule()) {
        if (!module->CloseEEM()) {
            std::string text;
            module->GetLastError(text);
            return Fail(text);
        }
    }
    if (!pod->CloseJTAG(bVccOff)) return FailFromPod(pod);
    if (bVccOff) params->SetVcc(0);
    return 1;
}

int CCommandDravik_Close::WriteXMLAttributes(CStdioXMLFile& file) {
    return WriteCommandAttributes(file, *this, Attributes(), error_);
}

int CCommandDravik_Close::ReadXMLParameters(std::int32_t element) {
    CCommandDravik_Close values;
    if (!ReadCommandAttributes(element, values, Attributes(), error_)) return 0;
    return SetParameters(values.bVccOff);
}

}  // namespace kv
