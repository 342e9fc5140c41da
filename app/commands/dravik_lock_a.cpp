#include "kelvane/commands/dravik_lock_a.h"

#include "kelvane/commands/current_project.h"
#include "kelvane/core/dravik.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/map_parameter_xml.h"
#include "kelvane/core/prg_processor.h"

namespace kv {

namespace {

// The configuration item of locked-flash access.
constexpr std::int32_t kLockedFlashAccess = 5;

}  // namespace

CCommandDravik_LockA::CCommandDravik_LockA() : CCommandDravik(&Page()) {
    elementName_ = kElementName;
    displayName_ = "Lock Flash A";
    description_ = "Lock Flash A";
    treeLabel_ = "Lock Flash A";
    treeImage_ = 22;
}

CommandPage& CCommandDravik_LockA::Page() {
    static CommandPage page(kElementName);
    return page;
}

int CCommandDravik_LockA::DeclareElement(CStdioXMLFile& file) {
    return DeclareEmptyCommandElement(file, kElementName);
}

std::span<const CommandAttribute<CCommandDravik_LockA>> CCommandDravik_LockA::Attributes() {
    using T = CCommandDravik_LockA;
    static constexpr CommandAttribute<T> kAttributes[] = {
        {.name = "bLockFlashA", .form = AttributeForm::kBool, .number = &T::bLockFlashA},
    };
    return kAttributes;
}

int CCommandDravik_LockA::DeclareAttlist(CStdioXMLFile& file) {
    return DeclareCommandAttlist(file, kElementName,
                                 [&] { return DeclareCommandAttributes(file, Attributes()); });
}

CCommandDravik_LockA* CCommandDravik_LockA::Create(std::string& error, int lock) {
    return CreateCommand<CCommandDravik_LockA>(error, lock);
}

CProjectTreeItem* CCommandDravik_LockA::CreateFromArguments(std::string& error,
                                                            const CommandArguments& args) {
    std::uint32_t lock = 0;
    if (!CommandNumberArgument(args, 0, "CCommandDravik_LockA", lock, error)) return nullptr;
    return Create(error, lock != 0);
}

CCommandDravik_LockA* CCommandDravik_LockA::CreateDefault(std::string& error) {
    return Create(error, 1);
}

int CCommandDravik_LockA::SetParameters(int lock) {
    bLockFlashA = lock != 0;
    Show();
    return 1;
}

void CCommandDravik_LockA::SetLockFlashA(int lock) {
    const int flag = lock != 0;
    if (flag == bLockFlashA) return;
    bLockFlashA = flag;
    Show();
    SetDocumentModified(1);
}

void CCommandDravik_LockA::Show() {
    treeImage_ = bLockFlashA ? 22 : 23;
    SetTreeImage(true);
    UpdateLabel();
}

void CCommandDravik_LockA::UpdateLabel() {
    treeLabel_ = bLockFlashA ? "Lock Flash A" : "Unlock Flash A";
    ShowLabel();
}

int CCommandDravik_LockA::AddToNewItemList(NewItemList* list) {
    CPrgProcessor* processor = GetCommandProjectProcessor();
    if (processor == nullptr || !processor->bHasLOCKA) return 1;
    return CCommandDravik::AddToNewItemList(list);
}

int CCommandDravik_LockA::CopyTo(CProjectTreeItem* item) {
    auto* copy = dynamic_cast<CCommandDravik_LockA*>(item);
    if (copy == nullptr) return Fail("Unable to spawn NULL new item");
    if (!CCommandDravik::CopyTo(item)) return 0;
    CopyCommandAttributes(*this, *copy, Attributes());
    return 1;
}

int CCommandDravik_LockA::OnExecute(CExecuteParams* params) {
    if (params == nullptr) return Fail("Unable to execute NULL parameters");
    params->SetStatusText(bLockFlashA ? "Locking Flash A" : "Unlocking Flash A");
    params->AdvanceProgress(progressUnits_);
    CDravik* pod = TakePod(params, "CCommandDravik_LockA::OnExecute");
    if (pod == nullptr) return 0;
    // The access flag is the inverse of the lock.
    if (!pod->Configure(kLockedFlashAccess, bLockFlashA ? 0 : 1)) return FailFromPod(pod);
    return 1;
}

int CCommandDravik_LockA::WriteXMLAttributes(CStdioXMLFile& file) {
    return WriteCommandAttributes(file, *this, Attributes(), error_);
}

int CCommandDravik_LockA::ReadXMLParameters(std::int32_t element) {
    CCommandDravik_LockA values;
    if (!ReadCommandAttributes(element, values, Attributes(), error_)) return 0;
    return SetParameters(values.bLockFlashA);
}

}  // namespace kv
