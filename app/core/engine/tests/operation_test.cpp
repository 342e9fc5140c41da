// Command lists: the run (order, first failure, power-off), the needs of the
// commands, progress, the default list and the tree edits with their texts.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine_test_support.h"
#include "kelvane/core/prg_operation.h"
#include "kelvane/platform/message_box.h"

namespace kv::testing {
namespace {

class OperationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Trace().clear();
        FailingCommands().clear();
        UnregisterCommandClasses();
        RegisterTestCommands(BuiltInCommandNames());
        previousBox_ =
            setMessageBoxHandler([this](const std::string& text, const std::string&, unsigned) {
                boxes.push_back(text);
                return kIdOk;
            });
        previousModified_ = SetDocumentModifiedHandler([this](int flag) { modified += flag; });
        std::string error;
        ASSERT_EQ(CreatePowerOffNowOperations(&project, error), 1) << error;
    }
    void TearDown() override {
        DestroyBuiltInOperations();
        UnregisterCommandClasses();
        SetPodInUse(0);
        setMessageBoxHandler(previousBox_);
        SetDocumentModifiedHandler(previousModified_);
    }

    TestCommand* Add(const std::string& name, std::uint32_t value = 0) {
        auto* command = new TestCommand(name, value);
        operation.GetCommands().Add(command);
        return command;
    }

    // Runs the operation on a context that opens what the commands need.
    int Run(int podNeeded, int adapterNeeded) {
        CExecuteParams params;
        EXPECT_EQ(params.Open(FakeDevices::Processor(), 3300, &bar, nullptr, &log, "Commands",
                              operation.GetProgressAggregate(), podNeeded, adapterNeeded),
                  1)
            << params.GetLastError();
        return operation.Execute(&params);
    }

    // The operation in a tree with its commands below it.
    void ShowInTree() { ASSERT_NE(operation.InsertIntoTree(&tree, kTreeRoot, kTreeLast), 0); }
    std::vector<std::string> Labels() const {
        std::vector<std::string> labels;
        for (int i = 0; i < operation.GetCommands().GetSize(); ++i)
            labels.push_back(operation.GetCommands().GetAt(i)->GetTreeLabel());
        return labels;
    }

    TestProject project;
    CPrgOperation operation{&project};
    FakeDevices devices;
    FakeTree tree;
    RecordingLog log;
    RecordingBar bar;
    std::vector<std::string> boxes;
    int modified = 0;
    MessageBoxHandler previousBox_;
    DocumentModifiedHandler previousModified_;
};

TEST_F(OperationTest, RunsCommandsInOrderAndLogsEach) {
    Add("Dravik_Open", 3300)->SetLabel("Open JTAG");
    Add("Dravik_Erase")->SetLabel("Erase");
    Add("Comment")->SetLabel("Note");
    EXPECT_EQ(Run(1, 0), 1);
    EXPECT_EQ(Trace(),
              (std::vector<std::string>{"Dravik_Open(3300)", "Dravik_Erase(0)", "Comment(0)"}));
    EXPECT_EQ(log.Text(),
              "\nStarting 'Commands'\nCommands: \nOpen JTAG: OK\nErase: OK\nNote: OK\n");
    // Full at the end of the run, reset when the context closes.
    ASSERT_GE(bar.positions.size(), 2u);
    EXPECT_EQ(bar.positions[bar.positions.size() - 2], 1000);
    EXPECT_EQ(bar.positions.back(), 0);
}

TEST_F(OperationTest, StopsAtTheFirstFailureThenPowersOffThePod) {
    Add("Dravik_Open", 3300);
    Add("Dravik_Erase");
    Add("Dravik_Close");
    FailingCommands().insert("Dravik_Erase");
    EXPECT_EQ(Run(1, 0), 0);
    EXPECT_EQ(operation.GetLastError(), "Dravik_Erase failed");
    EXPECT_EQ(Trace(),
              (std::vector<std::string>{"Dravik_Open(3300)", "Dravik_Erase(0)", "Dravik_VCC(0)"}));
    EXPECT_NE(log.Text().find("Dravik_Erase: failed\n\nDravik_VCC: OK\n"), std::string::npos);
}

TEST_F(OperationTest, PowersOffTheAdapterWhenThePodIsNotInUse) {
    Add("Tovrin_SeizeTarget");
    FailingCommands().insert("Tovrin_SeizeTarget");
    EXPECT_EQ(Run(0, 1), 0);
    EXPECT_EQ(Trace(), (std::vector<std::string>{"Tovrin_SeizeTarget(0)", "Tovrin_PowerOff(1)"}));
}

