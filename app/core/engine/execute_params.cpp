#include "kelvane/core/execute_params.h"

#include <cstdio>
#include <utility>

#include "engine/wrapper_devices.h"
#include "kelvane/core/run_stop.h"
#include "kelvane/core/tree_ui.h"
#include "kelvane/platform/terminal_text.h"
#include "kelvane/platform/usb_backend.h"

namespace kv {

namespace {

ExecuteDevices* gDevices = nullptr;
int gPodInUse = 0;

// An open's own text, followed by what the USB layer knows of why: it has no
// devices at all, or it found one it could not open (held by another
// program, or not this user's to open).
std::string WithUsbCause(std::string text) {
    for (const std::string& why : {usb::backendProblem(), usb::takeOpenProblems()})
        if (!why.empty()) text += "\n" + why;
    return text;
}

}  // namespace

ExecuteDevices* SetExecuteDevices(ExecuteDevices* devices) {
    return std::exchange(gDevices, devices);
}

ExecuteDevices& GetExecuteDevices() {
    return gDevices != nullptr ? *gDevices : WrapperDevices();
}

int GetPodInUse() {
    return gPodInUse;
}

void SetPodInUse(int inUse) {
    gPodInUse = inUse != 0;
}

void StdoutLog::Append(const std::string& raw) {
    // Labels carry names from the project file: no control byte reaches the terminal raw.
    const std::string text = EscapeControlBytes(raw);
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

void StdoutLog::NewLine() {
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

CExecuteParams::~CExecuteParams() {
    Close();
}

int CExecuteParams::Open(CPrgProcessor* processor, std::uint32_t vcc, ProgressBar* progressBar,
                         StatusBar* statusBar, LogWindow* log, const std::string& operationName,
                         int totalUnits, int podNeeded, int adapterNeeded) {
    Close();
    if (processor == nullptr) return Fail("Unable to open execution context with NULL processor");
    bool opened = (!podNeeded || OpenDravik()) && (!adapterNeeded || OpenTovrin()) &&
                  BindEmulationModule(processor, podNeeded);
    if (!opened) {
        std::string text = std::move(error_);
        Close();
        error_ = std::move(text);
        return 0;
    }
    vcc_ = vcc;
    progressBar_ = progressBar;
    statusBar_ = statusBar;
    log_ = log;
    modified_ = 0;
    issued_.clear();
    // A device passed over for another of its kind (another program holds
    // it) is told once, before the run.
    if (!passedOver_.empty()) Log(std::exchange(passedOver_, std::string()), true);
    LogNewLine();
    std::string starting = "Starting '" + Quoted(operationName) + "'";
    SetStatusText(starting);
    Log(starting, true);
    BeginProgress(totalUnits);
    return 1;
}

void CExecuteParams::Close() {
    passedOver_.clear();
    ResetProgress();
    CloseEmulationModule();
    CloseDravik();
    CloseTovrin();
    processor_ = nullptr;
}

void CExecuteParams::Log(const std::string& text, bool newLine) {
    if (log_ == nullptr) return;
    log_->Append(text);
    if (newLine) log_->NewLine();
}

void CExecuteParams::LogNewLine() {
    if (log_ != nullptr) log_->NewLine();
}

void CExecuteParams::SetStatusText(const std::string& text) {
    if (statusBar_ != nullptr) statusBar_->SetText(text);
}

void CExecuteParams::InitProgress(int stepCount, int stepSize) {
    stepCount_ = stepCount;
    stepSize_ = stepSize;
    currentStep_ = 0;
    stepAccumulator_ = 0;
    perMille_ = 0;
    if (progressBar_ != nullptr) progressBar_->SetRange(0, stepCount * 1000);
    UpdateProgressBar();
}

void CExecuteParams::NextStep(int stepSize) {
    ++currentStep_;
    stepAccumulator_ = 0;
    perMille_ = 0;
    stepSize_ = stepSize;
    UpdateProgressBar();
}

void CExecuteParams::SetStepProgress(int units) {
    // A step of no units counts as done as soon as it is entered.
    perMille_ =
        stepSize_ != 0 ? static_cast<int>(static_cast<long long>(units) * 1000 / stepSize_) : 1000;
    UpdateProgressBar();
}

void CExecuteParams::AdvanceProgress(int units) {
    stepAccumulator_ += units;
    SetStepProgress(stepAccumulator_);
}

void CExecuteParams::ResetProgress() {
    stepCount_ = 1;
    currentStep_ = 0;
    stepSize_ = 100;
    stepAccumulator_ = 0;
    perMille_ = 0;
    UpdateProgressBar();
}

void CExecuteParams::BeginProgress(int totalUnits) {
    InitProgress(1, totalUnits);
    SetStepProgress(0);
}

void CExecuteParams::UpdateProgressBar() {
    if (progressBar_ != nullptr) progressBar_->SetPos(currentStep_ * 1000 + perMille_);
}

void CExecuteParams::SetModified(int modified) {
    modified_ = modified;
    if (modified) SetDocumentModified(1);
}

bool CExecuteParams::IsStopRequested() const {
    return !poweringOff_ && GetRunStopSignal() != 0;
}

int CExecuteParams::GetPodErrorNumber() {
    if (pod_ == nullptr) return 1;
    return GetExecuteDevices().GetPodErrorNumber(pod_);
}

int CExecuteParams::OpenDravik() {
    CloseDravik();
    std::string text;
    // What earlier opens (detection, another run) said is not this open's.
    usb::takeOpenProblems();
    pod_ = GetExecuteDevices().OpenDravik(text);
    if (pod_ == nullptr) {
        SetPodInUse(0);
        return Fail(WithUsbCause("Unable to open Dravik\n" + text));
    }
    SetPodInUse(1);
    NotePassedOver();
    return 1;
}

int CExecuteParams::OpenTovrin() {
    CloseTovrin();
    std::string text;
    usb::takeOpenProblems();
    adapter_ = GetExecuteDevices().OpenTovrin(text);
    if (adapter_ == nullptr) return Fail(WithUsbCause("Unable to open Tovrin\n" + text));
    NotePassedOver();
    return 1;
}

void CExecuteParams::NotePassedOver() {
    const std::string said = usb::takeOpenProblems();
    if (!said.empty()) passedOver_ += (passedOver_.empty() ? "" : "\n") + said;
}

void CExecuteParams::CloseDravik() {
    if (pod_ != nullptr) GetExecuteDevices().CloseDravik(std::exchange(pod_, nullptr));
}

void CExecuteParams::CloseTovrin() {
    if (adapter_ != nullptr) GetExecuteDevices().CloseTovrin(std::exchange(adapter_, nullptr));
}

int CExecuteParams::BindEmulationModule(CPrgProcessor* processor, int podNeeded) {
    CloseEmulationModule();
    processor_ = processor;
    if (!podNeeded) return 1;
    ExecuteDevices& devices = GetExecuteDevices();
    CEmulationModule* module = devices.GetEmulationModule(processor);
    if (module == nullptr) return Fail("Unable to open NULL emulation module");
    std::string text;
    if (!devices.OpenEmulationModule(module, pod_, text)) return Fail(text);
    emulationModule_ = module;
    return 1;
}

void CExecuteParams::CloseEmulationModule() {
    if (emulationModule_ != nullptr)
        GetExecuteDevices().CloseEmulationModule(std::exchange(emulationModule_, nullptr));
}

std::string CExecuteParams::TakeError() {
    return std::exchange(error_, std::string());
}

}  // namespace kv
