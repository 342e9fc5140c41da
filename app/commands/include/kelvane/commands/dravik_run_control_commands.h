// The pod commands that reset, query, run, wait for, single-step and stop the
// target CPU. Run, WaitForBreak, SingleStep and Stop go through the run's
// emulation module; Reset and State call the pod directly.
#pragma once

#include <cstdint>
#include <string>

#include "kelvane/commands/command_attributes.h"
#include "kelvane/commands/command_class.h"
#include "kelvane/commands/command_dravik.h"
#include "kelvane/commands/command_statics.h"

namespace kv {

class CEmulationModule;
class CMapParameterXML;

// Target states the pod reports.
enum TargetState : std::int32_t {
    kTargetStopped = 0,
    kTargetRunning = 1,
    kTargetSingleStepComplete = 2,
    kTargetBreakpointHit = 3,
};

class CCommandDravik_Reset : public CCommandDravik {
  public:
    static std::span<const CommandAttribute<CCommandDravik_Reset>> Attributes();
    KV_COMMAND_CLASS("Dravik_Reset")
    CCommandDravik_Reset();

    // PUC_RESET, RST_RESET, VCC_RESET, the forced ones and ALL_RESETS.
    static CMapParameterXML& MethodMap();
    static int InitEnumTable(std::string& error);
    static CCommandDravik_Reset* Create(std::string& error, const std::string& method, int execute,
                                        int releaseJTAG);
    static CProjectTreeItem* CreateFromArguments(std::string& error, const CommandArguments& args);
    static CCommandDravik_Reset* CreateDefault(std::string& error);

    // The method as a keyword, "0x" hexadecimal or decimal.
    int SetParameters(const std::string& method, int execute, int releaseJTAG);
    // Page setters.
    void SetMethod(std::uint32_t method);
    void SetExecute(int execute);
    void SetReleaseJTAG(int releaseJTAG);
    std::uint32_t GetMethod() const { return dwMethod; }
    int GetExecute() const { return bExecute; }
    int GetReleaseJTAG() const { return bReleaseJTAG; }

    void UpdateLabel() override;
    CProjectTreeItem* CreateNew() override { return new CCommandDravik_Reset; }
    int CopyTo(CProjectTreeItem* item) override;
    int OnExecute(CExecuteParams* params) override;
    int WriteXMLAttributes(CStdioXMLFile& file) override;
    int ReadXMLParameters(std::int32_t element) override;

  private:
    void Store(std::uint32_t method, int execute, int releaseJTAG);

    std::uint32_t dwMethod = 0;
    int bExecute = 0;
    int bReleaseJTAG = 0;
};

// Loaded from project files only: no prototype and no page of its own.
class CCommandDravik_State : public CCommandDravik {
  public:
    static constexpr const char* kElementName = "Dravik_State";
    static int DeclareElement(CStdioXMLFile& file);
    static int DeclareAttlist(CStdioXMLFile& file);
    static std::span<const CommandAttribute<CCommandDravik_State>> Attributes();
    CCommandDravik_State();

    // STOPPED, RUNNING, SINGLE_STEP_COMPLETE and BREAKPOINT_HIT.
    static CMapParameterXML& StateMap();
    static int InitEnumTable(std::string& error);

    int SetParameters(int stop);
    int GetStop() const { return bStop; }
    // What the last run read.
    std::int32_t GetState() const { return state_; }
    std::uint32_t GetCycles() const { return cycles_; }

    CProjectTreeItem* CreateNew() override { return new CCommandDravik_State; }
    int CopyTo(CProjectTreeItem* item) override;
    int OnExecute(CExecuteParams* params) override;
    int WriteXMLAttributes(CStdioXMLFile& file) override;
    int ReadXMLParameters(std::int32_t element) override;

  private:
    int bStop = 0;
    std::int32_t state_ = kTargetStopped;
    std::uint32_t cycles_ = 0;
};

class CCommandDravik_WaitForBreak : public CCommandDravik {
  public:
    static std::span<const CommandAttribute<CCommandDravik_WaitForBreak>> Attributes();
    KV_COMMAND_CLASS("Dravik_WaitForBreak")
    CCommandDravik_WaitForBreak();

    static CCommandDravik_WaitForBreak* Create(std::string& error, std::uint32_t dwell,
                                               std::uint32_t repeat, std::uint16_t count);
    static CProjectTreeItem* CreateFromArguments(std::string& error, const CommandArguments& args);
    static CCommandDravik_WaitForBreak* CreateDefault(std::string& error);

