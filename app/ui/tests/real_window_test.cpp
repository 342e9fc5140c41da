// The window program as it starts: the application object in window mode
// with the real command library, page factory, prototype list, plug-ins and
// configuration files from the program's folder, driven through its menu, its
// keys and the modal Add New Command dialog.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "tests/chip_state.h"
#include "command_ids.h"
#include "dlg_new_command.h"
#include "doc_kelvane.h"
#include "kelvane/app/kelvane_app.h"
#include "kelvane/app/path_functions.h"
#include "kelvane/app/profile_settings.h"
#include "kelvane/commands/analyze_results.h"
#include "kelvane/commands/current_project.h"
#include "kelvane/commands/delay.h"
#include "kelvane/commands/dravik_breakpoint_commands.h"
#include "kelvane/commands/dravik_memory_commands.h"
#include "kelvane/commands/overlay.h"
#include "kelvane/core/array_project_tree_item.h"
#include "kelvane/core/command_factory.h"
#include "kelvane/core/prg_operation.h"
#include "kelvane/core/project_tree_item.h"
#include "kelvane/core/root_tree_item.h"
#include "kelvane/platform/clock.h"
#include "kelvane/platform/message_box.h"
#include "kelvane/platform/usb_backend.h"
#include "kelvane/ui/hex_edit_ctrl.h"
#include "kelvane/ui/hex_number_edit.h"
#include "kelvane/ui/property_page_base.h"
#include "log_edit.h"
#include "main_frame.h"
#include "new_item_list_ctrl.h"
#include "project_tree_ctrl.h"
#include "properties_pane.h"
#include "recent_file_list.h"
#include "register_commands.h"
#include "view_kelvane.h"
#include "window_app.h"

