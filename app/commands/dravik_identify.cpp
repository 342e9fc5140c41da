#include "kelvane/commands/dravik_identify.h"

#include "kelvane/commands/current_project.h"
#include "kelvane/core/dravik.h"
#include "kelvane/core/emulation_module.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/map_parameter_xml.h"
#include "kelvane/core/prg_processor.h"

namespace kv {

CCommandDravik_Identify::CCommandDravik_Identify() : CCommandDravik(&Page()) {
    elementName_ = kElementName;
    displayName_ = "Identify Target";
    description_ = "Identify target processor";
    treeLabel_ = "Identify Target";
    treeImage_ = 30;
}

CommandPage& CCommandDravik_Identify::Page() {
    static CommandPage page(kElementName);
    return page;
}

int CCommandDravik_Identify::DeclareElement(CStdioXMLFile& file) {
    return DeclareEmptyCommandElement(file, kElementName);
}

std::span<const CommandAttribute<CCommandDravik_Identify>> CCommandDravik_Identify::Attributes() {
    using T = CCommandDravik_Identify;
    static constexpr CommandAttribute<T> kAttributes[] = {
        {.name = "bForceMatch", .form = AttributeForm::kBool, .number = &T::bForceMatch},
    };
    return kAttributes;
}

int CCommandDravik_Identify::DeclareAttlist(CStdioXMLFile& file) {
    return DeclareCommandAttlist(file, kElementName,
                                 [&] { return DeclareCommandAttributes(file, Attributes()); });
}

CCommandDravik_Identify* CCommandDravik_Identify::Create(std::string& error, int forceMatch) {
    return CreateCommand<CCommandDravik_Identify>(error, forceMatch);
}

CProjectTreeItem* CCommandDravik_Identify::CreateFromArguments(std::string& error,
                                                               const CommandArguments& args) {
    std::uint32_t forceMatch = 0;
    if (!CommandNumberArgument(args, 0, "CCommandDravik_Identify", forceMatch, error))
        return nullptr;
    return Create(error, forceMatch != 0);
}

CCommandDravik_Identify* CCommandDravik_Identify::CreateDefault(std::string& error) {
    return Create(error, 1);
}

int CCommandDravik_Identify::SetParameters(int forceMatch) {
    bForceMatch = forceMatch != 0;
    return 1;
}

void CCommandDravik_Identify::SetForceMatch(int forceMatch) {
    const int flag = forceMatch != 0;
    if (flag == bForceMatch) return;
    bForceMatch = flag;
    SetDocumentModified(1);
}

int CCommandDravik_Identify::CopyTo(CProjectTreeItem* item) {
    auto* copy = dynamic_cast<CCommandDravik_Identify*>(item);
    if (copy == nullptr) return Fail("Unable to spawn NULL new item");
    if (!CCommandDravik::CopyTo(item)) return 0;
    CopyCommandAttributes(*this, *copy, Attributes());
    return 1;
}

int CCommandDravik_Identify::OnExecute(CExecuteParams* params) {
    if (params == nullptr) return Fail("Unable to execute NULL parameters");
    params->SetStatusText("Identifying device");
    params->AdvanceProgress(progressUnits_);
    CDravik* pod = TakePod(params, "CCommandDravik_Identify::OnExecute");
    if (pod == nullptr) return 0;
    CPrgProcessor* processor = params->GetProcessor();
    if (processor == nullptr)
        return Fail("NULL processor during CCommandDravik_Identify::OnExecute");
    if (CEmulationModule* module = params->GetEmulationModule()) {
        if (!module->CloseEEM()) {
            std::string text;
            module->GetLastError(text);
            return Fail(text);
        }
    }
    for (int i = 0; i < processor->GetConfigureCount(); ++i) {
        std::int32_t mode = 0, value = 0;
        if (!processor->GetConfigureMode(i, &mode, &value)) return Fail(processor->TakeLastError());
        if (!pod->Configure(mode, value)) return FailFromPod(pod);
    }
    std::string name;
    if (!pod->Identify(name)) return FailFromPod(pod);
    if (bForceMatch) {
        ProjectAccess* project = GetCommandProject();
        if (project == nullptr) return Fail("Cannot compare processor with NULL current project");
        if (!processor->HasDeviceType(name))
            return Fail("Detected device '" + name + "', incompatible with extended type '" +
                        project->GetTargetProcessorName() + "'");
    }
    params->Log("Detected device " + name + " ", false);
    return 1;
}

int CCommandDravik_Identify::WriteXMLAttributes(CStdioXMLFile& file) {
    return WriteCommandAttributes(file, *this, Attributes(), error_);
}

int CCommandDravik_Identify::ReadXMLParameters(std::int32_t element) {
    CCommandDravik_Identify values;
    if (!ReadCommandAttributes(element, values, Attributes(), error_)) return 0;
    return SetParameters(values.bForceMatch);
}

}  // namespace kv
