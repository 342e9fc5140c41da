// A realistic project file, written as the program saves it, read back element by element.
#include <gtest/gtest.h>

#include "caprel/caprel.h"
#include "project_file.h"
#include "test_files.h"

namespace {

using caprel_test::Attribute;
using caprel_test::ChildNames;
using caprel_test::LastError;
using caprel_test::Lines;
using caprel_test::Name;
using caprel_test::OpenText;
using Texts = std::vector<std::string>;

std::string Commands() {
    return "<Comment \n"
           ">Production run for the sensor board\n"
           "programs and verifies the image</Comment >\n"
           "<Dravik_Open \n"
           "\tdwVCC=\"3300\"\n"
           "></Dravik_Open >\n"
           "<Dravik_Erase \n"
           "\tdwEraseType=\"ERASE_MAIN\"\n"
           "\tdwSegment=\"0x0000FC00\"\n"
           "\tdwLength=\"0x00000200\"\n"
           "></Dravik_Erase >\n"
           "<Dravik_ProgramFile \n"
           "\tstrFileName=\".\\images\\sensor.txt\"\n"
           "\tnFileType=\"TI_TXT\"\n"
           "\tbVerifyMem=\"TRUE\"\n"
           "></Dravik_ProgramFile >\n"
           "<Delay \n"
           "\tdwDelay=\"500\"\n"
           ">Settle</Delay >\n"
           "<Dravik_Close \n"
           "\tbVccOff=\"FALSE\"\n"
           "></Dravik_Close >\n";
}

std::string Project() {
    return caprel_test::ProjectHeaderAndDtd() + caprel_test::ProjectRootStart("Sensor board") +
           Commands() + caprel_test::ProjectRootEnd();
}

std::string WithCrLf(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

class ProjectFile : public ::testing::TestWithParam<bool> {
  protected:
    void SetUp() override {
        const std::string text = GetParam() ? WithCrLf(Project()) : Project();
        ASSERT_EQ(OpenText(text), 1) << LastError();
    }
    void TearDown() override { Close_Caprel(); }
};

TEST_P(ProjectFile, RootCarriesTheFileVersionAndProject) {
    const int32_t root = GetRootElement_Caprel();
    EXPECT_EQ(Name(root), "ProjectKelvane");
    EXPECT_EQ(Attribute(root, "nFileVersion"), "2");
    EXPECT_EQ(Attribute(root, "nFileSubVersion"), "0");
    EXPECT_EQ(Attribute(root, "strName"), "Sensor board");
    EXPECT_EQ(Attribute(root, "strTargetProcessor"), "MSP430F169");
    EXPECT_EQ(Attribute(root, "dwVCC"), "3300");
    EXPECT_EQ(ChildNames(root), (Texts{"CommandList"}));
}

TEST_P(ProjectFile, CommandsReadBackInOrderWithTheirParameters) {
    const int32_t list = GetFirstNamedChildElement_Caprel(GetRootElement_Caprel(), "CommandList");
    ASSERT_NE(list, -1);
    EXPECT_EQ(ChildNames(list), (Texts{"Comment", "Dravik_Open", "Dravik_Erase",
                                       "Dravik_ProgramFile", "Delay", "Dravik_Close"}));
    int32_t command = GetFirstChildElement_Caprel(list);
    EXPECT_EQ(Lines(command),
              (Texts{"Production run for the sensor board", "programs and verifies the image"}));
    command = GetNextChildElement_Caprel(list, command);
    EXPECT_EQ(Attribute(command, "dwVCC"), "3300");
    EXPECT_EQ(Lines(command), (Texts{""}));
    command = GetNextChildElement_Caprel(list, command);
    EXPECT_EQ(Attribute(command, "dwEraseType"), "ERASE_MAIN");
    EXPECT_EQ(Attribute(command, "dwSegment"), "0x0000FC00");
    EXPECT_EQ(Attribute(command, "dwLength"), "0x00000200");
    command = GetNextChildElement_Caprel(list, command);
    EXPECT_EQ(Attribute(command, "strFileName"), ".\\images\\sensor.txt");
    EXPECT_EQ(Attribute(command, "nFileType"), "TI_TXT");
    EXPECT_EQ(Attribute(command, "bVerifyMem"), "TRUE");
    command = GetNextChildElement_Caprel(list, command);
    EXPECT_EQ(Attribute(command, "dwDelay"), "500");
    EXPECT_EQ(Lines(command), (Texts{"Settle"}));
    command = GetNextChildElement_Caprel(list, command);
    EXPECT_EQ(Attribute(command, "bVccOff"), "FALSE");
    EXPECT_EQ(GetNextChildElement_Caprel(list, command), -1);
}

INSTANTIATE_TEST_SUITE_P(LineEnds, ProjectFile, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& param) {
                             return param.param ? "CrLf" : "Lf";
                         });

TEST(ProjectFileValidation, CommandWithoutARequiredParameterIsRefused) {
    const std::string text = caprel_test::ProjectHeaderAndDtd() +
                             caprel_test::ProjectRootStart("Broken") +
                             "<Dravik_Open \n></Dravik_Open >\n" + caprel_test::ProjectRootEnd();
    EXPECT_EQ(OpenText(text), 0);
    EXPECT_EQ(LastError(), "Element Dravik_Open missing required attribute value dwVCC");
}

TEST(ProjectFileValidation, EmptyCommandListOpens) {
    ASSERT_EQ(OpenText(caprel_test::ProjectHeaderAndDtd() + caprel_test::ProjectRootStart("Empty") +
                       caprel_test::ProjectRootEnd()),
              1);
    const int32_t list = GetFirstNamedChildElement_Caprel(GetRootElement_Caprel(), "CommandList");
    EXPECT_EQ(GetFirstChildElement_Caprel(list), -1);
    Close_Caprel();
}

}  // namespace