namespace kv::ui::testing {
namespace {

namespace fs = std::filesystem;

const std::string kBin = KELVANE_BIN_DIR;
const std::string kExamples = KELVANE_EXAMPLES_DIR;

// The controls each page must show, by the element name of its class; an
// empty list is a page that only explains its command.
const std::map<std::string, std::vector<const char*>>& ExpectedControls() {
    static const std::map<std::string, std::vector<const char*>> controls = {
        {"Dravik_Open", {"1002"}},
        {"Dravik_Close", {"1022"}},
        {"Dravik_VCC", {"1002"}},
        {"Dravik_Identify", {"1074"}},
        {"Dravik_LockA", {"1085"}},
        {"Dravik_BlowFuse", {}},
        {"Dravik_Erase", {"1029", "1030", "1071"}},
        {"Dravik_ProgramFile", {"1013", "1014", "1070", "1084"}},
        {"Dravik_VerifyFile", {"1013", "1014", "1084"}},
        {"Dravik_ReadProcessorToFile", {"1013", "1014", "1084"}},
        {"Dravik_ReadRangeToFile", {"1013", "1014", "1063", "1086", "1084"}},
        {"Dravik_ReadMemory", {"1116", "1115", "1111"}},
        {"Dravik_WriteMemory", {"1116", "1115", "1111"}},
        {"Dravik_VerifyMemory", {"1116", "1115", "1111"}},
        {"Dravik_FillMemory", {"1116", "1115", "1111"}},
        {"Dravik_ReadRegister", {"1106"}},
        {"Dravik_WriteRegister", {"1106", "1107"}},
        {"Dravik_VerifyRegister", {"1106", "1107"}},
        {"Dravik_Reset", {"1032", "1031", "1033"}},
        {"Dravik_Run", {"1092"}},
        {"Dravik_WaitForBreak", {"1099", "1100", "1101"}},
        {"Dravik_SetBreakpoint", {"1095", "1096", "1097"}},
        {"Dravik_ClearBreakpoint", {"1095"}},
        {"Dravik_SingleStep", {}},
        {"Dravik_Stop", {}},
        {"Tovrin_EraseSegment", {"1030", "1071"}},
        {"Tovrin_MassErase", {}},
        {"Tovrin_LockA", {"1085"}},
        {"Tovrin_LoadPC", {"1107"}},
        {"Tovrin_PowerOff", {}},
        {"Tovrin_ResetTarget", {}},
        {"Tovrin_SeizeTarget", {}},
        {"Tovrin_ResendPassword", {}},
        {"Tovrin_SetPassword", {"1129", "1144", "1145", "1013", "1014", "1084"}},
        {"Tovrin_WriteFile", {"1013", "1014", "1070", "1084"}},
        {"Tovrin_VerifyFile", {"1013", "1014", "1084"}},
        {"Tovrin_ReadProcessorToFile", {"1013", "1014", "1084"}},
        {"Tovrin_ReadRangeToFile", {"1013", "1014", "1063", "1086", "1084"}},
        {"Tovrin_ReadMemory", {"1116", "1115", "1111"}},
        {"Tovrin_WriteMemory", {"1116", "1115", "1111"}},
        {"Tovrin_VerifyMemory", {"1116", "1115", "1111"}},
        {"Tovrin_FillMemory", {"1116", "1115", "1111"}},
        {"Serialize", {"1073", "1039", "1042", "1043", "1044", "1045"}},
        {"Overlay", {"1049", "1046", "1047", "1048"}},
        {"Comment", {"1091"}},
        {"Delay", {"1090", "1091"}},
        {"UserWait", {"1105", "1091"}},
        {"AnalyzeResults", {"1118", "1119"}},
        {"AnalysisItem", {"1120", "1122", "1121", "1123", "1126", "1127", "1091"}},
        {"Processor", {"1001"}},
        {"ProjectName", {"1011"}},
        {"ProjectVcc", {"1002", "1088"}},
    };
    return controls;
}

// The pod commands that have no page.
const std::set<std::string>& WithoutPage() {
    static const std::set<std::string> names = {"Dravik_Configure", "Dravik_ConfigFuse",
                                                "Dravik_State", "CommandList"};
    return names;
}

// The one page the pane shows; nullptr when it shows none or several.
CPropertyPageBase* ShownPage(const CPropertiesPane* pane) {
    CPropertyPageBase* shown = nullptr;
    for (CPropertyPageBase* page :
         pane->GetPageArea()->findChildren<CPropertyPageBase*>(Qt::FindDirectChildrenOnly)) {
        if (!page->isVisible()) continue;
        if (shown != nullptr) return nullptr;
        shown = page;
    }
    return shown;
}

// The pane shows the page of the class with its controls drawn inside it,
// not an empty pane.
void ExpectShowsControls(const CPropertiesPane* pane, const std::string& element) {
    SCOPED_TRACE(element);
    const auto expected = ExpectedControls().find(element);
    ASSERT_NE(expected, ExpectedControls().end()) << "no expectation for " << element;
    ASSERT_TRUE(pane->isVisible());
    CPropertyPageBase* page = ShownPage(pane);
    ASSERT_NE(page, nullptr) << "the pane shows no page";
    EXPECT_GT(page->width(), 100);
    EXPECT_GT(page->height(), 100);
    for (const char* id : expected->second) {
        auto* control = page->findChild<QWidget*>(QString::fromLatin1(id));
        ASSERT_NE(control, nullptr) << "control " << id;
        EXPECT_TRUE(control->isVisible()) << "control " << id;
        const QPoint at = control->mapTo(page, QPoint(0, 0));
        EXPECT_TRUE(page->rect().contains(at)) << "control " << id << " lies outside the page";
        EXPECT_GT(control->width(), 0) << "control " << id;
    }
    if (expected->second.empty()) {
        EXPECT_TRUE(page->HelpEdit()->isVisible());
        EXPECT_FALSE(page->GetHelpText().isEmpty()) << "a help-only page explains its command";
    }
    // Something is drawn: a blank page would be one colour.
    const QImage picture = page->grab().toImage();
    QSet<QRgb> colours;
    for (int y = 0; y < picture.height() && colours.size() < 3; y += 2)
        for (int x = 0; x < picture.width() && colours.size() < 3; x += 2)
            colours.insert(picture.pixel(x, y));
    EXPECT_GE(colours.size(), 3) << "the page draws nothing";
}

// Drives the modal Add New Command dialog that start() opens: body sees it
// once it runs and returns whether to press OK (else Cancel). False when no
// dialog opened.
bool WithNewCommandDialog(const std::function<void()>& start,
                          const std::function<bool(CDlgNewCommand&)>& body) {
    bool seen = false;
    QTimer timer;
    timer.setInterval(0);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<CDlgNewCommand*>(QApplication::activeModalWidget());
        if (dialog == nullptr) return;
        timer.stop();
        seen = true;
        const bool ok = body(*dialog);
        // The body ended the dialog itself, as a key the user pressed does.
        if (!dialog->isVisible()) return;
        auto* buttons = dialog->findChild<QDialogButtonBox*>();
        if (buttons == nullptr) {
            ADD_FAILURE() << "the dialog has no OK and Cancel";
            dialog->reject();
            return;
        }
        buttons->button(ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
    });
    timer.start();
    start();
    timer.stop();
    return seen;
}

int RowOf(CNewItemListCtrl* list, CProjectTreeItem* prototype) {
    for (int row = 0; row < list->GetRowCount(); ++row)
        if (list->GetRowItem(row) == prototype) return row;
    return -1;
}

class RealWindow : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (QApplication::instance() != nullptr) return;
        qputenv("QT_QPA_PLATFORM", "offscreen");
        // The offscreen platform says at every fixed-size window that it
        // cannot pass size hints on; nothing else is dropped.
        static QtMessageHandler standard = qInstallMessageHandler(nullptr);
        qInstallMessageHandler(
            [](QtMsgType type, const QMessageLogContext& context, const QString& text) {
                if (text.contains(QStringLiteral("propagateSizeHints"))) return;
                standard(type, context, text);
            });
        static int argc = 1;
        static char name[] = "kelvane";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv);
    }

    void SetUp() override {
        ::unsetenv("KELVANE_USB");
        usb::setBackend(nullptr);
        GetCurrentDirectoryString(startDir_);
        folder_ = fs::temp_directory_path() /
                  ("kelvane_real_window_" + std::to_string(QCoreApplication::applicationPid()) +
                   "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_ / "config");
        ::setenv("XDG_CONFIG_HOME", (folder_ / "config").c_str(), 1);
        GetAppProfile().Clear();
        previous_ = setMessageBoxHandler(
            [this](const std::string& text, const std::string& /*caption*/, unsigned type) {
                messages.push_back(text);
                return answer != 0 ? answer : defaultAnswer(type);
            });
        SetMessagePump(
            [](int /*maxMessages*/) { QCoreApplication::processEvents(QEventLoop::AllEvents); });
        RegisterConsoleCommands();
        SetModuleDirectory(kBin);
    }

    void TearDown() override {
        Stop();
        UnregisterCommandClasses();
        SetCurrentProjectHandler(nullptr);
        SetModuleDirectory("");
        ::unsetenv("KELVANE_USB");
        usb::setBackend(nullptr);
        SetMessagePump(nullptr);
        setMessageBoxHandler(std::move(previous_));
        std::string error;
        SetCurrentDirectoryChecked(startDir_, error);
        fs::remove_all(folder_);
    }

    // Ends the program as it ends: the view goes, then the application
    // (which saves the settings), then the document and the window.
    void Stop() {
        if (window_ != nullptr && window_->GetFrame() != nullptr)
            window_->GetFrame()->GetView()->OnDestroy();
        if (app_ != nullptr) app_->ExitInstance();
        window_.reset();
        app_.reset();
    }

    // Starts the program on the project file as "kelvane <file>" does.
    bool Start(const std::string& project) {
        window_ = std::make_unique<CKelvaneWindow>();
        app_ = std::make_unique<CKelvaneApp>(window_.get());
        window_->SetApp(app_.get());
        return app_->InitInstance(kBin + "/kelvane", project);
    }

    // The sample project, for another processor when one is named.
    std::string CopyBlink(const std::string& processor = "") {
        std::ifstream in(kExamples + "/blink.kvnset");
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (!processor.empty()) {
            const std::string from = "strTargetProcessor=\"MSP430F149\"";
            const std::size_t at = text.find(from);
            EXPECT_NE(at, std::string::npos);
            if (at != std::string::npos)
                text.replace(at, from.size(), "strTargetProcessor=\"" + processor + "\"");
        }
        std::ofstream(folder_ / "blink.kvnset") << text;
        fs::copy_file(kExamples + "/blink.txt", folder_ / "blink.txt");
        return (folder_ / "blink.kvnset").string();
    }

    CMainFrame* Frame() const { return window_->GetFrame(); }
    CViewKelvane* View() const { return Frame()->GetView(); }
    CProjectTreeCtrl* Tree() const { return View()->GetTree(); }
    CArrayProjectTreeItem& Commands() const {
        return View()->GetDocument()->GetProject()->GetCommandList()->GetCommands();
    }
    std::vector<std::string> CommandNames() const {
        std::vector<std::string> names;
        for (int i = 0; i < Commands().GetSize(); ++i)
            names.push_back(Commands().GetAt(i)->GetElementName());
        return names;
    }
    // Picks the tree entry as the user does, moving the tree's current item.
    void Pick(CProjectTreeItem* item) {
        QTreeWidgetItem* entry = Tree()->EntryOf(item->GetTreeHandle());
        ASSERT_NE(entry, nullptr);
        Tree()->setCurrentItem(entry);
        ASSERT_EQ(GetPropertiesItem(), item);
    }
    // A key press as the window system delivers it, through the main
    // window's shortcuts, to the focused widget.
    void PressOnWindow(QWidget* focus, Qt::Key key,
                       Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        Frame()->activateWindow();
        focus->setFocus();
        QCoreApplication::processEvents();
        ASSERT_EQ(QApplication::focusWidget(), focus);
        QTest::keyClick(Frame()->windowHandle(), key, modifiers);
    }
    // Runs a Project menu command through its menu entry.
    void Menu(int id) {
        Frame()->UpdateCommandUi();
        QAction* action = Frame()->GetAction(id);
        ASSERT_NE(action, nullptr);
        ASSERT_TRUE(action->isEnabled()) << id;
        action->trigger();
    }
    // In the open dialog: picks the prototype's row and checks that its page
    // shows in the dialog.
    static bool PickPrototype(CDlgNewCommand& dialog, const std::string& title,
                              CProjectTreeItem* prototype) {
        EXPECT_EQ(dialog.windowTitle().toStdString(), title);
        const int row = RowOf(dialog.GetList(), prototype);
        EXPECT_GE(row, 0) << prototype->GetElementName() << " is not listed";
        if (row < 0) return false;
        dialog.GetList()->SelectRow(row);
        EXPECT_EQ(dialog.GetSelectedPrototype(), prototype);
        EXPECT_EQ(GetPropertiesItem(), prototype);
        const std::string element = prototype->GetElementName();
        if (WithoutPage().count(element) == 0) ExpectShowsControls(dialog.GetPane(), element);
        return true;
    }

    std::vector<std::string> messages;
    // The answer to every question; 0 takes each box's default button.
    int answer = 0;
    std::unique_ptr<CKelvaneWindow> window_;
    std::unique_ptr<CKelvaneApp> app_;
    fs::path folder_;

  private:
    MessageBoxHandler previous_;
    std::string startDir_;
};

