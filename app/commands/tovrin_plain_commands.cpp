// The adapter commands without parameters.
#include "kelvane/commands/tovrin_simple_commands.h"

#include "kelvane/commands/command_text.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/prg_processor.h"
#include "kelvane/core/stdio_xml_file.h"
#include "kelvane/core/tovrin.h"

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

int CCommandTovrin_ResendPassword::Call(CCommandTovrin_ResendPassword* self,
                                        CExecuteParams* /*params*/, CTovrin* adapter) {
    return adapter->ResendPassword() ? 1 : self->FailFromAdapter(adapter);
}

template class CCommandTovrin_Plain<CCommandTovrin_SeizeTarget>;
template class CCommandTovrin_Plain<CCommandTovrin_MassErase>;
template class CCommandTovrin_Plain<CCommandTovrin_ResetTarget>;
template class CCommandTovrin_Plain<CCommandTovrin_PowerOff>;
template class CCommandTovrin_Plain<CCommandTovrin_ResendPassword>;

}  // namespace kv
