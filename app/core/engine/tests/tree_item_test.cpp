// The tree item's execute template, copies, tree navigation, the root items'
// refusals and the owning array.
#include <gtest/gtest.h>

#include "engine_test_support.h"
#include "kelvane/core/array_project_tree_item.h"
#include "kelvane/core/prg_operation.h"
#include "kelvane/core/prg_processor.h"
#include "kelvane/core/root_tree_item.h"
#include "kelvane/platform/message_box.h"

namespace kv::testing {
namespace {

class TreeItemTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Trace().clear();
        FailingCommands().clear();
        previousBox_ =
            setMessageBoxHandler([this](const std::string& text, const std::string&, unsigned) {
                boxes.push_back(text);
                return kIdOk;
            });
    }
    void TearDown() override { setMessageBoxHandler(previousBox_); }

    int Run(CProjectTreeItem& item) {
        FakeDevices devices;
        CExecuteParams params;
        params.Open(FakeDevices::Processor(), 3300, nullptr, nullptr, &log, "Test", 10, 1, 1);
        log = RecordingLog();
        return item.Execute(&params);
    }

    RecordingLog log;
    std::vector<std::string> boxes;
    MessageBoxHandler previousBox_;
};

TEST_F(TreeItemTest, ExecuteLogsLabelAndResult) {
    TestCommand ok("Comment");
    ok.SetLabel("Note");
    EXPECT_EQ(Run(ok), 1);
    EXPECT_EQ(log.Text(), "Note: OK\n");

    FailingCommands().insert("Comment");
    EXPECT_EQ(Run(ok), 0);
    EXPECT_EQ(log.Text(), "Note: failed\n");
    EXPECT_EQ(ok.GetLastError(), "Comment failed");
}

TEST_F(TreeItemTest, ExecuteWithoutPrintFlagsLogsNothing) {
    TestCommand quiet("Comment");
    quiet.SetPrintFlags(0, 0);
    EXPECT_EQ(Run(quiet), 1);
    EXPECT_EQ(log.Text(), "");
}

TEST_F(TreeItemTest, ExecuteWithoutContextFails) {
    TestCommand command("Comment");
    EXPECT_EQ(command.Execute(nullptr), 0);
    EXPECT_EQ(command.GetLastError(), "Unable to execute NULL parameters");
    EXPECT_TRUE(Trace().empty());
}

TEST_F(TreeItemTest, ExecutePumpsAtMostOneHundredMessages) {
    std::vector<int> pumps;
    MessagePump previous = SetMessagePump([&](int most) { pumps.push_back(most); });
    TestCommand command("Comment");
    Run(command);
    SetMessagePump(previous);
    EXPECT_EQ(pumps, std::vector<int>{100});
}

TEST_F(TreeItemTest, SpawnCopiesNamesAndClearsTheErrorText) {
    TestCommand original("Dravik_Open", 2500);
    original.SetLabel("Open JTAG");
    original.SetPrintFlags(0, 1);
    original.SetLastError("old failure");
    std::unique_ptr<CProjectTreeItem> copy(original.Spawn());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetTreeLabel(), "Open JTAG");
    EXPECT_EQ(copy->GetElementName(), "Dravik_Open");
    EXPECT_EQ(copy->GetPrintLabel(), 0);
    EXPECT_EQ(copy->GetLastError(), "");
    EXPECT_EQ(static_cast<TestCommand&>(*copy).value, 2500u);
}

TEST_F(TreeItemTest, RootItemsAndCommandListsCannotBeSpawned) {
    TestProject project;
    CProjectNameTreeItem name(&project);
    EXPECT_EQ(name.Spawn(), nullptr);
    EXPECT_EQ(name.GetLastError(), "Spawning of root tree items is not allowed");
    CPrgOperation operation(&project);
    EXPECT_EQ(operation.Spawn(), nullptr);
    EXPECT_EQ(operation.GetLastError(), "Spawning of command lists is not allowed");
}

TEST_F(TreeItemTest, RootItemsRefuseEditsAndReportWhenAsked) {
    TestProject project;
    CProjectVccTreeItem vcc(&project);
    CProjectTreeItem* parent = &vcc;
    CProjectTreeItem* item = &vcc;
    CProjectTreeItem* other = &vcc;
    EXPECT_EQ(vcc.GetMoveUpTarget(true, &parent, &item, &other), 0);
    EXPECT_EQ(parent, nullptr);
    EXPECT_EQ(item, nullptr);
    EXPECT_EQ(boxes, std::vector<std::string>{"Root tree items cannot move up"});
    EXPECT_EQ(vcc.GetDeleteTarget(false, &parent, &item), 0);
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(vcc.GetLastError(), "Root tree items cannot be deleted");
    EXPECT_EQ(vcc.AddChild(nullptr, nullptr, &other), 0);
    EXPECT_EQ(vcc.GetLastError(), "Child items cannot be added to root tree items");
    EXPECT_EQ(vcc.DeleteChild(nullptr, &other), 0);
    EXPECT_EQ(vcc.GetLastError(), "Root tree items have no children to delete");
    EXPECT_EQ(vcc.MoveChildDown(nullptr, nullptr, &other), 0);
    EXPECT_EQ(vcc.GetLastError(), "Root tree items cannot move down");
}