TEST_F(RealWindow, AddsAndInsertsEveryCommandClassThroughAddNewCommand) {
    // A processor with a lockable segment A, so Lock A is offered too.
    ASSERT_TRUE(Start(CopyBlink("MSP430F2274")));
    ASSERT_TRUE(Frame()->isVisible());
    ASSERT_TRUE(messages.empty()) << messages.front();
    CArrayProjectTreeItem* prototypes = GetCommandPrototypes();
    ASSERT_NE(prototypes, nullptr);
    // Every command class of the library is offered, the plug-in ones too.
    std::set<std::string> offered;
    for (int i = 0; i < prototypes->GetSize(); ++i)
        offered.insert(prototypes->GetAt(i)->GetElementName());
    for (const char* name : {"Serialize", "Overlay", "Dravik_SetBreakpoint", "AnalyzeResults",
                             "Tovrin_SetPassword", "Comment"})
        EXPECT_EQ(offered.count(name), 1u) << name;
    std::vector<std::string> expected = CommandNames();

    // Project > Add Command after the last command, one of every class.
    for (int i = 0; i < prototypes->GetSize(); ++i) {
        CProjectTreeItem* prototype = prototypes->GetAt(i);
        SCOPED_TRACE("add " + prototype->GetElementName());
        Pick(Commands().GetAt(Commands().GetSize() - 1));
        View()->GetDocument()->SetModifiedFlag(0);
        const bool opened = WithNewCommandDialog(
            [&] { Menu(ID_PROJECT_ADD_COMMAND); },
            [&](CDlgNewCommand& dialog) {
                EXPECT_EQ(dialog.GetList()->GetRowCount(), prototypes->GetSize());
                return PickPrototype(dialog, "Add New Command", prototype);
            });
        ASSERT_TRUE(opened);
        ASSERT_TRUE(messages.empty()) << messages.front();
        expected.push_back(prototype->GetElementName());
        ASSERT_EQ(CommandNames(), expected);
        CProjectTreeItem* added = Commands().GetAt(Commands().GetSize() - 1);
        EXPECT_NE(added, prototype);
        EXPECT_EQ(GetPropertiesItem(), added) << "the new command is selected";
        EXPECT_EQ(GetPropertiesWindow(), View()->GetPane());
        EXPECT_EQ(View()->GetDocument()->IsModified(), 1);
        if (WithoutPage().count(added->GetElementName()) == 0)
            ExpectShowsControls(View()->GetPane(), added->GetElementName());
    }

    // Insert before the first command: the Insert key and Project > Insert
    // Command in turn.
    for (int i = 0; i < prototypes->GetSize(); ++i) {
        CProjectTreeItem* prototype = prototypes->GetAt(i);
        SCOPED_TRACE("insert " + prototype->GetElementName());
        Pick(Commands().GetAt(0));
        const bool byKey = i % 2 == 0;
        const bool opened = WithNewCommandDialog(
            [&] {
                if (byKey) {
                    PressOnWindow(Tree(), Qt::Key_Insert);
                } else {
                    Menu(ID_PROJECT_INSERT_COMMAND);
                }
            },
            [&](CDlgNewCommand& dialog) {
                return PickPrototype(dialog, "Insert New Command", prototype);
            });
        ASSERT_TRUE(opened);
        ASSERT_TRUE(messages.empty()) << messages.front();
        expected.insert(expected.begin(), prototype->GetElementName());
        ASSERT_EQ(CommandNames(), expected);
        EXPECT_EQ(GetPropertiesItem(), Commands().GetAt(0));
    }

    // The project with all of them saves and opens again as it was.
    const std::string saved = (folder_ / "every.kvnset").string();
    ASSERT_TRUE(View()->GetDocument()->OnSaveDocument(saved));
    ASSERT_TRUE(window_->OpenDocumentFile(saved));
    EXPECT_EQ(CommandNames(), expected);
    EXPECT_TRUE(messages.empty()) << messages.front();
}

TEST_F(RealWindow, CancellingAddNewCommandChangesNothing) {
    ASSERT_TRUE(Start(CopyBlink()));
    const std::vector<std::string> before = CommandNames();
    CProjectTreeItem* anchor = Commands().GetAt(2);
    Pick(anchor);
    ASSERT_TRUE(WithNewCommandDialog(
        [&] { Menu(ID_PROJECT_ADD_COMMAND); },
        [](CDlgNewCommand& dialog) {
            // The F149 has no lockable segment A.
            for (int row = 0; row < dialog.GetList()->GetRowCount(); ++row)
                EXPECT_NE(dialog.GetList()->GetRowItem(row)->GetElementName(), "Dravik_LockA");
            // A name the fixed column cuts shows whole as the row's tooltip.
            EXPECT_EQ(dialog.GetList()->columnWidth(0), 150);
            for (int row = 0; row < dialog.GetList()->GetRowCount(); ++row) {
                const QTreeWidgetItem* entry = dialog.GetList()->topLevelItem(row);
                EXPECT_EQ(entry->toolTip(0), entry->text(0));
            }
            return false;
        }));
    EXPECT_EQ(CommandNames(), before);
    EXPECT_EQ(GetPropertiesItem(), anchor);
    EXPECT_EQ(View()->GetDocument()->IsModified(), 0);
    EXPECT_TRUE(messages.empty());
    ExpectShowsControls(View()->GetPane(), anchor->GetElementName());
}

CProjectTreeItem* Prototype(const std::string& element) {
    CArrayProjectTreeItem* prototypes = GetCommandPrototypes();
    for (int i = 0; prototypes != nullptr && i < prototypes->GetSize(); ++i)
        if (prototypes->GetAt(i)->GetElementName() == element) return prototypes->GetAt(i);
    return nullptr;
}

TEST_F(RealWindow, ValuesTypedIntoAPrototypesBufferGoIntoTheNewCommand) {
    ASSERT_TRUE(Start(CopyBlink()));
    Pick(Commands().GetAt(Commands().GetSize() - 1));
    int shownValues = 0;
    ASSERT_TRUE(WithNewCommandDialog(
        [&] { Menu(ID_PROJECT_ADD_COMMAND); },
        [&](CDlgNewCommand& dialog) {
            if (!PickPrototype(dialog, "Add New Command", Prototype("Dravik_WriteMemory")))
                return false;
            auto* editor = ShownPage(dialog.GetPane())->findChild<CHexEditCtrl*>();
            shownValues = editor->Cell().GetCount();
            QTest::keyClicks(editor, QStringLiteral("a1b2"));
            return true;
        }));
    EXPECT_EQ(shownValues, 16);
    auto* added =
        dynamic_cast<CCommandDravik_WriteMemory*>(Commands().GetAt(Commands().GetSize() - 1));
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(
        added->FormatValue(0, true) + added->FormatValue(1, true) + added->FormatValue(2, true),
        "0xA1 0xB2 0xFF ");
    EXPECT_EQ(added->GetCount(), 16u);
}

