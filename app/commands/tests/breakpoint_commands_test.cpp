// SetBreakpoint and ClearBreakpoint: keyword maps, file forms, labels and the
// emulation module's checks.
#include <gtest/gtest.h>

#include "command_test_support.h"
#include "identify_step.h"
#include "kelvane/commands/dravik_breakpoint_commands.h"
#include "kelvane/commands/dravik_memory_commands.h"
#include "kelvane/commands/dravik_open.h"
#include "kelvane/commands/dravik_register_commands.h"
#include "kelvane/commands/dravik_run_control_commands.h"
#include "kelvane/core/execute_params.h"

namespace kv::testing {
namespace {

using BreakpointCommands = CommandTest;

TEST_F(BreakpointCommands, Declarations) {
    EXPECT_EQ(Declarations("Dravik_ClearBreakpoint"),
              "\t<!ELEMENT Dravik_ClearBreakpoint EMPTY >\n\t<!ATTLIST Dravik_ClearBreakpoint\n"
              "\t\tnBreakpoint (0|1|2|3|4|5|6|7) #REQUIRED\n\t>\n");
    const std::string set = Declarations("Dravik_SetBreakpoint");
    EXPECT_EQ(set.rfind("\t<!ELEMENT Dravik_SetBreakpoint EMPTY >\n"
                        "\t<!ATTLIST Dravik_SetBreakpoint\n"
                        "\t\tnBreakpointIndex (0|1|2|3|4|5|6|7) #REQUIRED\n"
                        "\t\twMode (BP_CODE) #REQUIRED\n\t\tdwAddress CDATA #REQUIRED\n"
                        "\t\twType (BP_MAB|BP_MDB|BP_REGISTER) #REQUIRED\n",
                        0),
              0u)
        << set;
    EXPECT_NE(set.find("\t\twAction (BP_NONE|BP_BRK|BP_STO|BP_BRK_STO) #REQUIRED\n"),
              std::string::npos);
    EXPECT_NE(set.find("\t\twConditionOperator (BP_EQUAL|BP_GREATER|BP_LOWER|BP_UNEQUAL) "
                       "#REQUIRED\n\t\twExtCombine CDATA #REQUIRED\n\t>\n"),
              std::string::npos);
    EXPECT_NE(set.find("|BP_READ_DMA|BP_WRITE_DMA) #REQUIRED\n\t\twAction"), std::string::npos);
}

TEST_F(BreakpointCommands, TheDefaultIsACodeBreakpoint) {
    std::string error;
    std::unique_ptr<CCommandDravik_SetBreakpoint> set(
        CCommandDravik_SetBreakpoint::CreateDefault(error));
    ASSERT_NE(set, nullptr) << error;
    EXPECT_EQ(set->GetTreeLabel(), "Set Bkpt 0, Code @0x0FC00");
    EXPECT_EQ(set->GetImage(), 38);
    EXPECT_EQ(SavedElement(*set),
              "<Dravik_SetBreakpoint \n\tnBreakpointIndex=\"0\"\n\twMode=\"BP_CODE\"\n"
              "\tdwAddress=\"0x0000FC00\"\n\twType=\"BP_MAB\"\n\tdwRegister=\"0x00000004\"\n"
              "\twAccess=\"BP_FETCH\"\n\twAction=\"BP_BRK\"\n\twOperator=\"BP_EQUAL\"\n"
              "\tdwMask=\"0x00000000\"\n\tdwEndAddress=\"0x0000FC02\"\n"
              "\twRangeAction=\"BP_INSIDE\"\n\twCondition=\"BP_NO_COND\"\n"
              "\tdwData=\"0x00001000\"\n\twConditionAccess=\"BP_FETCH\"\n"
              "\tdwConditionMask=\"0x00000000\"\n\twConditionOperator=\"BP_EQUAL\"\n"
              "\twExtCombine=\"0\"\n></Dravik_SetBreakpoint >\n");
    const BreakpointRecord record = set->GetRecord();
    EXPECT_EQ(record.mode, 1u);
    EXPECT_EQ(record.endAddress, 0xFC02u);
    EXPECT_EQ(record.action, 1u);

    std::unique_ptr<CCommandDravik_ClearBreakpoint> clear(
        CCommandDravik_ClearBreakpoint::CreateDefault(error));
    EXPECT_EQ(clear->GetTreeLabel(), "Clear Bkpt 0");
    EXPECT_EQ(clear->GetImage(), 39);
    EXPECT_EQ(SavedElement(*clear),
              "<Dravik_ClearBreakpoint \n\tnBreakpoint=\"0\"\n></Dravik_ClearBreakpoint >\n");
}

TEST_F(BreakpointCommands, KeywordsLoadFromNumbersAndBadOnesFail) {
    std::string error;
    std::unique_ptr<CCommandDravik_SetBreakpoint> set(
        CCommandDravik_SetBreakpoint::CreateDefault(error));
    std::string text = Save(*set);
    std::string read = text;
    read.replace(read.find("wAccess=\"BP_FETCH\""), 18, "wAccess=\"6\"");
    auto loaded = Load(read, error);
    ASSERT_NE(loaded, nullptr) << error;
    EXPECT_NE(SavedElement(*loaded).find("\twAccess=\"BP_READ\"\n"), std::string::npos);

    std::string halt = text;
    halt.replace(halt.find("wAction=\"BP_BRK\""), 16, "wAction=\"BP_HALT\"");
    halt.replace(halt.find("(BP_NONE|BP_BRK|BP_STO|BP_BRK_STO)"), 34, "CDATA");
    EXPECT_EQ(Load(halt, error), nullptr);
    EXPECT_NE(error.find("BP_HALT"), std::string::npos) << error;

    CCommandDravik_SetBreakpoint partial;
    EXPECT_EQ(
        partial.SetParameters(3, "BP_CODE", 0x1234, "BP_MDB", 4, "BP_NOPE", "BP_BRK", "BP_EQUAL", 0,
                              0, "BP_INSIDE", "BP_NO_COND", 0, "BP_FETCH", 0, "BP_EQUAL", 0),
        0);
    EXPECT_EQ(partial.GetRecord().type, 1u) << "fields before the bad keyword keep their values";
    EXPECT_EQ(partial.GetRecord().address, 0x1234u);
}

TEST_F(BreakpointCommands, ChoosingCodeModeResetsTheTrigger) {
    std::string error;
    std::unique_ptr<CCommandDravik_SetBreakpoint> set(CCommandDravik_SetBreakpoint::Create(
        error, 2, "BP_CODE", 0x2000, "BP_MDB", 4, "BP_READ", "BP_BRK", "BP_LOWER", 0, 0xE000,
        "BP_INSIDE", "BP_NO_COND", 0, "BP_FETCH", 0, "BP_EQUAL", 0));
    ASSERT_NE(set, nullptr) << error;
    // A mode no keyword names is refused where it is given as a text.
    EXPECT_EQ(CCommandDravik_SetBreakpoint::Create(error, 2, "0", 0x2000, "BP_MDB", 4, "BP_READ",
                                                   "BP_BRK", "BP_LOWER", 0, 0xE000, "BP_INSIDE",
                                                   "BP_NO_COND", 0, "BP_FETCH", 0, "BP_EQUAL", 0),
              nullptr);
    EXPECT_EQ(error,
              "Unable to convert 0 to WORD: no keyword has this value; expected one of "
              "BP_CODE");
    set->SetMode(0);
    EXPECT_EQ(set->GetTreeLabel(), "Set Bkpt 2");
    set->SetMode(1);
    const BreakpointRecord record = set->GetRecord();
    EXPECT_EQ(record.type, 0u);
    EXPECT_EQ(record.access, 0u);
    EXPECT_EQ(record.op, 0u);
    EXPECT_EQ(record.mask, 0xFFFFFu);
    EXPECT_EQ(record.conditionMask, 0xFFFFFu);
    EXPECT_EQ(record.data, 0xE000u);
    EXPECT_EQ(set->GetTreeLabel(), "Set Bkpt 2, Code @0x02000");
}

TEST_F(BreakpointCommands, TheModuleChecksTheProcessorsBreakpoints) {
    Plug();
    std::string error;
    const std::int32_t level = f149->nEMEX;
    f149->nEMEX = 1;
    auto* set = CCommandDravik_SetBreakpoint::CreateDefault(error);
    set->SetBreakpointIndex(2);
    ASSERT_EQ(Run({CCommandDravik_Open::Create(error, 3000), new IdentifyStep, set}), 0);
    EXPECT_EQ(runError, "The selected processor supports a maximum of 2 EEM breakpoints");

    f149->nEMEX = 0;
    ASSERT_EQ(Run({CCommandDravik_ClearBreakpoint::Create(error, 0)}), 0);
    EXPECT_EQ(runError, "The selected processor does not support EEM breakpoints");
    f149->nEMEX = level;
}

TEST_F(BreakpointCommands, WithoutDevicesEachNamesItsClass) {
    CExecuteParams params;
    CCommandDravik_SetBreakpoint set;
    CCommandDravik_ClearBreakpoint clear;
    EXPECT_EQ(set.OnExecute(&params), 0);
    EXPECT_EQ(set.GetLastError(), "NULL Dravik during CCommandDravik_SetBreakpoint::OnExecute");
    EXPECT_EQ(clear.OnExecute(&params), 0);
    EXPECT_EQ(clear.GetLastError(), "NULL Dravik during CCommandDravik_ClearBreakpoint::OnExecute");
}

TEST_F(BreakpointCommands, ARunStopsAtTheBreakpointAndClearsIt) {
    Plug();
    std::string error;
    const std::int32_t level = f149->nEMEX;
    f149->nEMEX = 1;
    // nop; nop; jmp $ in RAM, with a code breakpoint on the jump.
    auto* code = new CCommandDravik_WriteMemory;
    code->SetParameters(0x0200, 3, kValueWord);
    code->PutValue(0, 0x4303);
    code->PutValue(1, 0x4303);
    code->PutValue(2, 0x3FFF);
    auto* pc = new CCommandDravik_WriteRegister;
    pc->SetParameters(0, 0x0200);
    auto* set = CCommandDravik_SetBreakpoint::CreateDefault(error);
    set->SetParameters(1, "BP_CODE", 0x0204, "BP_MAB", 4, "BP_FETCH", "BP_BRK", "BP_EQUAL", 0,
                       0x0204, "BP_INSIDE", "BP_NO_COND", 0, "BP_FETCH", 0, "BP_EQUAL", 0);
    auto* check = new CCommandDravik_VerifyRegister;
    check->SetParameters(0, 0x0204);
    const int result = Run({CCommandDravik_Open::Create(error, 3000), new IdentifyStep, code, pc,
                            set, CCommandDravik_Run::Create(error, 1, 1, 0, 100, 5), check,
                            CCommandDravik_ClearBreakpoint::Create(error, 1),
                            CCommandDravik_ClearBreakpoint::Create(error, 1)});
    f149->nEMEX = level;
    EXPECT_EQ(result, 0);
    EXPECT_NE(log.Text().find("Set Bkpt 1, Code @0x00204: OK\nRun to Bkpt, Wait: #OK\n"
                              "Verify Register (PC): PC = 0x0204 OK\nClear Bkpt 1: OK\n"),
              std::string::npos)
        << log.Text();
    EXPECT_EQ(runError, "The selected breakpoint is already clear");
}

}  // namespace
}  // namespace kv::testing