TEST_F(TreeItemTest, RootItemLabelsFollowTheProject) {
    TestProject project;
    FakeTree tree;
    CProjectVccTreeItem vcc(&project);
    CProjectNameTreeItem name(&project);
    CProcessorTreeItem processor(&project);
    EXPECT_EQ(vcc.GetTreeLabel(), "Default Project VCC");
    vcc.InsertIntoTree(&tree, kTreeRoot, kTreeLast);
    vcc.SetVcc(2500);
    EXPECT_EQ(tree.Texts(kTreeRoot), std::vector<std::string>{"Default VCC = 2.5v"});
    name.SetProjectName("Widget");
    EXPECT_EQ(name.GetTreeLabel(), "Widget");
    CPrgProcessor record;
    record.Name = "MSP430F149";
    processor.SetProcessor(&record);
    EXPECT_EQ(processor.GetTreeLabel(), "MSP430F149");
    EXPECT_EQ(project.processor, "MSP430F149");

    CProjectNameTreeItem orphan(nullptr);
    CProjectVccTreeItem orphanVcc(nullptr);
    EXPECT_EQ(orphan.GetProjectName(), "Unknown Project");
    EXPECT_EQ(orphanVcc.GetVcc(), 3300u);
}

TEST_F(TreeItemTest, NavigationGoesThroughTheTree) {
    TestProject project;
    FakeTree tree;
    CPrgOperation operation(&project);
    TestCommand lone("Comment");
    EXPECT_EQ(lone.GetParentItem(), nullptr);
    operation.InsertIntoTree(&tree, kTreeRoot, kTreeLast);
    EXPECT_EQ(operation.GetLastChildItem(), nullptr);

    auto* first = new TestCommand("Comment");
    CProjectTreeItem* select = nullptr;
    ASSERT_EQ(operation.InsertChild(first, nullptr, &select), 1);
    EXPECT_EQ(operation.GetLastChildItem(), first);
    auto* second = new TestCommand("Delay");
    ASSERT_EQ(operation.InsertChild(second, first, &select), 1);
    EXPECT_EQ(operation.GetFirstChildItem(), first);
    EXPECT_EQ(operation.GetLastChildItem(), second);
    EXPECT_EQ(first->GetNextSiblingItem(), second);
    EXPECT_EQ(second->GetPrevSiblingItem(), first);
    EXPECT_EQ(first->GetLastSiblingItem(), second);
    EXPECT_EQ(second->GetLastSiblingItem(), nullptr);
    EXPECT_EQ(second->GetParentItem(), &operation);
}

TEST_F(TreeItemTest, ArrayMovesAndFindsWithTheirTexts) {
    CArrayProjectTreeItem array;
    auto* a = new TestCommand("A");
    auto* b = new TestCommand("B");
    array.Add(a);
    array.Add(b);
    EXPECT_EQ(array.MoveDown(1), 0);
    EXPECT_EQ(array.GetLastError(), "Cannot move last item down");
    EXPECT_EQ(array.GetAt(0), a);
    EXPECT_EQ(array.MoveUp(0), 0);
    EXPECT_EQ(array.GetLastError(), "Cannot move first item up");
    EXPECT_EQ(array.MoveUp(1), 1);
    EXPECT_EQ(array.GetAt(0), b);
    EXPECT_EQ(array.Find(nullptr), -1);
    EXPECT_EQ(array.GetLastError(), "Cannot find NULL item");
    TestCommand stranger("C");
    EXPECT_EQ(array.Remove(&stranger), 0);
    EXPECT_EQ(array.GetLastError(), "Could not find item in array");
    EXPECT_EQ(array.SpawnFrom(nullptr), 0);
    EXPECT_EQ(array.GetLastError(), "Cannot spawn from NULL array");
}

TEST_F(TreeItemTest, ArrayLoopsStopAtTheFirstFailure) {
    CArrayProjectTreeItem array;
    array.Add(new TestCommand("A"));
    array.Add(new TestCommand("B"));
    FakeTree tree;
    tree.failAfter = 1;
    EXPECT_EQ(array.InsertIntoTree(&tree, kTreeRoot, kTreeLast), 0);
    EXPECT_EQ(array.GetLastError(), "Unable to insert 'B' into the tree");
    EXPECT_EQ(tree.Texts(kTreeRoot), std::vector<std::string>{"A"});
    EXPECT_EQ(array.AddToNewItemList(nullptr), 0);
    EXPECT_EQ(array.GetLastError(), "Unable to add item to NULL list control");
}

TEST_F(TreeItemTest, PropertiesPaneShowsTheSelectedItem) {
    struct Pane : PropertiesPane {
        void SetTitle(const std::string& text) override { title = text; }
        void Show(bool show) override { shown = show; }
        std::string title;
        bool shown = false;
    } pane;
    SetPropertiesWindow(&pane);
    FakeTree tree;
    TestCommand command("Comment");
    command.SetLabel("Note");
    command.InsertIntoTree(&tree, kTreeRoot, kTreeLast);
    SetPropertiesItem(&command);
    EXPECT_EQ(pane.title, "Note Properties");
    EXPECT_TRUE(pane.shown);
    EXPECT_TRUE(tree.Find(command.GetTreeHandle())->bold);
    SetPropertiesItem(nullptr);
    EXPECT_EQ(pane.title, "");
    EXPECT_FALSE(pane.shown);
    EXPECT_FALSE(tree.Find(command.GetTreeHandle())->bold);
    SetPropertiesWindow(nullptr);
}

}  // namespace
}  // namespace kv::testing