TEST_F(RealWindow, ReturnInAFieldOfAddNewCommandConfirmsIt) {
    ASSERT_TRUE(Start(CopyBlink()));
    // A plain and a hexadecimal field, with what the new command then holds.
    const std::vector<std::tuple<const char*, const char*, std::function<bool(CProjectTreeItem*)>>>
        rows = {{"Delay", "1090",
                 [](CProjectTreeItem* item) {
                     return dynamic_cast<CCommandDelay*>(item)->GetDelay() == 250;
                 }},
                {"AnalyzeResults", "1118", [](CProjectTreeItem* item) {
                     return dynamic_cast<CCommandAnalyzeResults*>(item)->GetHeaderAddress() ==
                            0x250;
                 }}};
    for (const auto& [element, field, holds] : rows) {
        SCOPED_TRACE(element);
        Pick(Commands().GetAt(Commands().GetSize() - 1));
        int result = -1;
        ASSERT_TRUE(WithNewCommandDialog(
            [&] { Menu(ID_PROJECT_ADD_COMMAND); },
            [&](CDlgNewCommand& dialog) {
                if (!PickPrototype(dialog, "Add New Command", Prototype(element))) return false;
                auto* edit = ShownPage(dialog.GetPane())->findChild<QLineEdit*>(field);
                edit->selectAll();
                QTest::keyClicks(edit, QStringLiteral("250"));
                QTest::keyClick(edit, Qt::Key_Return);
                result = dialog.isVisible() ? -1 : dialog.result();
                return false;
            }));
        EXPECT_EQ(result, QDialog::Accepted);
        CProjectTreeItem* added = Commands().GetAt(Commands().GetSize() - 1);
        ASSERT_EQ(added->GetElementName(), element);
        EXPECT_TRUE(holds(added));
    }
}

TEST_F(RealWindow, EveryTreeItemShowsItsPage) {
    ASSERT_TRUE(Start(CopyBlink("MSP430F2274")));
    // A command of every class first, so every page is reached from the tree.
    CArrayProjectTreeItem* prototypes = GetCommandPrototypes();
    for (int i = 0; i < prototypes->GetSize(); ++i) {
        Pick(Commands().GetAt(Commands().GetSize() - 1));
        ASSERT_TRUE(WithNewCommandDialog([&] { Menu(ID_PROJECT_ADD_COMMAND); },
                                         [&](CDlgNewCommand& dialog) {
                                             dialog.GetList()->SelectRow(
                                                 RowOf(dialog.GetList(), prototypes->GetAt(i)));
                                             return true;
                                         }));
    }
    ASSERT_TRUE(messages.empty()) << messages.front();

    // Every entry of the tree, the root items and the analysis items included.
    std::set<std::string> shown;
    std::vector<QTreeWidgetItem*> entries;
    for (QTreeWidgetItemIterator it(Tree()); *it != nullptr; ++it)
        entries.push_back(*it);
    ASSERT_GT(entries.size(), static_cast<std::size_t>(prototypes->GetSize()));
    for (QTreeWidgetItem* entry : entries) {
        CProjectTreeItem* item = Tree()->GetTreeItem(Tree()->HandleOf(entry));
        ASSERT_NE(item, nullptr);
        Tree()->setCurrentItem(entry);
        ASSERT_EQ(GetPropertiesItem(), item);
        std::string kind = item->GetElementName();
        if (dynamic_cast<CPrgOperation*>(item) != nullptr) kind = "CommandList";
        if (dynamic_cast<CProcessorTreeItem*>(item) != nullptr) kind = "Processor";
        if (dynamic_cast<CProjectNameTreeItem*>(item) != nullptr) kind = "ProjectName";
        if (dynamic_cast<CProjectVccTreeItem*>(item) != nullptr) kind = "ProjectVcc";
        if (WithoutPage().count(kind) != 0) continue;
        ExpectShowsControls(View()->GetPane(), kind);
        shown.insert(kind);
    }
    for (const auto& [kind, controls] : ExpectedControls())
        EXPECT_EQ(shown.count(kind), 1u) << kind << " was never shown";
    EXPECT_TRUE(messages.empty()) << messages.front();
}

TEST_F(RealWindow, PluginAndBreakpointPagesFromAProjectFile) {
    const std::string path = (folder_ / "serial.kvnset").string();
    std::ofstream(path) << R"(<?xml version="1.0" standalone="yes" ?>
<ProjectKelvane nFileVersion="2" nFileSubVersion="0" strName="Serial" strTargetProcessor="MSP430F149" dwVCC="3000">
<CommandList>
<Dravik_SetBreakpoint nBreakpointIndex="2" wMode="BP_CODE" dwAddress="0x0001FF00" wType="BP_MAB" dwRegister="0x00000004" wAccess="BP_FETCH" wAction="BP_BRK" wOperator="BP_EQUAL" dwMask="0x00000000" dwEndAddress="0x0000FC02" wRangeAction="BP_INSIDE" wCondition="BP_NO_COND" dwData="0x00001000" wConditionAccess="BP_FETCH" dwConditionMask="0x00000000" wConditionOperator="BP_EQUAL" wExtCombine="0"></Dravik_SetBreakpoint>
<Serialize strName="Lot" dwAddress="0x00001040" strAlgorithm="WORD" strModule="libserial.so" strNextValue="100" nCount="3" bCountUp="TRUE"></Serialize>
<Overlay strName="Cal" dwAddress="0x00001080" strAlgorithm="Hex WORD" strModule="LIBGANTREL.SO" strNextValue="1A2B"></Overlay>
</CommandList>
</ProjectKelvane>
)";
    ASSERT_TRUE(Start(path));
    ASSERT_TRUE(messages.empty()) << messages.front();
    ASSERT_EQ(CommandNames(),
              (std::vector<std::string>{"Dravik_SetBreakpoint", "Serialize", "Overlay"}));
    auto* breakpoint = dynamic_cast<CCommandDravik_SetBreakpoint*>(Commands().GetAt(0));
    auto* serialize = dynamic_cast<CCommandSerialize*>(Commands().GetAt(1));
    auto* overlay = dynamic_cast<CCommandOverlay*>(Commands().GetAt(2));
    ASSERT_NE(breakpoint, nullptr);
    ASSERT_NE(serialize, nullptr);
    ASSERT_NE(overlay, nullptr);

    // A 5-digit address on a 4-digit processor is shown whole and kept.
    Pick(breakpoint);
    ExpectShowsControls(View()->GetPane(), "Dravik_SetBreakpoint");
    CPropertyPageBase* page = ShownPage(View()->GetPane());
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->findChild<CHexNumberEdit*>(QStringLiteral("1097"))->text(), "1FF00");
    EXPECT_EQ(page->findChild<QComboBox*>(QStringLiteral("1095"))->currentText(), "Bkpt 2");
    EXPECT_EQ(breakpoint->GetAddress(), 0x1FF00u);
    EXPECT_EQ(View()->GetDocument()->IsModified(), 0);

    // The overlay's module matches in another letter case.
    Pick(overlay);
    EXPECT_TRUE(messages.empty());
    page = ShownPage(View()->GetPane());
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->findChild<QComboBox*>(QStringLiteral("1046"))->currentText(), "Hex WORD (SO)");
    EXPECT_EQ(View()->GetDocument()->IsModified(), 0);

    // A serializer that is not loaded is switched to the first one, and the
    // project becomes modified.
    Pick(serialize);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0],
              "Could not find serializer module 'libserial.so' with algorithm 'WORD'\n"
              "Setting selection to first available option");
    EXPECT_EQ(serialize->GetModule(), "libvossil.so");
    EXPECT_EQ(serialize->GetAlgorithm(), "BYTE");
    EXPECT_EQ(View()->GetDocument()->IsModified(), 1);
    page = ShownPage(View()->GetPane());
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->findChild<QComboBox*>(QStringLiteral("1039"))->currentText(), "BYTE (SS)");
    EXPECT_EQ(page->findChild<QLineEdit*>(QStringLiteral("1042"))->text(), "100");
    EXPECT_EQ(page->findChild<QLineEdit*>(QStringLiteral("1044"))->text(), "3");
    EXPECT_TRUE(
        Frame()->grab().save(QStringLiteral(KELVANE_SCREENSHOT_DIR "/kelvane_serialize_page.png")));

    // Choosing a method in the list stores it.
    page->findChild<QComboBox*>(QStringLiteral("1039"))->setCurrentIndex(1);
    EXPECT_EQ(serialize->GetAlgorithm(), "WORD");
    EXPECT_EQ(messages.size(), 1u);
}

