#include "kelvane/commands/overlay.h"

#include <vector>

#include "kelvane/commands/command_text.h"
#include "kelvane/core/dravik.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/plugin_lists.h"
#include "kelvane/core/stdio_xml_file.h"
#include "kelvane/core/xml_reading.h"
#include "kelvane/platform/terminal_text.h"

namespace kv {

namespace {

// The render buffer of the class, made once for the program's life.
std::uint8_t* OverlayBuffer() {
    static std::vector<std::uint8_t> buffer(CCommandOverlay::kRenderLimit);
    return buffer.data();
}

}  // namespace

CCommandOverlay::CCommandOverlay() : CCommandOverlay(Page()) {
    elementName_ = kElementName;
    displayName_ = "Overlay";
    description_ = "Overlay user-defined data";
    treeImage_ = 11;
    UpdateLabel();
}

CCommandOverlay::CCommandOverlay(CommandPage& page) : CCommandDravik(&page) {}

int CCommandOverlay::DeclareElement(CStdioXMLFile& file) {
    return DeclareEmptyCommandElement(file, kElementName);
}

std::span<const CommandAttribute<CCommandOverlay>> CCommandOverlay::Attributes() {
    using T = CCommandOverlay;
    static constexpr CommandAttribute<T> kAttributes[] = {
        {.name = "strName", .form = AttributeForm::kText, .text = &T::strName},
        {.name = "dwAddress", .form = AttributeForm::kHex, .dword = &T::dwAddress},
        {.name = "strAlgorithm", .form = AttributeForm::kText, .text = &T::strAlgorithm},
        {.name = "strModule", .form = AttributeForm::kText, .text = &T::strModule},
        {.name = "strNextValue", .form = AttributeForm::kText, .text = &T::strNextValue},
    };
    return kAttributes;
}

int CCommandOverlay::DeclareAttlist(CStdioXMLFile& file) {
    return DeclareCommandAttlist(file, kElementName,
                                 [&] { return DeclareCommandAttributes(file, Attributes()); });
}

CProjectTreeItem* CCommandOverlay::CreateFromArguments(std::string& error,
                                                       const CommandArguments& args) {
    std::string name, module, algorithm, next;
    std::uint32_t address = 0;
    const char* cls = "CCommandOverlay";
    if (!CommandTextArgument(args, 0, cls, name, error) ||
        !CommandTextArgument(args, 1, cls, module, error) ||
        !CommandTextArgument(args, 2, cls, algorithm, error) ||
        !CommandTextArgument(args, 3, cls, next, error) ||
        !CommandNumberArgument(args, 4, cls, address, error))
        return nullptr;
    auto* command = new CCommandOverlay;
    command->SetParameters(name, module, algorithm, next, address);
    return command;
}

CProjectTreeItem* CCommandOverlay::CreateDefault(std::string& error) {
    CArrayOverlayAlgorithm* list = COverlayPlugins::GetOverlayAlgorithms();
    if (list == nullptr) {
        error = "Cannot create default overlay with NULL algorithms";
        return nullptr;
    }
    if (list->GetSize() == 0) {
        error = "Cannot create default overlay with no available algorithms";
        return nullptr;
    }
    COverlayAlgorithm* first = list->GetAt(0);
    if (first == nullptr) {
        error = "Cannot create default overlay with NULL algorithm";
        return nullptr;
    }
    auto* command = new CCommandOverlay;
    command->SetParameters("Default", first->GetModuleName(), first->GetName(),
                           first->GetInitialValue(), 0x1000);
    return command;
}

CommandPage& CCommandOverlay::Page() {
    static CommandPage page(kElementName);
    return page;
}

int CCommandOverlay::SetParameters(const std::string& name, const std::string& module,
                                   const std::string& algorithm, const std::string& nextValue,
                                   std::uint32_t address) {
    strName = name;
    strModule = module;
    strAlgorithm = algorithm;
    strNextValue = nextValue;
    dwAddress = address;
    UpdateLabel();
    return 1;
}

void CCommandOverlay::SetNextValue(const std::string& value) {
    if (value == strNextValue) return;
    strNextValue = value;
    SetDocumentModified(1);
}

void CCommandOverlay::SetModule(const std::string& module) {
    if (module == strModule) return;
    strModule = module;
    SetDocumentModified(1);
}

void CCommandOverlay::SetAlgorithm(const std::string& algorithm) {
    if (algorithm == strAlgorithm) return;
    strAlgorithm = algorithm;
    SetDocumentModified(1);
}

void CCommandOverlay::SetName(const std::string& name) {
    if (name == strName) return;
    strName = name;
    UpdateLabel();
    SetDocumentModified(1);
}

void CCommandOverlay::SetAddress(std::uint32_t address) {
    if (address == dwAddress) return;
    dwAddress = address;
    SetDocumentModified(1);
}

void CCommandOverlay::UpdateLabel() {
    treeLabel_ = "Overlay " + strName;
    ShowLabel();
}

int CCommandOverlay::CopyTo(CProjectTreeItem* item) {
    if (!CCommandDravik::CopyTo(item)) return 0;
    auto* copy = static_cast<CCommandOverlay*>(item);
    CopyCommandAttributes(*this, *copy, Attributes());
    return 1;
}

CCommandOverlay::Texts CCommandOverlay::GetTexts() const {
    return {"CCommandOverlay", "Overlay", "Overlay", "NULL Overlay array", 8, OverlayBuffer()};
}

CPluginAlgorithm* CCommandOverlay::FindAlgorithm(bool& haveList) {
    CArrayOverlayAlgorithm* list = COverlayPlugins::GetOverlayAlgorithms();
    haveList = list != nullptr;
    return list != nullptr ? list->Find(strModule, strAlgorithm) : nullptr;
}

std::string CCommandOverlay::LoggedValue() {
    bool haveList = false;
    CPluginAlgorithm* algorithm = FindAlgorithm(haveList);
    std::string written;
    if (algorithm != nullptr && algorithm->Parse(strNextValue) && algorithm->GetNextValue(written))
        return written;
    return strNextValue;
}

std::string CCommandOverlay::StatusText() const {
    return "Writing overlay '" + Quoted(strName) + "'";
}

int CCommandOverlay::GetRequiredInterfaces(int* podNeeded, int* adapterNeeded) {
    if (!CCommandDravik::GetRequiredInterfaces(podNeeded, adapterNeeded)) return 0;
    // The value is checked before the run opens the pod, so a text the
    // plug-in refuses stops the run before the first command touches the chip.
    CPluginAlgorithm* algorithm = nullptr;
    std::uint32_t size = 0;
    return !IsActive() || Prepare(algorithm, size);
}

int CCommandOverlay::Prepare(CPluginAlgorithm*& algorithm, std::uint32_t& size) {
    const Texts texts = GetTexts();
    bool haveList = false;
    algorithm = FindAlgorithm(haveList);
    if (!haveList)
        return Fail(std::string("Unable to execute ") + texts.className + " with " +
                    texts.nullArray);
    if (algorithm == nullptr)
        return Fail(Format("Could not find %s '%s:%s'", texts.lowerWhat, Quoted(strModule).c_str(),
                           Quoted(strAlgorithm).c_str()));
    if (!algorithm->Parse(strNextValue))
        return Fail(std::string(texts.what) + " parse failed\n" + algorithm->TakeLastError());
    size = algorithm->GetOverlaySize();
    if (size == 0)
        return Fail(std::string(texts.what) + " overlay failed\n" + algorithm->TakeLastError());
    if (size > kRenderLimit)
        return Fail(
            Format("%s overlay limited to %d bytes", texts.what, static_cast<int>(kRenderLimit)));
    return CheckStep();
}

int CCommandOverlay::OnExecute(CExecuteParams* params) {
    if (params == nullptr) return Fail("Unable to execute NULL parameters");
    Texts texts = GetTexts();
    params->SetStatusText(StatusText());
    params->AdvanceProgress(progressUnits_);
    if (!IsActive()) {
        params->Log(" inactive", false);
        return 1;
    }
    params->Log(Format("%s to 0x%0*lX (%s::%s) ", Quoted(LoggedValue()).c_str(),
                       texts.addressDigits, static_cast<unsigned long>(dwAddress),
                       Quoted(strModule).c_str(), Quoted(strAlgorithm).c_str()),
                false);
    CDravik* pod = params->GetDravik();
    if (pod == nullptr)
        return Fail(std::string("Unable to execute ") + texts.className + " with NULL Dravik");
    CPluginAlgorithm* algorithm = nullptr;
    std::uint32_t size = 0;
    if (!Prepare(algorithm, size)) return 0;
    if (!algorithm->Render(texts.buffer, kRenderLimit))
        return Fail(std::string(texts.what) + " overlay failed\n" + algorithm->TakeLastError());
    if (!pod->WriteMemory(texts.buffer, dwAddress, size) ||
        !pod->VerifyMemory(texts.buffer, dwAddress, size))
        return FailFromPod(pod);
    std::string next;
    if (!algorithm->GetNextValue(next)) return Fail(algorithm->TakeLastError());
    const std::string written = LoggedValue();
    SetNextValue(next);
    OnWritten(params, written);
    return 1;
}

int CCommandOverlay::WriteXMLAttributes(CStdioXMLFile& file) {
    return WriteCommandAttributes(file, *this, Attributes(), error_);
}

int CCommandOverlay::ReadXMLParameters(std::int32_t element) {
    CCommandOverlay values;
    if (!ReadCommandAttributes(element, values, Attributes(), error_)) return 0;
    return SetParameters(values.strName, values.strModule, values.strAlgorithm, values.strNextValue,
                         values.dwAddress);
}

}  // namespace kv
