// The tree control against the project model's tree interface: entries,
// labels, selection and the Project menu's edits.
#include <QCoreApplication>
#include <QKeyEvent>
#include <QTreeWidgetItem>

#include "dlg_new_command.h"
#include "kelvane/core/array_project_tree_item.h"
#include "kelvane/core/command_factory.h"
#include "kelvane/core/prg_operation.h"
#include "kelvane/core/project_tree_item.h"
#include "new_item_list_ctrl.h"
#include "project_tree_ctrl.h"
#include "ui_test_support.h"
#include "ui_window.h"

namespace kv::ui::testing {
namespace {

using kv::testing::TestCommand;

class ProjectTreeCtrlTest : public UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        first = project.AddCommand("Dravik_Open", "Open");
        second = project.AddCommand("Dravik_Erase", "Erase");
        third = project.AddCommand("Dravik_Close", "Close");
        std::string error;
        ASSERT_EQ(project.PopulateTree(&tree, error), 1) << error;
        document.SetProject(&project);
    }
    void TearDown() override {
        CDlgNewCommand::SetRunner(nullptr);
        CDlgNewCommand::ClearPageHost();
        UiTest::TearDown();
    }

    std::vector<std::string> Labels() {
        std::vector<std::string> labels;
        QTreeWidgetItem* list = tree.topLevelItem(0);
        for (int i = 0; i < list->childCount(); ++i)
            labels.push_back(list->child(i)->text(0).toStdString());
        return labels;
    }
    std::vector<std::string> ArrayLabels() {
        std::vector<std::string> labels;
        for (int i = 0; i < project.list->GetCommands().GetSize(); ++i)
            labels.push_back(project.list->GetCommands().GetAt(i)->GetTreeLabel());
        return labels;
    }
    void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent event(QEvent::KeyPress, key, modifiers);
        QCoreApplication::sendEvent(&tree, &event);
    }

    CDocKelvane document;
    TestDocumentProject project;
    CProjectTreeCtrl tree;
    TestCommand* first = nullptr;
    TestCommand* second = nullptr;
    TestCommand* third = nullptr;
};

TEST_F(ProjectTreeCtrlTest, EntriesCarryLabelsItemsAndStructure) {
    EXPECT_EQ(Labels(), (std::vector<std::string>{"Open", "Erase", "Close"}));
    EXPECT_EQ(tree.GetTreeItem(second->GetTreeHandle()), second);
    EXPECT_EQ(second->GetParentItem(), project.list.get());
    EXPECT_EQ(second->GetPrevSiblingItem(), first);
    EXPECT_EQ(second->GetNextSiblingItem(), third);
    EXPECT_EQ(third->GetNextSiblingItem(), nullptr);
    EXPECT_EQ(project.list->GetFirstChildItem(), first);
    EXPECT_TRUE(tree.topLevelItem(0)->isExpanded());

    second->SetLabel("Erase all");
    second->UpdateTreeText();
    EXPECT_EQ(Labels()[1], "Erase all");
    EXPECT_EQ(tree.InsertTreeItem(nullptr, kTreeRoot, kTreeLast), kTreeNone);
    EXPECT_EQ(tree.InsertItem("x", 0, 0, nullptr, 9999, kTreeLast), kTreeNone);
}

TEST_F(ProjectTreeCtrlTest, InsertsFirstLastAndAfterASibling) {
    TreeItemHandle list = project.list->GetTreeHandle();
    TreeItemHandle head = tree.InsertItem("Head", 0, 0, nullptr, list, kTreeFirst);
    tree.InsertItem("Tail", 0, 0, nullptr, list, kTreeLast);
    tree.InsertItem("Middle", 0, 0, nullptr, list, second->GetTreeHandle());
    EXPECT_EQ(Labels(),
              (std::vector<std::string>{"Head", "Open", "Erase", "Middle", "Close", "Tail"}));
    // An anchor below another parent is refused.
    EXPECT_EQ(tree.InsertItem("Bad", 0, 0, nullptr, kTreeRoot, head), kTreeNone);
}

