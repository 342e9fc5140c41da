#include "kelvane/commands/dravik_blow_fuse.h"

#include "kelvane/core/dravik.h"
#include "kelvane/core/execute_params.h"

namespace kv {

CCommandDravik_BlowFuse::CCommandDravik_BlowFuse() : CCommandDravik(&Page()) {
    elementName_ = kElementName;
    displayName_ = "Blow JTAG Fuse";
    description_ = "Blow JTAG fuse";
    treeLabel_ = "Blow JTAG Fuse";
    treeImage_ = 8;
}

CommandPage& CCommandDravik_BlowFuse::Page() {
    static CommandPage page(kElementName);
    return page;
}

int CCommandDravik_BlowFuse::DeclareElement(CStdioXMLFile& file) {
    return DeclareEmptyCommandElement(file, kElementName);
}

int CCommandDravik_BlowFuse::DeclareAttlist(CStdioXMLFile& file) {
    return DeclareCommandAttlist(file, kElementName, [] { return 1; });
}

CCommandDravik_BlowFuse* CCommandDravik_BlowFuse::Create(std::string& error) {
    return CreateCommand<CCommandDravik_BlowFuse>(error);
}

CProjectTreeItem* CCommandDravik_BlowFuse::CreateFromArguments(std::string& error,
                                                               const CommandArguments& /*args*/) {
    return Create(error);
}

int CCommandDravik_BlowFuse::OnExecute(CExecuteParams* params) {
    if (params == nullptr) return Fail("Unable to execute NULL parameters");
    params->SetStatusText("Blowing JTAG fuse");
    params->AdvanceProgress(progressUnits_);
    CDravik* pod = TakePod(params, "CCommandDravik_BlowFuse::OnExecute");
    if (pod == nullptr) return 0;
    if (!pod->BlowFuse()) return FailFromPod(pod);
    return 1;
}

}  // namespace kv