    int SetParameters(std::uint32_t dwell, std::uint32_t repeat, std::uint16_t count);
    // Page setters.
    void SetDwell(std::uint32_t dwell);
    void SetRepeat(std::uint32_t repeat);
    void SetRepeatCount(std::uint16_t count);
    std::uint32_t GetDwell() const { return dwDwellMilliseconds; }
    std::uint32_t GetRepeat() const { return dwRepeatMilliseconds; }
    std::uint16_t GetRepeatCount() const { return wRepeatCount; }

    // 1, plus a unit per 250 ms of dwell and of every repeat.
    void UpdateProgressAggregate() override;
    CProjectTreeItem* CreateNew() override { return new CCommandDravik_WaitForBreak; }
    int CopyTo(CProjectTreeItem* item) override;
    int OnExecute(CExecuteParams* params) override;
    int WriteXMLAttributes(CStdioXMLFile& file) override;
    int ReadXMLParameters(std::int32_t element) override;

  protected:
    CCommandDravik_WaitForBreak(CommandPage* page);
    // The wait: dwell, then poll the state until the CPU no longer runs.
    int ExecuteWait(CExecuteParams* params);
    int WaitUnits() const;

    std::uint32_t dwDwellMilliseconds = 500;
    std::uint32_t dwRepeatMilliseconds = 100;
    std::uint16_t wRepeatCount = 5;

  private:
    // Sleeps in 250 ms slices, a "." and a progress unit for each; 0 when
    // the run was asked to stop before a slice.
    int SleepWithProgress(CExecuteParams* params, std::uint32_t milliseconds, int& remaining);
};

class CCommandDravik_Run : public CCommandDravik_WaitForBreak {
  public:
    static std::span<const CommandAttribute<CCommandDravik_Run>> Attributes();
    KV_COMMAND_CLASS("Dravik_Run")
    CCommandDravik_Run();

    static CCommandDravik_Run* Create(std::string& error, int runToBreakpoint, int waitForBreak,
                                      std::uint32_t dwell, std::uint32_t repeat,
                                      std::uint16_t count);
    static CProjectTreeItem* CreateFromArguments(std::string& error, const CommandArguments& args);
    static CCommandDravik_Run* CreateDefault(std::string& error);

    int SetParameters(int runToBreakpoint, int waitForBreak, std::uint32_t dwell,
                      std::uint32_t repeat, std::uint16_t count);
    // Page setters.
    void SetRunToBreakpoint(int runToBreakpoint);
    void SetWaitForBreak(int waitForBreak);
    int GetRunToBreakpoint() const { return bRunToBreakpoint; }
    int GetWaitForBreak() const { return bWaitForBreak; }

    void UpdateLabel() override;
    void SetTreeImage(bool redraw) override;
    // The wait's units when it runs to a breakpoint and waits; else 1.
    void UpdateProgressAggregate() override;
    CProjectTreeItem* CreateNew() override { return new CCommandDravik_Run; }
    int CopyTo(CProjectTreeItem* item) override;
    int OnExecute(CExecuteParams* params) override;
    int WriteXMLAttributes(CStdioXMLFile& file) override;
    int ReadXMLParameters(std::int32_t element) override;

  private:
    int bRunToBreakpoint = 0;
    int bWaitForBreak = 0;
};

class CCommandDravik_SingleStep : public CCommandDravik {
  public:
    KV_COMMAND_CLASS("Dravik_SingleStep")
    CCommandDravik_SingleStep();
    static CCommandDravik_SingleStep* Create(std::string& error);
    static CProjectTreeItem* CreateFromArguments(std::string& error, const CommandArguments& args);
    static CCommandDravik_SingleStep* CreateDefault(std::string& error) { return Create(error); }

    CProjectTreeItem* CreateNew() override { return new CCommandDravik_SingleStep; }
    int OnExecute(CExecuteParams* params) override;
};

class CCommandDravik_Stop : public CCommandDravik {
  public:
    KV_COMMAND_CLASS("Dravik_Stop")
    CCommandDravik_Stop();
    static CCommandDravik_Stop* Create(std::string& error);
    static CProjectTreeItem* CreateFromArguments(std::string& error, const CommandArguments& args);
    static CCommandDravik_Stop* CreateDefault(std::string& error) { return Create(error); }

    CProjectTreeItem* CreateNew() override { return new CCommandDravik_Stop; }
    int OnExecute(CExecuteParams* params) override;
};

// The run's emulation module; nullptr with
// "NULL emulation module during <where>" as the command's error.
CEmulationModule* TakeEmulationModule(CExecuteParams* params, CProjectTreeItem& command,
                                      const std::string& where);

}  // namespace kv
