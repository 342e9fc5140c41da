#include "kelvane/commands/dravik_run_control_commands.h"
#include "kelvane/core/dravik.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/map_parameter_xml.h"

namespace kv {

CCommandDravik_State::CCommandDravik_State() : CCommandDravik(nullptr) {
    elementName_ = kElementName;
    displayName_ = "State";
    description_ = "Determine target execution status";
    treeLabel_ = "State";
    treeImage_ = 0;
}

CMapParameterXML& CCommandDravik_State::StateMap() {
    static CMapParameterXML map;
    return map;
}

int CCommandDravik_State::InitEnumTable(std::string& /*error*/) {
    CMapParameterXML& map = StateMap();
    map.RemoveAll();
    map.Add("STOPPED", "Stopped", kTargetStopped);
    map.Add("RUNNING", "Running", kTargetRunning);
    map.Add("SINGLE_STEP_COMPLETE", "Single Step Completed", kTargetSingleStepComplete);
    map.Add("BREAKPOINT_HIT", "Breakpoint Hit", kTargetBreakpointHit);
    return 1;
}

int CCommandDravik_State::DeclareElement(CStdioXMLFile& file) {
    return DeclareEmptyCommandElement(file, kElementName);
}

std::span<const CommandAttribute<CCommandDravik_State>> CCommandDravik_State::Attributes() {
    using T = CCommandDravik_State;
    static constexpr CommandAttribute<T> kAttributes[] = {
        {.name = "bStop", .form = AttributeForm::kBool, .number = &T::bStop},
    };
    return kAttributes;
}

int CCommandDravik_State::DeclareAttlist(CStdioXMLFile& file) {
    return DeclareCommandAttlist(file, kElementName,
                                 [&] { return DeclareCommandAttributes(file, Attributes()); });
}

int CCommandDravik_State::SetParameters(int stop) {
    bStop = stop ? 1 : 0;
    return 1;
}

int CCommandDravik_State::CopyTo(CProjectTreeItem* item) {
    if (!CCommandDravik::CopyTo(item)) return 0;
    CopyCommandAttributes(*this, *static_cast<CCommandDravik_State*>(item), Attributes());
    return 1;
}

int CCommandDravik_State::OnExecute(CExecuteParams* params) {
    params->SetStatusText("Reading target state");
    params->AdvanceProgress(progressUnits_);
    CDravik* pod = TakePod(params, "CCommandDravik_State::OnExecute");
    if (pod == nullptr) return 0;
    if (!pod->State(state_, bStop, cycles_)) return FailFromPod(pod);
    return 1;
}

int CCommandDravik_State::WriteXMLAttributes(CStdioXMLFile& file) {
    return WriteCommandAttributes(file, *this, Attributes(), error_);
}

int CCommandDravik_State::ReadXMLParameters(std::int32_t element) {
    CCommandDravik_State values;
    if (!ReadCommandAttributes(element, values, Attributes(), error_)) return 0;
    return SetParameters(values.bStop);
}

}  // namespace kv
