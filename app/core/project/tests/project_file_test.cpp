// The project file: a byte-exact round trip, the generated DTD, the version
// checks and saves that fail.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "caprel/caprel.h"
#include "kelvane/app/app_message_box.h"
#include "kelvane/app/path_functions.h"
#include "kelvane/core/array_prg_processor.h"
#include "kelvane/platform/message_box.h"
#include "kelvane/project/prg_project.h"
#include "project_test_support.h"

namespace kv::testing {
namespace {

const std::string kDataDir = std::string(KELVANE_SOURCE_TEST_DIR) + "/data/";

class ProjectFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        GetCurrentDirectoryString(startDir_);
        UnregisterCommandClasses();
        RegisterCommandListOf(ReadText(kDataDir + "board.kvnset"));
        RegisterArgsCommands({"Dravik_Open", "Dravik_Close"});
        SetDocumentModifiedHandler([this](int modified) { marks.push_back(modified); });
    }
    void TearDown() override {
        SetDocumentModifiedHandler({});
        UnregisterCommandClasses();
        FailingCommands().clear();
        std::string error;
        SetCurrentDirectoryChecked(startDir_, error);
    }
    std::string startDir_;
    TempFolder folder;
    std::vector<int> marks;
};

TEST_F(ProjectFileTest, LoadAndSaveReproduceTheHandWrittenFileByteForByte) {
    const std::string original = ReadText(kDataDir + "board.kvnset");
    ASSERT_FALSE(original.empty());
    WriteText(folder.File("board.kvnset"), original);
    CPrgProject project;
    ASSERT_TRUE(project.Open(folder.File("board.kvnset"))) << project.GetLastError();
    EXPECT_EQ(project.GetName(), "Board rev C");
    EXPECT_EQ(project.GetTargetProcessorName(), "MSP430F149");
    EXPECT_EQ(project.GetVcc(), 3000u);
    EXPECT_EQ(Describe(project.GetCommandList()),
              (std::vector<std::string>{"Dravik_Open(0xBB8)", "Dravik_Close(0x1)"}));
    ASSERT_NE(project.GetProcessorItem(), nullptr);
    ASSERT_TRUE(project.Save(folder.File("copy.kvnset"))) << project.GetLastError();
    EXPECT_EQ(ReadText(folder.File("copy.kvnset")), original);
    // Saving under a new path makes its folder current and keeps the path.
    EXPECT_EQ(project.GetPath(), folder.File("copy.kvnset"));
    std::string current;
    GetCurrentDirectoryString(current);
    EXPECT_EQ(current, folder.Path());
}

TEST_F(ProjectFileTest, EveryRegisteredClassIsDeclaredEvenForAnEmptyList) {
    RegisterArgsCommands({"Delay", "Tovrin_LoadPC"});
    CPrgProject project;
    ASSERT_TRUE(project.Save(folder.File("empty.kvnset")));
    const std::string text = ReadText(folder.File("empty.kvnset"));
    for (const char* name : {"Delay", "Tovrin_LoadPC", "Dravik_Open", "Dravik_Close"}) {
        EXPECT_NE(text.find("\t<!ELEMENT " + std::string(name) + " EMPTY >\n"), std::string::npos)
            << name;
        EXPECT_NE(
            text.find("\t<!ATTLIST " + std::string(name) + "\n\t\tstrArgs CDATA #REQUIRED\n\t>\n"),
            std::string::npos)
            << name;
    }
    // Declarations follow the file format's order, in which the program
    // registers its classes, not the order their classes were filled in.
    EXPECT_LT(text.find("<!ELEMENT Delay"), text.find("<!ELEMENT Dravik_Close"));
    EXPECT_LT(text.find("<!ELEMENT Dravik_Open"), text.find("<!ELEMENT Tovrin_LoadPC"));
    EXPECT_NE(text.find("<CommandList \n>\n</CommandList >\n</ProjectKelvane >\n"),
              std::string::npos);
    // A new project's defaults.
    EXPECT_NE(text.find("\tstrTargetProcessor=\"MSP430F169\"\n\tdwVCC=\"3300\"\n"),
              std::string::npos);
}