TEST_F(RealWindow, ASerializeRunShowsTheNextNumberOnItsPage) {
    // The simulated pod with an F149 behind it.
    ::setenv("KELVANE_USB",
             ("sim:chip=MSP430F149,state=" + (folder_ / "chip.state").string()).c_str(), 1);
    usb::setBackend(nullptr);
    const std::string path = (folder_ / "serial.kvnset").string();
    std::ofstream(path) << R"(<?xml version="1.0" standalone="yes" ?>
<ProjectKelvane nFileVersion="2" nFileSubVersion="0" strName="Serial" strTargetProcessor="MSP430F149" dwVCC="3000">
<CommandList>
<Dravik_Open dwVCC="3000"></Dravik_Open>
<Dravik_Identify bForceMatch="FALSE"></Dravik_Identify>
<Serialize strName="Lot" dwAddress="0x00000200" strAlgorithm="WORD" strModule="libvossil.so" strNextValue="100" nCount="3" bCountUp="TRUE"></Serialize>
<Dravik_Close bVccOff="TRUE"></Dravik_Close>
</CommandList>
</ProjectKelvane>
)";
    ASSERT_TRUE(Start(path));
    auto* serialize = dynamic_cast<CCommandSerialize*>(Commands().GetAt(2));
    ASSERT_NE(serialize, nullptr);
    Pick(serialize);
    CPropertyPageBase* page = ShownPage(View()->GetPane());
    ASSERT_NE(page, nullptr);
    auto* value = page->findChild<QLineEdit*>(QStringLiteral("1042"));
    auto* count = page->findChild<QLineEdit*>(QStringLiteral("1044"));
    ASSERT_NE(value, nullptr);
    ASSERT_NE(count, nullptr);
    EXPECT_EQ(value->text(), "100");
    EXPECT_EQ(count->text(), "3");

    View()->GetButton(CViewKelvane::IDC_EXECUTE)->click();
    EXPECT_TRUE(messages.empty()) << messages.front();
    EXPECT_EQ(View()->GetStatusPicture(), StatusPicture::Success);
    EXPECT_EQ(serialize->GetNextValue(), "101");
    EXPECT_EQ(serialize->GetCount(), 4);
    EXPECT_EQ(value->text(), "101");
    EXPECT_EQ(count->text(), "4");
    EXPECT_EQ(View()->GetDocument()->IsModified(), 1);
}

// Opens the pod, waits five seconds, then needs the chip.
constexpr const char* kDelayProject = R"(<?xml version="1.0" standalone="yes" ?>
<ProjectKelvane nFileVersion="2" nFileSubVersion="0" strName="Delayed" strTargetProcessor="MSP430F149" dwVCC="3000">
<CommandList>
<Dravik_Open dwVCC="3000"></Dravik_Open>
<Delay dwDelay="5000">Settle</Delay>
<Dravik_Identify bForceMatch="FALSE"></Dravik_Identify>
<Dravik_Erase dwEraseType="ERASE_ALL" dwSegment="0x00001000" dwLength="0x00000001"></Dravik_Erase>
<Dravik_Close bVccOff="TRUE"></Dravik_Close>
</CommandList>
</ProjectKelvane>
)";

// A clock on which time passes at once. Once the run is in its Delay it does,
// one time, what a user does at the window meanwhile.
class UserDuringTheDelay : public Clock {
  public:
    UserDuringTheDelay(const CLogEdit* log, std::function<void()> user)
        : log_(log), user_(std::move(user)) {}
    std::uint32_t tickCount() override { return now_; }
    void sleep(std::uint32_t ms) override {
        now_ += ms;
        if (acted_ || log_->GetLogText().find("Settle") == std::string::npos) return;
        acted_ = true;
        user_();
    }
    bool Acted() const { return acted_; }

  private:
    const CLogEdit* log_;
    std::function<void()> user_;
    std::uint32_t now_ = 0;
    bool acted_ = false;
};

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A saved project without its document type declaration.
std::string ProjectBody(const std::string& saved) {
    const std::size_t at = saved.find("<ProjectKelvane ");
    return at != std::string::npos ? saved.substr(at) : saved;
}

