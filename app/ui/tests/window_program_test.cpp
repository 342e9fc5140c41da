// The window program driven as a user drives it: files picked in Qt's file
// dialog, the clipboard through the window's keys and Edit menu, a read-out
// opened in the configured editor, the recent files, the questions and the
// read-to-file dialog.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "command_icons.h"
#include "command_ids.h"
#include "dlg_new_project.h"
#include "dlg_read_to_file.h"
#include "doc_kelvane.h"
#include "hex_number_edit.h"
#include "kelvane/app/kelvane_app.h"
#include "kelvane/app/profile_settings.h"
#include "kelvane/commands/dravik_program_file.h"
#include "kelvane/commands/tovrin_file.h"
#include "kelvane/commands/tovrin_set_password.h"
#include "kelvane/core/prg_operation.h"
#include "kelvane/project/prg_project.h"
#include "kelvane/ui/hex_edit_ctrl.h"
#include "log_edit.h"
#include "main_frame.h"
#include "project_tree_ctrl.h"
#include "properties_pane.h"
#include "recent_file_list.h"
#include "status_bitmaps.h"
#include "view_kelvane.h"
#include "window_program_support.h"
#include "window_sim_chip.h"

namespace kv::ui::testing {
namespace {

namespace fs = std::filesystem;

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

template <typename T>
T* FindCommand() {
    CPrgOperation* list = GetCurrentProject()->GetCommandList();
    for (CProjectTreeItem* item = list->GetFirstChildItem(); item != nullptr;
         item = item->GetNextSiblingItem()) {
        if (auto* found = dynamic_cast<T*>(item)) return found;
    }
    return nullptr;
}

// Chooses the file and the filter in a file dialog.
ModalDriver::Step ChooseFile(const std::string& path, const QString& filter,
                             QStringList* seenFilters = nullptr, QString* seenTitle = nullptr) {
    return [=](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr) << modal->metaObject()->className();
        if (seenFilters != nullptr) *seenFilters = dialog->nameFilters();
        if (seenTitle != nullptr) *seenTitle = dialog->windowTitle();
        if (!filter.isEmpty()) dialog->selectNameFilter(filter);
        dialog->selectFile(QString::fromStdString(path));
        // What the dialog's Open or Save button does.
        static_cast<QDialog*>(dialog)->accept();
    };
}

using WindowFileDialogTest = WindowProgramTest;

TEST_F(WindowFileDialogTest, TheFilePagesBrowseButtonPicksAFileInQtsDialog) {
    Start(MakeProject("Board"));
    auto* program = FindCommand<CCommandDravik_ProgramFile>();
    ASSERT_NE(program, nullptr);
    Select(program);
    QWidget* page = ShownPage();
    ASSERT_NE(page, nullptr);
    auto* browse = page->findChild<QPushButton*>(QStringLiteral("1014"));
    auto* path = page->findChild<QLineEdit*>(QStringLiteral("1013"));
    auto* preview = page->findChild<QPushButton*>(QStringLiteral("1084"));
    ASSERT_TRUE(browse != nullptr && path != nullptr && preview != nullptr);
    EXPECT_EQ(path->text().toStdString(), "./blink.txt");

    fs::create_directories(Scratch("images"));
    std::ofstream(Scratch("images/board.hex")) << ":00000001FF\n";
    QStringList filters;
    QString title;
    modals.Expect(ChooseFile(Scratch("images/board.hex"), QStringLiteral("Intel Hex Files (*.hex)"),
                             &filters, &title));
    browse->click();

    EXPECT_TRUE(modals.Done());
    EXPECT_EQ(title.toStdString(), "Browse Target File");
    EXPECT_EQ(filters, (QStringList{QStringLiteral("TI Text Files (*.txt)"),
                                    QStringLiteral("Intel Hex Files (*.hex)")}));
    EXPECT_EQ(program->GetFullPath(), Scratch("images/board.hex"));
    EXPECT_EQ(program->GetFileType(), 2);
    EXPECT_EQ(path->text().toStdString(), "./images/board.hex");
    EXPECT_TRUE(preview->isEnabled());
    EXPECT_TRUE(window->GetFrame()->GetView()->GetDocument()->IsModified());
}

TEST_F(WindowFileDialogTest, CancellingTheDialogKeepsTheFile) {
    Start(MakeProject("Board"));
    auto* program = FindCommand<CCommandDravik_ProgramFile>();
    Select(program);
    modals.Expect([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
    ShownPage()->findChild<QPushButton*>(QStringLiteral("1014"))->click();
    EXPECT_EQ(program->GetFullPath(), Scratch("blink.txt"));
    EXPECT_EQ(program->GetFileType(), 1);
}

TEST_F(WindowFileDialogTest, APasswordFileThatDoesNotLoadBringsThePreviousFileBack) {
    Start(MakeProject("Board"));
    auto* password =
        dynamic_cast<CCommandTovrin_SetPassword*>(AddCommand("Tovrin_SetPassword"));
    ASSERT_NE(password, nullptr);
    std::ofstream(Scratch("words.txt")) << "@FFE0\n01 02 03 04\nq\n";
    password->SetFileName(Scratch("words.txt"));
    Select(password);
    QWidget* page = ShownPage();
    ASSERT_NE(page, nullptr);
    auto* source = page->findChild<QComboBox*>(QStringLiteral("1145"));
    ASSERT_NE(source, nullptr);
    const int firstWord = password->GetPasswordWord(0);

    // "Set from file" with a file that is no image: the command cannot take
    // a password from it, says so, and keeps the file it had.
    std::ofstream(Scratch("notes.txt")) << "this is not an image\n";
    modals.Expect(ChooseFile(Scratch("notes.txt"), QStringLiteral("TI Text Files (*.txt)")));
    modals.Expect(Answer(modals));
    source->setCurrentIndex(source->findText(QStringLiteral("Set from file")));

    ASSERT_EQ(modals.texts.size(), 1u);
    EXPECT_FALSE(modals.texts[0].empty());
    EXPECT_EQ(password->GetFileName(), Scratch("words.txt"));
    EXPECT_EQ(password->GetFileType(), 1);
    EXPECT_EQ(password->GetPasswordWord(0), firstWord);
    EXPECT_EQ(source->currentText().toStdString(), "Raw values");
    EXPECT_EQ(page->findChild<QLineEdit*>(QStringLiteral("1013"))->text().toStdString(),
              "./words.txt");

    // A file that loads is taken.
    modals.Expect(ChooseFile(Scratch("words.txt"), QStringLiteral("TI Text Files (*.txt)")));
    source->setCurrentIndex(source->findText(QStringLiteral("Set from file")));
    EXPECT_EQ(password->GetPasswordWord(0), 0x0201);
}

TEST_F(WindowFileDialogTest, AnAdapterFileInAFolderThatIsGoneIsOfferedInTheCurrentOne) {
    Start(MakeProject("Board"));
    auto* write = dynamic_cast<CCommandTovrin_File*>(AddCommand("Tovrin_WriteFile"));
    ASSERT_NE(write, nullptr);
    write->SetFileName(Scratch("gone/image.txt"));
    Select(write);
    auto* browse = ShownPage()->findChild<QPushButton*>(QStringLiteral("1014"));
    ASSERT_NE(browse, nullptr);
    modals.Expect(Answer(modals, QStringLiteral("No")));
    browse->click();
    ASSERT_EQ(modals.texts.size(), 1u);
    const std::string current = fs::current_path().string();
    EXPECT_EQ(modals.texts[0], "Invalid path for file:\n\n" + Scratch("gone/image.txt") +
                                   "\n\nOK to use:\n\n" + current + "/image.txt\n\n?");
    EXPECT_EQ(write->GetFileName(), Scratch("gone/image.txt"));

    // Yes takes the proposal, and the dialog opens on it.
    QString shownName;
    modals.Expect(Answer(modals, QStringLiteral("Yes")));
    modals.Expect([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        shownName = dialog->selectedFiles().value(0);
        static_cast<QDialog*>(dialog)->reject();
    });
    browse->click();
    EXPECT_EQ(shownName.toStdString(), current + "/image.txt");
    EXPECT_EQ(write->GetFileName(), current + "/image.txt");
    EXPECT_EQ(ShownPage()->findChild<QLineEdit*>(QStringLiteral("1013"))->text().toStdString(),
              "./image.txt");
}

using WindowClipboardTest = WindowProgramTest;

TEST_F(WindowClipboardTest, TheWindowsKeysAndEditMenuReachTheHexEditor) {
    Start(MakeProject("Board"));
    ASSERT_NE(AddCommand("Dravik_WriteMemory"), nullptr);
    QWidget* page = ShownPage();
    ASSERT_NE(page, nullptr);
    auto* editor = page->findChild<CHexEditCtrl*>();
    ASSERT_NE(editor, nullptr);
    Frame()->show();
    Frame()->activateWindow();
    editor->setFocus();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), editor);
    QTest::keyClicks(editor, QStringLiteral("11223344"));
    CHexCell& cell = editor->Cell();
    const std::uint8_t* bytes = cell.GetBuffer();
    ASSERT_EQ(bytes[0], 0x11);
    ASSERT_EQ(bytes[3], 0x44);
    const int count = cell.GetCount();

    // Select the first two symbols and copy with the window's Ctrl+C.
    QTest::keyClick(editor, Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(editor, Qt::Key_Right, Qt::ShiftModifier);
    ASSERT_TRUE(cell.HasSelection());
    ASSERT_EQ(cell.GetSelectionFirst(), 0);
    const int last = cell.GetSelectionLast();
    QApplication::clipboard()->clear();
    QTest::keyClick(editor, Qt::Key_C, Qt::ControlModifier);
    const QMimeData* copied = QApplication::clipboard()->mimeData();
    ASSERT_NE(copied, nullptr);
    EXPECT_TRUE(copied->hasFormat(QStringLiteral("HexEdit")));
    EXPECT_TRUE(copied->text().startsWith(QStringLiteral("11"))) << copied->text().toStdString();

    // Edit > Cut takes the selection out; the rest moves down.
    QApplication::clipboard()->clear();
    Frame()->UpdateCommandUi();  // as the menu does when it opens
    ASSERT_TRUE(Frame()->GetAction(ID_EDIT_CUT)->isEnabled());
    Frame()->GetAction(ID_EDIT_CUT)->trigger();
    EXPECT_TRUE(QApplication::clipboard()->mimeData()->hasFormat(QStringLiteral("HexEdit")));
    EXPECT_EQ(bytes[0], last == 0 ? 0x22 : 0x33);
    EXPECT_EQ(bytes[count - 1], 0xFF);

    // Shift+Insert, the window's other Paste key, puts it back at the cursor.
    QTest::keyClick(editor, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(bytes[0], 0x11);
    EXPECT_EQ(bytes[1], 0x22);
    EXPECT_EQ(bytes[2], 0x33);
    EXPECT_EQ(bytes[3], 0x44);

    // Ctrl+Insert copies as Ctrl+C does; Edit > Paste pastes.
    QTest::keyClick(editor, Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(editor, Qt::Key_Right, Qt::ShiftModifier);
    QApplication::clipboard()->clear();
    QTest::keyClick(editor, Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_TRUE(QApplication::clipboard()->mimeData()->hasFormat(QStringLiteral("HexEdit")));
    Frame()->GetAction(ID_EDIT_PASTE)->trigger();
    EXPECT_EQ(bytes[0], 0x11);
    EXPECT_FALSE(cell.HasSelection());
}

using WindowReadTest = WindowProgramTest;

TEST_F(WindowReadTest, OpenAfterReadAndTheWizardsPreviewShowTheFileInTheConfiguredEditor) {
    const std::string script = Scratch("editor.sh");
    std::ofstream(script) << "#!/bin/sh\nprintf '%s' \"$1\" > '" << Scratch("opened") << "'\n";
    fs::permissions(script, fs::perms::owner_all);
    ::setenv("KELVANE_TEXT_EDITOR", script.c_str(), 1);
    ::setenv("KELVANE_USB", ("sim:chip=MSP430F149,state=" + Scratch("chip.state")).c_str(), 1);
    Start(MakeProject("Board"));
    ASSERT_EQ(GetReadSettings().ReadFilePath, "MyFile.txt");
    ASSERT_EQ(GetReadSettings().OpenAfterRead, 1);
    modals.Expect([](QWidget* modal) {
        auto* dialog = qobject_cast<CDlgReadToFile*>(modal);
        ASSERT_NE(dialog, nullptr) << modal->metaObject()->className();
        dialog->accept();
    });
    View()->OnReadDevice();
    ASSERT_EQ(View()->GetStatusPicture(), StatusPicture::Success)
        << View()->GetLog()->GetLogText();
    // The read wrote the file beside the project, and that file is opened.
    EXPECT_TRUE(fs::exists(Scratch("MyFile.txt")));
    ASSERT_TRUE(WaitFor([&] { return fs::exists(Scratch("opened")); }));
    ASSERT_TRUE(WaitFor([&] { return !ReadText(Scratch("opened")).empty(); }));
    EXPECT_EQ(ReadText(Scratch("opened")), Scratch("MyFile.txt"));

    // The wizard's Preview opens its file in the same editor.
    fs::remove(Scratch("opened"));
    modals.Expect([&](QWidget* modal) {
        auto* wizard = qobject_cast<CDlgNewProject*>(modal);
        ASSERT_NE(wizard, nullptr) << modal->metaObject()->className();
        wizard->ApplyBrowseResult(Scratch("blink.txt"), 0);
        wizard->GetPreviewButton()->click();
        wizard->reject();
    });
    Frame()->OnCommand(ID_FILE_NEW);
    ASSERT_TRUE(WaitFor([&] { return !ReadText(Scratch("opened")).empty(); }));
    EXPECT_EQ(ReadText(Scratch("opened")), Scratch("blink.txt"));
}

TEST_F(WindowReadTest, ATwentyBitReadAddressStaysWholeOnAnExtendedProcessor) {
    Start(MakeProject("Wide", "MSP430FG4619"));
    GetReadSettings().ReadAddress = 0x1F000;
    GetReadSettings().ReadSize = 0x100;
    std::string shown;
    modals.Expect([&](QWidget* modal) {
        auto* dialog = qobject_cast<CDlgReadToFile*>(modal);
        ASSERT_NE(dialog, nullptr);
        shown = dialog->GetAddressEdit()->text().toStdString();
        dialog->accept();
    });
    // No pod: the run then fails, which is answered.
    modals.Expect(Answer(modals));
    View()->OnReadRange();
    EXPECT_EQ(shown, "1F000");
    EXPECT_EQ(GetReadSettings().ReadAddress, 0x1F000);

    // A value the user types is taken with all five digits.
    modals.Expect([&](QWidget* modal) {
        auto* dialog = qobject_cast<CDlgReadToFile*>(modal);
        ASSERT_NE(dialog, nullptr);
        dialog->GetAddressEdit()->selectAll();
        QTest::keyClicks(dialog->GetAddressEdit(), QStringLiteral("1ff00"));
        dialog->accept();
    });
    modals.Expect(Answer(modals));
    View()->OnReadRange();
    EXPECT_EQ(GetReadSettings().ReadAddress, 0x1FF00);
}

TEST_F(WindowReadTest, AReadRangePastTheLastAddressNamesItsEnd) {
    ::setenv("KELVANE_USB", ("sim:chip=MSP430F149,state=" + Scratch("chip.state")).c_str(), 1);
    Start(MakeProject("Board"));
    // Start and size as typed, and the message of the run; none when it reads.
    const struct {
        std::uint32_t address;
        std::uint32_t size;
        const char* message;
    } rows[] = {
        {0xFF00, 0x200,
         "Unable to complete operation.\n"
         "The range FF00-100FF ends past FFFF, the last address of the MSP430F149"},
        {0xFF00, 0x100, nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.size);
        GetReadSettings().ReadAddress = static_cast<int>(row.address);
        GetReadSettings().ReadSize = static_cast<int>(row.size);
        GetReadSettings().OpenAfterRead = 0;
        View()->OnClearLog();
        modals.texts.clear();
        modals.Expect([](QWidget* modal) {
            auto* dialog = qobject_cast<CDlgReadToFile*>(modal);
            ASSERT_NE(dialog, nullptr);
            dialog->accept();
        });
        if (row.message != nullptr) modals.Expect(Answer(modals));
        View()->OnReadRange();
        EXPECT_TRUE(modals.Done());
        const std::string log = View()->GetLog()->GetLogText();
        if (row.message == nullptr) {
            EXPECT_TRUE(modals.texts.empty());
            EXPECT_EQ(View()->GetStatusPicture(), StatusPicture::Success) << log;
            continue;
        }
        EXPECT_EQ(modals.texts, (std::vector<std::string>{row.message}));
        EXPECT_EQ(View()->GetStatusPicture(), StatusPicture::Failure);
        EXPECT_EQ(log.find("Open JTAG"), std::string::npos)
            << "refused before the target is powered";
    }
}

TEST_F(WindowReadTest, EnterAtTheBlowFuseQuestionAnswersNo) {
    Start(MakeProject("Board"));
    GetAppGlobals().podVppCapable = 1;
    const std::string logBefore = View()->GetLog()->GetLogText();
    bool noIsDefault = false;
    modals.Expect(AnswerWithEnter(modals, noIsDefault));
    View()->OnBlowFuseNow();
    GetAppGlobals().podVppCapable = 0;
    EXPECT_EQ(modals.texts, (std::vector<std::string>{"Do you really want to blow the JTAG fuse?"}));
    EXPECT_TRUE(noIsDefault);
    // Nothing ran.
    EXPECT_EQ(View()->GetLog()->GetLogText(), logBefore);
}

// Read Device and Read Range through the adapter send the kept password: one
// the program does not know is sent only when the user agrees, asked before
// anything starts, No the default. After a Mass Erase in the program, the
// erased chip's password is known and nothing is asked.
class WindowAdapterReadTest : public WindowProgramTest,
                              public ::testing::WithParamInterface<const char*> {};

TEST_P(WindowAdapterReadTest, AsksBeforeSendingAPasswordNotKnown) {
    const std::string chip = GetParam();
    const std::string state = Scratch("chip.kvchip");
    std::string error;
    ASSERT_TRUE(SaveProgrammedChip(chip, state, &error)) << error;
    ::setenv("KELVANE_USB", ("sim:pod=none,adapter=" + chip + ",state=" + state).c_str(), 1);
    const std::string project = Scratch("erase.kvnset");
    std::ofstream(project) << "<?xml version=\"1.0\" standalone=\"yes\" ?>\n<ProjectKelvane "
                              "nFileVersion=\"2\" nFileSubVersion=\"0\" strName=\"Erase\" "
                              "strTargetProcessor=\"" << chip << "\" dwVCC=\"3000\">\n<CommandList>\n"
                              "<Tovrin_SeizeTarget></Tovrin_SeizeTarget>\n"
                              "<Tovrin_MassErase></Tovrin_MassErase>\n"
                              "<Tovrin_PowerOff></Tovrin_PowerOff>\n</CommandList>\n</ProjectKelvane>\n";
    Start(project);
    GetReadSettings().OpenAfterRead = 0;
    GetReadSettings().ReadAddress = 0xFFE0;
    GetReadSettings().ReadSize = 0x20;
    auto accept = [](QWidget* modal) {
        ASSERT_NE(qobject_cast<CDlgReadToFile*>(modal), nullptr);
        static_cast<QDialog*>(modal)->accept();
    };
    for (const bool range : {false, true}) {
        SCOPED_TRACE(range);
        const std::string logBefore = View()->GetLog()->GetLogText();
        bool noIsDefault = false;
        modals.texts.clear();
        modals.Expect(accept);
        modals.Expect(AnswerWithEnter(modals, noIsDefault));
        range ? View()->OnReadRange() : View()->OnReadDevice();
        ASSERT_EQ(modals.texts.size(), 1u);
        EXPECT_EQ(modals.texts[0].rfind("The target's password is not known: no Set Password "
                                        "(BSL) gave it and no Mass Erase (BSL) erased the chip",
                                        0),
                  0u);
        EXPECT_TRUE(noIsDefault);
        // Nothing ran, not even the seize, and the chip keeps its program.
        EXPECT_EQ(View()->GetLog()->GetLogText(), logBefore);
        EXPECT_EQ(SavedChipWord(chip, state, 0xFFE0), 0x1234);
        EXPECT_EQ(SavedChipWord(chip, state, 0xE000), 0x4031);
    }
    // Yes sends the erased chip's password once, without a second question; the
    // programmed chip refuses it, and the failure says so.
    modals.texts.clear();
    modals.Expect(accept);
    modals.Expect(Answer(modals, "&Yes"));
    modals.Expect(Answer(modals));
    View()->OnReadDevice();
    ASSERT_EQ(modals.texts.size(), 2u);
    EXPECT_NE(modals.texts[1].find("Ack failed, returned A0\nThe target's bootstrap loader "
                                   "refused the password."),
              std::string::npos)
        << modals.texts[1];
    View()->OnExecute();
    ASSERT_EQ(View()->GetStatusPicture(), StatusPicture::Success) << View()->GetLog()->GetLogText();
    modals.texts.clear();
    modals.Expect(accept);
    // A 1.10 loader reads only with its patch, which the program lacks.
    const bool read = chip != "MSP430F149";
    if (!read) modals.Expect(Answer(modals));
    View()->OnReadRange();
    EXPECT_TRUE(modals.texts.empty() || modals.texts[0].find("not known") == std::string::npos);
    EXPECT_NE(View()->GetLog()->GetLogText().find("Resend Password (BSL): OK"), std::string::npos);
    EXPECT_EQ(fs::exists(Scratch("MyFile.txt")), read);
}

// Loaders 2.00 (erases on a wrong password), 2.12 and 1.10 (needs the patch).
INSTANTIATE_TEST_SUITE_P(Chips, WindowAdapterReadTest,
                         ::testing::Values("MSP430F2274", "MSP430FG4619", "MSP430F149"),
                         [](const ::testing::TestParamInfo<const char*>& row) {
                             return std::string(row.param).substr(6);
                         });

using WindowRecentFilesTest = WindowProgramTest;

std::vector<std::string> RecentMenuTexts(CMainFrame* frame) {
    std::vector<std::string> texts;
    for (QAction* action : frame->GetRecentFileActions()) {
        if (!action->isSeparator()) texts.push_back(action->text().toStdString());
    }
    return texts;
}

QAction* RecentAction(CMainFrame* frame, const std::string& path) {
    for (QAction* action : frame->GetRecentFileActions()) {
        if (action->data().toString().toStdString() == path) return action;
    }
    return nullptr;
}

TEST_F(WindowRecentFilesTest, TheFileMenuListsTheProjectsOpenedAndSavedNewestFirst) {
    const std::string first = MakeProject("First");
    const std::string gone = Scratch("Gone.kvnset");
    fs::create_directories(Scratch("config/Orvanti"));
    std::ofstream(Scratch("config/Orvanti/Kelvane.ini"))
        << "[Recent File List]\nFile1=" << gone << "\n";
    Start(first);
    EXPECT_EQ(RecentMenuTexts(Frame()),
              (std::vector<std::string>{"&1 " + first, "&2 " + gone}));
    // The entries stand above Exit in the File menu.
    QMenu* file = Frame()->menuBar()->actions().front()->menu();
    const QList<QAction*> items = file->actions();
    const auto exit = items.indexOf(Frame()->GetAction(ID_APP_EXIT));
    EXPECT_EQ(items.indexOf(RecentAction(Frame(), first)), exit - 3);

    // Save As puts the new name first.
    const std::string second = Scratch("Second.kvnset");
    modals.Expect(ChooseFile(second, QString()));
    Frame()->OnCommand(ID_FILE_SAVE_AS);
    ASSERT_TRUE(fs::exists(second));
    EXPECT_EQ(window->GetRecentFiles().GetFiles(), (std::vector<std::string>{second, first, gone}));

    // Choosing an entry opens it and moves it up.
    RecentAction(Frame(), first)->trigger();
    EXPECT_EQ(Frame()->windowTitle().toStdString(), "First - Kelvane");
    EXPECT_EQ(window->GetRecentFiles().GetFiles(), (std::vector<std::string>{first, second, gone}));

    // A file that no longer opens says so and leaves the list.
    modals.Expect(Answer(modals));
    RecentAction(Frame(), gone)->trigger();
    EXPECT_EQ(modals.texts.size(), 1u);
    EXPECT_EQ(Frame()->windowTitle().toStdString(), "First - Kelvane");
    EXPECT_EQ(window->GetRecentFiles().GetFiles(), (std::vector<std::string>{first, second}));

    // The settings keep the list.
    SaveRegistrySettings();
    const std::string settings = ReadText(Scratch("config/Orvanti/Kelvane.ini"));
    EXPECT_NE(settings.find("[Recent File List]"), std::string::npos) << settings;
    EXPECT_NE(settings.find("File1=" + first + "\n"), std::string::npos) << settings;
    EXPECT_NE(settings.find("File2=" + second + "\n"), std::string::npos) << settings;
}

using WindowOpenTest = WindowProgramTest;

TEST_F(WindowOpenTest, AProjectThatDoesNotOpenLeavesThePreviousOneShownWithItsPage) {
    const std::string board = MakeProject("Board");
    fs::create_directories(Scratch("other"));
    std::ofstream(Scratch("other/Cut.kvnset")) << ReadText(board).substr(0, 400);
    Start(board);
    Frame()->show();
    Select(FindCommand<CCommandDravik_ProgramFile>());
    QWidget* page = ShownPage();
    ASSERT_NE(page, nullptr);
    const QRect pane = View()->GetPane()->geometry();
    const fs::path folder = fs::current_path();
    QWidget* behindMessage = nullptr;
    auto message = [&](QWidget* modal) {
        behindMessage = ShownPage();
        Answer(modals)(modal);
    };
    // File > Open of a truncated project, then a recent project that is gone.
    modals.Expect(ChooseFile(Scratch("other/Cut.kvnset"), QString()));
    modals.Expect(message);
    Frame()->OnCommand(ID_FILE_OPEN);
    modals.Expect(message);
    window->OpenRecentFile(Scratch("other/Gone.kvnset"));
    for (int attempt = 0; attempt < 2; ++attempt) {
        EXPECT_NE(modals.texts.at(attempt).find("Unable to open project"), std::string::npos);
    }
    EXPECT_EQ(behindMessage, page);
    EXPECT_EQ(ShownPage(), page);
    EXPECT_EQ(View()->GetPane()->geometry(), pane);
    EXPECT_EQ(Frame()->windowTitle().toStdString(), "Board - Kelvane");
    EXPECT_EQ(fs::current_path(), folder);

    // The pane keeps its room while Add New Command shows the pages.
    QRect behindDialog;
    modals.Expect([&](QWidget* modal) {
        behindDialog = View()->GetPane()->geometry();
        qobject_cast<QDialog*>(modal)->reject();
    });
    View()->OnAddCommand();
    EXPECT_EQ(behindDialog, pane);
}

using WindowLookTest = WindowProgramTest;

TEST_F(WindowLookTest, MenusNameTheirKeysAndTheEditingKeysWork) {
    Start(MakeProject("Board"));
    // The Project menu names only the keys the tree acts on.
    std::vector<std::string> shown;
    for (int id : {ID_PROJECT_DELETE_COMMAND, ID_PROJECT_INSERT_COMMAND, ID_PROJECT_ADD_COMMAND,
                   ID_PROJECT_COMMAND_UP, ID_PROJECT_COMMAND_DOWN})
        shown.push_back(Frame()->GetAction(id)->text().toStdString());
    EXPECT_EQ(shown,
              (std::vector<std::string>{"&Delete Command\tDelete", "&Insert Command ...\tInsert",
                                        "&Add Command ...", "Move Command &Up\tCtrl+Up",
                                        "Move Command Do&wn\tCtrl+Down"}));
    auto keys = [this](int id) { return Frame()->GetAction(id)->shortcuts(); };
    EXPECT_EQ(keys(ID_EDIT_UNDO), (QList<QKeySequence>{QKeySequence(QStringLiteral("Ctrl+Z")),
                                                      QKeySequence(QStringLiteral("Alt+Backspace"))}));
    EXPECT_TRUE(keys(ID_EDIT_CUT).contains(QKeySequence(QStringLiteral("Shift+Del"))));
    EXPECT_TRUE(keys(ID_EDIT_COPY).contains(QKeySequence(QStringLiteral("Ctrl+Ins"))));
    EXPECT_TRUE(keys(ID_EDIT_PASTE).contains(QKeySequence(QStringLiteral("Shift+Ins"))));

    // F6 and Shift+F6 go round the tree, the page and the log.
    Frame()->show();
    Frame()->activateWindow();
    Select(FindCommand<CCommandDravik_ProgramFile>());
    View()->GetTree()->setFocus();
    QApplication::processEvents();
    QTest::keyClick(View()->GetTree(), Qt::Key_F6);
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    EXPECT_TRUE(ShownPage()->isAncestorOf(QApplication::focusWidget()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6);
    EXPECT_EQ(QApplication::focusWidget(), View()->GetLog());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6, Qt::ShiftModifier);
    EXPECT_TRUE(ShownPage()->isAncestorOf(QApplication::focusWidget()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), View()->GetTree());
}

TEST_F(WindowLookTest, ToolbarAndTreePicturesAreDistinct) {
    Start(MakeProject("Board"));
    std::vector<QImage> pictures;
    for (int id : ToolbarCommands()) {
        if (id == 0) continue;
        QAction* action = Frame()->GetAction(id);
        ASSERT_FALSE(action->icon().isNull()) << id;
        // The program's own picture, shown where the desktop has no theme.
        const QImage own = CommandFallbackIcon(id).pixmap(16, 16).toImage();
        for (const QImage& other : pictures)
            EXPECT_NE(own, other) << "toolbar picture of " << id << " repeats";
        pictures.push_back(own);
    }
    std::vector<QImage> items;
    for (int index = 0; index <= 42; ++index) {
        const QImage image = ItemImage(index).pixmap(16, 16).toImage();
        for (std::size_t other = 0; other < items.size(); ++other)
            EXPECT_NE(image, items[other]) << "tree images " << other << " and " << index;
        items.push_back(image);
    }
}

TEST_F(WindowLookTest, TheWizardNamesItsFields) {
    Start(MakeProject("Board"));
    std::vector<std::string> named;
    modals.Expect([&](QWidget* modal) {
        for (QLabel* label : modal->findChildren<QLabel*>()) {
            if (label->buddy() != nullptr) {
                named.push_back(label->text().toStdString() + " " +
                                label->buddy()->metaObject()->className());
                QString shown = label->text();
                shown.remove(QLatin1Char('&'));  // a mnemonic's mark is not drawn
                EXPECT_LE(label->fontMetrics().horizontalAdvance(shown), label->width())
                    << label->text().toStdString();
            }
        }
        qobject_cast<QDialog*>(modal)->reject();
    });
    Frame()->OnCommand(ID_FILE_NEW);
    std::sort(named.begin(), named.end());
    EXPECT_EQ(named, (std::vector<std::string>{"&VCC: QComboBox", "Project &Name: QLineEdit",
                                               "Target &Processor: QComboBox"}));
}

TEST(RecentFileListTest, KeepsEightNewestFirstWithoutDuplicates) {
    CRecentFileList list(8);
    for (int i = 1; i <= 9; ++i)
        list.Add("/p/" + std::to_string(i) + ".kvnset");
    ASSERT_EQ(list.GetFiles().size(), 8u);
    EXPECT_EQ(list.GetFiles().front(), "/p/9.kvnset");
    EXPECT_EQ(list.GetFiles().back(), "/p/2.kvnset");
    list.Add("/p/5.kvnset");
    EXPECT_EQ(list.GetFiles().front(), "/p/5.kvnset");
    EXPECT_EQ(list.GetFiles().size(), 8u);
    EXPECT_EQ(CRecentFileList::MenuText(0, "/a&b/x.kvnset"), "&1 /a&&b/x.kvnset");
    const std::string longPath = "/home/engineer/projects/line-4/boards/power-stage/rev-c/"
                                 "firmware/Final Programming.kvnset";
    const std::string shortened = CRecentFileList::MenuText(1, longPath);
    EXPECT_EQ(shortened.substr(0, 4), "&2 /");
    EXPECT_NE(shortened.find(".../Final Programming.kvnset"), std::string::npos) << shortened;
    EXPECT_LE(shortened.size(), 64u);
}

}  // namespace
}  // namespace kv::ui::testing
