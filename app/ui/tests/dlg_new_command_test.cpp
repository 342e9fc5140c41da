// The Add New Command dialog: its list of prototypes, the properties pane it
// takes while open and what it gives back.
#include "dlg_new_command.h"
#include "kelvane/core/array_project_tree_item.h"
#include "kelvane/core/command_factory.h"
#include "kelvane/core/project_tree_item.h"
#include "new_item_list_ctrl.h"
#include "properties_pane.h"
#include "ui_test_support.h"

namespace kv::ui::testing {
namespace {

class DlgNewCommandTest : public UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        SetPropertiesWindow(&mainPane);
    }
    void TearDown() override {
        CDlgNewCommand::SetRunner(nullptr);
        CDlgNewCommand::ClearPageHost();
        UiTest::TearDown();
    }
    CPropertiesPane mainPane{QStringLiteral("main")};
};

TEST_F(DlgNewCommandTest, WithoutAPageHostItCannotOpen) {
    CDlgNewCommand dialog;
    dialog.SetPrototypes(GetCommandPrototypes());
    bool ran = false;
    CDlgNewCommand::SetRunner([&](CDlgNewCommand&) {
        ran = true;
        return int{QDialog::Accepted};
    });
    EXPECT_EQ(dialog.DoModal(), QDialog::Rejected);
    EXPECT_FALSE(ran);
    EXPECT_EQ(messages.texts, (std::vector<std::string>{"Unable to attach item dialogs"}));
    EXPECT_EQ(GetPropertiesWindow(), &mainPane);
}

TEST_F(DlgNewCommandTest, ListsEveryPrototypeAndShowsTheSelectedOne) {
    CDlgNewCommand::SetPageHost(mainPane.GetPageWindow(), mainPane.GetPageRect());
    CArrayProjectTreeItem* prototypes = GetCommandPrototypes();
    CDlgNewCommand dialog;
    dialog.SetTitle("Add New Command");
    dialog.SetPrototypes(prototypes);
    std::vector<std::string> rows;
    CDlgNewCommand::SetRunner([&](CDlgNewCommand& d) {
        EXPECT_EQ(d.windowTitle().toStdString(), "Add New Command");
        CNewItemListCtrl* list = d.GetList();
        EXPECT_EQ(list->headerItem()->text(0).toStdString(), "Item");
        EXPECT_EQ(list->headerItem()->text(1).toStdString(), "Source");
        EXPECT_EQ(list->headerItem()->text(2).toStdString(), "Description");
        EXPECT_EQ(list->columnWidth(0), 150);
        EXPECT_EQ(list->columnWidth(1), 80);
        for (int i = 0; i < list->GetRowCount(); ++i) {
            QTreeWidgetItem* row = list->topLevelItem(i);
            rows.push_back(row->text(0).toStdString() + "|" + row->text(1).toStdString() + "|" +
                           row->text(2).toStdString());
            EXPECT_EQ(list->GetRowItem(i), prototypes->GetAt(i));
        }
        // The first row is selected and shown in the dialog's own pane.
        EXPECT_EQ(GetPropertiesWindow(), d.GetPane());
        EXPECT_EQ(GetPropertiesItem(), prototypes->GetAt(0));
        list->SelectRow(2);
        EXPECT_EQ(GetPropertiesItem(), prototypes->GetAt(2));
        list->SelectRow(list->GetRowCount());
        EXPECT_EQ(d.GetSelectedPrototype(), prototypes->GetAt(2));
        return int{QDialog::Accepted};
    });
    ASSERT_EQ(dialog.DoModal(), QDialog::Accepted);
    ASSERT_EQ(static_cast<int>(rows.size()), prototypes->GetSize());
    EXPECT_EQ(rows[0], "Comment|System|Test command Comment");
    EXPECT_EQ(rows[1], "Dravik_BlowFuse|Dravik|Test command Dravik_BlowFuse");
    // Closing gives the pane back and empties it.
    EXPECT_EQ(GetPropertiesWindow(), &mainPane);
    EXPECT_EQ(GetPropertiesItem(), nullptr);

    std::unique_ptr<CProjectTreeItem> command(dialog.CreateSelectedCommand());
    ASSERT_NE(command, nullptr);
    EXPECT_NE(command.get(), prototypes->GetAt(2));
    EXPECT_EQ(command->GetElementName(), prototypes->GetAt(2)->GetElementName());
}

TEST_F(DlgNewCommandTest, ARowNeedsAnItem) {
    CNewItemListCtrl list;
    std::string error;
    EXPECT_EQ(list.InsertCommand("Ghost", 0, "System", "none", nullptr, error), -1);
    EXPECT_EQ(error, "Could not insert new command Ghost");
    EXPECT_EQ(list.GetRowCount(), 0);
    EXPECT_EQ(list.GetSelectedItem(), nullptr);
}

}  // namespace
}  // namespace kv::ui::testing
