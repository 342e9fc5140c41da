// Open, Close and VCC: persistence, DTD, prototypes, labels and runs against
// the simulated pod.
#include <gtest/gtest.h>

#include "command_test_support.h"
#include "kelvane/commands/current_project.h"
#include "kelvane/commands/dravik_blow_fuse.h"
#include "kelvane/commands/dravik_close.h"
#include "kelvane/commands/dravik_identify.h"
#include "kelvane/commands/dravik_open.h"
#include "kelvane/commands/dravik_vcc.h"
#include "kelvane/core/command_factory.h"
#include "kelvane/core/execute_params.h"

namespace kv::testing {
namespace {

using ConnectionCommands = CommandTest;

TEST_F(ConnectionCommands, DeclareEmptyElementsWithTheirAttributes) {
    EXPECT_EQ(Declarations("Dravik_Open"),
              "\t<!ELEMENT Dravik_Open EMPTY >\n\t<!ATTLIST Dravik_Open\n"
              "\t\tdwVCC CDATA #REQUIRED\n\t>\n");
    EXPECT_EQ(Declarations("Dravik_Close"),
              "\t<!ELEMENT Dravik_Close EMPTY >\n\t<!ATTLIST Dravik_Close\n"
              "\t\tbVccOff (FALSE|TRUE) #REQUIRED\n\t>\n");
    EXPECT_EQ(Declarations("Dravik_VCC"),
              "\t<!ELEMENT Dravik_VCC EMPTY >\n\t<!ATTLIST Dravik_VCC\n"
              "\t\tdwVCC CDATA #REQUIRED\n\t>\n");
}

TEST_F(ConnectionCommands, PrototypesAndNames) {
    std::string error;
    std::unique_ptr<CCommandDravik_Open> open(CCommandDravik_Open::CreateDefault(error));
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(open->GetVCC(), 3000u);
    EXPECT_EQ(open->GetTreeLabel(), "Open JTAG");
    EXPECT_EQ(open->GetDisplayName(), "Open JTAG");
    EXPECT_EQ(open->GetDescription(), "Open JTAG interface");
    EXPECT_EQ(open->GetGroup(), "Dravik");
    EXPECT_EQ(open->GetImage(), 19);

    std::unique_ptr<CCommandDravik_Close> close(CCommandDravik_Close::CreateDefault(error));
    EXPECT_EQ(close->GetVccOff(), 1);
    EXPECT_EQ(close->GetTreeLabel(), "Close JTAG");
    EXPECT_EQ(close->GetDescription(), "Close JTAG interface");
    EXPECT_EQ(close->GetImage(), 20);
    EXPECT_EQ(CCommandDravik_Close().GetVccOff(), 0);

    std::unique_ptr<CCommandDravik_VCC> vcc(CCommandDravik_VCC::CreateDefault(error));
    EXPECT_EQ(vcc->GetTreeLabel(), "VCC = 3.0v");
    EXPECT_EQ(vcc->GetImage(), 6);
    EXPECT_EQ(vcc->GetDisplayName(), "Set/Clear VCC");
    EXPECT_EQ(vcc->GetDescription(), "Set or clear target VCC");
    EXPECT_EQ(CCommandDravik_VCC().GetTreeLabel(), "");
    vcc->SetParameters(0);
    EXPECT_EQ(vcc->GetTreeLabel(), "VCC Off");
    EXPECT_EQ(vcc->GetImage(), 7);

    int pod = 0, adapter = 0;
    EXPECT_EQ(vcc->GetRequiredInterfaces(&pod, &adapter), 1);
    EXPECT_EQ(pod, 1);
    EXPECT_EQ(adapter, 0);
}

TEST_F(ConnectionCommands, OpenWithZeroKeepsZeroAndRunsAtTheProjectVcc) {
    std::string error;
    std::unique_ptr<CCommandDravik_Open> open(CCommandDravik_Open::Create(error, 0));
    EXPECT_EQ(open->GetVCC(), 0u);
    EXPECT_EQ(open->GetRunVCC(), 3300u) << "no project";
    auto loaded = Load(
        "<?xml version=\"1.0\" standalone=\"yes\" ?>\n<!DOCTYPE Dravik_Open\n[\n"
        "\t<!ELEMENT Dravik_Open EMPTY >\n\t<!ATTLIST Dravik_Open\n\t\tdwVCC CDATA "
        "#REQUIRED\n\t>\n]>\n<Dravik_Open \n\tdwVCC=\"0\"\n></Dravik_Open >\n",
        error);
    ASSERT_NE(loaded, nullptr) << error;
    auto* read = static_cast<CCommandDravik_Open*>(loaded.get());
    EXPECT_EQ(read->GetVCC(), 0u);
    project.vcc = 2700;
    SetCommandProject(&project, "");
    EXPECT_EQ(read->GetRunVCC(), 2700u);
    // Following the project, it does not take a changed default as its own.
    EXPECT_EQ(read->PropagateVCC(2500), 1);
    EXPECT_EQ(read->GetVCC(), 0u);
    EXPECT_EQ(SavedElement(*loaded), "<Dravik_Open \n\tdwVCC=\"0\"\n></Dravik_Open >\n");
}

TEST_F(ConnectionCommands, RoundTripsWithTheirAttributeForms) {
    std::string error;
    std::unique_ptr<CCommandDravik_Close> close(CCommandDravik_Close::Create(error, 0));
    EXPECT_EQ(SavedElement(*close), "<Dravik_Close \n\tbVccOff=\"FALSE\"\n></Dravik_Close >\n");
    auto loaded = RoundTrip(*close);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(static_cast<CCommandDravik_Close*>(loaded.get())->GetVccOff(), 0);

    std::unique_ptr<CCommandDravik_VCC> vcc(CCommandDravik_VCC::Create(error, 0));
    EXPECT_EQ(SavedElement(*vcc), "<Dravik_VCC \n\tdwVCC=\"0\"\n></Dravik_VCC >\n");
    loaded = RoundTrip(*vcc);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->GetTreeLabel(), "VCC Off");
    EXPECT_EQ(loaded->GetImage(), 7);
}

TEST_F(ConnectionCommands, ABadBooleanDoesNotLoad) {
    std::string error;
    auto loaded = Load(
        "<?xml version=\"1.0\" standalone=\"yes\" ?>\n<!DOCTYPE Dravik_Close\n[\n"
        "\t<!ELEMENT Dravik_Close EMPTY >\n\t<!ATTLIST Dravik_Close\n\t\tbVccOff CDATA "
        "#REQUIRED\n\t>\n]>\n<Dravik_Close \n\tbVccOff=\"MAYBE\"\n></Dravik_Close >\n",
        error);
    EXPECT_EQ(loaded, nullptr);
    EXPECT_NE(error.find("MAYBE"), std::string::npos) << error;
}

TEST_F(ConnectionCommands, PropagatedVccReachesOpenAndVccButNotVccOff) {
    std::string error;
    std::unique_ptr<CCommandDravik_Open> open(CCommandDravik_Open::Create(error, 3300));
    std::unique_ptr<CCommandDravik_VCC> on(CCommandDravik_VCC::Create(error, 3300));
    std::unique_ptr<CCommandDravik_VCC> off(CCommandDravik_VCC::Create(error, 0));
    int marks = 0;
    auto previous = SetDocumentModifiedHandler([&](int modified) { marks += modified; });
    EXPECT_EQ(open->PropagateVCC(2500), 1);
    EXPECT_EQ(on->PropagateVCC(2500), 1);
    EXPECT_EQ(off->PropagateVCC(2500), 1);
    SetDocumentModifiedHandler(previous);
    EXPECT_EQ(open->GetVCC(), 2500u);
    EXPECT_EQ(on->GetVCC(), 2500u);
    EXPECT_EQ(on->GetTreeLabel(), "VCC = 2.5v");
    EXPECT_EQ(off->GetVCC(), 0u);
    EXPECT_EQ(off->GetTreeLabel(), "VCC Off");
    EXPECT_EQ(marks, 2);
}

TEST_F(ConnectionCommands, RunWithoutPodFailsWithTheClassText) {
    struct Case {
        CProjectTreeItem* command;
        const char* text;
    };
    std::string error;
    for (Case c : {Case{CCommandDravik_Open::Create(error, 3000),
                        "NULL Dravik during CCommandDravik_Open::OnExecute"},
                   Case{CCommandDravik_Close::Create(error, 1),
                        "NULL Dravik during CCommandDravik_Close::OnExecute"},
                   Case{CCommandDravik_VCC::Create(error, 0),
                        "NULL Dravik during CCommandDravik_VCC::OnExecute"}}) {
        std::unique_ptr<CProjectTreeItem> command(c.command);
        CExecuteParams params;
        EXPECT_EQ(command->OnExecute(&params), 0);
        EXPECT_EQ(command->GetLastError(), c.text);
    }
}

TEST_F(ConnectionCommands, OpenAndCloseThePodsTarget) {
    auto pod = Plug();
    std::string error;
    ASSERT_EQ(
        Run({CCommandDravik_Open::Create(error, 3000), CCommandDravik_Close::Create(error, 0)},
            f149),
        1)
        << runError;
    EXPECT_EQ(log.Text(), "\nOpen JTAG: 3.0v OK\nClose JTAG: OK\n");
    EXPECT_EQ(status.texts, (std::vector<std::string>{"Opening JTAG", "Closing JTAG"}));
    EXPECT_EQ(runVcc, 3000u) << "Close without VCC off keeps the supply";

    ASSERT_EQ(
        Run({CCommandDravik_Open::Create(error, 3000), CCommandDravik_Close::Create(error, 1)},
            f149),
        1)
        << runError;
    EXPECT_EQ(runVcc, 0u);
}

TEST_F(ConnectionCommands, VccOffShowsRemoving) {
    Plug();
    std::string error;
    ASSERT_EQ(Run({CCommandDravik_VCC::Create(error, 0)}), 1) << runError;
    EXPECT_EQ(log.Text(), "\nVCC Off: OK\n");
    EXPECT_EQ(status.texts, (std::vector<std::string>{"Removing VCC"}));
    EXPECT_EQ(runVcc, 0u);
}

}  // namespace
}  // namespace kv::testing

