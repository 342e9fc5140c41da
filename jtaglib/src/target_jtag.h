// The one target of a port: the chip at the end of the pod's cable. Owns the
// protocol object through which every pod command goes, keeps the error
// number and text that the exported functions report, the selected device,
// the copy of the CPU registers, the run state and the target's settings.
//
// Operations return 1 on success and 0 on failure, the failure classified by
// an error number (SetError) with the pod's detail behind the table text.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>

#include "flash/flash_jtag.h"
#include "flash/flash_settings.h"
#include "flash/flash_target.h"
#include "handles.h"
#include "kelvane/platform/sync.h"
#include "nandrel/device/device_record_layout.h"
#include "nandrel/nandrel.h"
#include "nandrel/routines/routine_layout.h"
#include "target_class_values.h"
#include "target_memory_shadows.h"
#include "target_protocol_jtag.h"

namespace nandrel {

class CPortJTAG;
class CEemJTAG;

// True while the EEM polling thread polls: its polls leave the target's
// error number and text to the client.
bool OnEemPollingThread();

// Run modes (those of Nandrel_Run, and none) and the states State reports.
enum RunMode : int32_t {
    kNotRunning = 0,
    kFreeRun = NANDREL_RUN_FREE,
    kSingleStep = NANDREL_RUN_SINGLE_STEP,
    kRunToBreakpoint = NANDREL_RUN_TO_BREAKPOINT,
};
enum TargetState : int32_t { kStopped = 0, kRunning = 1, kStepDone = 2, kBreakpointHit = 3 };

// Reset method bits.
enum ResetMethod : int32_t {
    kResetPuc = 1,
    kResetPin = 2,
    kResetSupply = 4,
    kResetOnlyNamed = 8,
};

inline constexpr uint32_t kCyclesNotCounted = 0xFFFFFFFF;
inline constexpr uint32_t kMaxVccMillivolts = 3600;
inline constexpr uint32_t kPollingPauseMs = 5000;

class CTargetJTAG : private FlashTarget {
  public:
    CTargetJTAG() = default;
    ~CTargetJTAG();
    CTargetJTAG(const CTargetJTAG&) = delete;
    CTargetJTAG& operator=(const CTargetJTAG&) = delete;

    // Creates the protocol object, which finds and opens the pod.
    bool Open(CPortJTAG* port);
    void Close();

    // Pod identity for the port.
    bool GetHardwareVersion(std::string* text);
    bool GetFirmwareVersion(std::string* text);
    bool GetSerialNumber(uint32_t* serial);

    // Errors. Fail sets the text alone (a detail); SetError(n) sets the number
    // and the table text, followed by ":\n" and the detail written since the
    // last SetError or ClearError, if any. It returns 0, ClearError 1.
    bool Fail(std::string text) override;
    int32_t SetError(int32_t number) override;
    int32_t ClearError() override;
    // The protocol object's text as the detail, then SetError(number).
    int32_t PodError(int32_t number);
    // Starts an exported call: details of earlier calls are not chained again.
    void BeginCall() { detailFresh_ = false; }
    int32_t TakeErrorNumber();
    void SetErrorNumber(int32_t number) { errorNumber_ = number; }
    const std::string& errorText() const { return errorText_; }

    const std::string& name() const { return name_; }
    NANDREL_HANDLE handle() { return record_.handle(); }
    CPortJTAG* port() const { return port_; }
    CTargetProtocolJTAG* protocol() const { return protocol_.get(); }

    void RegisterWindow(void* window, uint32_t message, uint32_t userValue);
    uint32_t lastVcc() const { return lastVcc_; }
    void SetKeySPMA(const uint16_t* key);
    bool keySPMASet() const { return keySPMASet_; }

    // --- The JTAG link and the supply.
    int32_t OpenJTAG();
    int32_t CloseJTAG(int32_t mode);
    int32_t ResetJTAGTAP();
    int32_t SetJtagMode(uint32_t mode);
    int32_t VCC(int32_t millivolts);
    int32_t Secure();
    // The security fuse of the chip was blown through this link: the chip no
    // longer answers over JTAG. Cleared by the next OpenJTAG or identification.
    bool fuseBlown() const { return fuseBlown_; }

