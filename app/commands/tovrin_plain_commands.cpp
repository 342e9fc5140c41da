// The adapter commands without parameters.
#include "kelvane/commands/tovrin_simple_commands.h"

#include "kelvane/commands/command_text.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/prg_processor.h"
#include "kelvane/core/stdio_xml_file.h"
#include "kelvane/core/tovrin.h"
#include "kelvane/platform/message_box.h"

namespace kv {

template <class Derived>
int CCommandTovrin_Plain<Derived>::DeclareElement(CStdioXMLFile& file) {
    return DeclareEmptyCommandElement(file, Derived::kElementName);
}

template <class Derived>
int CCommandTovrin_Plain<Derived>::DeclareAttlist(CStdioXMLFile& file) {
    return DeclareCommandAttlist(file, Derived::kElementName, [] { return 1; });
}

template <class Derived>
int CCommandTovrin_Plain<Derived>::OnExecute(CExecuteParams* params) {
    if (params == nullptr) return this->Fail("Unable to execute NULL parameters");
    params->SetStatusText(Derived::kStatus);
    params->AdvanceProgress(this->progressUnits_);
    CTovrin* adapter =
        TakeAdapter(params, std::string("CCommand") + Derived::kElementName + "::OnExecute");
    if (adapter == nullptr) return 0;
    return Derived::Call(static_cast<Derived*>(this), params, adapter);
}

int CCommandTovrin_SeizeTarget::Call(CCommandTovrin_SeizeTarget* self, CExecuteParams* params,
                                     CTovrin* adapter) {
    CPrgProcessor* processor = params->GetProcessor();
    if (processor == nullptr)
        return self->Fail("NULL processor during CCommandTovrin_SeizeTarget::OnExecute");
    if (!adapter->InitializeTarget()) return self->FailFromAdapter(adapter);
    adapter->SetExtendedTarget(processor->bIsMSP430X);
    return 1;
}

int CCommandTovrin_MassErase::Call(CCommandTovrin_MassErase* self, CExecuteParams* /*params*/,
                                   CTovrin* adapter) {
    return adapter->MassErase() ? 1 : self->FailFromAdapter(adapter);
}

int CCommandTovrin_ResetTarget::Call(CCommandTovrin_ResetTarget* self, CExecuteParams* /*params*/,
                                     CTovrin* adapter) {
    return adapter->ResetTarget() ? 1 : self->FailFromAdapter(adapter);
}

int CCommandTovrin_PowerOff::Call(CCommandTovrin_PowerOff* self, CExecuteParams* /*params*/,
                                  CTovrin* adapter) {
    return adapter->PowerOff() ? 1 : self->FailFromAdapter(adapter);
}

bool CCommandTovrin_ResendPassword::AskToSendUnknownPassword() {
    return messageBox("The target's password is not known: no Set Password (BSL) gave it and no "
                      "Mass Erase (BSL) erased the chip in this program.\n\nA programmed chip "
                      "with a 2.x bootstrap loader erases its main and information memory when "
                      "it is sent a wrong password.\n\nSend the erased chip's password (32 bytes "
                      "of 0xFF)?",
                      "Kelvane", kMbYesNo | kMbIconWarning | kMbDefButton2) == kIdYes;
}

int CCommandTovrin_ResendPassword::Call(CCommandTovrin_ResendPassword* self,
                                        CExecuteParams* params, CTovrin* adapter) {
    if (!CTovrin::IsPasswordKnown() && !params->IsUnknownPasswordAllowed() &&
        !AskToSendUnknownPassword()) {
        return self->Fail(
            "No password was sent: the target's password is not known.\nPut a Set Password "
            "(BSL) with the chip's password before the Resend Password (BSL).");
    }
    return adapter->ResendPassword() ? 1 : self->FailFromAdapter(adapter);
}

template class CCommandTovrin_Plain<CCommandTovrin_SeizeTarget>;
template class CCommandTovrin_Plain<CCommandTovrin_MassErase>;
template class CCommandTovrin_Plain<CCommandTovrin_ResetTarget>;
template class CCommandTovrin_Plain<CCommandTovrin_PowerOff>;
template class CCommandTovrin_Plain<CCommandTovrin_ResendPassword>;

}  // namespace kv
