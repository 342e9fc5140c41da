// A project file with a realistic command list, written with the generated DTD
// and read back command by command.
#include <gtest/gtest.h>

#include <algorithm>

#include "hex_test_support.h"
#include "kelvane/core/map_parameter_xml.h"
#include "kelvane/core/stdio_xml_file.h"
#include "kelvane/core/xml_reading.h"
#include "nandrel/nandrel.h"
#include "xml_test_support.h"

namespace kv {
namespace {

enum class Kind { Decimal, Hex, WordHex, Bool, String, Keyword };

struct Attribute {
    std::string name;
    Kind kind;
    std::uint32_t value = 0;
    std::string text = {};
    CMapParameterXML* map = nullptr;
};

struct Command {
    std::string element;
    std::vector<Attribute> attributes;
    bool empty = true;
    std::string text = {};
    std::vector<Command> children = {};
};

struct Maps {
    Maps() {
        booleans.AddBoolean();
        eraseTypes.AddKeyword("ERASE_ALL", NANDREL_ERASE_ALL);
        eraseTypes.AddKeyword("ERASE_MAIN", NANDREL_ERASE_MAIN);
        eraseTypes.AddKeyword("ERASE_SEGMENT", NANDREL_ERASE_SEGMENT);
        fileTypes.AddKeyword("FILETYPE_TI_TXT", 1);
        fileTypes.AddKeyword("FILETYPE_INTEL_HEX", 2);
        valueTypes.AddWord("BYTE", "Byte", 0);
        valueTypes.AddWord("BYTE_ASCII", "Byte and ASCII", 1);
        valueTypes.AddWord("ASCII", "ASCII", 2);
        valueTypes.AddWord("WORD", "Word", 3);
        valueTypes.AddWord("DWORD", "Double word", 4);
        boxTypes.AddWord("MB_OK", "OK", 0);
        boxTypes.AddWord("MB_OKCANCEL", "OK / Cancel", 1);
        boxTypes.AddWord("MB_YESNO", "Yes / No", 4);
    }
    CMapParameterXML booleans, eraseTypes, fileTypes, valueTypes, boxTypes;
};

std::vector<Command> CommandList(Maps& m) {
    Command item{"AnalysisItem",
                 {{"wType", Kind::Keyword, 1, "", &m.boxTypes},
                  {"wKey", Kind::WordHex, 0x0102},
                  {"dwScaleMax", Kind::Decimal, 0xFFFFFFFF}},
                 true,
                 "Voltage out of range"};
    return {
        {"Dravik_Open", {{"dwVCC", Kind::Decimal, 3000}}},
        {"Dravik_LockA", {{"bLockFlashA", Kind::Bool, 0}}},
        {"Comment", {}, false, "Production image\nfor board rev. C & D"},
        {"Dravik_Erase",
         {{"dwEraseType", Kind::Keyword, NANDREL_ERASE_SEGMENT, "", &m.eraseTypes},
          {"dwSegment", Kind::Hex, 0xF800},
          {"dwLength", Kind::Hex, 0x200}}},
        {"Dravik_ProgramFile",
         {{"strFileName", Kind::String, 0, "images/app rev2.txt"},
          {"nFileType", Kind::Keyword, 1, "", &m.fileTypes},
          {"bVerifyMem", Kind::Keyword, 1, "", &m.booleans}}},
        {"Dravik_WriteMemory",
         {{"dwAddress", Kind::Hex, 0x1000},
          {"dwCount", Kind::Decimal, 10},
          {"wValueType", Kind::Keyword, 0, "", &m.valueTypes}},
         false,
         "\n0x01 0x02 0x03 0x04 0x05 0x06 0x07 0x08 \n0x09 0x0A \n"},
        {"UserWait",
         {{"wType", Kind::Keyword, 4, "", &m.boxTypes}},
         false,
         "Insert the next board.\n\nContinue?"},
        {"Delay", {{"dwDelay", Kind::Decimal, 1500}}, false, "Settle"},
        {"AnalyzeResults",
         {{"dwHeaderAddress", Kind::Hex, 0x0200}, {"dwResultAddress", Kind::Hex, 0x0204}},
         false,
         "",
         {item, item}},
        {"Dravik_Close", {{"bVccOff", Kind::Keyword, 1, "", &m.booleans}}},
    };
}

void DeclareElement(CStdioXMLFile& file, const Command& command) {
    if (file.IsElementDeclared(command.element)) return;
    file.BeginElementDecl(command.element);
    if (command.empty && command.children.empty()) file.WriteText("EMPTY ");
    for (const Command& child : command.children)
        if (!file.IsElementDeclared(child.element)) file.AddElementChild(child.element, 1);
    file.EndElementDecl();
    for (const Command& child : command.children)
        DeclareElement(file, child);
}

void DeclareAttlist(CStdioXMLFile& file, const Command& command) {
    if (file.IsAttlistDeclared(command.element)) return;
    file.BeginAttlist(command.element);
    for (const Attribute& a : command.attributes) {
        if (a.kind == Kind::Keyword)
            file.DeclareMapAttribute(a.name, *a.map, true);
        else
            file.DeclareCdataAttribute(a.name, true);
    }
    file.EndAttlist();
    for (const Command& child : command.children)
        DeclareAttlist(file, child);
}

int WriteCommand(CStdioXMLFile& file, const Command& command) {
    file.OpenElement(command.element, true);
    for (const Attribute& a : command.attributes) {
        int ok = 1;
        switch (a.kind) {
            case Kind::Decimal:
                ok = file.WriteDwordDecimalAttribute(a.name, a.value, true);
                break;
            case Kind::Hex:
                ok = file.WriteDwordAttribute(a.name, a.value, true);
                break;
            case Kind::WordHex:
                ok = file.WriteWordAttribute(a.name, a.value, true);
                break;
            case Kind::Bool:
                ok = file.WriteBoolAttribute(a.name, static_cast<int>(a.value), true);
                break;
            case Kind::String:
                ok = file.WriteAttribute(a.name, a.text, true);
                break;
            case Kind::Keyword:
                ok = file.WriteWordMapAttribute(a.name, a.value, *a.map, true);
                break;
        }
        if (!ok) return 0;
    }
    file.EndStartTag(false);
    if (!command.text.empty() && !file.WriteText(command.text)) return 0;
    if (!command.children.empty()) file.WriteNewLine();
    for (const Command& child : command.children)
        if (!WriteCommand(file, child)) return 0;
    file.CloseElement(command.element, true);
    return 1;
}

int SaveProject(const std::string& path, const std::vector<Command>& commands, std::string& error) {
    CStdioXMLFile file;
    if (!file.Open(path)) return 0;
    file.ClearDeclarations();
    file.WriteHeader("ProjectKelvane");
    file.BeginElementDecl("ProjectKelvane");
    file.AddElementChild("CommandList", 0);
    file.EndElementDecl();
    file.BeginElementDecl("CommandList");
    for (const Command& c : commands)
        file.AddElementChild(c.element,
                             c.element == "Dravik_Open" || c.element == "Dravik_Close" ? 2 : 1);
    file.EndElementDecl();
    for (const Command& c : commands)
        DeclareElement(file, c);
    file.BeginAttlist("ProjectKelvane");
    for (const char* name :
         {"nFileVersion", "nFileSubVersion", "strName", "strTargetProcessor", "dwVCC"})
        file.DeclareCdataAttribute(name, true);
    file.EndAttlist();
    file.BeginAttlist("CommandList");
    file.EndAttlist();
    for (const Command& c : commands)
        DeclareAttlist(file, c);
    file.WriteText("]>\n");
    file.OpenElement("ProjectKelvane", true);
    file.WriteIntAttribute("nFileVersion", 2, true);
    file.WriteIntAttribute("nFileSubVersion", 0, true);
    file.WriteAttribute("strName", "Line 4 board", true);
    file.WriteAttribute("strTargetProcessor", "MSP430F169", true);
    file.WriteDwordDecimalAttribute("dwVCC", 3300, true);
    file.EndStartTag(true);
    file.OpenElement("CommandList", true);
    file.EndStartTag(true);
    for (const Command& c : commands) {
        if (!WriteCommand(file, c)) {
            error = file.GetLastError();
            file.Close();
            return 0;
        }
    }
    file.CloseElement("CommandList", true);
    file.CloseElement("ProjectKelvane", true);
    if (!file.Close()) {
        error = file.GetLastError();
        return 0;
    }
    return 1;
}

// Reads an element back in the shape of the expected command and compares.
void ExpectReadsBack(std::int32_t element, const Command& expected, bool hasText) {
    std::string error;
    SCOPED_TRACE(expected.element);
    EXPECT_EQ(IsXmlElementNamed(element, expected.element, error), 1);
    for (const Attribute& a : expected.attributes) {
        SCOPED_TRACE(a.name);
        std::uint32_t value = 0;
        std::uint16_t word = 0;
        std::string text;
        switch (a.kind) {
            case Kind::Decimal:
                ASSERT_EQ(ReadXmlDword(element, a.name, value, error), 1) << error;
                EXPECT_EQ(value, a.value);
                break;
            case Kind::Hex:
                ASSERT_EQ(ReadXmlDwordHex(element, a.name, value, error), 1) << error;
                EXPECT_EQ(value, a.value);
                break;
            case Kind::WordHex:
                ASSERT_EQ(ReadXmlWordHex(element, a.name, word, error), 1) << error;
                EXPECT_EQ(word, a.value);
                break;
            case Kind::Bool: {
                int flag = 0;
                ASSERT_EQ(ReadXmlBool(element, a.name, flag, error), 1) << error;
                EXPECT_EQ(static_cast<std::uint32_t>(flag), a.value);
                break;
            }
            case Kind::String:
                ASSERT_EQ(GetXmlAttribute(element, a.name, text, error), 1) << error;
                EXPECT_EQ(text, a.text);
                break;
            case Kind::Keyword:
                ASSERT_EQ(a.map->ReadNamedAttributeWORD(element, a.name, &word), 1)
                    << a.map->GetLastError();
                EXPECT_EQ(word, a.value);
                break;
        }
    }
    if (hasText) {
        std::string text;
        ASSERT_EQ(GetXmlElementText(element, text, false, error), 1) << error;
        EXPECT_EQ(text, expected.text);
    }
}

class ProjectRoundTrip : public ::testing::Test {
  protected:
    test::TempDir dir;
    std::string path = dir.path("board.kvnset");
    Maps maps;
};

TEST_F(ProjectRoundTrip, ReadsEveryCommandBackInOrder) {
    const std::vector<Command> commands = CommandList(maps);
    std::string error;
    ASSERT_EQ(SaveProject(path, commands, error), 1) << error;

    const std::string bytes = test::readFile(path);
    EXPECT_NE(bytes.find("\t\tdwEraseType (ERASE_ALL|ERASE_MAIN|ERASE_SEGMENT) #REQUIRED\n"),
              std::string::npos);
    EXPECT_NE(bytes.find("<Dravik_Erase \n"
                         "\tdwEraseType=\"ERASE_SEGMENT\"\n"
                         "\tdwSegment=\"0x0000F800\"\n"
                         "\tdwLength=\"0x00000200\"\n"
                         "></Dravik_Erase >\n"),
              std::string::npos);
    EXPECT_NE(bytes.find("<Comment \n>Production image\nfor board rev. C & D</Comment >\n"),
              std::string::npos);

    test::OpenDocument document(path);
    ASSERT_TRUE(document.ok()) << document.lastError();
    const std::int32_t root = document.root();
    std::uint32_t vcc = 0;
    int version = 0;
    ASSERT_EQ(ReadXmlInt(root, "nFileVersion", version, error), 1);
    EXPECT_EQ(version, 2);
    ASSERT_EQ(ReadXmlDword(root, "dwVCC", vcc, error), 1);
    EXPECT_EQ(vcc, 3300u);

    const std::vector<std::int32_t> elements =
        document.children(document.child(root, "CommandList"));
    ASSERT_EQ(elements.size(), commands.size());
    for (std::size_t i = 0; i < commands.size(); ++i) {
        const Command& c = commands[i];
        // The element text as the reader sees it: only text before a child counts.
        ExpectReadsBack(elements[i], c, c.children.empty() && !c.text.empty());
        const std::vector<std::int32_t> children = document.children(elements[i]);
        ASSERT_EQ(children.size(), c.children.size());
        for (std::size_t j = 0; j < children.size(); ++j)
            ExpectReadsBack(children[j], c.children[j], true);
    }
}

TEST_F(ProjectRoundTrip, AValueWithoutKeywordIsNeitherReadNorWritten) {
    std::vector<Command> commands = CommandList(maps);
    std::string error;
    ASSERT_EQ(SaveProject(path, commands, error), 1) << error;
    const std::string saved = test::readFile(path);

    // A number that no erase type has, typed into the file, is refused where
    // it is read instead of failing the save after a run.
    std::string typed = saved;
    const std::string keyword = "dwEraseType=\"ERASE_SEGMENT\"";
    typed.replace(typed.find(keyword), keyword.size(), "dwEraseType=\"9\"");
    const std::string typedPath = dir.write("typed.kvnset", typed);
    {
        test::OpenDocument document(typedPath);
        ASSERT_TRUE(document.ok()) << document.lastError();
        const std::int32_t erase =
            document.children(document.child(document.root(), "CommandList"))[3];
        std::uint16_t type = 77;
        EXPECT_EQ(maps.eraseTypes.ReadNamedAttributeWORD(erase, "dwEraseType", &type), 0);
        EXPECT_EQ(
            maps.eraseTypes.GetLastError(),
            "Unable to convert 9 to WORD (dwEraseType): no keyword has this value (element "
            "Dravik_Erase on line " +
                std::to_string(1 + std::count(typed.begin(),
                                              typed.begin() + typed.find("<Dravik_Erase"), '\n')) +
                "); expected one of ERASE_ALL, ERASE_MAIN, ERASE_SEGMENT");
        EXPECT_EQ(type, 77) << "a refused value is not stored";
    }

    commands[3].attributes[0].value = 9;  // no erase type has this value
    EXPECT_EQ(SaveProject(path, commands, error), 0);
    EXPECT_EQ(error, "Unable to store NULL XML WORD parameter for dwEraseType");
    EXPECT_EQ(test::readFile(path), saved);

    commands[3].attributes[0].value = 2;
    commands[2].text = "Use <this> image";
    EXPECT_EQ(SaveProject(path, commands, error), 0);
    EXPECT_EQ(error, "Unable to store XML text containing '<'");
    EXPECT_EQ(test::readFile(path), saved);
}

}  // namespace
}  // namespace kv
