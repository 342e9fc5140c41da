#include "kelvane/commands/tovrin_simple_commands.h"

#include "kelvane/commands/command_text.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/stdio_xml_file.h"
#include "kelvane/core/tovrin.h"
#include "kelvane/core/xml_reading.h"

namespace kv {

CCommandTovrin_LoadPC::CCommandTovrin_LoadPC() : CCommandTovrin(Page()) {
    Describe(kElementName, "Load PC (BSL)", "Load PC and executes code via the Tovrin", 35);
}

int CCommandTovrin_LoadPC::DeclareElement(CStdioXMLFile& file) {
    return DeclareEmptyCommandElement(file, kElementName);
}

std::span<const CommandAttribute<CCommandTovrin_LoadPC>> CCommandTovrin_LoadPC::Attributes() {
    using T = CCommandTovrin_LoadPC;
    static constexpr CommandAttribute<T> kAttributes[] = {
        {.name = "dwValue", .form = AttributeForm::kHex, .dword = &T::dwValue},
    };
    return kAttributes;
}

int CCommandTovrin_LoadPC::DeclareAttlist(CStdioXMLFile& file) {
    return DeclareCommandAttlist(file, kElementName,
                                 [&] { return DeclareCommandAttributes(file, Attributes()); });
}

CProjectTreeItem* CCommandTovrin_LoadPC::CreateFromArguments(std::string& error,
                                                             const CommandArguments& args) {
    std::uint32_t value = 0;
    if (!CommandNumberArgument(args, 0, "CCommandTovrin_LoadPC", value, error)) return nullptr;
    auto* command = new CCommandTovrin_LoadPC;
    command->SetParameters(value);
    return command;
}

CProjectTreeItem* CCommandTovrin_LoadPC::CreateDefault(std::string& /*error*/) {
    auto* command = new CCommandTovrin_LoadPC;
    command->UpdateLabel();
    return command;
}

CommandPage& CCommandTovrin_LoadPC::Page() {
    static CommandPage page(kElementName);
    return page;
}

CProjectTreeItem* CCommandTovrin_LoadPC::CreateNew() {
    return new CCommandTovrin_LoadPC;
}

int CCommandTovrin_LoadPC::SetParameters(std::uint32_t value) {
    dwValue = value;
    UpdateLabel();
    return 1;
}

void CCommandTovrin_LoadPC::SetValue(std::uint32_t value) {
    if (value == dwValue) return;
    dwValue = value;
    UpdateLabel();
    SetDocumentModified(1);
}

void CCommandTovrin_LoadPC::UpdateLabel() {
    SetLabel(Format("Load PC @0x%04lX (BSL)", static_cast<unsigned long>(dwValue)));
}

int CCommandTovrin_LoadPC::CopyTo(CProjectTreeItem* item) {
    if (!CCommandTovrin::CopyTo(item)) return 0;
    CopyCommandAttributes(*this, *static_cast<CCommandTovrin_LoadPC*>(item), Attributes());
    return 1;
}

int CCommandTovrin_LoadPC::OnExecute(CExecuteParams* params) {
    if (params == nullptr) return Fail("Unable to execute NULL parameters");
    params->SetStatusText("Loading PC");
    params->AdvanceProgress(progressUnits_);
    CTovrin* adapter = TakeAdapter(params, "CCommandTovrin_LoadPC::OnExecute");
    if (adapter == nullptr) return 0;
    return adapter->LoadPC(dwValue) ? 1 : FailFromAdapter(adapter);
}

int CCommandTovrin_LoadPC::WriteXMLAttributes(CStdioXMLFile& file) {
    return WriteCommandAttributes(file, *this, Attributes(), error_);
}

int CCommandTovrin_LoadPC::ReadXMLParameters(std::int32_t element) {
    CCommandTovrin_LoadPC values;
    if (!ReadCommandAttributes(element, values, Attributes(), error_)) return 0;
    return SetParameters(values.dwValue);
}

}  // namespace kv
