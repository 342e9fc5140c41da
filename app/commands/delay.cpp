#include "kelvane/commands/delay.h"

#include <algorithm>

#include "kelvane/commands/command_text.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/stdio_xml_file.h"
#include "kelvane/core/xml_reading.h"
#include "kelvane/platform/clock.h"

namespace kv {

CCommandDelay::CCommandDelay() : CCommandComment(Page()) {
    elementName_ = kElementName;
    displayName_ = "Delay";
    description_ = "Unconditional delay";
    treeImage_ = 18;
    UpdateLabel();
}

int CCommandDelay::DeclareElement(CStdioXMLFile& file) {
    return DeclareEmptyCommandElement(file, kElementName);
}

std::span<const CommandAttribute<CCommandDelay>> CCommandDelay::Attributes() {
    using T = CCommandDelay;
    static constexpr CommandAttribute<T> kAttributes[] = {
        {.name = "dwDelay", .form = AttributeForm::kMilliseconds, .dword = &T::dwDelay},
    };
    return kAttributes;
}

int CCommandDelay::DeclareAttlist(CStdioXMLFile& file) {
    return DeclareCommandAttlist(file, kElementName,
                                 [&] { return DeclareCommandAttributes(file, Attributes()); });
}

CCommandDelay* CCommandDelay::Create(std::string& /*error*/, std::uint32_t delay,
                                     const std::string& text) {
    auto* command = new CCommandDelay;
    command->SetParameters(delay, text);
    return command;
}

CProjectTreeItem* CCommandDelay::CreateFromArguments(std::string& error,
                                                     const CommandArguments& args) {
    std::uint32_t delay = 0;
    std::string text;
    if (!CommandNumberArgument(args, 0, "CCommandDelay", delay, error) ||
        !CommandTextArgument(args, 1, "CCommandDelay", text, error))
        return nullptr;
    return Create(error, delay, text);
}

CCommandDelay* CCommandDelay::CreateDefault(std::string& error) {
    return Create(error, 1000, "Delay");
}

CommandPage& CCommandDelay::Page() {
    static CommandPage page(kElementName);
    return page;
}

std::string CCommandDelay::FormatDelay(std::uint32_t delay) {
    double seconds = delay * 0.001;
    if (delay == 0) return "None";
    if (delay < 1000) return Format("%ld msec", static_cast<long>(delay));
    if (delay < 10000) return Format("%0.2lf sec", seconds);
    if (delay < 100000) return Format("%0.1lf sec", seconds);
    return Format("%0.0lf sec", seconds);
}

int CCommandDelay::SetParameters(std::uint32_t delay, const std::string& text) {
    dwDelay = delay;
    SetText(text);
    UpdateProgressAggregate();
    return 1;
}

void CCommandDelay::SetDelay(std::uint32_t delay) {
    if (delay == dwDelay) return;
    dwDelay = delay;
    UpdateLabel();
    UpdateProgressAggregate();
    SetDocumentModified(1);
}

void CCommandDelay::UpdateLabel() {
    treeLabel_ = "Delay " + FormatDelay(dwDelay) + " '" + ShortLabel(10) + "'";
    ShowLabel();
}

void CCommandDelay::UpdateProgressAggregate() {
    progressUnits_ = 1 + static_cast<int>((std::uint64_t{dwDelay} + kSlice - 1) / kSlice);
}

int CCommandDelay::CopyTo(CProjectTreeItem* item) {
    if (!CCommandComment::CopyTo(item)) return 0;
    auto* copy = static_cast<CCommandDelay*>(item);
    CopyCommandAttributes(*this, *copy, Attributes());
    copy->progressUnits_ = progressUnits_;
    return 1;
}

int CCommandDelay::OnExecute(CExecuteParams* params) {
    if (params == nullptr) return Fail("Unable to execute NULL parameters");
    params->SetStatusText("Delaying...");
    params->AdvanceProgress(1);
    if (!GetText().empty()) params->Log(GetText(), false);
    for (std::uint32_t remaining = dwDelay; remaining > 0;) {
        PumpMessages(0);
        if (StopRequested(params)) return 0;
        std::uint32_t slice = std::min(remaining, kSlice);
        clock().sleep(slice);
        remaining -= slice;
        params->Log(".", false);
        params->AdvanceProgress(1);
    }
    params->LogNewLine();
    return 1;
}

int CCommandDelay::WriteXMLAttributes(CStdioXMLFile& file) {
    return WriteCommandAttributes(file, *this, Attributes(), error_);
}

int CCommandDelay::ReadXMLParameters(std::int32_t element) {
    CCommandDelay values;
    if (!ReadCommandAttributes(element, values, Attributes(), error_)) return 0;
    std::string text;
    if (!GetXmlElementText(element, text, false, error_)) return 0;
    return SetParameters(values.dwDelay, text);
}

}  // namespace kv