TEST_F(RealWindow, NothingAUserDoesDuringARunChangesItsCommands) {
    ::setenv("KELVANE_USB",
             ("sim:chip=MSP430F149,state=" + (folder_ / "chip.state").string()).c_str(), 1);
    usb::setBackend(nullptr);
    const std::string path = (folder_ / "delayed.kvnset").string();
    std::ofstream(path) << kDelayProject;
    ASSERT_TRUE(Start(path));
    const std::vector<std::string> names = CommandNames();
    ASSERT_EQ(names, (std::vector<std::string>{"Dravik_Open", "Delay", "Dravik_Identify",
                                               "Dravik_Erase", "Dravik_Close"}));
    const fs::path saved = folder_ / "saved.kvnset";
    ASSERT_TRUE(View()->GetDocument()->OnSaveDocument(saved.string()));
    const std::string unchanged = ReadText(saved);
    auto delayEdit = [this] {
        Pick(Commands().GetAt(1));
        return ShownPage(View()->GetPane())->findChild<QLineEdit*>(QStringLiteral("1090"));
    };

    // Picks the command, then presses the key on the tree.
    auto press = [this](int command, Qt::Key key, Qt::KeyboardModifiers modifiers = {},
                        int times = 1) {
        return [=, this] {
            Pick(Commands().GetAt(command));
            for (int i = 0; i < times; ++i)
                PressOnWindow(Tree(), key, modifiers);
        };
    };
    // What the user does before the run and while it is in its Delay.
    const struct Row {
        const char* name;
        std::function<void()> before;
        std::function<void()> during;
    } rows[] = {
        {"Delete on the running Delay", nullptr, press(1, Qt::Key_Delete)},
        {"Delete on the Mass Erase to come", nullptr, press(3, Qt::Key_Delete)},
        {"Ctrl+Down twice on the running Delay", nullptr,
         press(1, Qt::Key_Down, Qt::ControlModifier, 2)},
        {"Ctrl+Up on the Identify to come", nullptr, press(2, Qt::Key_Up, Qt::ControlModifier)},
        {"Insert on the running Delay", nullptr, press(1, Qt::Key_Insert)},
        {"Every Project command from the menu and the toolbar", nullptr,
         [&] {
             Pick(Commands().GetAt(1));
             Frame()->UpdateCommandUi();
             for (int id :
                  {ID_PROJECT_DELETE_COMMAND, ID_PROJECT_INSERT_COMMAND, ID_PROJECT_ADD_COMMAND,
                   ID_PROJECT_COMMAND_UP, ID_PROJECT_COMMAND_DOWN}) {
                 EXPECT_FALSE(Frame()->GetAction(id)->isEnabled()) << id;
                 // What the entry and the button run, were they not greyed.
                 Frame()->OnCommand(id);
             }
         }},
        {"Every menu and toolbar command, the recent files and the view's handlers", nullptr,
         [&] {
             Frame()->UpdateCommandUi();
             std::vector<QAction*> actions;
             for (QAction* menu : Frame()->menuBar()->actions())
                 for (QAction* action : menu->menu()->actions())
                     actions.push_back(action);
             for (QAction* action : Frame()->GetToolBar()->actions())
                 actions.push_back(action);
             // Every entry is greyed; then what each runs, were it not greyed,
             // is run (by its identifier or file, since a command that acted
             // could rebuild the entries).
             std::vector<int> commands;
             std::vector<std::string> recentFiles;
             for (QAction* action : actions) {
                 if (action->isSeparator()) continue;
                 EXPECT_FALSE(action->isEnabled())
                     << action->text().toStdString() << " is not greyed";
                 bool isCommand = false;
                 const int id = action->data().toInt(&isCommand);
                 if (isCommand) {
                     commands.push_back(id);
                 } else {
                     recentFiles.push_back(action->data().toString().toStdString());
                 }
             }
             for (int id : commands)
                 Frame()->OnCommand(id);
             for (const std::string& file : recentFiles)
                 Frame()->onOpenRecentFile(file);
             // The menus' 25 entries (About and Exit too) and the toolbar's 16.
             EXPECT_EQ(commands.size(), 25u + 16u);
             EXPECT_GE(recentFiles.size(), 1u);
             for (int id : {CViewKelvane::IDC_EXECUTE, CViewKelvane::IDC_MASS_ERASE,
                            CViewKelvane::IDC_RESET, CViewKelvane::IDC_POWER_OFF,
                            CViewKelvane::IDC_READ_DEVICE, CViewKelvane::IDC_READ_RANGE})
                 EXPECT_FALSE(View()->GetButton(id)->isEnabled()) << id;
             // Each of the view's command handlers returns at once.
             for (auto handler : {&CViewKelvane::OnExecute, &CViewKelvane::OnMassEraseNow,
                                  &CViewKelvane::OnBlowFuseNow, &CViewKelvane::OnResetNow,
                                  &CViewKelvane::OnPowerOffNow, &CViewKelvane::OnReadDevice,
                                  &CViewKelvane::OnReadRange, &CViewKelvane::OnClearLog,
                                  &CViewKelvane::OnDeleteCommand, &CViewKelvane::OnInsertCommand,
                                  &CViewKelvane::OnAddCommand, &CViewKelvane::OnCommandUp,
                                  &CViewKelvane::OnCommandDown})
                 (View()->*handler)();
         }},
        {"Typing, pasting and clicking in the pages",
         [&] {
             QLineEdit* edit = delayEdit();
             Frame()->activateWindow();
             edit->setFocus();
             QCoreApplication::processEvents();
             EXPECT_EQ(QApplication::focusWidget(), edit);
         },
         [&] {
             QLineEdit* edit = delayEdit();
             EXPECT_FALSE(edit->isEnabled());
             QTest::keyClick(Frame()->windowHandle(), Qt::Key_9);
             QTest::keyClicks(edit, "9");
             QApplication::clipboard()->setText(QStringLiteral("1"));
             Frame()->OnCommand(ID_EDIT_PASTE);
             Pick(Commands().GetAt(4));
             auto* vccOff =
                 ShownPage(View()->GetPane())->findChild<QWidget*>(QStringLiteral("1022"));
             ASSERT_NE(vccOff, nullptr);
             QTest::mouseClick(vccOff, Qt::LeftButton);
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(window_->OpenDocumentFile(path));
        View()->OnClearLog();
        messages.clear();
        if (row.before) row.before();
        // A dialog the user's keys open is shut at once and counted.
        std::vector<std::string> dialogs;
        QTimer watch;
        watch.setInterval(0);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                dialogs.push_back(dialog->windowTitle().toStdString());
                dialog->reject();
            }
        });
        watch.start();
        UserDuringTheDelay user(View()->GetLog(), [&] {
            EXPECT_FALSE(View()->GetPane()->isEnabled());
            row.during();
        });
        {
            ScopedClock scope{user};
            View()->GetButton(CViewKelvane::IDC_EXECUTE)->click();
        }
        watch.stop();
        EXPECT_TRUE(user.Acted());
        EXPECT_TRUE(dialogs.empty()) << dialogs.front();
        EXPECT_TRUE(messages.empty()) << messages.front();
        EXPECT_EQ(View()->GetStatusPicture(), StatusPicture::Success);
        // The run went through every command as the project had them.
        const std::string log = View()->GetLog()->GetLogText();
        std::size_t at = 0;
        const std::vector<std::string> lines = {
            "Open JTAG: 3.0v OK\r\n",
            "Settle" + std::string(20, '.') + "\r\n",
            "Identify Target: Detected device MSP430F149 OK\r\n",
            "Mass Erase: OK\r\n",
            "Close JTAG: OK\r\n",
            "Operation succeeded\r\n"};
        for (const std::string& line : lines) {
            at = log.find(line, at);
            if (at != std::string::npos) continue;
            ADD_FAILURE() << line << " missing from\n" << log;
            break;
        }
        EXPECT_EQ(CommandNames(), names);
        EXPECT_TRUE(View()->GetPane()->isEnabled()) << "the pages take input again";
        ASSERT_TRUE(View()->GetDocument()->OnSaveDocument(saved.string()));
        EXPECT_EQ(ProjectBody(ReadText(saved)), ProjectBody(unchanged));
    }
}

