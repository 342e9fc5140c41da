#include "kelvane/commands/tovrin_simple_commands.h"

#include "kelvane/commands/command_text.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/map_parameter_xml.h"
#include "kelvane/core/stdio_xml_file.h"
#include "kelvane/core/tovrin.h"

namespace kv {

CCommandTovrin_LockA::CCommandTovrin_LockA() : CCommandTovrin(Page()) {
    Describe(kElementName, "Lock Flash A (BSL)", "Lock Flash A via BSL", 23);
}

int CCommandTovrin_LockA::DeclareElement(CStdioXMLFile& file) {
    return DeclareEmptyCommandElement(file, kElementName);
}

std::span<const CommandAttribute<CCommandTovrin_LockA>> CCommandTovrin_LockA::Attributes() {
    using T = CCommandTovrin_LockA;
    static constexpr CommandAttribute<T> kAttributes[] = {
        {.name = "bLockFlashA", .form = AttributeForm::kBool, .number = &T::bLockFlashA},
    };
    return kAttributes;
}

int CCommandTovrin_LockA::DeclareAttlist(CStdioXMLFile& file) {
    return DeclareCommandAttlist(file, kElementName,
                                 [&] { return DeclareCommandAttributes(file, Attributes()); });
}

CProjectTreeItem* CCommandTovrin_LockA::CreateFromArguments(std::string& error,
                                                            const CommandArguments& args) {
    std::uint32_t lock = 0;
    if (!CommandNumberArgument(args, 0, "CCommandTovrin_LockA", lock, error)) return nullptr;
    auto* command = new CCommandTovrin_LockA;
    command->SetParameters(lock != 0);
    return command;
}

CProjectTreeItem* CCommandTovrin_LockA::CreateDefault(std::string& error) {
    return CreateFromArguments(error, {std::uint32_t{1}});
}

CommandPage& CCommandTovrin_LockA::Page() {
    static CommandPage page(kElementName);
    return page;
}

CProjectTreeItem* CCommandTovrin_LockA::CreateNew() {
    return new CCommandTovrin_LockA;
}

int CCommandTovrin_LockA::SetParameters(int lockFlashA) {
    bLockFlashA = lockFlashA != 0;
    treeImage_ = bLockFlashA ? 22 : 23;
    SetTreeImage(true);
    UpdateLabel();
    return 1;
}

void CCommandTovrin_LockA::SetLockFlashA(int lockFlashA) {
    if ((lockFlashA != 0) == (bLockFlashA != 0)) return;
    SetParameters(lockFlashA);
    SetDocumentModified(1);
}

void CCommandTovrin_LockA::UpdateLabel() {
    SetLabel(bLockFlashA ? "Lock Flash A (BSL)" : "Unlock Flash A (BSL)");
}

int CCommandTovrin_LockA::CopyTo(CProjectTreeItem* item) {
    if (!CCommandTovrin::CopyTo(item)) return 0;
    CopyCommandAttributes(*this, *static_cast<CCommandTovrin_LockA*>(item), Attributes());
    return 1;
}

int CCommandTovrin_LockA::OnExecute(CExecuteParams* params) {
    if (params == nullptr) return Fail("Unable to execute NULL parameters");
    params->SetStatusText(bLockFlashA ? "Locking Flash A" : "Unlocking Flash A");
    params->AdvanceProgress(progressUnits_);
    CTovrin* adapter = TakeAdapter(params, "CCommandTovrin_LockA::OnExecute");
    if (adapter == nullptr) return 0;
    return adapter->SetLockA(bLockFlashA) ? 1 : FailFromAdapter(adapter);
}

int CCommandTovrin_LockA::WriteXMLAttributes(CStdioXMLFile& file) {
    return WriteCommandAttributes(file, *this, Attributes(), error_);
}

int CCommandTovrin_LockA::ReadXMLParameters(std::int32_t element) {
    CCommandTovrin_LockA values;
    if (!ReadCommandAttributes(element, values, Attributes(), error_)) return 0;
    return SetParameters(values.bLockFlashA);
}

}  // namespace kv
