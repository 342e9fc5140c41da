#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "kelvane/commands/command_text.h"
#include "kelvane/commands/overlay.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/map_parameter_xml.h"
#include "kelvane/core/plugin_lists.h"
#include "kelvane/core/stdio_xml_file.h"
#include "kelvane/core/xml_reading.h"
#include "kelvane/platform/terminal_text.h"

namespace kv {

namespace {

// The render buffer of the class, made once for the program's life.
std::uint8_t* SerializeBuffer() {
    static std::vector<std::uint8_t> buffer(CCommandOverlay::kRenderLimit);
    return buffer.data();
}

}  // namespace

CCommandSerialize::CCommandSerialize() : CCommandOverlay(Page()) {
    elementName_ = kElementName;
    displayName_ = "Serialize";
    description_ = "Write serial number";
    treeImage_ = 10;
    UpdateLabel();
}

int CCommandSerialize::DeclareElement(CStdioXMLFile& file) {
    return DeclareEmptyCommandElement(file, kElementName);
}

std::span<const CommandAttribute<CCommandSerialize>> CCommandSerialize::Attributes() {
    using T = CCommandSerialize;
    static constexpr CommandAttribute<T> kAttributes[] = {
        {.name = "nCount", .form = AttributeForm::kLong, .number = &T::nCount},
        {.name = "bCountUp", .form = AttributeForm::kBool, .number = &T::bCountUp},
    };
    return kAttributes;
}

int CCommandSerialize::DeclareAttlist(CStdioXMLFile& file) {
    return DeclareCommandAttlist(file, kElementName, [&] {
        return DeclareCommandAttributes(file, CCommandOverlay::Attributes()) &&
               DeclareCommandAttributes(file, Attributes());
    });
}

CProjectTreeItem* CCommandSerialize::CreateFromArguments(std::string& error,
                                                         const CommandArguments& args) {
    std::string name, module, algorithm, next;
    std::uint32_t address = 0, count = 0, countUp = 1;
    const char* cls = "CCommandSerialize";
    if (!CommandTextArgument(args, 0, cls, name, error) ||
        !CommandTextArgument(args, 1, cls, module, error) ||
        !CommandTextArgument(args, 2, cls, algorithm, error) ||
        !CommandTextArgument(args, 3, cls, next, error) ||
        !CommandNumberArgument(args, 4, cls, address, error) ||
        !CommandNumberArgument(args, 5, cls, count, error) ||
        !CommandNumberArgument(args, 6, cls, countUp, error))
        return nullptr;
    auto* command = new CCommandSerialize;
    command->SetParameters(name, module, algorithm, next, address, static_cast<std::int32_t>(count),
                           countUp != 0);
    return command;
}

CProjectTreeItem* CCommandSerialize::CreateDefault(std::string& error) {
    CArraySerializerAlgorithm* list = CSerializerPlugins::GetSerializerAlgorithms();
    if (list == nullptr) {
        error = "Cannot create default serializer with NULL algorithms";
        return nullptr;
    }
    if (list->GetSize() == 0) {
        error = "Cannot create default serializer with no available algorithms";
        return nullptr;
    }
    CSerializerAlgorithm* first = list->GetAt(0);
    if (first == nullptr) {
        error = "Cannot create default serializer with NULL algorithm";
        return nullptr;
    }
    auto* command = new CCommandSerialize;
    command->SetParameters("Default", first->GetModuleName(), first->GetName(),
                           first->GetInitialValue(), 0x1000, 0, 1);
    return command;
}

CommandPage& CCommandSerialize::Page() {
    static CommandPage page(kElementName);
    return page;
}

int CCommandSerialize::SetParameters(const std::string& name, const std::string& module,
                                     const std::string& algorithm, const std::string& nextValue,
                                     std::uint32_t address, std::int32_t count, int countUp) {
    nCount = count;
    bCountUp = countUp != 0;
    return CCommandOverlay::SetParameters(name, module, algorithm, nextValue, address);
}

void CCommandSerialize::SetCountUp(int countUp) {
    if ((countUp != 0) == (bCountUp != 0)) return;
    bCountUp = countUp != 0;
    SetDocumentModified(1);
}

void CCommandSerialize::SetCount(std::int32_t count) {
    if (count == nCount) return;
    nCount = count;
    SetDocumentModified(1);
}

void CCommandSerialize::StepCount() {
    nCount = bCountUp ? nCount + 1 : nCount - 1;
    SetDocumentModified(1);
}

void CCommandSerialize::UpdateLabel() {
    treeLabel_ = "Serialize " + strName;
    ShowLabel();
}

int CCommandSerialize::CopyTo(CProjectTreeItem* item) {
    if (!CCommandOverlay::CopyTo(item)) return 0;
    auto* copy = static_cast<CCommandSerialize*>(item);
    CopyCommandAttributes(*this, *copy, Attributes());
    return 1;
}

std::string CCommandSerialize::LoggedValue() {
    const std::size_t first = strNextValue.find_first_not_of(" \t\r\n\v\f");
    if (first == std::string::npos) return strNextValue;
    const std::size_t last = strNextValue.find_last_not_of(" \t\r\n\v\f");
    const std::size_t start = first + (strNextValue[first] == '+' ? 1 : 0);
    if (start > last) return strNextValue;
    const std::string digits = strNextValue.substr(start, last - start + 1);
    if (digits.find_first_not_of("0123456789") != std::string::npos) return strNextValue;
    const std::size_t significant = std::min(digits.find_first_not_of('0'), digits.size());
    if (digits.size() - significant > 10) return strNextValue;
    const unsigned long long number = std::stoull(digits);
    if (number > 0xFFFFFFFFull) return strNextValue;
    return std::to_string(number);
}

int CCommandSerialize::CheckStep() {
    if (bCountUp && nCount == INT32_MAX)
        return Fail(Format("Unable to count nCount up from %ld: it would leave the range of an int",
                           static_cast<long>(nCount)));
    if (!bCountUp && nCount == INT32_MIN)
        return Fail(
            Format("Unable to count nCount down from %ld: it would leave the range of an int",
                   static_cast<long>(nCount)));
    return 1;
}

CCommandOverlay::Texts CCommandSerialize::GetTexts() const {
    return {"CCommandSerialize", "Serializer", "serializer", "NULL serializer array", 4,
            SerializeBuffer()};
}

CPluginAlgorithm* CCommandSerialize::FindAlgorithm(bool& haveList) {
    CArraySerializerAlgorithm* list = CSerializerPlugins::GetSerializerAlgorithms();
    haveList = list != nullptr;
    return list != nullptr ? list->Find(strModule, strAlgorithm) : nullptr;
}

void CCommandSerialize::OnWritten(CExecuteParams* params, const std::string& written) {
    StepCount();
    params->SetModified(1);
    params->RecordIssued("Serialize " + Quoted(strName) + ": " + written);
    RefreshPage();
}

int CCommandSerialize::WriteXMLAttributes(CStdioXMLFile& file) {
    return WriteCommandAttributes(file, *this, CCommandOverlay::Attributes(), error_) &&
           WriteCommandAttributes(file, *this, Attributes(), error_);
}

int CCommandSerialize::ReadXMLParameters(std::int32_t element) {
    CCommandSerialize values;
    if (!ReadCommandAttributes(element, values, CCommandOverlay::Attributes(), error_) ||
        !ReadCommandAttributes(element, values, Attributes(), error_))
        return 0;
    return SetParameters(values.strName, values.strModule, values.strAlgorithm, values.strNextValue,
                         values.dwAddress, values.nCount, values.bCountUp);
}

}  // namespace kv
