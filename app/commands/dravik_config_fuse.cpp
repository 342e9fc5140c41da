#include "kelvane/commands/dravik_config_fuse.h"

#include "kelvane/core/dravik.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/xml_reading.h"

namespace kv {

CCommandDravik_ConfigFuse::CCommandDravik_ConfigFuse() : CPagedCommand(nullptr) {
    elementName_ = kElementName;
    displayName_ = "ConfigFuse";
    description_ = "Configure device option fuse";
    treeLabel_ = "ConfigFuse";
    treeImage_ = 0;
}

int CCommandDravik_ConfigFuse::DeclareElement(CStdioXMLFile& file) {
    return DeclareEmptyCommandElement(file, kElementName);
}

std::span<const CommandAttribute<CCommandDravik_ConfigFuse>>
CCommandDravik_ConfigFuse::Attributes() {
    using T = CCommandDravik_ConfigFuse;
    static constexpr CommandAttribute<T> kAttributes[] = {
        {.name = "dwDeviceID", .form = AttributeForm::kHex, .dword = &T::dwDeviceID},
    };
    return kAttributes;
}

int CCommandDravik_ConfigFuse::DeclareAttlist(CStdioXMLFile& file) {
    return DeclareCommandAttlist(file, kElementName,
                                 [&] { return DeclareCommandAttributes(file, Attributes()); });
}

int CCommandDravik_ConfigFuse::SetParameters(std::uint32_t deviceId) {
    dwDeviceID = deviceId;
    return 1;
}

int CCommandDravik_ConfigFuse::GetRequiredInterfaces(int* podNeeded, int* /*adapterNeeded*/) {
    if (podNeeded != nullptr) *podNeeded = 1;
    return 1;
}

int CCommandDravik_ConfigFuse::CopyTo(CProjectTreeItem* item) {
    auto* copy = dynamic_cast<CCommandDravik_ConfigFuse*>(item);
    if (copy == nullptr) return Fail("Unable to spawn NULL new item");
    if (!CPagedCommand::CopyTo(item)) return 0;
    CopyCommandAttributes(*this, *copy, Attributes());
    return 1;
}

int CCommandDravik_ConfigFuse::OnExecute(CExecuteParams* params) {
    if (params == nullptr) return Fail("Unable to execute NULL parameters");
    CDravik* pod = params->GetDravik();
    if (pod == nullptr) return Fail("NULL Dravik during CCommandDravik_ConfigFuse::OnExecute");
    params->Log("Configuring device type fuse(s)...", false);
    params->SetStatusText("Configuring device type fuse(s)");
    params->AdvanceProgress(progressUnits_);
    std::uint32_t length = 0;
    if (!pod->QueryTargetFeature(dwDeviceID, nullptr, 0, &length))
        return Fail("Unable to configure device type fuse(s)\n" + pod->TakeLastError());
    return 1;
}

int CCommandDravik_ConfigFuse::WriteXMLAttributes(CStdioXMLFile& file) {
    return WriteCommandAttributes(file, *this, Attributes(), error_);
}

int CCommandDravik_ConfigFuse::ReadXMLParameters(std::int32_t element) {
    CCommandDravik_ConfigFuse values;
    if (!ReadCommandAttributes(element, values, Attributes(), error_)) return 0;
    return SetParameters(values.dwDeviceID);
}

}  // namespace kv