std::string Root(const std::string& attributes, const std::string& children = "") {
    return "<?xml version=\"1.0\" standalone=\"yes\" ?>\n<ProjectKelvane " + attributes + ">\n" +
           children + "</ProjectKelvane >\n";
}

TEST_F(ProjectFileTest, VersionsOtherThanOneAndTwoAreRefused) {
    WriteText(folder.File("v3.kvnset"),
              Root("nFileVersion=\"3\" strName=\"x\" strTargetProcessor=\"y\" dwVCC=\"1\""));
    CPrgProject project;
    EXPECT_FALSE(project.Open(folder.File("v3.kvnset")));
    EXPECT_EQ(project.GetLastError(),
              "Unrecognized file version 3 (element ProjectKelvane on line 2)");
    EXPECT_EQ(project.GetProcessorItem(), nullptr);
    EXPECT_FALSE(IsOpen_Caprel());
}

TEST_F(ProjectFileTest, AFileWithoutCommandListFailsAndOtherChildrenAreIgnored) {
    // A project without its command list would run nothing and report success.
    WriteText(folder.File("bare.kvnset"),
              Root("nFileVersion=\"2\" strName=\"Bare\" strTargetProcessor=\"MSP430F149\" "
                   "dwVCC=\"2500\"",
                   "<Other />\n"));
    CPrgProject project;
    EXPECT_FALSE(project.Open(folder.File("bare.kvnset")));
    EXPECT_EQ(project.GetLastError(), "Project 'Bare' has no CommandList element");

    WriteText(folder.File("other.kvnset"),
              Root("nFileVersion=\"2\" strName=\"Other\" strTargetProcessor=\"MSP430F149\" "
                   "dwVCC=\"2500\"",
                   "<Other />\n<CommandList>\n</CommandList>\n"));
    ASSERT_TRUE(project.Open(folder.File("other.kvnset"))) << project.GetLastError();
    EXPECT_EQ(project.GetCommandList()->GetCommands().GetSize(), 0);
    EXPECT_EQ(project.GetVcc(), 2500u);
}

TEST_F(ProjectFileTest, AMissingRootAttributeOrUnknownCommandFailsTheOpen) {
    WriteText(folder.File("novcc.kvnset"),
              Root("nFileVersion=\"2\" strName=\"A\" strTargetProcessor=\"B\""));
    std::string error;
    EXPECT_EQ(OpenProject(folder.File("novcc.kvnset"), error), nullptr);
    EXPECT_EQ(error.rfind("Unable to open project " + folder.File("novcc.kvnset") + "\n", 0), 0u)
        << error;
    EXPECT_NE(error.find("dwVCC"), std::string::npos) << error;

    WriteText(folder.File("neither.kvnset"), Root("strName=\"A\""));
    CPrgProject project;
    EXPECT_FALSE(project.Open(folder.File("neither.kvnset")));
    EXPECT_NE(project.GetLastError().find("Name"), std::string::npos) << project.GetLastError();
}

TEST_F(ProjectFileTest, OpenProjectRecordsTheLastFileAndVcc) {
    WriteText(folder.File("board.kvnset"), ReadText(kDataDir + "board.kvnset"));
    std::string error;
    CPrgProject* project = OpenProject(folder.File("board.kvnset"), error);
    ASSERT_NE(project, nullptr) << error;
    EXPECT_EQ(GetLastDocSettings().lastVcc, 3000);
    EXPECT_EQ(GetLastDocSettings().lastOpenedFile, folder.File("board.kvnset"));
    delete project;
}

TEST_F(ProjectFileTest, ASaveThatFailsLeavesThePreviousFile) {
    const std::string original = ReadText(kDataDir + "board.kvnset");
    WriteText(folder.File("board.kvnset"), original);
    CPrgProject project;
    ASSERT_TRUE(project.Open(folder.File("board.kvnset")));
    // A value the reader could not load again is refused by the writer.
    dynamic_cast<ArgsCommand*>(project.GetCommandList()->GetCommands().GetAt(1))->args = "a\"b";
    EXPECT_FALSE(project.Save(folder.File("board.kvnset")));
    EXPECT_NE(project.GetLastError().find("strArgs"), std::string::npos);
    EXPECT_EQ(ReadText(folder.File("board.kvnset")), original);
}