TEST_F(OperationTest, AnAdapterRunPowersOffTheAdapterEvenWhenThePodWasDetected) {
    // Start-up found a pod, so the flag is set; the run opened only the
    // adapter, and it is the adapter's target that is switched off.
    SetPodInUse(1);
    Add("Tovrin_SeizeTarget");
    FailingCommands().insert("Tovrin_SeizeTarget");
    EXPECT_EQ(Run(0, 1), 0);
    EXPECT_EQ(operation.GetLastError(), "Tovrin_SeizeTarget failed");
    EXPECT_EQ(Trace(), (std::vector<std::string>{"Tovrin_SeizeTarget(0)", "Tovrin_PowerOff(1)"}));
}

TEST_F(OperationTest, ThePowerOffOperationDoesNotPowerOffItself) {
    SetPodInUse(1);
    FailingCommands().insert("Dravik_VCC");
    CExecuteParams params;
    params.Open(FakeDevices::Processor(), 3300, nullptr, nullptr, &log, "Off", 2, 1, 0);
    EXPECT_EQ(GetPowerOffNowOperation()->Execute(&params), 0);
    EXPECT_EQ(Trace(), std::vector<std::string>{"Dravik_VCC(0)"});
}

TEST_F(OperationTest, AnEmptyListSucceedsWithOneUnit) {
    EXPECT_EQ(operation.GetProgressAggregate(), 1);
    EXPECT_EQ(Run(0, 0), 1);
    ASSERT_GE(bar.positions.size(), 2u);
    EXPECT_EQ(bar.positions[bar.positions.size() - 2], 1000);
}

TEST_F(OperationTest, NeedsAndProgressComeFromTheCommands) {
    Add("Comment")->SetUnits(3);
    Add("Tovrin_WriteFile")->SetUnits(10);
    int pod = 7, adapter = 7;
    EXPECT_EQ(operation.GetRequiredInterfaces(&pod, &adapter), 1);
    EXPECT_EQ(pod, 0);
    EXPECT_EQ(adapter, 1);
    EXPECT_EQ(operation.GetProgressAggregate(), 14);
}

TEST_F(OperationTest, DefaultListFollowsTheWizardOptions) {
    NewProjectOptions options;
    options.VccOff = false;
    options.UnLockFlashA = true;
    options.ProcessorHasLOCKA = true;
    options.WriteFile = true;
    options.WriteFilePath = "/images/app.txt";
    options.ReleaseJTAG = true;
    project.vcc = 2500;
    ASSERT_EQ(operation.BuildDefaultCommands(options), 1) << operation.GetLastError();
    EXPECT_EQ(Labels(), (std::vector<std::string>{"Dravik_Open", "Dravik_Identify", "Dravik_LockA",
                                                  "Dravik_Erase", "Dravik_ProgramFile",
                                                  "Dravik_Reset", "Dravik_Close"}));
    EXPECT_EQ(static_cast<TestCommand*>(operation.GetCommands().GetAt(0))->value, 2500u);

    options.VccOff = true;
    options.EraseTarget = false;
    options.WriteFile = false;
    ASSERT_EQ(operation.BuildDefaultCommands(options), 1);
    EXPECT_EQ(Labels(), (std::vector<std::string>{"Dravik_Open", "Dravik_Identify", "Dravik_LockA",
                                                  "Dravik_Close"}));
    EXPECT_EQ(static_cast<TestCommand*>(operation.GetCommands().GetAt(0))->value, 0u);

    CPrgOperation orphan(nullptr);
    EXPECT_EQ(orphan.BuildDefaultCommands(options), 0);
    EXPECT_EQ(orphan.GetLastError(), "Cannot initialize operation for NULL project");
}

TEST_F(OperationTest, InsertWithoutAnchorGoesFirstInTreeAndArray) {
    Add("Comment")->SetLabel("A");
    ShowInTree();
    auto* item = new TestCommand("Delay");
    item->SetLabel("New");
    CProjectTreeItem* select = nullptr;
    ASSERT_EQ(operation.InsertChild(item, nullptr, &select), 1) << operation.GetLastError();
    EXPECT_EQ(select, item);
    EXPECT_EQ(Labels(), (std::vector<std::string>{"New", "A"}));
    EXPECT_EQ(tree.Texts(operation.GetTreeHandle()), (std::vector<std::string>{"New", "A"}));
    EXPECT_EQ(modified, 1);
}