// A console station beside the window: the console programmer as a process
// of its own, on a simulated pod of its own, running the same project file.
class Station {
  public:
    Station(const std::string& project, const fs::path& config) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("KELVANE_USB"), QStringLiteral("sim:chip=MSP430F149"));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                           QString::fromStdString(config.string()));
        process_.setProcessEnvironment(environment);
        process_.setProcessChannelMode(QProcess::MergedChannels);
        process_.start(QString::fromStdString(kBin + "/CmdLineKelvane"),
                       {QString::fromStdString(project)});
        process_.waitForStarted();
        pid_ = process_.processId();
    }
    ~Station() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished();
        }
    }
    std::int64_t Pid() const { return pid_; }
    bool ReadUntil(const std::string& text) {
        while (output_.find(text) == std::string::npos) {
            if (!process_.waitForReadyRead(20000)) return false;
            output_ += process_.readAll().toStdString();
        }
        return true;
    }
    int Finish() {
        process_.waitForFinished(60000);
        output_ += process_.readAll().toStdString();
        return process_.exitCode();
    }
    const std::string& Output() const { return output_; }

  private:
    QProcess process_;
    std::int64_t pid_ = 0;
    std::string output_;
};

// A Serialize project that a station and the window both run; its Delay
// gives the other time to come.
constexpr const char* kLineProject = R"(<?xml version="1.0" standalone="yes" ?>
<ProjectKelvane nFileVersion="2" nFileSubVersion="0" strName="Line" strTargetProcessor="MSP430F149" dwVCC="3000">
<CommandList>
<Dravik_Open dwVCC="3000"></Dravik_Open>
<Dravik_Identify bForceMatch="FALSE"></Dravik_Identify>
<Serialize strName="Lot" dwAddress="0x00000200" strAlgorithm="WORD" strModule="libvossil.so" strNextValue="100" nCount="0" bCountUp="TRUE"></Serialize>
<Delay dwDelay="1500">held</Delay>
<Dravik_Close bVccOff="TRUE"></Dravik_Close>
</CommandList>
</ProjectKelvane>
)";

std::string NextValue(const std::string& saved) {
    const std::string key = "strNextValue=\"";
    const std::size_t at = saved.find(key);
    if (at == std::string::npos) return "(none)";
    return saved.substr(at + key.size(), saved.find('"', at + key.size()) - at - key.size());
}

// The window beside a console station running the same file. Save,
// Execute and the immediate commands wait for the station's run, say so and
// by whom, and go on drawing; one held past KELVANE_LOCK_WAIT gives up and
// does nothing. Save then asks before writing over the number the station
// advanced (reloading, the default, keeps it), and Execute runs the file as
// the station left it (asking first when the window holds changes), so two
// chips get two numbers.
TEST_F(RealWindow, BesideAStationTheWindowWaitsAndNeverWritesOverItsNumbers) {
    ::setenv("KELVANE_USB", "sim:chip=MSP430F149", 1);
    usb::setBackend(nullptr);
    const std::string path = (folder_ / "line.kvnset").string();
    const std::string question =
        path + " has changed on disk since it was opened, perhaps by a production run: reload it?";
    constexpr int kSave = 0;
    const struct Row {
        const char* what;
        int command;          // kSave, or the button clicked
        bool duringTheRun;    // else after the station's run
        const char* renamed;  // the window's own change before, if any
        int answer;           // to the question; 0 the default
        bool asked;
        const char* ran;      // in the window's log after the wait
        const char* next;     // the file's next number after a second Save
        bool askedAgain;      // by that Save
    } rows[] = {
        {"Save, nothing changed", kSave, false, nullptr, 0, true, nullptr, "101", false},
        {"Save of a change of its own", kSave, false, "Renamed", 0, true, nullptr, "101", false},
        {"Save during the run", kSave, true, nullptr, 0, true, nullptr, "101", false},
        {"Save answered No", kSave, false, nullptr, kIdNo, true, nullptr, "100", false},
        {"Execute", CViewKelvane::IDC_EXECUTE, true, nullptr, 0, false,
         "Serialize Lot: 101 to 0x0200", "102", false},
        {"Execute of a change of its own", CViewKelvane::IDC_EXECUTE, true, "Renamed", 0, true,
         "Serialize Lot: 101 to 0x0200", "102", false},
        {"Mass Erase", CViewKelvane::IDC_MASS_ERASE, true, nullptr, 0, false, "Mass Erase: OK",
         "101", true},
        {"Power Off", CViewKelvane::IDC_POWER_OFF, true, nullptr, 0, false, "VCC Off: OK", "101",
         true},
        {"Execute held past the limit", CViewKelvane::IDC_EXECUTE, true, nullptr, 0, false, nullptr,
         nullptr, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        std::ofstream(path) << kLineProject;
        ASSERT_TRUE(Start(path));
        if (row.renamed != nullptr) View()->GetDocument()->GetProject()->SetName(row.renamed);
        messages.clear();
        answer = row.answer;
        const bool heldByTheTest = row.next == nullptr;
        std::unique_ptr<Station> station;
        int holder = -1;
        std::string holderPid = std::to_string(::getpid());
        if (heldByTheTest) {
            ::setenv("KELVANE_LOCK_WAIT", "1", 1);
            holder = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
            ASSERT_EQ(::flock(holder, LOCK_EX), 0);
        } else {
            station = std::make_unique<Station>(path, folder_ / "stations");
            holderPid = std::to_string(station->Pid());
            if (row.duringTheRun) {
                ASSERT_TRUE(station->ReadUntil("held")) << station->Output();
            } else {
                EXPECT_EQ(station->Finish(), 0) << station->Output();
            }
        }
        // Time goes on in the window while it waits.
        int ticksWhileWaiting = 0;
        QTimer ticker;
        ticker.setInterval(10);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            const std::string log = View()->GetLog()->GetLogText();
            if (log.find("Waiting for ") != std::string::npos &&
                log.find("Starting '") == std::string::npos && messages.empty())
                ++ticksWhileWaiting;
        });
        ticker.start();
        if (row.command == kSave) {
            Frame()->OnCommand(ID_FILE_SAVE);
        } else {
            View()->GetButton(row.command)->click();
        }
        ticker.stop();
        const std::string log = View()->GetLog()->GetLogText();
        if (row.duringTheRun) {
            EXPECT_NE(log.find("Waiting for " + path + ": another run is using it (process " +
                               holderPid + " ("),
                      std::string::npos)
                << log;
            EXPECT_GT(ticksWhileWaiting, 3) << "the window froze while it waited";
        }
        if (heldByTheTest) {
            ::unsetenv("KELVANE_LOCK_WAIT");
            ::close(holder);
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_TRUE(messages.front().starts_with("Unable to lock project " + path +
                                                     "\nGave up after waiting 1 s for " + path))
                << messages.front();
            EXPECT_EQ(View()->GetStatusPicture(), StatusPicture::Failure);
            EXPECT_EQ(log.find("Starting '"), std::string::npos) << log;
            Stop();
            continue;
        }
        EXPECT_EQ(station->Finish(), 0) << station->Output();
        EXPECT_NE(station->Output().find("Serialize Lot: 100 to 0x0200"), std::string::npos)
            << station->Output();
        EXPECT_EQ(messages, row.asked ? std::vector<std::string>{question}
                                      : std::vector<std::string>{});
        if (row.ran != nullptr) {
            EXPECT_EQ(View()->GetStatusPicture(), StatusPicture::Success);
            EXPECT_NE(log.find(row.ran, log.find("Starting '")), std::string::npos) << log;
        }
        // A second Save asks only while the window holds an older file.
        messages.clear();
        answer = 0;
        Frame()->OnCommand(ID_FILE_SAVE);
        EXPECT_EQ(messages, row.askedAgain ? std::vector<std::string>{question}
                                           : std::vector<std::string>{});
        EXPECT_EQ(NextValue(ReadText(path)), row.next);
        auto* serialize = dynamic_cast<CCommandSerialize*>(Commands().GetAt(2));
        ASSERT_NE(serialize, nullptr);
        EXPECT_EQ(serialize->GetNextValue(), row.next);
        Stop();
    }
}