    // --- Settings.
    int32_t Configure(int32_t item, int32_t value);
    // Ids 0x4616 to 0x4619 program the configuration fuses; any other id
    // fails with its text alone (the error number is left as it is).
    int32_t QueryTargetFeature(uint32_t featureId, uint32_t* length);

    // --- The device database.
    // Device index 0 identifies the chip from its identification block and
    // configuration fuses; another index takes that row as the device. Either
    // way the device is connected, selected and configured, and the record
    // (at least a record's size) receives its description.
    int32_t Identify(void* record, uint32_t size, int32_t index);
    // Fills the record of row (index) from the tables alone: neither the chip
    // nor the selected device changes.
    int32_t Device(int32_t index, void* record, uint32_t size);
    // Points *names at the 32 clock-control module names of the device's class.
    int32_t GetClockControlModuleNames(int32_t index, void** names);
    // Selects row (index) with the values of its class; with `connect` a
    // device row is also taken over. 0, or the error number it stands for.
    int32_t SelectDeviceRow(uint32_t index, bool connect);
    const device::DeviceRecordLayout& deviceRecord() const { return deviceRecord_; }
    // Makes a row of the device table the selected device with its class
    // values, and sends the class settings to the pod.
    bool SelectDevice(uint32_t index, uint32_t deviceClass, const TargetClassValues& values);
    bool SendClassSettings();
    // Forgets the run state and the chip-dependent settings before a device
    // is identified: no run, no breakpoints programmed, Configure items 0 to 2
    // and the saved EEM control cleared, cycles not counted.
    void ClearDeviceState();
    // Takes the newly selected device over: the CPU counts as running freely
    // with the JTAG link held, and the JTAG sync must succeed. 0, or error 30
    // (fuse blown) or 4.
    int32_t ConnectSelectedDevice();

    // --- Chip access used by reset, identification and the flash code.
    // Each returns 0 on success, else the error number it stands for, with
    // the pod's text as the detail.
    int32_t Connect();
    // Connect; when no chip answers, the fuse test tells a blown fuse (error
    // 30) from no chip (error 4).
    int32_t ConnectOrFuseBlown();
    int32_t SyncJtag(bool cpuSync);
    // 0 when the fuse is blown, else kErrFuseBlow.
    int32_t CheckFuseBlown();
    bool HoldWatchdog();
    // Reads the CPU's registers into the copy and holds the watchdog.
    bool SaveContext();
    // Writes the copy, the watchdog and the clock registers back to the CPU.
    bool RestoreContext();

    // --- Reset, registers and run control.
    int32_t Reset(int32_t method, bool execute, bool releaseJtag);
    // Takes the JTAG link back from a CPU that a run or reset left running
    // with the link released; the CPU runs on under the link. True at once
    // when the link is held; false with the pod's text.
    bool TakeBackJtag();
    // Fails an operation that needs the CPU held with "CPU is running" and
    // error `number`; 0.
    int32_t RefuseWhileRunning(int32_t number);
    // Fails a read of `count` bytes at `address` that ends past `last`, the
    // device's last address, with "Invalid parameter(s)" and a detail that
    // names the range's end; 0.
    int32_t RefusePastTheEnd(uint32_t address, uint64_t count, uint32_t last);
    // The last address of the selected device (of the default map without one).
    uint32_t lastAddress() const { return FlashDeviceFor(selectedDevice_, deviceClass_).mainEnd; }
    int32_t ReadRegister(int32_t number, uint32_t* value);
    int32_t WriteRegister(int32_t number, uint32_t value);
    int32_t ReadRegisters(uint32_t* registers, int32_t mask);
    int32_t WriteRegisters(const uint32_t* registers, int32_t mask);
    int32_t Run(int32_t mode, bool releaseJtag);
    int32_t State(int32_t* state, bool stop, uint32_t* cycles);
    // State without pausing the polling thread, under the port lock. A stop
    // that the polling thread sees is kept for the next State call.
    int32_t StateWorker(int32_t* state, bool stop, uint32_t* cycles, bool polling);

