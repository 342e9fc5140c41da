#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "hex_test_support.h"
#include "kelvane/core/map_parameter_xml.h"
#include "kelvane/core/stdio_xml_file.h"

namespace kv {
namespace {

TEST(XmlWriterDtd, WritesHeaderAndDeclarations) {
    CStdioXMLFile file;
    CMapParameterXML types;
    types.AddKeyword("TI_TXT", 1);
    types.AddKeyword("INTEL_HEX", 2);
    CMapParameterXML empty;

    file.WriteHeader("ProjectKelvane");
    file.BeginElementDecl("ProjectKelvane");
    file.AddElementChild("CommandList", 0);
    file.EndElementDecl();
    file.BeginElementDecl("CommandList");
    file.AddElementChild("Comment", 1);
    file.AddElementChild("Dravik_Open", 2);
    file.EndElementDecl();
    file.DeclareEmptyElement("Dravik_Open");
    file.BeginElementDecl("Comment");
    file.EndElementDecl();
    file.BeginAttlist("Dravik_ProgramFile");
    file.DeclareCdataAttribute("strFileName", true);
    file.DeclareBoolAttribute("bVerifyMem", true);
    file.DeclareMapAttribute("nFileType", types, true);
    file.DeclareMapAttribute("nEmpty", empty, true);
    file.DeclareEnumAttribute("nIndex", 0, 3, true);
    file.DeclareChoiceAttribute("wMode", "A|B", true);
    file.DeclareCdataAttribute("strNote", false);
    file.DeclareBoolAttribute("bOption", false);
    file.EndAttlist();
    file.BeginAttlist("CommandList");
    file.EndAttlist();

    EXPECT_EQ(file.GetText(),
              "<?xml version=\"1.0\" standalone=\"yes\" ?>\n"
              "<!DOCTYPE ProjectKelvane\n"
              "[\n"
              "\t<!ELEMENT ProjectKelvane (\n"
              "\t\tCommandList)>\n"
              "\t<!ELEMENT CommandList (\n"
              "\t\tComment*,\n"
              "\t\tDravik_Open+)>\n"
              "\t<!ELEMENT Dravik_Open EMPTY >\n"
              "\t<!ELEMENT Comment >\n"
              "\t<!ATTLIST Dravik_ProgramFile\n"
              "\t\tstrFileName CDATA #REQUIRED\n"
              "\t\tbVerifyMem (FALSE|TRUE) #REQUIRED\n"
              "\t\tnFileType (TI_TXT|INTEL_HEX) #REQUIRED\n"
              "\t\tnEmpty CDATA #REQUIRED\n"
              "\t\tnIndex (0|1|2|3) #REQUIRED\n"
              "\t\twMode (A|B) #REQUIRED\n"
              "\t\tstrNote CDATA #IMPLIED\n"
              "\t\tbOption (FALSE|TRUE) #IMPLIED\n"
              "\t>\n"
              "\t<!ATTLIST CommandList\n"
              "\t>\n");
    EXPECT_EQ(file.GetLastError(), "No error");
}

TEST(XmlWriterDtd, RemembersDeclarationsUntilCleared) {
    CStdioXMLFile file;
    EXPECT_FALSE(file.IsElementDeclared("Delay"));
    file.DeclareEmptyElement("Delay");
    file.BeginAttlist("Dravik_Open");
    EXPECT_TRUE(file.IsElementDeclared("Delay"));
    EXPECT_FALSE(file.IsElementDeclared("delay"));
    EXPECT_FALSE(file.IsAttlistDeclared("Delay"));
    EXPECT_TRUE(file.IsAttlistDeclared("Dravik_Open"));
    file.ClearDeclarations();
    EXPECT_FALSE(file.IsElementDeclared("Delay"));
    EXPECT_FALSE(file.IsAttlistDeclared("Dravik_Open"));
}

TEST(XmlWriterElements, WritesTypedAttributes) {
    CStdioXMLFile file;
    file.OpenElement("Test", true);
    file.WriteAttribute("strName", "a&b <c>", true);
    file.WriteBoolAttribute("bOn", 5, true);
    file.WriteBoolAttribute("bOff", 0, true);
    file.WriteIntAttribute("nInt", -12, true);
    file.WriteLongAttribute("nLong", -2147483647 - 1, true);
    file.WriteWordDecimalAttribute("wDec", 0x1FFFF, true);
    file.WriteWordAttribute("wHex", 0x12345, true);
    file.WriteDwordDecimalAttribute("dwDec", 0xFFFFFFFF, true);
    file.WriteDwordDecimalAttribute("dwVCC", 3300, true);
    file.WriteDwordAttribute("dwHex", 0xF800, true);
    file.WriteDwordAttribute("dwAll", 0xABCDEF01, false);
    file.EndStartTag(false);
    file.CloseElement("Test", true);
    EXPECT_EQ(file.GetText(),
              "<Test \n"
              "\tstrName=\"a&b <c>\"\n"
              "\tbOn=\"TRUE\"\n"
              "\tbOff=\"FALSE\"\n"
              "\tnInt=\"-12\"\n"
              "\tnLong=\"-2147483648\"\n"
              "\twDec=\"65535\"\n"
              "\twHex=\"0x2345\"\n"
              "\tdwDec=\"-1\"\n"
              "\tdwVCC=\"3300\"\n"
              "\tdwHex=\"0x0000F800\"\n"
              "\tdwAll=\"0xABCDEF01\">"
              "</Test >\n");
}

TEST(XmlWriterElements, WritesMapKeywordsAndRefusesValuesWithoutOne) {
    CMapParameterXML methods;
    methods.AddKeyword("RESET_PUC", 0);
    methods.AddKeyword("RESET_RST", 0x10001);
    methods.AddKeyword("RESET_ALL", 0xFFFFFFFF);
    CStdioXMLFile file;
    EXPECT_EQ(file.WriteLongMapAttribute("nA", -1, methods, true), 1);
    EXPECT_EQ(file.WriteDwordMapAttribute("dwB", 0x10001, methods, true), 1);
    EXPECT_EQ(file.WriteWordMapAttribute("wC", 0x20000, methods, false), 1);
    EXPECT_EQ(file.GetText(), "\tnA=\"RESET_ALL\"\n\tdwB=\"RESET_RST\"\n\twC=\"RESET_PUC\"");

    const std::string before = file.GetText();
    EXPECT_EQ(file.WriteLongMapAttribute("nMethod", 7, methods, true), 0);
    EXPECT_EQ(file.GetLastError(), "Unable to store NULL XML LONG parameter for nMethod");
    EXPECT_EQ(file.WriteWordMapAttribute("wMethod", 0x10001, methods, true), 0);
    EXPECT_EQ(file.GetLastError(), "Unable to store NULL XML WORD parameter for wMethod");
    EXPECT_EQ(file.WriteDwordMapAttribute("dwMethod", 1, methods, true), 0);
    EXPECT_EQ(file.GetLastError(), "Unable to store NULL XML DWORD parameter for dwMethod");
    EXPECT_EQ(file.GetText(), before);
}

TEST(XmlWriterElements, RefusesWhatTheReaderCannotReadBack) {
    CStdioXMLFile file;
    EXPECT_EQ(file.WriteAttribute("strName", "say \"hi\"", true), 0);
    EXPECT_EQ(file.GetLastError(),
              "Unable to store XML attribute strName: its value contains '\"'");
    EXPECT_EQ(file.WriteText("a < b"), 0);
    EXPECT_EQ(file.GetLastError(), "Unable to store XML text containing '<'");
    EXPECT_EQ(file.GetText(), "");
    EXPECT_EQ(file.WriteText("a > b & c\n"), 1);
    EXPECT_EQ(file.WriteNewLine(), 1);
    EXPECT_EQ(file.GetText(), "a > b & c\n\n");
}

class XmlWriterFile : public ::testing::Test {
  protected:
    test::TempDir dir;
    std::string path = dir.path("project.kvnset");
};

TEST_F(XmlWriterFile, PutsTheFileInPlaceAtClose) {
    dir.write("project.kvnset", "previous");
    CStdioXMLFile file;
    ASSERT_EQ(file.Open(path), 1) << file.GetLastError();
    EXPECT_TRUE(file.IsOpen());
    file.OpenElement("Root", true);
    file.EndStartTag(false);
    file.CloseElement("Root", true);
    EXPECT_EQ(test::readFile(path), "previous");
    ASSERT_EQ(file.Close(), 1) << file.GetLastError();
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(test::readFile(path), "<Root \n></Root >\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path("")),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(XmlWriterFile, KeepsThePreviousFileWhenAWriteFailed) {
    dir.write("project.kvnset", "previous");
    CMapParameterXML empty;
    CStdioXMLFile file;
    ASSERT_EQ(file.Open(path), 1);
    file.OpenElement("Root", true);
    EXPECT_EQ(file.WriteDwordMapAttribute("dwType", 3, empty, true), 0);
    EXPECT_EQ(file.Close(), 0);
    EXPECT_EQ(file.GetLastError(), "Unable to store NULL XML DWORD parameter for dwType");
    EXPECT_EQ(test::readFile(path), "previous");

    ASSERT_EQ(file.Open(path), 1);
    file.WriteText("abandoned");
    file.Abort();
    EXPECT_EQ(test::readFile(path), "previous");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path("")),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(XmlWriterFile, KeepsTheModeOfAReplacedFile) {
    dir.write("project.kvnset", "previous");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    CStdioXMLFile file;
    ASSERT_EQ(file.Open(path), 1);
    file.WriteText("new");
    ASSERT_EQ(file.Close(), 1);
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST_F(XmlWriterFile, LeavesAReadOnlyFileAlone) {
    if (::geteuid() == 0) GTEST_SKIP() << "every file is writable for root";
    dir.write("project.kvnset", "previous");
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    CStdioXMLFile file;
    EXPECT_EQ(file.Open(path), 0);
    EXPECT_EQ(file.GetLastError(), "Unable to create " + path + ": Permission denied");
    EXPECT_EQ(test::readFile(path), "previous");
}

TEST_F(XmlWriterFile, ReportsFilesThatCannotBeCreated) {
    CStdioXMLFile file;
    const std::string missing = dir.path("no/such/folder.kvnset");
    EXPECT_EQ(file.Open(missing), 0);
    EXPECT_EQ(file.GetLastError(), "Unable to create " + missing + ": No such file or directory");
    EXPECT_EQ(file.Close(), 0);
    EXPECT_EQ(file.GetLastError(), "No XML file is open");
}

}  // namespace
}  // namespace kv