TEST_F(ProjectTreeCtrlTest, SelectionShowsTheItemInThePropertiesPane) {
    tree.SelectTreeItem(second);
    EXPECT_EQ(GetPropertiesItem(), second);
    EXPECT_TRUE(tree.IsBold(second->GetTreeHandle()));
    tree.SelectTreeItem(nullptr);
    EXPECT_EQ(GetPropertiesItem(), nullptr);
    EXPECT_FALSE(tree.IsBold(second->GetTreeHandle()));
}

TEST_F(ProjectTreeCtrlTest, DeleteRemovesFromTreeAndListAndSelectsTheNext) {
    tree.SelectTreeItem(second);
    EXPECT_EQ(tree.DeleteCurrentItem(), 1);
    EXPECT_EQ(Labels(), (std::vector<std::string>{"Open", "Close"}));
    EXPECT_EQ(ArrayLabels(), (std::vector<std::string>{"Open", "Close"}));
    EXPECT_EQ(GetPropertiesItem(), third);
    EXPECT_EQ(document.IsModified(), 1);
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(ProjectTreeCtrlTest, DeleteWithNothingSelectedDoesNothing) {
    tree.SelectTreeItem(nullptr);
    EXPECT_EQ(tree.DeleteCurrentItem(), 0);
    EXPECT_EQ(Labels().size(), 3u);
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(ProjectTreeCtrlTest, DeleteOfTheCommandListIsRefusedWithItsText) {
    tree.SelectTreeItem(project.list.get());
    EXPECT_EQ(tree.DeleteCurrentItem(), 0);
    EXPECT_EQ(messages.texts, (std::vector<std::string>{"Root tree items cannot be deleted"}));
    EXPECT_EQ(Labels().size(), 3u);
}

TEST_F(ProjectTreeCtrlTest, ItemOfAnotherTreeIsRefused) {
    CProjectTreeCtrl other;
    TestDocumentProject foreign;
    foreign.AddCommand("Dravik_Open", "Foreign");
    std::string error;
    foreign.PopulateTree(&other, error);
    SetPropertiesItem(foreign.list->GetCommands().GetAt(0));
    EXPECT_EQ(tree.DeleteCurrentItem(), 0);
    EXPECT_EQ(tree.NewCommand(1, false, error), 0);
    EXPECT_EQ(error, "The current tree item is not a child of the current tree");
    EXPECT_EQ(
        messages.texts,
        (std::vector<std::string>{"The current tree item is not a child of the current tree"}));
    SetPropertiesItem(nullptr);
}

TEST_F(ProjectTreeCtrlTest, MovesUpAndDownKeepTreeAndListInStep) {
    tree.SelectTreeItem(third);
    EXPECT_EQ(tree.MoveCurrentItemUp(), 1);
    EXPECT_EQ(Labels(), (std::vector<std::string>{"Open", "Close", "Erase"}));
    EXPECT_EQ(ArrayLabels(), Labels());
    EXPECT_EQ(GetPropertiesItem(), third);

    tree.SelectTreeItem(first);
    EXPECT_EQ(tree.MoveCurrentItemDown(), 1);
    EXPECT_EQ(Labels(), (std::vector<std::string>{"Close", "Open", "Erase"}));
    EXPECT_EQ(ArrayLabels(), Labels());
    EXPECT_EQ(GetPropertiesItem(), first);
}

TEST_F(ProjectTreeCtrlTest, CtrlKeysMoveAndTheFirstCommandCannotMoveUp) {
    tree.SelectTreeItem(first);
    Press(Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(Labels(), (std::vector<std::string>{"Open", "Erase", "Close"}));
    Press(Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(Labels(), (std::vector<std::string>{"Erase", "Open", "Close"}));
    Press(Qt::Key_Delete);
    EXPECT_EQ(Labels(), (std::vector<std::string>{"Erase", "Close"}));
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(ProjectTreeCtrlTest, ClearingLeavesNoEntryNamingAnItem) {
    QTreeWidgetItem* entry = tree.topLevelItem(0)->child(0);
    TreeItemHandle handle = tree.HandleOf(entry);
    tree.SelectTreeItem(first);
    tree.ClearTree();
    EXPECT_EQ(tree.topLevelItemCount(), 0);
    EXPECT_EQ(tree.GetItemData(handle), nullptr);
    EXPECT_EQ(GetPropertiesItem(), nullptr);
    // A stale handle is refused, not followed.
    EXPECT_FALSE(tree.DeleteItem(handle));
    EXPECT_EQ(tree.GetParentItem(handle), kTreeNone);
}

class NewCommandTest : public ProjectTreeCtrlTest {
  protected:
    void SetUp() override {
        ProjectTreeCtrlTest::SetUp();
        CDlgNewCommand::SetPageHost(&host, UiRect{0, 0, 100, 100});
    }
    QWidget hostWidget;
    UiWindow host{&hostWidget};
};

TEST_F(NewCommandTest, AddPutsACopyOfTheChosenPrototypeAfterTheCurrentItem) {
    std::string title;
    CDlgNewCommand::SetRunner([&](CDlgNewCommand& dialog) {
        title = dialog.windowTitle().toStdString();
        dialog.GetList()->SelectRow(dialog.GetList()->GetRowCount() - 1);
        return int{QDialog::Accepted};
    });
    tree.SelectTreeItem(first);
    std::string error;
    ASSERT_EQ(tree.NewCommand(0, true, error), 1) << error;
    EXPECT_EQ(title, "Add New Command");
    CArrayProjectTreeItem* prototypes = GetCommandPrototypes();
    const std::string last = prototypes->GetAt(prototypes->GetSize() - 1)->GetTreeLabel();
    EXPECT_EQ(Labels(), (std::vector<std::string>{"Open", last, "Erase", "Close"}));
    EXPECT_EQ(ArrayLabels(), Labels());
    EXPECT_EQ(GetPropertiesItem()->GetTreeLabel(), last);
    EXPECT_EQ(static_cast<TestCommand*>(GetPropertiesItem())->value, 1u);
    EXPECT_EQ(document.IsModified(), 1);
    EXPECT_FALSE(tree.IsBold(first->GetTreeHandle()) && GetPropertiesItem() != first);
}

TEST_F(NewCommandTest, InsertPutsTheCommandBeforeTheCurrentItem) {
    CDlgNewCommand::SetRunner([](CDlgNewCommand& dialog) {
        EXPECT_EQ(dialog.windowTitle().toStdString(), "Insert New Command");
        dialog.GetList()->SelectRow(0);
        return int{QDialog::Accepted};
    });
    tree.SelectTreeItem(first);
    std::string error;
    ASSERT_EQ(tree.NewCommand(1, true, error), 1) << error;
    EXPECT_EQ(Labels().front(), GetCommandPrototypes()->GetAt(0)->GetTreeLabel());
    EXPECT_EQ(Labels().size(), 4u);
    EXPECT_EQ(ArrayLabels(), Labels());
}

TEST_F(NewCommandTest, CancelReselectsTheAnchorAndKeepsTheModifiedFlag) {
    bool anchorBold = false;
    CDlgNewCommand::SetRunner([&](CDlgNewCommand&) {
        anchorBold = tree.IsBold(second->GetTreeHandle());
        return int{QDialog::Rejected};
    });
    tree.SelectTreeItem(second);
    std::string error;
    EXPECT_EQ(tree.NewCommand(0, true, error), 1);
    EXPECT_TRUE(error.empty());
    EXPECT_TRUE(anchorBold);
    EXPECT_EQ(GetPropertiesItem(), second);
    EXPECT_EQ(document.IsModified(), 0);
    EXPECT_EQ(Labels().size(), 3u);
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(NewCommandTest, InsertOnTheCommandListFromTheKeyShowsNothing) {
    CDlgNewCommand::SetRunner([](CDlgNewCommand&) { return int{QDialog::Accepted}; });
    // No anchor: the command list itself; inserting puts the command first.
    tree.SelectTreeItem(project.list.get());
    Press(Qt::Key_Insert);
    EXPECT_EQ(Labels().size(), 4u);
    EXPECT_EQ(Labels().front(), GetCommandPrototypes()->GetAt(0)->GetTreeLabel());
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(NewCommandTest, WithoutACurrentItemThereIsNoAnchor) {
    tree.SelectTreeItem(nullptr);
    std::string error;
    EXPECT_EQ(tree.NewCommand(0, true, error), 0);
    EXPECT_EQ(error, "No current item as an anchor for the new item");
}

}  // namespace
}  // namespace kv::ui::testing