TEST_F(OperationTest, AddTargetAppendsAndInsertTargetPrepends) {
    TestCommand* a = Add("Comment");
    TestCommand* b = Add("Comment");
    ShowInTree();
    CProjectTreeItem* parent = nullptr;
    CProjectTreeItem* anchor = nullptr;
    EXPECT_EQ(operation.GetAddTarget(true, &parent, &anchor), 1);
    EXPECT_EQ(parent, &operation);
    EXPECT_EQ(anchor, b);
    EXPECT_EQ(operation.GetInsertTarget(true, &parent, &anchor), 1);
    EXPECT_EQ(anchor, nullptr);
    // A selected command names the list above it.
    EXPECT_EQ(b->GetInsertTarget(true, &parent, &anchor), 1);
    EXPECT_EQ(parent, &operation);
    EXPECT_EQ(anchor, a);
    EXPECT_EQ(a->GetAddTarget(true, &parent, &anchor), 1);
    EXPECT_EQ(anchor, a);
}

TEST_F(OperationTest, InsertRefusals) {
    CProjectTreeItem* select = nullptr;
    TestCommand item("Comment");
    EXPECT_EQ(operation.InsertChild(&item, nullptr, &select), 0);
    EXPECT_EQ(operation.GetLastError(), "Cannot insert child item in NULL tree");
    ShowInTree();
    EXPECT_EQ(operation.InsertChild(nullptr, nullptr, &select), 0);
    EXPECT_EQ(operation.GetLastError(), "Cannot insert NULL child item");
    TestCommand outside("Comment");
    EXPECT_EQ(operation.InsertChild(&item, &outside, &select), 0);
    EXPECT_EQ(operation.GetLastError(), "Could not find previous item handle");
    outside.InsertIntoTree(&tree, kTreeRoot, kTreeLast);
    EXPECT_EQ(operation.InsertChild(&item, &outside, &select), 0);
    EXPECT_EQ(operation.GetLastError(), "Could not find previous item in command array");
    tree.failAfter = 0;
    EXPECT_EQ(operation.InsertChild(&item, nullptr, &select), 0);
    EXPECT_EQ(boxes, std::vector<std::string>{"Could not insert new item"});
    EXPECT_EQ(operation.GetCommands().GetSize(), 0);
}

TEST_F(OperationTest, MovesSwapTreeAndArray) {
    Add("Comment")->SetLabel("A");
    TestCommand* b = Add("Comment");
    b->SetLabel("B");
    Add("Comment")->SetLabel("C");
    ShowInTree();
    CProjectTreeItem *parent, *item, *other, *select;
    ASSERT_EQ(b->GetMoveUpTarget(true, &parent, &item, &other), 1);
    ASSERT_EQ(parent->MoveChildUp(item, other, &select), 1) << operation.GetLastError();
    EXPECT_EQ(select, b);
    EXPECT_EQ(Labels(), (std::vector<std::string>{"B", "A", "C"}));
    EXPECT_EQ(tree.Texts(operation.GetTreeHandle()), (std::vector<std::string>{"B", "A", "C"}));
    EXPECT_EQ(b->GetMoveUpTarget(true, &parent, &item, &other), 0);

    ASSERT_EQ(b->GetMoveDownTarget(true, &parent, &item, &other), 1);
    ASSERT_EQ(parent->MoveChildDown(item, other, &select), 1);
    ASSERT_EQ(b->GetMoveDownTarget(true, &parent, &item, &other), 1);
    ASSERT_EQ(parent->MoveChildDown(item, other, &select), 1);
    EXPECT_EQ(Labels(), (std::vector<std::string>{"A", "C", "B"}));
    EXPECT_EQ(tree.Texts(operation.GetTreeHandle()), (std::vector<std::string>{"A", "C", "B"}));
    EXPECT_EQ(b->GetNextSiblingItem(), nullptr);
    EXPECT_EQ(modified, 3);
}

