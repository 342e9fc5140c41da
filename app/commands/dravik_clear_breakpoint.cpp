#include "kelvane/commands/dravik_breakpoint_commands.h"
#include "kelvane/commands/dravik_run_control_commands.h"
#include "kelvane/core/emulation_module.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/tree_ui.h"
#include "kelvane/core/xml_reading.h"

namespace kv {

CCommandDravik_ClearBreakpoint::CCommandDravik_ClearBreakpoint() : CCommandDravik(&Page()) {
    elementName_ = kElementName;
    displayName_ = "Clear Breakpoint";
    description_ = "Clear breakpoint";
    treeImage_ = 39;
}

CommandPage& CCommandDravik_ClearBreakpoint::Page() {
    static CommandPage page(kElementName);
    return page;
}

int CCommandDravik_ClearBreakpoint::DeclareElement(CStdioXMLFile& file) {
    return DeclareEmptyCommandElement(file, kElementName);
}

std::span<const CommandAttribute<CCommandDravik_ClearBreakpoint>>
CCommandDravik_ClearBreakpoint::Attributes() {
    using T = CCommandDravik_ClearBreakpoint;
    static constexpr CommandAttribute<T> kAttributes[] = {
        {.name = "nBreakpoint",
         .form = AttributeForm::kInt,
         .number = &T::nBreakpoint,
         .choicesUpTo = 7},
    };
    return kAttributes;
}

int CCommandDravik_ClearBreakpoint::DeclareAttlist(CStdioXMLFile& file) {
    return DeclareCommandAttlist(file, kElementName,
                                 [&] { return DeclareCommandAttributes(file, Attributes()); });
}

CCommandDravik_ClearBreakpoint* CCommandDravik_ClearBreakpoint::Create(std::string& /*error*/,
                                                                       int breakpoint) {
    auto* command = new CCommandDravik_ClearBreakpoint;
    command->SetParameters(breakpoint);
    return command;
}

CProjectTreeItem* CCommandDravik_ClearBreakpoint::CreateFromArguments(
    std::string& error, const CommandArguments& args) {
    std::uint32_t breakpoint = 0;
    if (!CommandNumberArgument(args, 0, "CCommandDravik_ClearBreakpoint", breakpoint, error))
        return nullptr;
    return Create(error, static_cast<int>(breakpoint));
}

int CCommandDravik_ClearBreakpoint::SetParameters(int breakpoint) {
    nBreakpoint = breakpoint;
    UpdateLabel();
    return 1;
}

void CCommandDravik_ClearBreakpoint::SetBreakpoint(int breakpoint) {
    if (breakpoint == nBreakpoint) return;
    nBreakpoint = breakpoint;
    UpdateLabel();
    SetDocumentModified(1);
}

void CCommandDravik_ClearBreakpoint::UpdateLabel() {
    treeLabel_ = "Clear Bkpt " + std::to_string(nBreakpoint);
    ShowLabel();
}

int CCommandDravik_ClearBreakpoint::CopyTo(CProjectTreeItem* item) {
    if (!CCommandDravik::CopyTo(item)) return 0;
    CopyCommandAttributes(*this, *static_cast<CCommandDravik_ClearBreakpoint*>(item), Attributes());
    return 1;
}

int CCommandDravik_ClearBreakpoint::OnExecute(CExecuteParams* params) {
    params->SetStatusText("Clearing breakpoint");
    params->AdvanceProgress(progressUnits_);
    if (TakePod(params, "CCommandDravik_ClearBreakpoint::OnExecute") == nullptr) return 0;
    CEmulationModule* module =
        TakeEmulationModule(params, *this, "CCommandDravik_ClearBreakpoint::OnExecute");
    if (module == nullptr) return 0;
    if (!module->ClearBreakpoint(nBreakpoint)) {
        module->GetLastError(error_);
        return 0;
    }
    return 1;
}

int CCommandDravik_ClearBreakpoint::WriteXMLAttributes(CStdioXMLFile& file) {
    return WriteCommandAttributes(file, *this, Attributes(), error_);
}

int CCommandDravik_ClearBreakpoint::ReadXMLParameters(std::int32_t element) {
    CCommandDravik_ClearBreakpoint values;
    if (!ReadCommandAttributes(element, values, Attributes(), error_)) return 0;
    return SetParameters(values.nBreakpoint);
}

}  // namespace kv
