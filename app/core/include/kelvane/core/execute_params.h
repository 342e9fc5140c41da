// The context of one run: opens the pod wrapper and the adapter wrapper only
// when the operation's commands need them, binds the processor's emulation
// module to the pod, and is the one outlet for progress, status text and log
// lines. Devices live from Open to Close; every run opens them afresh.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "kelvane/core/execute_outlets.h"

namespace kv {

class CDravik;
class CEmulationModule;
class CPrgProcessor;
class CTovrin;

// How a run reaches its devices. The default opens the real wrappers; tests
// and tools may install another.
class ExecuteDevices {
  public:
    virtual ~ExecuteDevices() = default;
    // A new pod wrapper, opened through its reopen; nullptr with the wrapper's
    // error text.
    virtual CDravik* OpenDravik(std::string& error) = 0;
    // Closes and deletes the wrapper.
    virtual void CloseDravik(CDravik* pod) = 0;
    // The last library error number the pod recorded.
    virtual int GetPodErrorNumber(CDravik* pod) = 0;
    virtual CTovrin* OpenTovrin(std::string& error) = 0;
    virtual void CloseTovrin(CTovrin* adapter) = 0;
    // The processor's emulation module (by its level), nullptr when none.
    virtual CEmulationModule* GetEmulationModule(CPrgProcessor* processor) = 0;
    // Binds the module to the pod; 0 with the module's error text.
    virtual int OpenEmulationModule(CEmulationModule* module, CDravik* pod, std::string& error) = 0;
    // Leaves emulation and unbinds.
    virtual void CloseEmulationModule(CEmulationModule* module) = 0;
};

// Installs the devices runs use; nullptr restores the wrappers. Returns the
// previous ones.
ExecuteDevices* SetExecuteDevices(ExecuteDevices* devices);
ExecuteDevices& GetExecuteDevices();

// Which kind of device the last run used: 1 after the pod opened, 0 after it
// failed to. Chooses the pod or adapter variant of the built-in operations.
int GetPodInUse();
void SetPodInUse(int inUse);

class CExecuteParams {
  public:
    CExecuteParams() = default;
    CExecuteParams(const CExecuteParams&) = delete;
    CExecuteParams& operator=(const CExecuteParams&) = delete;
    virtual ~CExecuteParams();

    int Open(CPrgProcessor* processor, std::uint32_t vcc, ProgressBar* progressBar,
             StatusBar* statusBar, LogWindow* log, const std::string& operationName, int totalUnits,
             int podNeeded, int adapterNeeded);
    // Releases every device and resets the progress; safe when never opened.
    void Close();

    void Log(const std::string& text, bool newLine);
    void LogNewLine();
    void SetStatusText(const std::string& text);

    // Progress, in thousandths of a step.
    void InitProgress(int stepCount, int stepSize);
    void NextStep(int stepSize);
    void SetStepProgress(int units);
    void AdvanceProgress(int units);
    void ResetProgress();
    void BeginProgress(int totalUnits);
    void UpdateProgressBar();

    void SetVcc(std::uint32_t vcc) { vcc_ = vcc; }
    std::uint32_t GetVcc() const { return vcc_; }
    // A nonzero flag also marks the document modified.
    void SetModified(int modified);
    int GetModified() const { return modified_; }
    // What the run gave out that the project must record, as its log shows
    // it ("Serialize Unit: 1000"): named when the record cannot be saved.
    void RecordIssued(const std::string& what) { issued_.push_back(what); }
    const std::vector<std::string>& GetIssued() const { return issued_; }

    // Whether the run was asked to stop (run_stop.h). Never while the
    // power-off operation of a failed run switches the targets off.
    bool IsStopRequested() const;
    // Returns the previous state, for the power-off of a failure inside one.
    bool SetPoweringOff(bool poweringOff) {
        const bool previous = poweringOff_;
        poweringOff_ = poweringOff;
        return previous;
    }

    CPrgProcessor* GetProcessor() const { return processor_; }
    CEmulationModule* GetEmulationModule() const { return emulationModule_; }
    CDravik* GetDravik() const { return pod_; }
    CTovrin* GetTovrin() const { return adapter_; }
    // The open pod's last library error number; 1 without a pod.
    int GetPodErrorNumber();

    int OpenDravik();
    int OpenTovrin();
    void CloseDravik();
    void CloseTovrin();
    int BindEmulationModule(CPrgProcessor* processor, int podNeeded);

    int GetStepCount() const { return stepCount_; }
    int GetCurrentStep() const { return currentStep_; }
    int GetPerMille() const { return perMille_; }
    int GetStepSize() const { return stepSize_; }

    const std::string& GetLastError() const { return error_; }
    std::string TakeError();

  private:
    int Fail(std::string text) {
        error_ = std::move(text);
        return 0;
    }
    void CloseEmulationModule();
    // Keeps what the USB layer said of devices an open that succeeded passed over.
    void NotePassedOver();

    ProgressBar* progressBar_ = nullptr;
    StatusBar* statusBar_ = nullptr;
    CPrgProcessor* processor_ = nullptr;
    CEmulationModule* emulationModule_ = nullptr;
    std::string error_ = "No error";
    // Devices the opens passed over, to be told before the run.
    std::string passedOver_;
    LogWindow* log_ = nullptr;
    int stepCount_ = 1;
    int currentStep_ = 0;
    int stepAccumulator_ = 0;
    int perMille_ = 0;
    int stepSize_ = 100;
    int modified_ = 0;
    std::vector<std::string> issued_;
    bool poweringOff_ = false;
    CDravik* pod_ = nullptr;
    CTovrin* adapter_ = nullptr;
    std::uint32_t vcc_ = 0;
};

}  // namespace kv