    // --- Memory (target_memory_*.cpp) and, through the flasher, flash and
    // image files (flash/).
    int32_t Erase(int32_t type, uint32_t address, uint32_t length);
    int32_t WriteMemory(uint32_t address, const uint8_t* data, uint32_t count) override;
    int32_t ReadMemory(uint32_t address, uint8_t* buffer, uint32_t count);
    // Verifies against `expected`, or checks the range reads erased when it is null.
    int32_t VerifyMemory(uint32_t address, uint32_t count, const uint8_t* expected);
    int32_t ProgramFile(const char* path, int32_t eraseType, bool verify);
    int32_t VerifyFile(const char* path);
    int32_t ReadOutFileText(const char* path, uint32_t address, uint32_t length);
    int32_t ReadOutFileIntel(const char* path, uint32_t address, uint32_t length);
    int32_t SetVCC(int32_t millivolts) { return VCC(millivolts); }
    int32_t FlashTestSetting(uint32_t mode);
    const MemoryShadows& shadows() const { return shadows_; }
    // The flash settings as Configure left them.
    const FlashSettings& flashSettings() const { return flashSettings_; }

    // --- What the EEM polling thread and its notifications hook into.
    bool PausePolling(uint32_t timeoutMs);
    bool WakePolling(int32_t runMode, bool jtagReleased);
    // Readies the EEM's breakpoints for a run; the error number on failure.
    int32_t PrepareEemForRun();
    int32_t StopPolling();
    bool pollingActive() const;
    // Stops the polling thread before the target goes away.
    void ShutdownPolling();
    CEemJTAG& Eem();
    void NotifyWarning(uint32_t wParam);
    void NotifyCpuStopped(uint32_t cycles);

    // Observed state.
    uint32_t selectedDevice() const { return selectedDevice_; }
    uint32_t deviceClass() const { return deviceClass_; }
    const TargetClassValues& classValues() const { return class_; }
    int32_t runMode() const { return runMode_; }
    bool jtagReleased() const { return jtagReleased_; }
    uint32_t jtagMode() const { return jtagMode_; }
    uint16_t jtagId() const { return jtagId_; }
    uint32_t cycleCounter() const { return cycleCounter_; }
    // The register as the copy last took it from the CPU (or was written).
    uint32_t registerCopy(int n) const { return registers_[static_cast<size_t>(n) & 15]; }
    uint16_t savedWatchdog() const { return savedWatchdog_; }
    uint32_t item1Value() const { return item1Value_; }
    uint16_t clockControl() const override { return clockControl_; }
    uint16_t mainClockControl() const override { return mainClockControl_; }
    // The clock-control values the EEM register writes keep up to date.
    void SetClockValues(uint16_t clock, uint16_t main) {
        clockControl_ = clock;
        mainClockControl_ = main;
    }
    uint16_t savedEemControl() const override { return savedEemControl_; }
    void setSavedEemControl(uint16_t value) { savedEemControl_ = value; }

  private:
    std::unique_lock<kv::CriticalSection> LockPort();
    // What the flasher reaches of the target.
    CTargetProtocolJTAG& Protocol() override { return *protocol_; }
    FlashDevice Device() const override { return FlashDeviceFor(selectedDevice_, deviceClass_); }
    void SetFlashTiming(uint32_t value) override { flashSettings_.SetFlashTiming(value); }
    bool HasSelectedDevice() const override { return selectedDevice_ != 0; }

