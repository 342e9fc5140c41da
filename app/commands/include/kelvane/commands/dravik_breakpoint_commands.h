// The pod commands that set and clear an EEM breakpoint of the target through
// the run's emulation module.
#pragma once

#include <cstdint>
#include <string>

#include "kelvane/commands/command_attributes.h"
#include "kelvane/commands/command_class.h"
#include "kelvane/commands/command_dravik.h"
#include "kelvane/commands/command_statics.h"
#include "nandrel/nandrel.h"

namespace kv {

class CMapParameterXML;

// The keyword maps of a breakpoint definition; access and operator serve the
// trigger and the condition alike.
struct BreakpointMaps {
    static CMapParameterXML& Mode();
    static CMapParameterXML& Type();
    static CMapParameterXML& Access();
    static CMapParameterXML& Action();
    static CMapParameterXML& Operator();
    static CMapParameterXML& RangeAction();
    static CMapParameterXML& Condition();
};

class CCommandDravik_SetBreakpoint : public CCommandDravik {
  public:
    static std::span<const CommandAttribute<CCommandDravik_SetBreakpoint>> Attributes();
    KV_COMMAND_CLASS("Dravik_SetBreakpoint")
    CCommandDravik_SetBreakpoint();

    static int InitEnumTable(std::string& error);
    // The keyword fields as keywords (or numbers), in attribute order.
    static CCommandDravik_SetBreakpoint* Create(
        std::string& error, int breakpoint, const std::string& mode, std::uint32_t address,
        const std::string& type, std::uint32_t registerNumber, const std::string& access,
        const std::string& action, const std::string& op, std::uint32_t mask,
        std::uint32_t endAddress, const std::string& rangeAction, const std::string& condition,
        std::uint32_t data, const std::string& conditionAccess, std::uint32_t conditionMask,
        const std::string& conditionOperator, std::uint16_t extCombine);
    static CProjectTreeItem* CreateFromArguments(std::string& error, const CommandArguments& args);
    static CCommandDravik_SetBreakpoint* CreateDefault(std::string& error);

    // Stores the number, then each field in attribute order; the first
    // keyword that does not parse stops with its map's text.
    int SetParameters(int breakpoint, const std::string& mode, std::uint32_t address,
                      const std::string& type, std::uint32_t registerNumber,
                      const std::string& access, const std::string& action, const std::string& op,
                      std::uint32_t mask, std::uint32_t endAddress, const std::string& rangeAction,
                      const std::string& condition, std::uint32_t data,
                      const std::string& conditionAccess, std::uint32_t conditionMask,
                      const std::string& conditionOperator, std::uint16_t extCombine);
    // Page setters.
    void SetBreakpointIndex(int breakpoint);
    // BP_CODE also resets the fields a code breakpoint does not use.
    void SetMode(std::uint16_t mode);
    // Relabels: a code breakpoint's label shows its address.
    void SetAddress(std::uint32_t address);

    int GetBreakpointIndex() const { return nBreakpointIndex; }
    std::uint16_t GetMode() const { return static_cast<std::uint16_t>(wMode); }
    std::uint32_t GetAddress() const { return dwAddress; }
    // The sixteen fields as the library takes them.
    BreakpointRecord GetRecord() const;

    void UpdateLabel() override;
    CProjectTreeItem* CreateNew() override { return new CCommandDravik_SetBreakpoint; }
    int CopyTo(CProjectTreeItem* item) override;
    int OnExecute(CExecuteParams* params) override;
    int WriteXMLAttributes(CStdioXMLFile& file) override;
    int ReadXMLParameters(std::int32_t element) override;

  private:
    int nBreakpointIndex = 0;
    std::uint32_t wMode = 0;
    std::uint32_t dwAddress = 0;
    std::uint32_t wType = 0;
    std::uint32_t dwRegister = 0;
    std::uint32_t wAccess = 0;
    std::uint32_t wAction = 0;
    std::uint32_t wOperator = 0;
    std::uint32_t dwMask = 0;
    std::uint32_t dwEndAddress = 0;
    std::uint32_t wRangeAction = 0;
    std::uint32_t wCondition = 0;
    std::uint32_t dwData = 0;
    std::uint32_t wConditionAccess = 0;
    std::uint32_t dwConditionMask = 0;
    std::uint32_t wConditionOperator = 0;
    std::uint32_t wExtCombine = 0;
};

class CCommandDravik_ClearBreakpoint : public CCommandDravik {
  public:
    static std::span<const CommandAttribute<CCommandDravik_ClearBreakpoint>> Attributes();
    KV_COMMAND_CLASS("Dravik_ClearBreakpoint")
    CCommandDravik_ClearBreakpoint();

    static CCommandDravik_ClearBreakpoint* Create(std::string& error, int breakpoint);
    static CProjectTreeItem* CreateFromArguments(std::string& error, const CommandArguments& args);
    static CCommandDravik_ClearBreakpoint* CreateDefault(std::string& error) {
        return Create(error, 0);
    }

    int SetParameters(int breakpoint);
    // Page setter.
    void SetBreakpoint(int breakpoint);
    int GetBreakpoint() const { return nBreakpoint; }

    void UpdateLabel() override;
    CProjectTreeItem* CreateNew() override { return new CCommandDravik_ClearBreakpoint; }
    int CopyTo(CProjectTreeItem* item) override;
    int OnExecute(CExecuteParams* params) override;
    int WriteXMLAttributes(CStdioXMLFile& file) override;
    int ReadXMLParameters(std::int32_t element) override;

  private:
    int nBreakpoint = 0;
};

}  // namespace kv