TEST_F(OperationTest, MoveRefusals) {
    TestCommand* a = Add("Comment");
    ShowInTree();
    CProjectTreeItem* select = nullptr;
    EXPECT_EQ(operation.MoveChildUp(nullptr, a, &select), 0);
    EXPECT_EQ(operation.GetLastError(), "Cannot move NULL child item");
    EXPECT_EQ(operation.MoveChildUp(a, nullptr, &select), 0);
    EXPECT_EQ(operation.GetLastError(), "Cannot move child item before NULL item");
    EXPECT_EQ(operation.MoveChildDown(a, nullptr, &select), 0);
    EXPECT_EQ(operation.GetLastError(), "Cannot move child item after NULL item");
    TestCommand foreign("Comment");
    foreign.InsertIntoTree(&tree, kTreeRoot, kTreeLast);
    EXPECT_EQ(operation.MoveChildUp(&foreign, a, &select), 0);
    EXPECT_EQ(operation.GetLastError(), "Cannot move foreign child item");
    EXPECT_EQ(operation.GetMoveUpTarget(true, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(boxes, std::vector<std::string>{"Root tree items cannot move up"});
}

TEST_F(OperationTest, AFailedReinsertDropsTheItemFromBoth) {
    Add("Comment")->SetLabel("A");
    TestCommand* b = Add("Comment");
    b->SetLabel("B");
    ShowInTree();
    CProjectTreeItem *parent, *item, *other, *select;
    ASSERT_EQ(b->GetMoveUpTarget(true, &parent, &item, &other), 1);
    tree.failAfter = 0;
    EXPECT_EQ(parent->MoveChildUp(item, other, &select), 0);
    EXPECT_EQ(boxes, std::vector<std::string>{"Could not reinsert previous item"});
    EXPECT_EQ(Labels(), std::vector<std::string>{"B"});
    EXPECT_EQ(tree.Texts(operation.GetTreeHandle()), std::vector<std::string>{"B"});
}

TEST_F(OperationTest, DeleteSelectsTheNextThenThePreviousThenTheList) {
    TestCommand* a = Add("Comment");
    TestCommand* b = Add("Comment");
    ShowInTree();
    SetPropertiesItem(a);
    CProjectTreeItem *parent, *item, *select;
    ASSERT_EQ(a->GetDeleteTarget(true, &parent, &item), 1);
    ASSERT_EQ(parent->DeleteChild(item, &select), 1);
    EXPECT_EQ(select, b);
    EXPECT_EQ(GetPropertiesItem(), nullptr);
    ASSERT_EQ(operation.DeleteChild(b, &select), 1);
    EXPECT_EQ(select, &operation);
    EXPECT_EQ(operation.GetCommands().GetSize(), 0);
    EXPECT_TRUE(tree.Texts(operation.GetTreeHandle()).empty());
    EXPECT_EQ(modified, 2);

    TestCommand foreign("Comment");
    foreign.InsertIntoTree(&tree, kTreeRoot, kTreeLast);
    EXPECT_EQ(operation.DeleteChild(&foreign, &select), 0);
    EXPECT_EQ(operation.GetLastError(), "Cannot delete foreign child item");
    EXPECT_EQ(operation.DeleteChild(nullptr, &select), 0);
    EXPECT_EQ(operation.GetLastError(), "Cannot delete NULL child item");
}

TEST_F(OperationTest, ClearingTheListForgetsTheItemShownInTheProperties) {
    TestCommand* a = Add("Comment");
    ShowInTree();
    SetPropertiesItem(a);
    operation.ClearCommands();
    EXPECT_EQ(GetPropertiesItem(), nullptr);
    SetPropertiesItem(nullptr);
}

TEST_F(OperationTest, LibraryMessagesMoveTheProgressDuringARun) {
    RecordingStatus status;
    std::vector<int> seen;
    Add("Comment")->onRun = [&](CExecuteParams* params) {
        EXPECT_EQ(operation.OnLibraryMessage(2, 202, 40), 0);
        EXPECT_EQ(operation.OnLibraryMessage(1, 0, 10), 0);
        seen = {params->GetCurrentStep(), params->GetPerMille()};
        EXPECT_EQ(operation.OnLibraryMessage(2, 203, 40), 0);
        EXPECT_EQ(operation.OnLibraryMessage(4, 0, 0), 0);
    };
    CExecuteParams params;
    ASSERT_EQ(
        params.Open(FakeDevices::Processor(), 3300, nullptr, &status, nullptr, "Program", 2, 0, 0),
        1);
    EXPECT_EQ(operation.Execute(&params), 1);
    EXPECT_EQ(seen, (std::vector<int>{1, 250}));
    EXPECT_EQ(params.GetCurrentStep(), 2);
    EXPECT_NE(std::find(status.texts.begin(), status.texts.end(), "Writing file (with verify)"),
              status.texts.end());
    EXPECT_EQ(status.texts.back(), "Verifying file");
    EXPECT_EQ(operation.OnLibraryMessage(1, 0, 10), 0) << "ignored outside a run";
}

TEST_F(OperationTest, SetNameMarksModifiedOnlyWhenItChanges) {
    operation.SetName("Commands");
    EXPECT_EQ(modified, 0);
    operation.SetName("Production");
    EXPECT_EQ(modified, 1);
    EXPECT_EQ(operation.GetTreeLabel(), "Commands");
}

}  // namespace
}  // namespace kv::testing