namespace kv::testing {
namespace {

TEST_F(ConnectionCommands, AFailedSupplyLeavesJtagClosedAndTheVccAsItWas) {
    auto pod = Plug();
    std::string error;
    ASSERT_EQ(Run({CCommandDravik_Open::Create(error, 9000)}), 0);
    EXPECT_EQ(runError.rfind("Unable to set device VCC to 9.0", 0), 0u) << runError;
    EXPECT_EQ(runVcc, 3300u) << "the context's VCC is unchanged";
    EXPECT_EQ(log.Text(), "\nOpen JTAG: 9.0v failed\n");
}

TEST_F(ConnectionCommands, BlowFuseNeedsAnIdentifiedChipAndLocksItOut) {
    Plug();
    std::string error;
    EXPECT_EQ(
        Run({CCommandDravik_Open::Create(error, 3000), CCommandDravik_BlowFuse::Create(error)}), 0);
    EXPECT_EQ(status.texts.back(), "Blowing JTAG fuse");
    EXPECT_EQ(runError, "Unable to perform BlowFuse (5)\nUnknown device");
    EXPECT_EQ(
        Run({CCommandDravik_Open::Create(error, 3000), CCommandDravik_Identify::Create(error, 0),
             CCommandDravik_BlowFuse::Create(error)}),
        1)
        << runError;
    EXPECT_EQ(
        Run({CCommandDravik_Open::Create(error, 3000), CCommandDravik_Identify::Create(error, 0)}),
        0)
        << "JTAG is gone";
    EXPECT_FALSE(runError.empty());
}

}  // namespace
}  // namespace kv::testing