TEST_F(ProjectFileTest, AFileThatCannotBeCreatedIsReported) {
    CPrgProject project;
    ScriptedBoxes boxes;
    const std::string path = folder.File("gone/board.kvnset");
    EXPECT_FALSE(project.Save(path));
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0], "Couldn't save the project file:\n" + path);
    EXPECT_FALSE(FileExists(path));
}

TEST_F(ProjectFileTest, AReadOnlyFileIsNotReplacedAndTheUserIsTold) {
    const std::string original = ReadText(kDataDir + "board.kvnset");
    WriteText(folder.File("board.kvnset"), original);
    CPrgProject project;
    ASSERT_TRUE(project.Open(folder.File("board.kvnset")));
    ::chmod(folder.File("board.kvnset").c_str(), 0444);
    if (::access(folder.File("board.kvnset").c_str(), W_OK) == 0) GTEST_SKIP() << "running as root";
    ScriptedBoxes boxes;
    EXPECT_FALSE(project.Save(folder.File("board.kvnset")));
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0], "Couldn't save the project file:\n" + folder.File("board.kvnset"));
    EXPECT_EQ(ReadText(folder.File("board.kvnset")), original);
}

TEST_F(ProjectFileTest, SettersMarkTheDocumentOnlyForChanges) {
    CPrgProject project;
    project.SetName("");
    project.SetTargetProcessorName("MSP430F169");
    project.SetVcc(3300);
    EXPECT_TRUE(marks.empty());
    project.SetName("New");
    project.SetTargetProcessorName("MSP430F149");
    project.SetVcc(3000);
    EXPECT_EQ(marks, (std::vector<int>{1, 1, 1}));
}

TEST_F(ProjectFileTest, CurrentProjectAccessors) {
    std::string error;
    SetCurrentProject(nullptr);
    EXPECT_EQ(GetCurrentProcessor(error), nullptr);
    EXPECT_EQ(error, "Unable to get NULL current project");
    EXPECT_EQ(GetCurrentAddressDigits(), 4);
    CPrgProject project;
    project.SetTargetProcessorName("NoSuchChip");
    SetCurrentProject(&project);
    DestroyProcessorTable();
    EXPECT_EQ(GetCurrentProcessor(error), nullptr);
    EXPECT_EQ(error, "Unable to get current processor from NULL table");
    ASSERT_TRUE(LoadProcessorTable(std::string(KELVANE_BIN_DIR) + "/ProcessorList.xml"));
    EXPECT_EQ(GetCurrentProcessor(error), nullptr);
    EXPECT_EQ(error, "Unable to find processor 'NoSuchChip'");
    project.SetTargetProcessorName("MSP430F149");
    EXPECT_NE(GetCurrentProcessor(error), nullptr);
    EXPECT_EQ(GetCurrentCommandList(error), project.GetCommandList());
    SetCurrentProject(nullptr);
    DestroyProcessorTable();
}

TEST_F(ProjectFileTest, PopulateTreeInsertsTheRootItemsThenTheCommands) {
    WriteText(folder.File("board.kvnset"), ReadText(kDataDir + "board.kvnset"));
    CPrgProject project;
    ASSERT_TRUE(project.Open(folder.File("board.kvnset")));
    FakeTree tree;
    ASSERT_TRUE(project.PopulateTree(&tree)) << project.GetLastError();
    const std::vector<std::string> roots = tree.Texts(kTreeRoot);
    ASSERT_EQ(roots.size(), 4u);
    EXPECT_NE(roots[0].find("Board rev C"), std::string::npos) << roots[0];
    EXPECT_EQ(tree.Texts(project.GetCommandList()->GetTreeHandle()).size(), 2u);
    EXPECT_FALSE(project.PopulateTree(nullptr));
    EXPECT_EQ(project.GetLastError(), "Unable to populate NULL tree");
}

}  // namespace
}  // namespace kv::testing
