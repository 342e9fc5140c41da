// The pod file commands: relative names, persistence, browsing, and a
// production run end to end on the simulated pod and F149.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "command_test_support.h"
#include "kelvane/commands/current_project.h"
#include "kelvane/commands/dravik_close.h"
#include "kelvane/commands/dravik_erase.h"
#include "kelvane/commands/dravik_identify.h"
#include "kelvane/commands/dravik_open.h"
#include "kelvane/commands/dravik_program_file.h"
#include "kelvane/commands/dravik_read_processor_to_file.h"
#include "kelvane/commands/dravik_read_range_to_file.h"
#include "kelvane/commands/dravik_verify_file.h"
#include "kelvane/commands/file_dialog.h"
#include "kelvane/commands/file_paths.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/sim/chip.h"

namespace kv::testing {
namespace {

namespace fs = std::filesystem;

class FileCommands : public CommandTest {
  protected:
    void SetUp() override {
        CommandTest::SetUp();
        root = fs::path(Path("file_commands"));
        fs::remove_all(root);
        fs::create_directories(root / "proj" / "images");
        fs::create_directories(root / "other");
        projectFile = (root / "proj" / "board.kvnset").string();
        SetCommandProject(&project, projectFile);
    }
    void TearDown() override {
        SetOpenFileDialogHandler(nullptr);
        CommandTest::TearDown();
    }

