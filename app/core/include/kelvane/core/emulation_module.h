// The target's Enhanced Emulation Module during a run: the breakpoint count of
// the processor's emulation level, the breakpoints set, and run, single-step and
// stop on top of the pod. The EEM is opened lazily at the first operation that
// needs it. The breakpoints outlive a closed EEM (Identify, a reset that
// releases JTAG): the library's handles die with it, and opening the EEM again
// sets every remembered breakpoint afresh. Opening the EEM leaves the CPU
// where it is. A level without breakpoints has no EEM to open: run,
// single-step and stop go to the library directly.
//
// There is one shared instance per level (GetEmulationModule); the execution
// context binds it to the run's pod with Open and releases it with Close.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "kelvane/core/emulation_pod.h"

namespace kv {

class CMapParameterXML;

class CEmulationModule {
  public:
    static constexpr int kMaxBreakpoints = 8;

    explicit CEmulationModule(int breakpointCount);
    CEmulationModule(const CEmulationModule&) = delete;
    CEmulationModule& operator=(const CEmulationModule&) = delete;
    virtual ~CEmulationModule() = default;

    int GetBreakpointCount() const { return breakpointCount_; }
    CEmulationPod* GetPod() const { return pod_; }
    bool IsEEMOpen() const { return eemOpen_; }
    // The library's handle of a breakpoint index; 0 when not set in the open
    // EEM or out of range.
    std::uint16_t GetBreakpointHandle(int index) const;
    // Whether a breakpoint index is set (remembered while the EEM is closed).
    bool IsBreakpointSet(int index) const;

    // Close, then binds the pod with every breakpoint clear.
    int Open(CEmulationPod* pod);
    // CloseEEM, then unbinds; always 1.
    int Close();
    // Opens the EEM and sets the remembered breakpoints in it; nothing to
    // open on a level without breakpoints.
    int EnterEmulation();
    // Closes the EEM and forgets the library's handles, not the breakpoints.
    int CloseEEM();

    int SetBreakpoint(int index, const BreakpointRecord* definition);
    int ClearBreakpoint(int index);
    // Mode 3 (to breakpoints) when toBreakpoints is non-zero, else 1 (free run).
    int Run(int toBreakpoints);
    int SingleStep();
    int Stop();

    const std::string& GetLastErrorText() const { return error_; }
    // Moves the error text out and leaves it empty.
    void GetLastError(std::string& out);

    // The record a breakpoint is cleared with.
    static BreakpointRecord ClearingRecord();

  private:
    int CheckIndex(int index);
    int TakePodError();

    int breakpointCount_;
    std::string error_ = "No error";
    CEmulationPod* pod_ = nullptr;
    std::array<std::uint16_t, kMaxBreakpoints> handles_{};
    // The definition of every breakpoint set, by index.
    std::array<BreakpointRecord, kMaxBreakpoints> definitions_{};
    std::array<bool, kMaxBreakpoints> set_{};
    bool eemOpen_ = false;
};

class CEmulationModule_None final : public CEmulationModule {
  public:
    CEmulationModule_None() : CEmulationModule(0) {}
};

class CEmulationModule_Low final : public CEmulationModule {
  public:
    CEmulationModule_Low() : CEmulationModule(2) {}
};

class CEmulationModule_Medium final : public CEmulationModule {
  public:
    CEmulationModule_Medium() : CEmulationModule(3) {}
};

class CEmulationModule_High final : public CEmulationModule {
  public:
    CEmulationModule_High() : CEmulationModule(8) {}
};

// The shared instance of a level 0-3 (EMEX_NONE, EMEX_LOW, EMEX_MEDIUM,
// EMEX_HIGH); nullptr for any other value.
CEmulationModule* GetEmulationModule(std::int32_t level);

// Adds "EMEX_NONE" 0, "EMEX_LOW" 1, "EMEX_MEDIUM" 2 and "EMEX_HIGH" 3.
void AddEmulationLevels(CMapParameterXML& map);

}  // namespace kv
