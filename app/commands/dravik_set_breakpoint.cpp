#include <cstdio>

#include "kelvane/commands/dravik_breakpoint_commands.h"
#include "kelvane/commands/dravik_run_control_commands.h"
#include "kelvane/core/dravik.h"
#include "kelvane/core/emulation_module.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/map_parameter_xml.h"
#include "kelvane/core/tree_ui.h"
#include "kelvane/core/xml_reading.h"

namespace kv {
namespace {

constexpr std::uint32_t kCodeMode = 1;

}  // namespace

#define KV_MAP(Name)                           \
    CMapParameterXML& BreakpointMaps::Name() { \
        static CMapParameterXML map;           \
        return map;                            \
    }
KV_MAP(Mode)
KV_MAP(Type)
KV_MAP(Access)
KV_MAP(Action)
KV_MAP(Operator)
KV_MAP(RangeAction)
KV_MAP(Condition)
#undef KV_MAP

int CCommandDravik_SetBreakpoint::InitEnumTable(std::string& /*error*/) {
    CMapParameterXML& mode = BreakpointMaps::Mode();
    mode.RemoveAll();
    mode.AddWord("BP_CODE", "Code", kCodeMode);

    CMapParameterXML& type = BreakpointMaps::Type();
    type.RemoveAll();
    type.AddWord("BP_MAB", "Address", 0);
    type.AddWord("BP_MDB", "Data", 1);
    type.AddWord("BP_REGISTER", "Register", 2);

    CMapParameterXML& access = BreakpointMaps::Access();
    access.RemoveAll();
    const char* accesses[][2] = {{"BP_FETCH", "Instruction fetch"},
                                 {"BP_FETCH_HOLD", "Instruction fetch hold"},
                                 {"BP_NO_FETCH", "No instruction fetch"},
                                 {"BP_DONT_CARE", "Don't care"},
                                 {"BP_NO_FETCH_READ", "Read, no instruction fetch"},
                                 {"BP_NO_FETCH_WRITE", "Write, no instruction fetch"},
                                 {"BP_READ", "Read"},
                                 {"BP_WRITE", "Write"},
                                 {"BP_NO_FETCH_NO_DMA", "No instruction fetch, no DMA"},
                                 {"BP_DMA", "DMA"},
                                 {"BP_NO_DMA", "No DMA"},
                                 {"BP_WRITE_NO_DMA", "Write, no DMA"},
                                 {"BP_NO_FETCH_READ_NO_DMA", "Read, no instruction fetch, no DMA"},
                                 {"BP_READ_NO_DMA", "Read, no DMA"},
                                 {"BP_READ_DMA", "Read and DMA"},
                                 {"BP_WRITE_DMA", "Write and DMA"}};
    std::uint32_t value = 0;
    for (const auto& entry : accesses)
        access.AddWord(entry[0], entry[1], value++);

    CMapParameterXML& action = BreakpointMaps::Action();
    action.RemoveAll();
    action.AddWord("BP_NONE", "No action on trigger", 0);
    action.AddWord("BP_BRK", "Break on trigger", 1);
    action.AddWord("BP_STO", "Store state on trigger", 2);
    action.AddWord("BP_BRK_STO", "Break and store state on trigger", 3);

    CMapParameterXML& op = BreakpointMaps::Operator();
    op.RemoveAll();
    op.AddWord("BP_EQUAL", "Equal", 0);
    op.AddWord("BP_GREATER", "Greater", 1);
    op.AddWord("BP_LOWER", "Lower", 2);
    op.AddWord("BP_UNEQUAL", "Unequal", 3);

    CMapParameterXML& range = BreakpointMaps::RangeAction();
    range.RemoveAll();
    range.AddWord("BP_INSIDE", "Inside", 0);
    range.AddWord("BP_OUTSIDE", "Outside", 1);

    CMapParameterXML& condition = BreakpointMaps::Condition();
    condition.RemoveAll();
    condition.AddWord("BP_NO_COND", "No condition", 0);
    condition.AddWord("BP_COND", "Condition", 1);
    return 1;
}

CCommandDravik_SetBreakpoint::CCommandDravik_SetBreakpoint() : CCommandDravik(&Page()) {
    elementName_ = kElementName;
    displayName_ = "Set Breakpoint";
    description_ = "Set breakpoint";
    treeImage_ = 38;
}

CommandPage& CCommandDravik_SetBreakpoint::Page() {
    static CommandPage page(kElementName);
    return page;
}

int CCommandDravik_SetBreakpoint::DeclareElement(CStdioXMLFile& file) {
    return DeclareEmptyCommandElement(file, kElementName);
}

std::span<const CommandAttribute<CCommandDravik_SetBreakpoint>>
CCommandDravik_SetBreakpoint::Attributes() {
    using T = CCommandDravik_SetBreakpoint;
    static constexpr CommandAttribute<T> kAttributes[] = {
        {.name = "nBreakpointIndex",
         .form = AttributeForm::kInt,
         .number = &T::nBreakpointIndex,
         .choicesUpTo = 7},
        {.name = "wMode",
         .form = AttributeForm::kKeyword,
         .dword = &T::wMode,
         .map = &BreakpointMaps::Mode,
         .width = KeywordWidth::kWord,
         .read = KeywordRead::kParseLast},
        {.name = "dwAddress", .form = AttributeForm::kHex, .dword = &T::dwAddress},
        {.name = "wType",
         .form = AttributeForm::kKeyword,
         .dword = &T::wType,
         .map = &BreakpointMaps::Type,
         .width = KeywordWidth::kWord,
         .read = KeywordRead::kParseLast},
        {.name = "dwRegister", .form = AttributeForm::kHex, .dword = &T::dwRegister},
        {.name = "wAccess",
         .form = AttributeForm::kKeyword,
         .dword = &T::wAccess,
         .map = &BreakpointMaps::Access,
         .width = KeywordWidth::kWord,
         .read = KeywordRead::kParseLast},
        {.name = "wAction",
         .form = AttributeForm::kKeyword,
         .dword = &T::wAction,
         .map = &BreakpointMaps::Action,
         .width = KeywordWidth::kWord,
         .read = KeywordRead::kParseLast},
        {.name = "wOperator",
         .form = AttributeForm::kKeyword,
         .dword = &T::wOperator,
         .map = &BreakpointMaps::Operator,
         .width = KeywordWidth::kWord,
         .read = KeywordRead::kParseLast},
        {.name = "dwMask", .form = AttributeForm::kHex, .dword = &T::dwMask},
        {.name = "dwEndAddress", .form = AttributeForm::kHex, .dword = &T::dwEndAddress},
        {.name = "wRangeAction",
         .form = AttributeForm::kKeyword,
         .dword = &T::wRangeAction,
         .map = &BreakpointMaps::RangeAction,
         .width = KeywordWidth::kWord,
         .read = KeywordRead::kParseLast},
        {.name = "wCondition",
         .form = AttributeForm::kKeyword,
         .dword = &T::wCondition,
         .map = &BreakpointMaps::Condition,
         .width = KeywordWidth::kWord,
         .read = KeywordRead::kParseLast},
        {.name = "dwData", .form = AttributeForm::kHex, .dword = &T::dwData},
        {.name = "wConditionAccess",
         .form = AttributeForm::kKeyword,
         .dword = &T::wConditionAccess,
         .map = &BreakpointMaps::Access,
         .width = KeywordWidth::kWord,
         .read = KeywordRead::kParseLast},
        {.name = "dwConditionMask", .form = AttributeForm::kHex, .dword = &T::dwConditionMask},
        {.name = "wConditionOperator",
         .form = AttributeForm::kKeyword,
         .dword = &T::wConditionOperator,
         .map = &BreakpointMaps::Operator,
         .width = KeywordWidth::kWord,
         .read = KeywordRead::kParseLast},
        {.name = "wExtCombine", .form = AttributeForm::kWordDecimal, .dword = &T::wExtCombine},
    };
    return kAttributes;
}

int CCommandDravik_SetBreakpoint::DeclareAttlist(CStdioXMLFile& file) {
    return DeclareCommandAttlist(file, kElementName,
                                 [&] { return DeclareCommandAttributes(file, Attributes()); });
}

CCommandDravik_SetBreakpoint* CCommandDravik_SetBreakpoint::Create(
    std::string& error, int breakpoint, const std::string& mode, std::uint32_t address,
    const std::string& type, std::uint32_t registerNumber, const std::string& access,
    const std::string& action, const std::string& op, std::uint32_t mask, std::uint32_t endAddress,
    const std::string& rangeAction, const std::string& condition, std::uint32_t data,
    const std::string& conditionAccess, std::uint32_t conditionMask,
    const std::string& conditionOperator, std::uint16_t extCombine) {
    auto* command = new CCommandDravik_SetBreakpoint;
    if (!command->SetParameters(breakpoint, mode, address, type, registerNumber, access, action, op,
                                mask, endAddress, rangeAction, condition, data, conditionAccess,
                                conditionMask, conditionOperator, extCombine)) {
        error = command->TakeError();
        delete command;
        return nullptr;
    }
    return command;
}

CProjectTreeItem* CCommandDravik_SetBreakpoint::CreateFromArguments(std::string& error,
                                                                    const CommandArguments& args) {
    const char* name = "CCommandDravik_SetBreakpoint";
    // Keyword fields are texts, the others numbers.
    static constexpr bool kText[17] = {false, true, false, true,  false, true,  true, true, false,
                                       false, true, true,  false, true,  false, true, false};
    std::uint32_t n[17] = {};
    std::string t[17];
    for (std::size_t i = 0; i < 17; ++i) {
        const int ok = kText[i] ? CommandTextArgument(args, i, name, t[i], error)
                                : CommandNumberArgument(args, i, name, n[i], error);
        if (!ok) return nullptr;
    }
    return Create(error, static_cast<int>(n[0]), t[1], n[2], t[3], n[4], t[5], t[6], t[7], n[8],
                  n[9], t[10], t[11], n[12], t[13], n[14], t[15],
                  static_cast<std::uint16_t>(n[16]));
}

CCommandDravik_SetBreakpoint* CCommandDravik_SetBreakpoint::CreateDefault(std::string& error) {
    return Create(error, 0, "BP_CODE", 0xFC00, "BP_MAB", 4, "BP_FETCH", "BP_BRK", "BP_EQUAL", 0,
                  0xFC02, "BP_INSIDE", "BP_NO_COND", 0x1000, "BP_FETCH", 0, "BP_EQUAL", 0);
}

int CCommandDravik_SetBreakpoint::SetParameters(
    int breakpoint, const std::string& mode, std::uint32_t address, const std::string& type,
    std::uint32_t registerNumber, const std::string& access, const std::string& action,
    const std::string& op, std::uint32_t mask, std::uint32_t endAddress,
    const std::string& rangeAction, const std::string& condition, std::uint32_t data,
    const std::string& conditionAccess, std::uint32_t conditionMask,
    const std::string& conditionOperator, std::uint16_t extCombine) {
    nBreakpointIndex = breakpoint;
    auto parse = [this](CMapParameterXML& map, const std::string& text, std::uint32_t& field) {
        std::uint16_t value = 0;
        if (!map.ParseNamedWORD(text, &value)) return Fail(map.TakeErrorWithExpected());
        field = value;
        return 1;
    };
    if (!parse(BreakpointMaps::Mode(), mode, wMode)) return 0;
    dwAddress = address;
    if (!parse(BreakpointMaps::Type(), type, wType)) return 0;
    dwRegister = registerNumber;
    if (!parse(BreakpointMaps::Access(), access, wAccess) ||
        !parse(BreakpointMaps::Action(), action, wAction) ||
        !parse(BreakpointMaps::Operator(), op, wOperator))
        return 0;
    dwMask = mask;
    dwEndAddress = endAddress;
    if (!parse(BreakpointMaps::RangeAction(), rangeAction, wRangeAction) ||
        !parse(BreakpointMaps::Condition(), condition, wCondition))
        return 0;
    dwData = data;
    if (!parse(BreakpointMaps::Access(), conditionAccess, wConditionAccess)) return 0;
    dwConditionMask = conditionMask;
    if (!parse(BreakpointMaps::Operator(), conditionOperator, wConditionOperator)) return 0;
    wExtCombine = extCombine;
    UpdateLabel();
    return 1;
}

void CCommandDravik_SetBreakpoint::SetBreakpointIndex(int breakpoint) {
    if (breakpoint == nBreakpointIndex) return;
    nBreakpointIndex = breakpoint;
    UpdateLabel();
    SetDocumentModified(1);
}

void CCommandDravik_SetBreakpoint::SetMode(std::uint16_t mode) {
    if (mode == wMode) return;
    wMode = mode;
    if (mode == kCodeMode) {
        wType = 0;
        wAccess = 0;
        wOperator = 0;
        dwMask = 0xFFFFF;
        dwConditionMask = 0xFFFFF;
        dwData = dwEndAddress;
    }
    UpdateLabel();
    SetDocumentModified(1);
}

void CCommandDravik_SetBreakpoint::SetAddress(std::uint32_t address) {
    if (address == dwAddress) return;
    dwAddress = address;
    UpdateLabel();
    SetDocumentModified(1);
}

BreakpointRecord CCommandDravik_SetBreakpoint::GetRecord() const {
    BreakpointRecord record{};
    record.mode = wMode;
    record.address = dwAddress;
    record.type = wType;
    record.registerNumber = dwRegister;
    record.access = wAccess;
    record.action = wAction;
    record.op = wOperator;
    record.mask = dwMask;
    record.endAddress = dwEndAddress;
    record.rangeAction = wRangeAction;
    record.condition = wCondition;
    record.data = dwData;
    record.conditionAccess = wConditionAccess;
    record.conditionMask = dwConditionMask;
    record.conditionOperator = wConditionOperator;
    record.combination = wExtCombine;
    return record;
}

void CCommandDravik_SetBreakpoint::UpdateLabel() {
    char text[64];
    if (wMode == kCodeMode)
        std::snprintf(text, sizeof text, "Set Bkpt %d, Code @0x%05lX", nBreakpointIndex,
                      static_cast<unsigned long>(dwAddress));
    else
        std::snprintf(text, sizeof text, "Set Bkpt %d", nBreakpointIndex);
    treeLabel_ = text;
    ShowLabel();
}

int CCommandDravik_SetBreakpoint::CopyTo(CProjectTreeItem* item) {
    if (!CCommandDravik::CopyTo(item)) return 0;
    auto* copy = static_cast<CCommandDravik_SetBreakpoint*>(item);
    CopyCommandAttributes(*this, *copy, Attributes());
    return 1;
}

int CCommandDravik_SetBreakpoint::OnExecute(CExecuteParams* params) {
    params->SetStatusText("Setting breakpoint");
    params->AdvanceProgress(progressUnits_);
    if (TakePod(params, "CCommandDravik_SetBreakpoint::OnExecute") == nullptr) return 0;
    CEmulationModule* module =
        TakeEmulationModule(params, *this, "CCommandDravik_SetBreakpoint::OnExecute");
    if (module == nullptr) return 0;
    const BreakpointRecord record = GetRecord();
    if (!module->SetBreakpoint(nBreakpointIndex, &record)) {
        module->GetLastError(error_);
        return 0;
    }
    return 1;
}

int CCommandDravik_SetBreakpoint::WriteXMLAttributes(CStdioXMLFile& file) {
    return WriteCommandAttributes(file, *this, Attributes(), error_);
}

int CCommandDravik_SetBreakpoint::ReadXMLParameters(std::int32_t element) {
    CCommandDravik_SetBreakpoint values;
    if (!ReadCommandAttributes(element, values, Attributes(), error_)) return 0;
    CopyCommandAttributes(values, *this, Attributes());
    UpdateLabel();
    return 1;
}

}  // namespace kv
