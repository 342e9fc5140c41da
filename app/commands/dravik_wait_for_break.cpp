#include <algorithm>

#include "kelvane/commands/dravik_run_control_commands.h"
#include "kelvane/core/dravik.h"
#include "kelvane/core/emulation_module.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/tree_ui.h"
#include "kelvane/core/xml_reading.h"
#include "kelvane/platform/clock.h"

namespace kv {
namespace {

constexpr std::uint32_t kSlice = 250;
// A run's progress total is a sum of int units; a wait of days must not
// overflow it.
constexpr std::int64_t kMaxWaitUnits = 0x00FFFFFF;

std::int64_t Slices(std::uint32_t milliseconds) {
    return (std::int64_t{milliseconds} + kSlice - 1) / kSlice;
}

}  // namespace

CCommandDravik_WaitForBreak::CCommandDravik_WaitForBreak() : CCommandDravik_WaitForBreak(&Page()) {
    elementName_ = kElementName;
    displayName_ = "Wait for Break";
    description_ = "Wait for breakpoint hit";
    treeLabel_ = "Wait for Break";
    treeImage_ = 40;
}

CCommandDravik_WaitForBreak::CCommandDravik_WaitForBreak(CommandPage* page) : CCommandDravik(page) {
    progressUnits_ = WaitUnits();
}

CommandPage& CCommandDravik_WaitForBreak::Page() {
    static CommandPage page(kElementName);
    return page;
}

int CCommandDravik_WaitForBreak::DeclareElement(CStdioXMLFile& file) {
    return DeclareEmptyCommandElement(file, kElementName);
}

std::span<const CommandAttribute<CCommandDravik_WaitForBreak>>
CCommandDravik_WaitForBreak::Attributes() {
    using T = CCommandDravik_WaitForBreak;
    static constexpr CommandAttribute<T> kAttributes[] = {
        {.name = "dwDwellMilliseconds",
         .form = AttributeForm::kMilliseconds,
         .dword = &T::dwDwellMilliseconds},
        {.name = "dwRepeatMilliseconds",
         .form = AttributeForm::kMilliseconds,
         .dword = &T::dwRepeatMilliseconds},
        {.name = "wRepeatCount", .form = AttributeForm::kWordDecimal, .word = &T::wRepeatCount},
    };
    return kAttributes;
}

int CCommandDravik_WaitForBreak::DeclareAttlist(CStdioXMLFile& file) {
    return DeclareCommandAttlist(file, kElementName,
                                 [&] { return DeclareCommandAttributes(file, Attributes()); });
}

CCommandDravik_WaitForBreak* CCommandDravik_WaitForBreak::Create(std::string& /*error*/,
                                                                 std::uint32_t dwell,
                                                                 std::uint32_t repeat,
                                                                 std::uint16_t count) {
    auto* command = new CCommandDravik_WaitForBreak;
    command->SetParameters(dwell, repeat, count);
    return command;
}

CProjectTreeItem* CCommandDravik_WaitForBreak::CreateFromArguments(std::string& error,
                                                                   const CommandArguments& args) {
    std::uint32_t dwell = 0, repeat = 0, count = 0;
    const char* name = "CCommandDravik_WaitForBreak";
    if (!CommandNumberArgument(args, 0, name, dwell, error) ||
        !CommandNumberArgument(args, 1, name, repeat, error) ||
        !CommandNumberArgument(args, 2, name, count, error))
        return nullptr;
    return Create(error, dwell, repeat, static_cast<std::uint16_t>(count));
}

CCommandDravik_WaitForBreak* CCommandDravik_WaitForBreak::CreateDefault(std::string& error) {
    return Create(error, 500, 100, 5);
}

int CCommandDravik_WaitForBreak::SetParameters(std::uint32_t dwell, std::uint32_t repeat,
                                               std::uint16_t count) {
    dwDwellMilliseconds = dwell;
    dwRepeatMilliseconds = repeat;
    wRepeatCount = count;
    UpdateProgressAggregate();
    return 1;
}

void CCommandDravik_WaitForBreak::SetDwell(std::uint32_t dwell) {
    if (dwell == dwDwellMilliseconds) return;
    dwDwellMilliseconds = dwell;
    UpdateProgressAggregate();
    SetDocumentModified(1);
}

void CCommandDravik_WaitForBreak::SetRepeat(std::uint32_t repeat) {
    if (repeat == dwRepeatMilliseconds) return;
    dwRepeatMilliseconds = repeat;
    UpdateProgressAggregate();
    SetDocumentModified(1);
}

void CCommandDravik_WaitForBreak::SetRepeatCount(std::uint16_t count) {
    if (count == wRepeatCount) return;
    wRepeatCount = count;
    UpdateProgressAggregate();
    SetDocumentModified(1);
}

int CCommandDravik_WaitForBreak::WaitUnits() const {
    std::int64_t units = 1;
    if (dwDwellMilliseconds != 0) units += Slices(dwDwellMilliseconds);
    if (dwRepeatMilliseconds != 0) units += Slices(dwRepeatMilliseconds) * wRepeatCount;
    return static_cast<int>(std::min(units, kMaxWaitUnits));
}

void CCommandDravik_WaitForBreak::UpdateProgressAggregate() {
    progressUnits_ = WaitUnits();
}

int CCommandDravik_WaitForBreak::CopyTo(CProjectTreeItem* item) {
    if (!CCommandDravik::CopyTo(item)) return 0;
    auto* copy = static_cast<CCommandDravik_WaitForBreak*>(item);
    CopyCommandAttributes(*this, *copy, Attributes());
    copy->UpdateProgressAggregate();
    return 1;
}

int CCommandDravik_WaitForBreak::SleepWithProgress(CExecuteParams* params,
                                                   std::uint32_t milliseconds, int& remaining) {
    // The first slice is the whole time when that is shorter than a slice;
    // every slice after it is a whole one.
    const std::int64_t slices = Slices(milliseconds);
    for (std::int64_t i = 0; i < slices; ++i) {
        if (StopRequested(params)) return 0;
        clock().sleep(i == 0 ? std::min(milliseconds, kSlice) : kSlice);
        params->Log(".", false);
        if (remaining > 0) {
            params->AdvanceProgress(1);
            --remaining;
        }
    }
    return 1;
}

int CCommandDravik_WaitForBreak::ExecuteWait(CExecuteParams* params) {
    CDravik* pod = TakePod(params, "CCommandDravik_WaitForBreak::ExecuteWait");
    if (pod == nullptr) return 0;
    if (TakeEmulationModule(params, *this, "CCommandDravik_WaitForBreak::ExecuteWait") == nullptr)
        return 0;
    int remaining = WaitUnits() - 1;
    if (!SleepWithProgress(params, dwDwellMilliseconds, remaining)) return 0;
    std::int32_t state = 0;
    std::uint32_t cycles = 0;
    if (!pod->State(state, 0, cycles)) return FailFromPod(pod);
    std::uint32_t polls = 0;
    while (state == kTargetRunning) {
        if (polls >= wRepeatCount) return Fail("Target did not stop or hit breakpoint");
        if (!SleepWithProgress(params, dwRepeatMilliseconds, remaining)) return 0;
        if (!pod->State(state, 0, cycles)) return FailFromPod(pod);
        ++polls;
    }
    if (remaining > 0) params->AdvanceProgress(remaining);
    params->Log("#", false);
    return 1;
}

int CCommandDravik_WaitForBreak::OnExecute(CExecuteParams* params) {
    params->SetStatusText("Waiting for break");
    params->AdvanceProgress(1);
    return ExecuteWait(params);
}

int CCommandDravik_WaitForBreak::WriteXMLAttributes(CStdioXMLFile& file) {
    return WriteCommandAttributes(file, *this, Attributes(), error_);
}

int CCommandDravik_WaitForBreak::ReadXMLParameters(std::int32_t element) {
    CCommandDravik_WaitForBreak values;
    if (!ReadCommandAttributes(element, values, Attributes(), error_)) return 0;
    return SetParameters(values.dwDwellMilliseconds, values.dwRepeatMilliseconds,
                         values.wRepeatCount);
}

}  // namespace kv
