// Reset, State, WaitForBreak, Run, SingleStep and Stop: file forms, labels,
// progress units and runs against the simulated pod and chip.
#include <gtest/gtest.h>

#include <algorithm>

#include "command_test_support.h"
#include "identify_step.h"
#include "kelvane/commands/dravik_open.h"
#include "kelvane/commands/dravik_run_control_commands.h"
#include "kelvane/core/emulation_module.h"
#include "kelvane/core/execute_params.h"

namespace kv::testing {
namespace {

using RunControlCommands = CommandTest;

TEST_F(RunControlCommands, Declarations) {
    EXPECT_EQ(
        Declarations("Dravik_Reset"),
        "\t<!ELEMENT Dravik_Reset EMPTY >\n\t<!ATTLIST Dravik_Reset\n"
        "\t\tdwMethod (PUC_RESET|RST_RESET|VCC_RESET|FORCE_PUC_RESET|FORCE_RST_RESET|"
        "FORCE_VCC_RESET|ALL_RESETS) #REQUIRED\n"
        "\t\tbExecute (FALSE|TRUE) #REQUIRED\n\t\tbReleaseJTAG (FALSE|TRUE) #REQUIRED\n\t>\n");
    EXPECT_EQ(Declarations("Dravik_State"),
              "\t<!ELEMENT Dravik_State EMPTY >\n\t<!ATTLIST Dravik_State\n"
              "\t\tbStop (FALSE|TRUE) #REQUIRED\n\t>\n");
    const std::string wait =
        "\t\tdwDwellMilliseconds CDATA #REQUIRED\n\t\tdwRepeatMilliseconds CDATA #REQUIRED\n"
        "\t\twRepeatCount CDATA #REQUIRED\n";
    EXPECT_EQ(Declarations("Dravik_WaitForBreak"),
              "\t<!ELEMENT Dravik_WaitForBreak EMPTY >\n\t<!ATTLIST Dravik_WaitForBreak\n" + wait +
                  "\t>\n");
    EXPECT_EQ(Declarations("Dravik_Run"),
              "\t<!ELEMENT Dravik_Run EMPTY >\n\t<!ATTLIST Dravik_Run\n"
              "\t\tbRunToBreakpoint (FALSE|TRUE) #REQUIRED\n\t\tbWaitForBreak CDATA #REQUIRED\n" +
                  wait + "\t>\n");
    EXPECT_EQ(Declarations("Dravik_SingleStep"),
              "\t<!ELEMENT Dravik_SingleStep EMPTY >\n\t<!ATTLIST Dravik_SingleStep\n\t>\n");
    EXPECT_EQ(Declarations("Dravik_Stop"),
              "\t<!ELEMENT Dravik_Stop EMPTY >\n\t<!ATTLIST Dravik_Stop\n\t>\n");
}

TEST_F(RunControlCommands, PrototypesLabelsAndImages) {
    std::string error;
    std::unique_ptr<CCommandDravik_Reset> reset(CCommandDravik_Reset::CreateDefault(error));
    EXPECT_EQ(reset->GetTreeLabel(), "Reset (PUC)");
    EXPECT_EQ(reset->GetImage(), 5);
    EXPECT_EQ(SavedElement(*reset),
              "<Dravik_Reset \n\tdwMethod=\"PUC_RESET\"\n\tbExecute=\"TRUE\"\n"
              "\tbReleaseJTAG=\"TRUE\"\n></Dravik_Reset >\n");
    ASSERT_EQ(reset->SetParameters("ALL_RESETS", 0, 0), 1);
    EXPECT_EQ(reset->GetTreeLabel(), "Reset");
    ASSERT_EQ(reset->SetParameters("FORCE_RST_RESET", 0, 0), 1);
    EXPECT_EQ(reset->GetTreeLabel(), "Reset (RST)");
    ASSERT_EQ(reset->SetParameters("0x0C", 0, 0), 1);
    EXPECT_EQ(reset->GetTreeLabel(), "Reset (VCC)");
    EXPECT_EQ(reset->SetParameters("SOFT_RESET", 0, 0), 0);

    std::unique_ptr<CCommandDravik_WaitForBreak> wait(
        CCommandDravik_WaitForBreak::CreateDefault(error));
    EXPECT_EQ(wait->GetTreeLabel(), "Wait for Break");
    EXPECT_EQ(wait->GetImage(), 40);
    EXPECT_EQ(wait->GetProgressUnits(), 8);
    wait->SetParameters(0, 0, 3);
    EXPECT_EQ(wait->GetProgressUnits(), 1);
    wait->SetParameters(1000, 0, 3);
    EXPECT_EQ(wait->GetProgressUnits(), 5);
    wait->SetParameters(0xFFFFFFFF, 0xFFFFFFFF, 0xFFFF);
    EXPECT_GT(wait->GetProgressUnits(), 0) << "never overflows";

    std::unique_ptr<CCommandDravik_Run> run(CCommandDravik_Run::CreateDefault(error));
    EXPECT_EQ(run->GetTreeLabel(), "Run Free");
    EXPECT_EQ(run->GetImage(), 35);
    EXPECT_EQ(run->GetProgressUnits(), 1);
    run->SetParameters(1, 0, 500, 100, 5);
    EXPECT_EQ(run->GetTreeLabel(), "Run to Bkpt");
    EXPECT_EQ(run->GetImage(), 36);
    EXPECT_EQ(run->GetProgressUnits(), 1);
    run->SetParameters(1, 1, 500, 100, 5);
    EXPECT_EQ(run->GetTreeLabel(), "Run to Bkpt, Wait");
    EXPECT_EQ(run->GetProgressUnits(), 8);
    run->SetParameters(0, 1, 500, 100, 5);
    EXPECT_EQ(run->GetTreeLabel(), "Run Free");

    std::unique_ptr<CProjectTreeItem> step(CCommandDravik_SingleStep::CreateDefault(error));
    std::unique_ptr<CProjectTreeItem> stop(CCommandDravik_Stop::CreateDefault(error));
    EXPECT_EQ(step->GetTreeLabel(), "Single Step");
    EXPECT_EQ(step->GetImage(), 37);
    EXPECT_EQ(stop->GetTreeLabel(), "Stop");
    EXPECT_EQ(stop->GetDisplayName(), "Stop Target");
    EXPECT_EQ(stop->GetImage(), 34);
    EXPECT_EQ(FindCommandClass("Dravik_State")->createDefault, nullptr) << "loaded only";
}

TEST_F(RunControlCommands, RoundTrips) {
    CCommandDravik_Run run;
    run.SetParameters(1, 1, 250, 50, 7);
    EXPECT_EQ(SavedElement(run),
              "<Dravik_Run \n\tbRunToBreakpoint=\"TRUE\"\n\tbWaitForBreak=\"TRUE\"\n"
              "\tdwDwellMilliseconds=\"250\"\n\tdwRepeatMilliseconds=\"50\"\n"
              "\twRepeatCount=\"7\"\n></Dravik_Run >\n");
    auto loaded = RoundTrip(run);
    ASSERT_NE(loaded, nullptr);
    auto* back = static_cast<CCommandDravik_Run*>(loaded.get());
    EXPECT_EQ(back->GetRepeatCount(), 7);
    EXPECT_EQ(back->GetProgressUnits(), 1 + 1 + 7);

    CCommandDravik_State state;
    state.SetParameters(1);
    auto loadedState = RoundTrip(state);
    ASSERT_NE(loadedState, nullptr);
    EXPECT_EQ(static_cast<CCommandDravik_State*>(loadedState.get())->GetStop(), 1);

    std::string error;
    auto reset = Load(
        "<Dravik_Reset dwMethod=\"7\" bExecute=\"FALSE\" bReleaseJTAG=\"FALSE\"></Dravik_Reset >\n",
        error);
    ASSERT_NE(reset, nullptr) << error;
    EXPECT_NE(SavedElement(*reset).find("dwMethod=\"ALL_RESETS\""), std::string::npos);
}

TEST_F(RunControlCommands, WithoutDevicesEachNamesItsClass) {
    CExecuteParams params;
    CCommandDravik_Reset reset;
    CCommandDravik_State state;
    CCommandDravik_Run run;
    CCommandDravik_WaitForBreak wait;
    CCommandDravik_SingleStep step;
    CCommandDravik_Stop stop;
    EXPECT_EQ(reset.OnExecute(&params), 0);
    EXPECT_EQ(reset.GetLastError(), "NULL Dravik during CCommandDravik_Reset::OnExecute");
    EXPECT_EQ(state.OnExecute(&params), 0);
    EXPECT_EQ(state.GetLastError(), "NULL Dravik during CCommandDravik_State::OnExecute");
    EXPECT_EQ(run.OnExecute(&params), 0);
    EXPECT_EQ(run.GetLastError(), "NULL Dravik during CCommandDravik_Run::OnExecute");
    EXPECT_EQ(wait.OnExecute(&params), 0);
    EXPECT_EQ(wait.GetLastError(), "NULL Dravik during CCommandDravik_WaitForBreak::ExecuteWait");
    EXPECT_EQ(step.OnExecute(&params), 0);
    EXPECT_EQ(step.GetLastError(), "NULL Dravik during CCommandDravik_SingleStep::OnExecute");
    EXPECT_EQ(stop.OnExecute(&params), 0);
    EXPECT_EQ(stop.GetLastError(), "NULL Dravik during CCommandDravik_Stop::OnExecute");
}

TEST_F(RunControlCommands, ResetAndStateOnTheChip) {
    Plug();
    std::string error;
    auto* state = new CCommandDravik_State;
    state->SetParameters(1);
    ASSERT_EQ(Run({CCommandDravik_Open::Create(error, 3000), new IdentifyStep,
                   CCommandDravik_Reset::Create(error, "PUC_RESET", 0, 0), state}),
              1)
        << runError;
    EXPECT_NE(log.Text().find("Reset (PUC): OK\nState: OK\n"), std::string::npos) << log.Text();
    EXPECT_EQ(status.texts[1], "Resetting target");
    EXPECT_EQ(status.texts[2], "Reading target state");
}

TEST_F(RunControlCommands, AStoppedCpuEndsTheWaitAfterTheDwell) {
    Plug();
    std::string error;
    const std::uint32_t before = manual.tickCount();
    ASSERT_EQ(Run({CCommandDravik_Open::Create(error, 3000), new IdentifyStep,
                   CCommandDravik_WaitForBreak::Create(error, 500, 100, 5)}),
              1)
        << runError;
    EXPECT_NE(log.Text().find("Wait for Break: ..#OK\n"), std::string::npos) << log.Text();
    EXPECT_GE(manual.tickCount() - before, 500u);
    EXPECT_LT(manual.tickCount() - before, 600u);
    EXPECT_EQ(*std::max_element(bar.positions.begin(), bar.positions.end()), 1000)
        << "the wait's remaining units are advanced";
}

TEST_F(RunControlCommands, AShortDwellSleepsOnlyItsLength) {
    Plug();
    std::string error;
    const std::uint32_t before = manual.tickCount();
    ASSERT_EQ(Run({CCommandDravik_Open::Create(error, 3000), new IdentifyStep,
                   CCommandDravik_WaitForBreak::Create(error, 100, 0, 0)}),
              1)
        << runError;
    EXPECT_NE(log.Text().find("Wait for Break: .#OK\n"), std::string::npos) << log.Text();
    EXPECT_LT(manual.tickCount() - before, 250u);
}

}  // namespace
}  // namespace kv::testing

namespace kv::testing {
namespace {

TEST_F(RunControlCommands, ARunningCpuTimesOutAfterItsPolls) {
    Plug();
    std::string error;
    ASSERT_EQ(Run({CCommandDravik_Open::Create(error, 3000), new IdentifyStep,
                   CCommandDravik_Reset::Create(error, "PUC_RESET", 1, 1),
                   CCommandDravik_WaitForBreak::Create(error, 0, 0, 3)}),
              0);
    EXPECT_EQ(runError, "Target did not stop or hit breakpoint") << log.Text();
    EXPECT_NE(log.Text().find("Wait for Break: failed\n"), std::string::npos) << "no sleeps";

    const std::uint32_t before = manual.tickCount();
    ASSERT_EQ(Run({CCommandDravik_Open::Create(error, 3000), new IdentifyStep,
                   CCommandDravik_Reset::Create(error, "PUC_RESET", 1, 1),
                   CCommandDravik_WaitForBreak::Create(error, 0, 100, 2)}),
              0);
    EXPECT_NE(log.Text().find("Wait for Break: ..failed\n"), std::string::npos) << log.Text();
    EXPECT_GE(manual.tickCount() - before, 200u);
}

}  // namespace
}  // namespace kv::testing
