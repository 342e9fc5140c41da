// The main window: command identifiers with their prompts, the toolbar, the
// title, the command line and a picture of the whole window.
#include <QAction>
#include <QMenuBar>
#include <QToolBar>

#include "command_ids.h"
#include "command_line_info.h"
#include "log_edit.h"
#include "main_frame.h"
#include "status_progress_bar.h"
#include "ui_test_support.h"
#include "view_kelvane.h"

namespace kv::ui::testing {
namespace {

class MainFrameTest : public UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        project.AddCommand("Dravik_Open", "Open Dravik, VCC = 3.3v");
        project.AddCommand("Dravik_Identify", "Identify device");
        project.AddCommand("Dravik_Erase", "Erase all memory");
        project.AddCommand("Dravik_Close", "Close Dravik, VCC off");
        document.SetProject(&project);
        document.SetPathName("/home/user/Board.kvnset");
        frame = std::make_unique<CMainFrame>(&document);
        frame->GetView()->OnInitialUpdate();
        frame->RecalcLayout();
    }
    void TearDown() override {
        frame.reset();
        UiTest::TearDown();
    }

    CDocKelvane document;
    TestDocumentProject project;
    std::unique_ptr<CMainFrame> frame;
};

TEST_F(MainFrameTest, ActionsCarryTheirPromptsAndTooltips) {
    struct Expected {
        int id;
        const char* status;
        const char* tip;
    };
    const Expected expected[] = {
        {57600, "Create a new project", "New"},
        {32803, "Clear the execution log", "Clear Log"},
        {57665, "Quit the application; prompts to save documents", "Exit"},
        {59392, "Show or hide the toolbar", "Toggle ToolBar"},
        {32786, "Execute the current operation", "Execute"},
        {32802, "Blow target device JTAG fuse target", "Blow Fuse"},
        {32772, "Read from all target processor flash spaces", "Read Device"},
        {32800, "Add a new command", "Add Command"},
        {32791, "Move command down", "Command Down"},
    };
    for (const Expected& e : expected) {
        QAction* action = frame->GetAction(e.id);
        ASSERT_NE(action, nullptr) << e.id;
        EXPECT_EQ(action->statusTip().toStdString(), e.status);
        EXPECT_EQ(action->toolTip().toStdString(), e.tip);
    }
    EXPECT_EQ(frame->GetAction(ID_FILE_OPEN)->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
    // The tree keeps the Project menu's keys; the menu only names them.
    EXPECT_TRUE(frame->GetAction(ID_PROJECT_DELETE_COMMAND)->shortcut().isEmpty());
    EXPECT_TRUE(frame->GetAction(ID_PROJECT_DELETE_COMMAND)->text().endsWith("\tDelete"));
}

TEST_F(MainFrameTest, ToolbarGroupsAndTitle) {
    std::vector<int> ids;
    for (QAction* action : frame->GetToolBar()->actions())
        ids.push_back(action->isSeparator() ? 0 : action->data().toInt());
    EXPECT_EQ(ids, ToolbarCommands());
    EXPECT_EQ(frame->windowTitle().toStdString(), "Board - Kelvane");
    frame->OnCommand(ID_VIEW_STATUS_BAR);
    EXPECT_TRUE(frame->GetStatusBar()->isHidden());
    frame->OnCommand(ID_VIEW_STATUS_BAR);
    EXPECT_FALSE(frame->GetStatusBar()->isHidden());
    frame->OnCommand(ID_FILE_CLEAR_LOG);
    EXPECT_EQ(frame->GetView()->GetLog()->GetLogText(), "");
}

TEST_F(MainFrameTest, ClosingAModifiedDocumentAsksFirst) {
    document.SetModifiedFlag(1);
    messages.answers.push_back(kIdCancel);
    frame->show();
    EXPECT_FALSE(frame->close());
    EXPECT_EQ(messages.texts, (std::vector<std::string>{"Save changes to Board?"}));
    messages.answers.push_back(kIdNo);
    EXPECT_TRUE(frame->close());
}

TEST_F(MainFrameTest, RendersTheWholeWindow) {
    frame->GetView()->OnExecute();
    frame->show();
    QPixmap picture = frame->grab();
    ASSERT_FALSE(picture.isNull());
    EXPECT_GT(picture.width(), 600);
    EXPECT_TRUE(picture.save(QStringLiteral(KELVANE_SCREENSHOT_DIR "/kelvane_main_window.png")));
}

TEST(CommandLineInfoTest, SilentSwitchAndFileName) {
    CKelvaneCommandLineInfo info;
    info.Parse({"/SILENT", "board.kvnset", "-x", "second"});
    EXPECT_TRUE(info.IsSilent());
    EXPECT_EQ(info.GetFileName(), "board.kvnset");
    CKelvaneCommandLineInfo plain;
    plain.Parse({"-silently", "/home/user/board.kvnset"});
    EXPECT_FALSE(plain.IsSilent());
    EXPECT_EQ(plain.GetFileName(), "/home/user/board.kvnset");
}

}  // namespace
}  // namespace kv::ui::testing