// Told to end by a signal during a run (a logout, a shutdown, Ctrl+C in its
// terminal), the window stops the run, switches the target off, says so in
// its log and ends with 100, asking nothing.
TEST_F(RealWindow, ASignalDuringARunSwitchesTheTargetOffAndEndsTheWindow) {
    const fs::path state = folder_ / "chip.state";
    ::setenv("KELVANE_USB", ("sim:chip=MSP430F149,state=" + state.string()).c_str(), 1);
    usb::setBackend(nullptr);
    const std::string path = (folder_ / "delayed.kvnset").string();
    std::ofstream(path) << kDelayProject;
    const std::pair<int, const char*> endings[] = {
        {SIGINT, "SIGINT"}, {SIGTERM, "SIGTERM"}, {SIGHUP, "SIGHUP"}};
    for (const auto& [number, name] : endings) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(Start(path));
        messages.clear();
        UserDuringTheDelay user(View()->GetLog(), [number = number] { ::kill(::getpid(), number); });
        int code = -1;
        {
            ScopedClock scope{user};
            QTimer::singleShot(0, [this] { View()->GetButton(CViewKelvane::IDC_EXECUTE)->click(); });
            // A window that does not end is ended here, and fails the row.
            QTimer limit;
            limit.setSingleShot(true);
            QObject::connect(&limit, &QTimer::timeout, [] { QCoreApplication::exit(-1); });
            limit.start(30000);
            code = QApplication::exec();
            limit.stop();
        }
        EXPECT_TRUE(user.Acted());
        EXPECT_EQ(code, 100);
        EXPECT_TRUE(messages.empty()) << messages.front();
        const std::string log = View()->GetLog()->GetLogText();
        const std::size_t off = log.find("VCC Off: OK\r\n");
        EXPECT_NE(off, std::string::npos) << log;
        EXPECT_NE(log.find("Unable to complete operation.\r\nStopped by " + std::string(name) +
                               "\r\nOperation failed\r\n",
                           off),
                  std::string::npos)
            << log;
        EXPECT_EQ(log.find("Identify Target"), std::string::npos) << log;
        EXPECT_EQ(kv::testing::ChipPowered(state.string(), "MSP430F149"), std::optional<bool>(false)) << "the target is left powered";
        Stop();
    }
}

// The recent files in the settings file, as the next start reads them.
std::vector<std::string> SavedRecentFiles() {
    CProfileSettings saved;
    saved.SetFilePath(GetAppProfile().GetFilePath());
    EXPECT_TRUE(saved.Load());
    return saved.GetProfileList(CRecentFileList::kSection, "File", 8);
}

TEST_F(RealWindow, TwoWindowsSavingInTurnKeepOneRecentList) {
    const fs::path ini = folder_ / "config" / "Orvanti" / "Kelvane.ini";
    fs::create_directories(ini.parent_path());
    std::ofstream(ini) << "[Recent File List]\nFile1=/old/p.kvnset\nFile2=/old/q.kvnset\n";
    const std::string first = CopyBlink();
    const fs::path second = folder_ / "second.kvnset";
    fs::copy_file(first, second);
    ASSERT_TRUE(Start(first));
    ASSERT_TRUE(messages.empty()) << messages.front();
    // Another window of the same user opens the second project and ends
    // while this one still runs.
    QProcess other;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("KELVANE_GRAB"),
                       QString::fromStdString((folder_ / "other.png").string()));
    environment.insert(QStringLiteral("LSAN_OPTIONS"),
                       QStringLiteral("suppressions=" KELVANE_WINDOW_LSAN));
    other.setProcessEnvironment(environment);
    other.start(QString::fromStdString(kBin + "/kelvane"), {QString::fromStdString(second)});
    ASSERT_TRUE(other.waitForFinished(60000)) << other.errorString().toStdString();
    EXPECT_EQ(other.exitCode(), 0) << other.readAllStandardError().toStdString();
    EXPECT_EQ(SavedRecentFiles(),
              (std::vector<std::string>{second.string(), "/old/p.kvnset", "/old/q.kvnset"}));
    Stop();
    EXPECT_EQ(SavedRecentFiles(),
              (std::vector<std::string>{first, "/old/p.kvnset", "/old/q.kvnset", second.string()}));
}

TEST_F(RealWindow, AProjectOpenedByARelativeNameOpensAgainFromAnotherFolder) {
    fs::create_directories(folder_ / "projects");
    fs::create_directories(folder_ / "elsewhere");
    fs::rename(CopyBlink(), folder_ / "projects" / "crash.kvnset");
    fs::rename(folder_ / "blink.txt", folder_ / "projects" / "blink.txt");
    const std::string project = (folder_ / "projects" / "crash.kvnset").string();
    // The folder the program starts in and the name it is given.
    const std::pair<fs::path, const char*> rows[] = {{folder_ / "projects", "crash.kvnset"},
                                                     {folder_, "projects/crash.kvnset"}};
    for (const auto& [folder, name] : rows) {
        SCOPED_TRACE(name);
        std::string error;
        ASSERT_TRUE(SetCurrentDirectoryChecked(folder.string(), error)) << error;
        answer = 0;
        ASSERT_TRUE(Start(name)) << (messages.empty() ? "" : messages.front());
        ASSERT_TRUE(messages.empty()) << messages.front();
        EXPECT_EQ(View()->GetDocument()->GetPathName(), project);
        ASSERT_FALSE(window_->GetRecentFiles().GetFiles().empty());
        EXPECT_EQ(window_->GetRecentFiles().GetFiles().front(), project);
        Stop();
        CProfileSettings saved;
        saved.SetFilePath(GetAppProfile().GetFilePath());
        ASSERT_TRUE(saved.Load());
        EXPECT_EQ(saved.GetProfileString("LastDoc", "LastOpenedFile", ""), project);

        // Started without a file from another folder, as the desktop entry
        // starts it, the program opens the project again. A question is
        // answered Cancel, which ends the start.
        ASSERT_TRUE(SetCurrentDirectoryChecked((folder_ / "elsewhere").string(), error)) << error;
        answer = kIdCancel;
        EXPECT_TRUE(Start(""));
        EXPECT_TRUE(messages.empty()) << messages.front();
        ASSERT_NE(GetCurrentProject(), nullptr);
        EXPECT_EQ(View()->GetDocument()->GetPathName(), project);
        Stop();
        messages.clear();
    }
}

}  // namespace
}  // namespace kv::ui::testing

// The system's font library keeps a cache for the life of the process; it is
// not a leak of the program.
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
