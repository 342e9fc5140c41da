#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <memory>

#include "kelvane/commands/current_project.h"
#include "kelvane/commands/file_dialog.h"
#include "kelvane/commands/tovrin_set_password.h"
#include "kelvane/core/command_factory.h"
#include "kelvane/ui/hex_number_edit.h"
#include "kelvane/ui/password_page.h"
#include "page_test_support.h"

namespace kv::ui::testing {
namespace {

namespace fs = std::filesystem;

class PasswordPage : public PageTest {
  protected:
    void SetUp() override {
        PageTest::SetUp();
        folder = fs::temp_directory_path() /
                 ("kelvane_password_page_" + std::to_string(QCoreApplication::applicationPid()));
        fs::create_directories(folder);
        SetCommandProject(&project, (folder / "board.kvnset").string());
        // A password file whose sixteen words are 0x0100.
        passwordFile = (folder / "password.txt").string();
        std::ofstream out(passwordFile);
        out << "@FFE0\n";
        for (int i = 0; i < 16; ++i)
            out << "00 01 ";
        out << "\nq\n";
        CProjectTreeItem* item = CreateCommandByName("Tovrin_SetPassword");
        command.reset(dynamic_cast<CCommandTovrin_SetPassword*>(item));
        ASSERT_NE(command, nullptr);
    }
    void TearDown() override {
        SetOpenFileDialogHandler(nullptr);
        command.reset();
        PageTest::TearDown();
        fs::remove_all(folder);
    }
    void ChooseFile(bool choose) {
        SetOpenFileDialogHandler(
            [this, choose](const OpenFileDialogRequest& request, OpenFileDialogResult& result) {
                EXPECT_TRUE(request.mustExist);
                result.path = passwordFile;
                result.filterIndex = 1;
                return choose;
            });
    }
    int SourceData(CDlgCmdTovrin_SetPassword& page) {
        return page.SourceList()->currentData().toInt();
    }

    fs::path folder;
    std::string passwordFile;
    std::unique_ptr<CCommandTovrin_SetPassword> command;
};

TEST_F(PasswordPage, WordsEditOrFallBackToFFFF) {
    CDlgCmdTovrin_SetPassword page;
    EXPECT_EQ(page.WordEdit(0)->text(), "FFFF");
    page.SetItem(command.get());
    page.WordEdit(3)->selectAll();
    QTest::keyClicks(page.WordEdit(3), "12ab");
    EXPECT_EQ(command->GetPasswordWord(3), 0x12AB);
    page.WordEdit(3)->selectAll();
    QTest::keyClick(page.WordEdit(3), Qt::Key_Backspace);
    EXPECT_EQ(command->GetPasswordWord(3), 0xFFFF) << "an emptied word stores FFFF";
    EXPECT_EQ(page.WordEdit(3)->text(), "");
}

TEST_F(PasswordPage, SyncToFileLoadsTheWordsAndMakesThemReadOnly) {
    CDlgCmdTovrin_SetPassword page;
    page.SetItem(command.get());
    EXPECT_FALSE(page.BrowseButton()->isEnabled());
    ChooseFile(true);
    page.SourceList()->setCurrentIndex(3);
    EXPECT_EQ(command->GetPasswordSourceIsFile(), 1);
    EXPECT_EQ(SourceData(page), CDlgCmdTovrin_SetPassword::kSyncToFile);
    EXPECT_EQ(command->GetPasswordWord(0), 0x0100);
    EXPECT_EQ(page.WordEdit(15)->text(), "0100");
    EXPECT_TRUE(page.WordEdit(0)->isReadOnly());
    EXPECT_TRUE(page.BrowseButton()->isEnabled());
    EXPECT_TRUE(page.PreviewButton()->isEnabled());
    // Back to raw values: editable, the words last read kept.
    page.SourceList()->setCurrentIndex(0);
    EXPECT_EQ(command->GetPasswordSourceIsFile(), 0);
    EXPECT_FALSE(page.WordEdit(0)->isReadOnly());
    EXPECT_EQ(command->GetPasswordWord(0), 0x0100);
    // Set to 0xFFFF is a one-time action that ends in raw values.
    page.SourceList()->setCurrentIndex(1);
    EXPECT_EQ(command->GetPasswordWord(0), 0xFFFF);
    EXPECT_EQ(SourceData(page), CDlgCmdTovrin_SetPassword::kRawValues);
}

TEST_F(PasswordPage, ACancelledFileChoiceChangesNothing) {
    CDlgCmdTovrin_SetPassword page;
    page.SetItem(command.get());
    ChooseFile(false);
    page.SourceList()->setCurrentIndex(2);
    EXPECT_EQ(command->GetPasswordSourceIsFile(), 0);
    EXPECT_EQ(command->GetPasswordWord(0), 0xFFFF);
    EXPECT_EQ(SourceData(page), CDlgCmdTovrin_SetPassword::kRawValues);
    // Set from file is a one-time snapshot: the words change, the source stays raw.
    ChooseFile(true);
    page.SourceList()->setCurrentIndex(2);
    EXPECT_EQ(command->GetPasswordWord(7), 0x0100);
    EXPECT_EQ(command->GetPasswordSourceIsFile(), 0);
    EXPECT_EQ(SourceData(page), CDlgCmdTovrin_SetPassword::kRawValues);
}

}  // namespace
}  // namespace kv::ui::testing