    std::string Under(const std::string& relative) const { return (root / relative).string(); }
    static std::string Read(const std::string& path) {
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    std::unique_ptr<CProjectTreeItem> LoadElement(const std::string& name,
                                                  const std::string& attributes,
                                                  std::string& error) {
        return Load("<?xml version=\"1.0\" standalone=\"yes\" ?>\n<!DOCTYPE " + name + "\n[\n" +
                        Declarations(name) + "]>\n<" + name + " \n" + attributes + "></" + name +
                        " >\n",
                    error);
    }

    fs::path root;
    std::string projectFile;
};

TEST(FilePaths, RelativeToTheReferenceFolder) {
    EXPECT_EQ(MakeRelativeFilePath("/a/b/app.txt", "/a/b/board.kvnset"), "./app.txt");
    EXPECT_EQ(MakeRelativeFilePath("/a/b/img/app.txt", "/a/b/board.kvnset"), "./img/app.txt");
    EXPECT_EQ(MakeRelativeFilePath("/a/app.txt", "/a/b/board.kvnset"), "../app.txt");
    EXPECT_EQ(MakeRelativeFilePath("/a/c/app.txt", "/a/b/d/board.kvnset"), "../../c/app.txt");
    EXPECT_EQ(MakeRelativeFilePath("/a/B/app.txt", "/a/b/board.kvnset"), "../B/app.txt")
        << "folder names differing in case are different";
    EXPECT_EQ(MakeRelativeFilePath("/x/app.txt", "/a/b/board.kvnset"), "/x/app.txt");
    EXPECT_EQ(MakeAbsoluteFilePath("/a/b/board.kvnset", "./img/app.txt"), "/a/b/img/app.txt");
    EXPECT_EQ(MakeAbsoluteFilePath("/a/b/board.kvnset", "..\\img\\app.txt"), "/a/img/app.txt");
    EXPECT_EQ(MakeAbsoluteFilePath("/a/b/board.kvnset", "/c/app.txt"), "/c/app.txt");
    EXPECT_EQ(GetFileTitleNoExtension("/a/b/app.rev2.txt"), "app.rev2");
}

TEST_F(FileCommands, DeclarationsAndPrototypes) {
    EXPECT_EQ(Declarations("Dravik_ProgramFile"),
              "\t<!ELEMENT Dravik_ProgramFile EMPTY >\n\t<!ATTLIST Dravik_ProgramFile\n"
              "\t\tstrFileName CDATA #REQUIRED\n"
              "\t\tnFileType (FILETYPE_TI_TXT|FILETYPE_INTEL_HEX) #REQUIRED\n"
              "\t\tbVerifyMem (FALSE|TRUE) #REQUIRED\n\t>\n");
    EXPECT_EQ(Declarations("Dravik_ReadRangeToFile"),
              "\t<!ELEMENT Dravik_ReadRangeToFile EMPTY >\n\t<!ATTLIST Dravik_ReadRangeToFile\n"
              "\t\tstrFileName CDATA #REQUIRED\n"
              "\t\tnFileType (FILETYPE_TI_TXT|FILETYPE_INTEL_HEX) #REQUIRED\n"
              "\t\tdwAddress CDATA #REQUIRED\n\t\tdwLength CDATA #REQUIRED\n\t>\n");
    EXPECT_EQ(Declarations("Dravik_VerifyFile"),
              "\t<!ELEMENT Dravik_VerifyFile EMPTY >\n\t<!ATTLIST Dravik_VerifyFile\n"
              "\t\tstrFileName CDATA #REQUIRED\n"
              "\t\tnFileType (FILETYPE_TI_TXT|FILETYPE_INTEL_HEX) #REQUIRED\n\t>\n");

    std::string error;
    std::unique_ptr<CCommandDravik_ProgramFile> program(
        CCommandDravik_ProgramFile::CreateDefault(error));
    EXPECT_EQ(program->GetTreeLabel(), "Program File 'NoFile'");
    EXPECT_EQ(program->GetVerifyMem(), 1);
    EXPECT_EQ(program->GetFullPath(), Under("proj/NoFile.txt"));
    EXPECT_EQ(program->GetImage(), 25);
    std::unique_ptr<CCommandDravik_VerifyFile> verify(
        CCommandDravik_VerifyFile::CreateDefault(error));
    EXPECT_EQ(verify->GetTreeLabel(), "Verify File 'NoFile'");
    EXPECT_EQ(verify->GetDescription(), "Verify target flash with file");
    std::unique_ptr<CCommandDravik_ReadProcessorToFile> chip(
        CCommandDravik_ReadProcessorToFile::CreateDefault(error));
    EXPECT_EQ(chip->GetTreeLabel(), "Read Chip to 'NoReadFile'");
    EXPECT_EQ(chip->GetProgressUnits(), 4);
    std::unique_ptr<CCommandDravik_ReadRangeToFile> range(
        CCommandDravik_ReadRangeToFile::CreateDefault(error));
    EXPECT_EQ(range->GetTreeLabel(), "Read Range to 'NoReadFile'");
    EXPECT_EQ(range->GetProgressUnits(), 3);
    EXPECT_EQ(range->GetDisplayName(), "Read Range To File");
    EXPECT_NE(Save(*range, nullptr, projectFile)
                  .find("<Dravik_ReadRangeToFile \n\tstrFileName=\"./NoReadFile.txt\"\n"
                        "\tnFileType=\"FILETYPE_TI_TXT\"\n\tdwAddress=\"65504\"\n"
                        "\tdwLength=\"32\"\n></Dravik_ReadRangeToFile >\n"),
              std::string::npos)
        << "saved beside the project file";
}

TEST_F(FileCommands, NamesFollowTheProjectFileWhenSavedElsewhere) {
    std::string error;
    std::unique_ptr<CCommandDravik_ProgramFile> program(
        CCommandDravik_ProgramFile::Create(error, ".\\images\\app.txt", "FILETYPE_TI_TXT", 1));
    ASSERT_NE(program, nullptr) << error;
    EXPECT_EQ(program->GetFullPath(), Under("proj/images/app.txt"));
    EXPECT_EQ(program->GetTreeLabel(), "Program File 'app'");
    Save(*program, nullptr, projectFile);
    EXPECT_EQ(program->GetFileName(), "./images/app.txt");

    const std::string saved = Save(*program, nullptr, Under("other/board.kvnset"));
    EXPECT_NE(saved.find("<Dravik_ProgramFile \n\tstrFileName=\"../proj/images/app.txt\"\n"
                         "\tnFileType=\"FILETYPE_TI_TXT\"\n\tbVerifyMem=\"TRUE\"\n"
                         "></Dravik_ProgramFile >\n"),
              std::string::npos)
        << saved;
    EXPECT_EQ(program->GetFullPath(), Under("proj/images/app.txt"));

    // Read back as the project in the other folder.
    SetCommandProject(&project, Under("other/board.kvnset"));
    auto loaded = Load(saved, error);
    ASSERT_NE(loaded, nullptr) << error;
    EXPECT_EQ(static_cast<CCommandDravik_ProgramFile*>(loaded.get())->GetFullPath(),
              Under("proj/images/app.txt"));
}

TEST_F(FileCommands, AChosenPathIsKeptFullOnlyUntilSaved) {
    std::string error;
    std::unique_ptr<CCommandDravik_VerifyFile> verify(
        CCommandDravik_VerifyFile::Create(error, "app.txt", "FILETYPE_TI_TXT"));
    int marks = 0;
    auto previous = SetDocumentModifiedHandler([&](int modified) { marks += modified; });
    verify->SetFileName(Under("proj/images/new.txt"));
    EXPECT_EQ(verify->GetFileName(), "./images/new.txt");
    verify->SetKeepFullPath();
    verify->SetFileName(Under("other/kept.txt"));
    EXPECT_EQ(verify->GetFileName(), Under("other/kept.txt"));
    EXPECT_EQ(verify->GetTreeLabel(), "Verify File 'kept'");
    SetDocumentModifiedHandler(previous);
    EXPECT_EQ(marks, 2);
    Save(*verify, nullptr, projectFile);
    EXPECT_EQ(verify->GetFileName(), "../other/kept.txt");
    EXPECT_FALSE(verify->GetKeepFullPath());
    EXPECT_EQ(verify->SetFileType(3), 0);
    EXPECT_EQ(verify->GetLastError(), "Unrecognized read file type 3");
}

TEST_F(FileCommands, AttributesAreReadAsWritten) {
    std::string error;
    auto range = LoadElement("Dravik_ReadRangeToFile",
                             "\tstrFileName=\"out.hex\"\n\tnFileType=\"FILETYPE_INTEL_HEX\"\n"
                             "\tdwAddress=\"0xFFE0\"\n\tdwLength=\"16\"\n",
                             error);
    // The address is decimal: its hexadecimal form is refused, not read as 0.
    EXPECT_EQ(range, nullptr);
    EXPECT_EQ(error,
              "Unable to convert dwAddress value 0xFFE0 to DWORD: characters follow the number "
              "(element Dravik_ReadRangeToFile on line 12); expected a decimal number");
    range = LoadElement("Dravik_ReadRangeToFile",
                        "\tstrFileName=\"out.hex\"\n\tnFileType=\"FILETYPE_INTEL_HEX\"\n"
                        "\tdwAddress=\"65504\"\n\tdwLength=\"16\"\n",
                        error);
    ASSERT_NE(range, nullptr) << error;
    auto* command = static_cast<CCommandDravik_ReadRangeToFile*>(range.get());
    EXPECT_EQ(command->GetAddress(), 0xFFE0u);
    EXPECT_EQ(command->GetLength(), 16u);
    EXPECT_EQ(command->GetFileType(), 2);

    EXPECT_EQ(LoadElement("Dravik_VerifyFile",
                          "\tstrFileName=\"out.hex\"\n\tnFileType=\"FILETYPE_BINARY\"\n", error),
              nullptr);
    EXPECT_FALSE(error.empty());
    auto program =
        LoadElement("Dravik_ProgramFile",
                    "\tstrFileName=\"a.txt\"\n\tnFileType=\"1\"\n\tbVerifyMem=\"FALSE\"\n", error);
    ASSERT_NE(program, nullptr) << error;
    EXPECT_EQ(static_cast<CCommandDravik_ProgramFile*>(program.get())->GetVerifyMem(), 0);
}

TEST_F(FileCommands, BrowsingChoosesNameAndType) {
    std::string error;
    std::unique_ptr<CCommandDravik_ProgramFile> program(
        CCommandDravik_ProgramFile::Create(error, "app.txt", "FILETYPE_TI_TXT", 1));
    OpenFileDialogRequest seen;
    int filter = 2;
    SetOpenFileDialogHandler(
        [&](const OpenFileDialogRequest& request, OpenFileDialogResult& result) {
            seen = request;
            result.path = Under("proj/images/board.hex");
            result.filterIndex = filter;
            return true;
        });
    EXPECT_EQ(program->BrowseFile(nullptr, true), 1);
    EXPECT_EQ(seen.title, "Browse Target File");
    EXPECT_EQ(seen.filter, "TI Text Files (*.txt)|*.txt|Intel Hex Files (*.hex)|*.hex||");
    EXPECT_EQ(seen.filterIndex, 1);
    EXPECT_TRUE(seen.mustExist);
    EXPECT_EQ(program->GetFileType(), 2);
    EXPECT_EQ(program->GetFileName(), "./images/board.hex");

    filter = 3;
    EXPECT_EQ(program->BrowseFile(nullptr, true), 0);
    EXPECT_EQ(boxes, std::vector<std::string>{"Unrecognized file type"});
}

TEST_F(FileCommands, BrowsingFromAVanishedFolderProposesTheCurrentOne) {
    std::string error;
    std::unique_ptr<CCommandDravik_ProgramFile> program(
        CCommandDravik_ProgramFile::Create(error, "gone/app.txt", "FILETYPE_TI_TXT", 1));
    setMessageBoxHandler([&](const std::string& text, const std::string&, unsigned) {
        boxes.push_back(text);
        return kIdNo;
    });
    EXPECT_EQ(program->BrowseFile(nullptr, true), 0);
    ASSERT_EQ(boxes.size(), 1u);
    std::string current = fs::current_path().string();
    EXPECT_EQ(boxes[0], "Invalid path for file:\n\n" + Under("proj/gone/app.txt") +
                            "\n\nOK to use:\n\n" + current + "/app.txt\n\n?");
    EXPECT_EQ(program->GetFileName(), "gone/app.txt") << "No keeps the old name";
}

// Open, identify the F149, erase, program a TI-TXT file, verify it, read it
// out to files, close.
TEST_F(FileCommands, ProgramsVerifiesAndReadsTheChip) {
    auto pod = Plug();
    const std::string image = Under("proj/images/app.txt");
    std::ofstream(image) << "@1100\n31 40 00 0A 3F 40 34 12\n@FFFE\n00 11\nq\n";
    std::string error;
    ASSERT_EQ(
        Run({CCommandDravik_Open::Create(error, 3000), CCommandDravik_Identify::Create(error, 0),
             CCommandDravik_Erase::Create(error, "ERASE_ALL", 0, 0),
             CCommandDravik_ProgramFile::Create(error, "./images/app.txt", "FILETYPE_INTEL_HEX", 1),
             CCommandDravik_VerifyFile::Create(error, "./images/app.txt", "FILETYPE_TI_TXT"),
             CCommandDravik_ReadRangeToFile::Create(error, "range.txt", "FILETYPE_TI_TXT", 0x1100,
                                                    8),
             CCommandDravik_ReadProcessorToFile::Create(error, "chip.hex", "FILETYPE_INTEL_HEX"),
             CCommandDravik_Close::Create(error, 1)}),
        1)
        << runError;
    EXPECT_EQ(pod->chip()->peek16(0xFFFE), 0x1100);
    EXPECT_EQ(Read(Under("proj/range.txt")), "@1100\n31 40 00 0A 3F 40 34 12 \nq\n");
    const std::string chip = Read(Under("proj/chip.hex"));
    EXPECT_NE(chip.find(":101100003140000A3F403412FFFFFFFFFFFFFFFF"), std::string::npos)
        << chip.substr(0, 200);
    EXPECT_NE(chip.find(":10FFF000FFFFFFFFFFFFFFFFFFFFFFFFFFFF0011"), std::string::npos);
    EXPECT_EQ(log.Text(),
              "\nOpen JTAG: 3.0v OK\nIdentify Target: Detected device MSP430F149 OK\n"
              "Mass Erase: OK\nProgram File 'app': " +
                  image + " OK\nVerify File 'app': " + image +
                  " OK\nRead Range to 'range': \nReading at 0x00001100, length 0x00000008\n"
                  "Writing file " +
                  Under("proj/range.txt") +
                  " OK\nRead Chip to 'chip': \nReading info memory\nReading main memory\n"
                  "Writing file " +
                  Under("proj/chip.hex") + " OK\nClose JTAG: OK\n");
    EXPECT_EQ(runVcc, 0u);
}

TEST_F(FileCommands, AFileThatDiffersFailsVerification) {
    Plug();
    const std::string image = Under("proj/images/app.txt");
    std::ofstream(image) << "@1100\n31 40 00 0A\nq\n";
    std::string error;
    ASSERT_EQ(
        Run({CCommandDravik_Open::Create(error, 3000), CCommandDravik_Identify::Create(error, 0),
             CCommandDravik_Erase::Create(error, "ERASE_ALL", 0, 0),
             CCommandDravik_VerifyFile::Create(error, "./images/app.txt", "FILETYPE_TI_TXT"),
             CCommandDravik_Close::Create(error, 1)}),
        0);
    EXPECT_EQ(runError.rfind("Unable to perform VerifyFile (", 0), 0u) << runError;
}

TEST_F(FileCommands, AFailedReadWritesNoFile) {
    Plug("");
    std::string error;
    ASSERT_EQ(Run({CCommandDravik_ReadRangeToFile::Create(error, "range.txt", "FILETYPE_TI_TXT",
                                                          0x1100, 8)}),
              0);
    EXPECT_FALSE(fs::exists(Under("proj/range.txt")));
    EXPECT_EQ(runError.rfind("Unable to perform ReadMemory (", 0), 0u) << runError;
}

TEST_F(FileCommands, WithoutPodOrProcessor) {
    std::string error;
    CExecuteParams params;
    std::unique_ptr<CCommandDravik_ReadProcessorToFile> chip(
        CCommandDravik_ReadProcessorToFile::CreateDefault(error));
    EXPECT_EQ(chip->OnExecute(&params), 0);
    EXPECT_EQ(chip->GetLastError(),
              "NULL Dravik during CCommandDravik_ReadProcessorToFile::OnExecute");
    std::unique_ptr<CCommandDravik_ProgramFile> program(
        CCommandDravik_ProgramFile::CreateDefault(error));
    EXPECT_EQ(program->OnExecute(&params), 0);
    EXPECT_EQ(program->GetLastError(), "NULL Dravik during CCommandDravik_ProgramFile::OnExecute");
}

}  // namespace
}  // namespace kv::testing

namespace kv::testing {
namespace {

TEST_F(FileCommands, TheReadBuiltInsSetFileAndRange) {
    std::string error;
    std::unique_ptr<CCommandDravik_ReadRangeToFile> range(
        CCommandDravik_ReadRangeToFile::CreateDefault(error));
    ReadToFileCommand& role = *range;
    EXPECT_EQ(role.SetReadFile(Under("other/out.hex"), 3), 0);
    EXPECT_EQ(range->GetLastError(), "Unrecognized read file type 3");
    EXPECT_EQ(role.SetReadFile(Under("other/out.hex"), 2), 1);
    EXPECT_EQ(range->GetFullPath(), Under("other/out.hex"));
    EXPECT_EQ(range->GetTreeLabel(), "Read Range to 'out'");
    EXPECT_EQ(role.SetReadRange(0x1000, 0x100), 1);
    EXPECT_EQ(range->GetAddress(), 0x1000u);
    EXPECT_EQ(range->GetLength(), 0x100u);

    std::unique_ptr<CCommandDravik_ReadProcessorToFile> chip(
        CCommandDravik_ReadProcessorToFile::CreateDefault(error));
    EXPECT_EQ(static_cast<ReadToFileCommand&>(*chip).SetReadRange(0, 1), 0);
    EXPECT_EQ(static_cast<ReadToFileCommand&>(*chip).GetProcessorReadUnits(f149), 4);
}

}  // namespace
}  // namespace kv::testing
