#include <QCheckBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <memory>

#include "kelvane/commands/current_project.h"
#include "kelvane/commands/dravik_program_file.h"
#include "kelvane/commands/dravik_read_range_to_file.h"
#include "kelvane/commands/file_dialog.h"
#include "kelvane/commands/tovrin_file_commands.h"
#include "kelvane/ui/file_pages.h"
#include "kelvane/ui/hex_number_edit.h"
#include "page_test_support.h"

namespace kv::ui::testing {
namespace {

namespace fs = std::filesystem;

class FilePages : public PageTest {
  protected:
    void SetUp() override {
        PageTest::SetUp();
        folder = fs::temp_directory_path() /
                 ("kelvane_file_pages_" + std::to_string(QCoreApplication::applicationPid()));
        fs::create_directories(folder);
        projectFile = (folder / "board.kvnset").string();
        SetCommandProject(&project, projectFile);
        SetFileViewer([this](const std::string& path) {
            viewed = path;
            return true;
        });
    }
    void TearDown() override {
        SetOpenFileDialogHandler(nullptr);
        SetFileViewer(nullptr);
        PageTest::TearDown();
        fs::remove_all(folder);
    }
    std::string Touch(const std::string& name) {
        const fs::path path = folder / name;
        std::ofstream(path) << "@F000\n00 01\nq\n";
        return path.string();
    }
    // The open-file dialog answers with the path and filter.
    void ChooseFile(const std::string& path, int filterIndex) {
        SetOpenFileDialogHandler(
            [path, filterIndex](const OpenFileDialogRequest&, OpenFileDialogResult& result) {
                result.path = path;
                result.filterIndex = filterIndex;
                return true;
            });
    }

    fs::path folder;
    std::string projectFile;
    std::string viewed;
};

TEST_F(FilePages, PreviewFollowsTheFileAndOpensTheFullPath) {
    const std::string full = Touch("image.txt");
    std::string error;
    std::unique_ptr<CCommandDravik_ProgramFile> program(
        CCommandDravik_ProgramFile::Create(error, "image.txt", "FILETYPE_TI_TXT", 0));
    ASSERT_NE(program, nullptr) << error;
    CDlgCmdDravik_ProgramFile page;
    EXPECT_FALSE(page.ViewButton()->isEnabled()) << "no command attached";
    EXPECT_EQ(page.ViewButton()->text(), "Preview File");
    page.SetItem(program.get());
    EXPECT_EQ(page.PathEdit()->text(), "image.txt");
    EXPECT_TRUE(page.PathEdit()->isReadOnly());
    EXPECT_TRUE(page.ViewButton()->isEnabled());
    page.ViewButton()->click();
    EXPECT_EQ(viewed, full);
    page.VerifyBox()->click();
    EXPECT_EQ(program->GetVerifyMem(), 1);
    EXPECT_EQ(modifiedCount, 1);
    fs::remove(full);
    page.RefreshFilePath();
    EXPECT_EQ(page.PathEdit()->text(), "image.txt");
    EXPECT_FALSE(page.ViewButton()->isEnabled());
}

TEST_F(FilePages, BrowseShowsTheChosenFile) {
    std::string error;
    std::unique_ptr<CCommandDravik_ProgramFile> program(
        CCommandDravik_ProgramFile::Create(error, "missing.txt", "FILETYPE_TI_TXT", 1));
    ASSERT_NE(program, nullptr) << error;
    CDlgCmdDravik_ProgramFile page;
    page.SetItem(program.get());
    EXPECT_FALSE(page.ViewButton()->isEnabled());
    const std::string chosen = Touch("new.hex");
    ChooseFile(chosen, 2);
    page.BrowseButton()->click();
    EXPECT_EQ(program->GetFullPath(), chosen);
    EXPECT_EQ(program->GetFileType(), 2);
    EXPECT_EQ(page.PathEdit()->text().toStdString(), program->GetFileName());
    EXPECT_TRUE(page.ViewButton()->isEnabled());
}

TEST_F(FilePages, ReadRangeFieldsStoreOnlyWhatParses) {
    std::string error;
    std::unique_ptr<CCommandDravik_ReadRangeToFile> read(
        CCommandDravik_ReadRangeToFile::Create(error, "out.txt", "FILETYPE_TI_TXT", 0x1000, 0x80));
    ASSERT_NE(read, nullptr) << error;
    CDlgCmdDravik_ReadRangeToFile page;
    EXPECT_EQ(page.ViewButton()->text(), "View File");
    page.SetItem(read.get());
    EXPECT_EQ(page.AddressEdit()->text(), "1000");
    EXPECT_EQ(page.SizeEdit()->text(), "0080");
    page.AddressEdit()->selectAll();
    QTest::keyClicks(page.AddressEdit(), "2");
    EXPECT_EQ(read->GetAddress(), 0x2u);
    page.AddressEdit()->selectAll();
    QTest::keyClick(page.AddressEdit(), Qt::Key_Backspace);
    EXPECT_EQ(read->GetAddress(), 0x2u) << "an empty field keeps the last address that parsed";
    page.SizeEdit()->selectAll();
    QTest::keyClicks(page.SizeEdit(), "200");
    EXPECT_EQ(read->GetLength(), 0x200u);
}

TEST_F(FilePages, AdapterPagesShowTheRelativeName) {
    fs::create_directories(folder / "images");
    const std::string full = Touch("images/app.txt");
    std::string error;
    std::unique_ptr<CProjectTreeItem> item(CCommandTovrin_WriteFile::CreateDefault(error));
    auto* write = dynamic_cast<CCommandTovrin_WriteFile*>(item.get());
    ASSERT_NE(write, nullptr) << error;
    CDlgCmdTovrin_WriteFile page;
    page.SetItem(write);
    EXPECT_EQ(page.PathEdit()->text(), "NoFile.txt");
    EXPECT_FALSE(page.ViewButton()->isEnabled());
    EXPECT_TRUE(page.VerifyBox()->isChecked());
    ChooseFile(full, 1);
    page.BrowseButton()->click();
    EXPECT_EQ(write->GetFileName(), full);
    EXPECT_EQ(page.PathEdit()->text().toStdString(), write->GetRelativeFileName());
    EXPECT_NE(page.PathEdit()->text().toStdString(), full);
    EXPECT_TRUE(page.ViewButton()->isEnabled());
    // A cancelled choice changes nothing.
    SetOpenFileDialogHandler(nullptr);
    page.BrowseButton()->click();
    EXPECT_EQ(write->GetFileName(), full);
}

TEST_F(FilePages, ADetachedFilePageIgnoresItsButtons) {
    CDlgCmdDravik_ProgramFile page;
    ChooseFile(Touch("x.txt"), 1);
    page.BrowseButton()->click();
    page.ViewButton()->click();
    EXPECT_TRUE(viewed.empty());
    EXPECT_EQ(modifiedCount, 0);
}

}  // namespace
}  // namespace kv::ui::testing
