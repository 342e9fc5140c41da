#include "kelvane/commands/dravik_run_control_commands.h"
#include "kelvane/core/dravik.h"
#include "kelvane/core/emulation_module.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/map_parameter_xml.h"
#include "kelvane/core/tree_ui.h"

namespace kv {

CCommandDravik_Run::CCommandDravik_Run() : CCommandDravik_WaitForBreak(&Page()) {
    elementName_ = kElementName;
    displayName_ = "Run";
    description_ = "Run target code";
    treeLabel_ = "Run Free";
    treeImage_ = 35;
    progressUnits_ = 1;
}

CommandPage& CCommandDravik_Run::Page() {
    static CommandPage page(kElementName);
    return page;
}

int CCommandDravik_Run::DeclareElement(CStdioXMLFile& file) {
    return DeclareEmptyCommandElement(file, kElementName);
}

std::span<const CommandAttribute<CCommandDravik_Run>> CCommandDravik_Run::Attributes() {
    using T = CCommandDravik_Run;
    static constexpr CommandAttribute<T> kAttributes[] = {
        {.name = "bRunToBreakpoint", .form = AttributeForm::kBool, .number = &T::bRunToBreakpoint},
        {.name = "bWaitForBreak",
         .form = AttributeForm::kBool,
         .number = &T::bWaitForBreak,
         .declaredCdata = true},
    };
    return kAttributes;
}

int CCommandDravik_Run::DeclareAttlist(CStdioXMLFile& file) {
    return DeclareCommandAttlist(file, kElementName, [&] {
        return DeclareCommandAttributes(file, Attributes()) &&
               DeclareCommandAttributes(file, CCommandDravik_WaitForBreak::Attributes());
    });
}

CCommandDravik_Run* CCommandDravik_Run::Create(std::string& /*error*/, int runToBreakpoint,
                                               int waitForBreak, std::uint32_t dwell,
                                               std::uint32_t repeat, std::uint16_t count) {
    auto* command = new CCommandDravik_Run;
    command->SetParameters(runToBreakpoint, waitForBreak, dwell, repeat, count);
    return command;
}

CProjectTreeItem* CCommandDravik_Run::CreateFromArguments(std::string& error,
                                                          const CommandArguments& args) {
    std::uint32_t values[5] = {};
    for (std::size_t i = 0; i < 5; ++i)
        if (!CommandNumberArgument(args, i, "CCommandDravik_Run", values[i], error)) return nullptr;
    return Create(error, static_cast<int>(values[0]), static_cast<int>(values[1]), values[2],
                  values[3], static_cast<std::uint16_t>(values[4]));
}

CCommandDravik_Run* CCommandDravik_Run::CreateDefault(std::string& error) {
    return Create(error, 0, 0, 500, 100, 5);
}

int CCommandDravik_Run::SetParameters(int runToBreakpoint, int waitForBreak, std::uint32_t dwell,
                                      std::uint32_t repeat, std::uint16_t count) {
    CCommandDravik_WaitForBreak::SetParameters(dwell, repeat, count);
    bRunToBreakpoint = runToBreakpoint ? 1 : 0;
    bWaitForBreak = waitForBreak ? 1 : 0;
    UpdateLabel();
    SetTreeImage(false);
    UpdateProgressAggregate();
    return 1;
}

void CCommandDravik_Run::SetRunToBreakpoint(int runToBreakpoint) {
    if ((runToBreakpoint ? 1 : 0) == bRunToBreakpoint) return;
    bRunToBreakpoint = runToBreakpoint ? 1 : 0;
    UpdateLabel();
    SetTreeImage(true);
    UpdateProgressAggregate();
    SetDocumentModified(1);
}

void CCommandDravik_Run::SetWaitForBreak(int waitForBreak) {
    if ((waitForBreak ? 1 : 0) == bWaitForBreak) return;
    bWaitForBreak = waitForBreak ? 1 : 0;
    UpdateLabel();
    UpdateProgressAggregate();
    SetDocumentModified(1);
}

void CCommandDravik_Run::UpdateLabel() {
    if (!bRunToBreakpoint)
        treeLabel_ = "Run Free";
    else
        treeLabel_ = bWaitForBreak ? "Run to Bkpt, Wait" : "Run to Bkpt";
    ShowLabel();
}

void CCommandDravik_Run::SetTreeImage(bool redraw) {
    treeImage_ = bRunToBreakpoint ? 36 : 35;
    CCommandDravik_WaitForBreak::SetTreeImage(redraw);
}

void CCommandDravik_Run::UpdateProgressAggregate() {
    progressUnits_ = bRunToBreakpoint && bWaitForBreak ? WaitUnits() : 1;
}

int CCommandDravik_Run::CopyTo(CProjectTreeItem* item) {
    auto* copy = static_cast<CCommandDravik_Run*>(item);
    if (copy != nullptr) {
        CopyCommandAttributes(*this, *copy, Attributes());
    }
    return CCommandDravik_WaitForBreak::CopyTo(item);
}

int CCommandDravik_Run::OnExecute(CExecuteParams* params) {
    params->SetStatusText("Running target code");
    params->AdvanceProgress(1);
    CDravik* pod = TakePod(params, "CCommandDravik_Run::OnExecute");
    if (pod == nullptr) return 0;
    CEmulationModule* module = TakeEmulationModule(params, *this, "CCommandDravik_Run::OnExecute");
    if (module == nullptr) return 0;
    if (!module->Run(bRunToBreakpoint)) {
        module->GetLastError(error_);
        return 0;
    }
    if (bRunToBreakpoint && bWaitForBreak) return ExecuteWait(params);
    return 1;
}

int CCommandDravik_Run::WriteXMLAttributes(CStdioXMLFile& file) {
    return WriteCommandAttributes(file, *this, Attributes(), error_) &&
           WriteCommandAttributes(file, *this, CCommandDravik_WaitForBreak::Attributes(), error_);
}

int CCommandDravik_Run::ReadXMLParameters(std::int32_t element) {
    CCommandDravik_Run values;
    if (!ReadCommandAttributes(element, values, Attributes(), error_)) return 0;
    if (!ReadCommandAttributes(element, values, CCommandDravik_WaitForBreak::Attributes(), error_))
        return 0;
    return SetParameters(values.bRunToBreakpoint, values.bWaitForBreak, values.dwDwellMilliseconds,
                         values.dwRepeatMilliseconds, values.wRepeatCount);
}

}  // namespace kv