    int32_t WriteRam(uint32_t address, const uint8_t* data, uint32_t count);
    // Flash is erased and programmed only at or above the supply its data
    // sheet rates it for: below it, fails with `error` and returns 0.
    bool FlashSupplyEnough(int32_t error);
    int32_t ReadChip(uint32_t address, uint8_t* buffer, uint32_t count);
    bool HoldWatchdogShadow() override;
    int32_t ReadOut(const char* path, uint32_t address, uint32_t length, bool intel);
    void Notify(uint32_t wParam, uint32_t operation, uint32_t done, uint32_t total) override;
    bool HasEem() const { return class_.emulationLevel != 0; }
    // Keeps the protocol object's text as the detail and returns `number`.
    int32_t PodDetail(int32_t number) {
        Fail(protocol_->errorText());
        return number;
    }
    bool EntrySequence();
    // TAP reset, fuse check, TAP reset and the bypass instruction.
    bool SyncTap(uint8_t* id);
    // The line pulse on the reset and TEST lines that a reset-pin reset starts with.
    bool PulseResetLine();
    // One power-up clear through the pod with the saved control values.
    bool PowerUpClear() override;
    // Reset steps; each returns true when the chip was reset.
    bool ResetByPuc();
    bool ResetByPin();
    bool ResetBySupply();
    bool SaveEemRegisters();
    bool RestoreEemRegisters();
    bool ReadEemRegister(uint16_t reg, uint32_t* value);
    bool WriteEemRegister(uint16_t reg, uint32_t value) override;
    bool SaveClockRegisters();
    bool RestoreClockRegisters();
    // Takes back a JTAG link released while the CPU ran.
    bool RetakeJtag();
    // Run of a CPU that runs already: the link as asked, the breakpoints
    // armed for mode 3; 0 or the error number.
    int32_t RunOn(int32_t mode, bool releaseJtag);
    // Single step set-up and the instruction's cycles.
    int32_t Step();
    // Arms the any-fetch step trigger and releases the CPU with `firstWord`.
    int32_t StartEemStep(uint16_t firstWord);
    // Whether the run to a breakpoint starts at one it would stop at at once.
    bool StartsAtBreakpoint();
    // Steps off the breakpoint at the PC and runs on; on EEM parts the run
    // goes on when State sees the step's stop (CompleteStepOver).
    int32_t StartRunOffBreakpoint();
    int32_t CompleteStepOver();
    // Waits for the step off the breakpoint to end, then completes it.
    int32_t FinishStepOverNow();
    bool StepByClock();
    void CountCycles(uint32_t cycles);
    // Decides whether a running CPU has stopped; *state gets 2 or 3 when so.
    bool PollStopped(bool stop, int32_t* state, bool* stopped);
    bool ProgramBreakpoints();
    // Lets a free run run past every breakpoint; the next run to them, a
    // stop or a reset that holds the CPU puts them back in force.
    bool DisarmBreakpoints();
    bool RearmBreakpoints();
    // Identification steps; 0 or the error number.
    int32_t ReadDeviceRow(uint32_t* row);
    int32_t ConfigureIdentified(bool automatic);

    std::string errorText_ = "No error";
    bool detailFresh_ = false;
    std::string name_ = "Tgt0";
    HandleRecord record_;
    CPortJTAG* port_ = nullptr;
    std::unique_ptr<CTargetProtocolJTAG> protocol_;
    void* window_ = nullptr;
    uint32_t message_ = 0x400;
    uint32_t userValue_ = 0;
    uint32_t jtagMode_ = 0;
    int32_t errorNumber_ = 0;

    // Run state.
    bool jtagReleased_ = false;
    int32_t runMode_ = kNotRunning;
    bool stepOver_ = false;
    bool breakpointProgrammed_ = false;
    // A run to the simple breakpoints of a part without EEM enabled stopping at them.
    bool simpleStopsEnabled_ = false;
    uint32_t cycleCounter_ = kCyclesNotCounted;
    uint16_t lastInstruction_ = 0;

    // Selected device.
    uint32_t selectedDevice_ = 0;
    uint32_t deviceClass_ = 0;
    TargetClassValues class_;
    uint16_t jtagId_ = 0;
    device::DeviceRecordLayout deviceRecord_{};

    // Configuration values.
    uint32_t item1Value_ = 0;
    uint16_t clockControl_ = 0;
    uint16_t mainClockControl_ = 0;
    uint16_t mdbValue_ = 0;
    bool mdbPending_ = false;
    FlashSettings flashSettings_;

    // CPU context.
    std::array<uint32_t, 16> registers_{};
    uint16_t savedWatchdog_ = 0;
    bool watchdogSaved_ = false;
    bool clockSaved_ = false;
    std::array<uint8_t, 5> savedClock_{};
    uint16_t savedEemControl_ = 0;
    std::array<uint32_t, 5> savedEem_{};

    uint32_t lastVcc_ = 0;
    bool fuseBlown_ = false;
    std::array<uint8_t, 8> keySPMA_{};
    bool keySPMASet_ = false;

    // The EEM and its polling thread; a stop seen by the thread, not yet
    // returned by State.
    std::shared_ptr<CEemJTAG> eem_;
    int32_t unreportedStop_ = 0;

    // The registers the memory code keeps shadows of, and the flasher.
    MemoryShadows shadows_;
    CFlashJTAG flasher_{*this};
};

}  // namespace nandrel
