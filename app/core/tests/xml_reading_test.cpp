#include <caprel/caprel.h>
#include <gtest/gtest.h>

#include "hex_test_support.h"
#include "kelvane/core/map_parameter_xml.h"
#include "kelvane/core/stdio_xml_file.h"
#include "kelvane/core/xml_reading.h"
#include "xml_test_support.h"

namespace kv {
namespace {

// A small document: a root with attributes of every type, a child with text
// lines and a nested child element.
void WriteSample(CStdioXMLFile& file, CMapParameterXML& states) {
    file.ClearDeclarations();
    file.WriteHeader("Sample");
    file.BeginElementDecl("Sample");
    file.AddElementChild("Note", 1);
    file.AddElementChild("Group", 0);
    file.EndElementDecl();
    file.BeginElementDecl("Note");
    file.EndElementDecl();
    file.BeginElementDecl("Group");
    file.AddElementChild("Item", 2);
    file.EndElementDecl();
    file.DeclareEmptyElement("Item");
    file.BeginAttlist("Sample");
    file.DeclareCdataAttribute("strName", true);
    file.DeclareCdataAttribute("dwAddress", true);
    file.DeclareCdataAttribute("wKey", true);
    file.DeclareCdataAttribute("dwCount", true);
    file.DeclareCdataAttribute("nLevel", true);
    file.DeclareBoolAttribute("bVerify", true);
    file.DeclareMapAttribute("wState", states, true);
    file.EndAttlist();
    file.BeginAttlist("Note");
    file.EndAttlist();
    file.BeginAttlist("Item");
    file.DeclareEnumAttribute("nIndex", 0, 2, true);
    file.DeclareCdataAttribute("strExtra", false);
    file.EndAttlist();
    file.WriteText("]>\n");

    file.OpenElement("Sample", true);
    file.WriteAttribute("strName", "Line 4", true);
    file.WriteDwordAttribute("dwAddress", 0xFFFFFFFF, true);
    file.WriteWordAttribute("wKey", 0xA5A5, true);
    file.WriteDwordDecimalAttribute("dwCount", 0xFFFFFFFF, true);
    file.WriteIntAttribute("nLevel", -7, true);
    file.WriteBoolAttribute("bVerify", 1, true);
    file.WriteWordMapAttribute("wState", 3, states, true);
    file.EndStartTag(true);
    file.OpenElement("Note", true);
    file.EndStartTag(false);
    file.WriteText("Check the supply\n  then press OK  \n\n");
    file.CloseElement("Note", true);
    file.OpenElement("Group", true);
    file.EndStartTag(true);
    file.OpenElement("Item", true);
    file.WriteIntAttribute("nIndex", 2, true);
    file.EndStartTag(false);
    file.CloseElement("Item", true);
    file.CloseElement("Group", true);
    file.CloseElement("Sample", true);
}

const char* const kSample =
    "<?xml version=\"1.0\" standalone=\"yes\" ?>\n"
    "<!DOCTYPE Sample\n"
    "[\n"
    "\t<!ELEMENT Sample (\n"
    "\t\tNote*,\n"
    "\t\tGroup)>\n"
    "\t<!ELEMENT Note >\n"
    "\t<!ELEMENT Group (\n"
    "\t\tItem+)>\n"
    "\t<!ELEMENT Item EMPTY >\n"
    "\t<!ATTLIST Sample\n"
    "\t\tstrName CDATA #REQUIRED\n"
    "\t\tdwAddress CDATA #REQUIRED\n"
    "\t\twKey CDATA #REQUIRED\n"
    "\t\tdwCount CDATA #REQUIRED\n"
    "\t\tnLevel CDATA #REQUIRED\n"
    "\t\tbVerify (FALSE|TRUE) #REQUIRED\n"
    "\t\twState (RUNNING|STOPPED) #REQUIRED\n"
    "\t>\n"
    "\t<!ATTLIST Note\n"
    "\t>\n"
    "\t<!ATTLIST Item\n"
    "\t\tnIndex (0|1|2) #REQUIRED\n"
    "\t\tstrExtra CDATA #IMPLIED\n"
    "\t>\n"
    "]>\n"
    "<Sample \n"
    "\tstrName=\"Line 4\"\n"
    "\tdwAddress=\"0xFFFFFFFF\"\n"
    "\twKey=\"0xA5A5\"\n"
    "\tdwCount=\"-1\"\n"
    "\tnLevel=\"-7\"\n"
    "\tbVerify=\"TRUE\"\n"
    "\twState=\"STOPPED\"\n"
    ">\n"
    "<Note \n"
    ">Check the supply\n"
    "  then press OK  \n"
    "\n"
    "</Note >\n"
    "<Group \n"
    ">\n"
    "<Item \n"
    "\tnIndex=\"2\"\n"
    "></Item >\n"
    "</Group >\n"
    "</Sample >\n";

class XmlReading : public ::testing::Test {
  protected:
    void SetUp() override {
        states.AddWord("RUNNING", "Running", 1);
        states.AddWord("STOPPED", "Stopped", 3);
        CStdioXMLFile file;
        ASSERT_EQ(file.Open(path), 1);
        WriteSample(file, states);
        ASSERT_EQ(file.Close(), 1) << file.GetLastError();
        document = std::make_unique<test::OpenDocument>(path);
        ASSERT_TRUE(document->ok()) << document->lastError();
        root = document->root();
    }

    test::TempDir dir;
    std::string path = dir.path("sample.xml");
    CMapParameterXML states;
    std::unique_ptr<test::OpenDocument> document;
    std::int32_t root = -1;
    std::string error = "No error";
};

TEST_F(XmlReading, TheWriterProducesTheExactBytes) {
    EXPECT_EQ(test::readFile(path), kSample);
}

TEST_F(XmlReading, ReadsTypedAttributesBack) {
    EXPECT_EQ(IsXmlElementNamed(root, "Sample", error), 1);
    EXPECT_EQ(IsXmlElementNamed(root, "sample", error), 0);
    std::string name;
    EXPECT_EQ(GetXmlAttribute(root, "strName", name, error), 1);
    EXPECT_EQ(name, "Line 4");

    std::uint32_t dword = 0;
    EXPECT_EQ(ReadXmlDwordHex(root, "dwAddress", dword, error), 1);
    EXPECT_EQ(dword, 0xFFFFFFFFu);
    EXPECT_EQ(ReadXmlDword(root, "dwCount", dword, error), 1);
    EXPECT_EQ(dword, 0xFFFFFFFFu);
    std::uint16_t word = 0;
    EXPECT_EQ(ReadXmlWordHex(root, "wKey", word, error), 1);
    EXPECT_EQ(word, 0xA5A5);
    int level = 0;
    EXPECT_EQ(ReadXmlInt(root, "nLevel", level, error), 1);
    EXPECT_EQ(level, -7);
    int verify = 0;
    EXPECT_EQ(ReadXmlBool(root, "bVerify", verify, error), 1);
    EXPECT_EQ(verify, 1);
    std::uint16_t state = 0;
    EXPECT_EQ(states.ReadAttributeWORD(root, "wState", &state), 1);
    EXPECT_EQ(state, 3);
    EXPECT_EQ(error, "No error");

    const std::int32_t item = document->child(document->child(root, "Group"), "Item");
    EXPECT_EQ(IsXmlElementNamed(item, "Item", error), 1);
    EXPECT_EQ(ReadXmlInt(item, "nIndex", level, error), 1);
    EXPECT_EQ(level, 2);
    EXPECT_EQ(GetXmlAttribute(item, "strExtra", name, error), 0);
    EXPECT_EQ(error, "Attribute strExtra not found in element Item on line 43");
}

TEST_F(XmlReading, ReadsTextLines) {
    const std::int32_t note = document->child(root, "Note");
    std::string text;
    EXPECT_EQ(GetXmlElementText(note, text, false, error), 1);
    EXPECT_EQ(text, "Check the supply\n  then press OK  \n\n");
    EXPECT_EQ(GetXmlElementText(note, text, true, error), 1);
    EXPECT_EQ(text, "Check the supply\n  then press OK");
    std::string line;
    EXPECT_EQ(GetXmlElementLine(note, 1, line, error), 1);
    EXPECT_EQ(line, "  then press OK  ");
    EXPECT_EQ(GetXmlElementLine(note, 4, line, error), 0);
    EXPECT_EQ(error, "GetLine called with out of bound line index");
    EXPECT_EQ(line, "  then press OK  ");

    const std::int32_t item = document->child(document->child(root, "Group"), "Item");
    EXPECT_EQ(GetXmlElementText(item, text, false, error), 1);
    EXPECT_EQ(text, "");
}

TEST_F(XmlReading, MissingAttributesGiveTheLibraryText) {
    std::uint32_t dword = 5;
    EXPECT_EQ(ReadXmlDwordHex(root, "dwMissing", dword, error), 0);
    EXPECT_EQ(error, "Attribute dwMissing not found in element Sample on line 27");
    EXPECT_EQ(dword, 5u);
    std::uint16_t word = 5;
    EXPECT_EQ(ReadXmlWord(root, "wMissing", word, error), 0);
    EXPECT_EQ(error, "Attribute wMissing not found in element Sample on line 27");
    int flag = 5;
    EXPECT_EQ(ReadXmlBool(root, "bMissing", flag, error), 0);
    EXPECT_EQ(error, "Attribute bMissing not found in element Sample on line 27");
    EXPECT_EQ(flag, 0);
    std::string last;
    GetXmlLastError(last);
    EXPECT_EQ(last, "Attribute bMissing not found in element Sample on line 27");
}

TEST_F(XmlReading, BadHandlesFail) {
    std::string name;
    EXPECT_EQ(IsXmlElementNamed(-1, "Sample", error), 0);
    EXPECT_NE(error, "No error");
    EXPECT_FALSE(error.empty());
    error.clear();
    EXPECT_EQ(GetXmlAttribute(-1, "strName", name, error), 0);
    EXPECT_FALSE(error.empty());
    error.clear();
    EXPECT_EQ(GetXmlElementText(-1, name, false, error), 0);
    EXPECT_FALSE(error.empty());
}

// Attribute values of a hand-written file, as they may come from older files
// or other tools.
class XmlNumberForms : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::string path = dir.write("numbers.xml",
                                           "<Numbers \n"
                                           "\tdwPlain=\"F800\"\n"
                                           "\tdwUpper=\"0XF800\"\n"
                                           "\tdwTail=\"0x1FG\"\n"
                                           "\tdwBig=\"0x123456789\"\n"
                                           "\twHex=\"0x12345\"\n"
                                           "\twDec=\"70000\"\n"
                                           "\tdwLeading=\"  3300mV\"\n"
                                           "\tdwHuge=\"4294967295\"\n"
                                           "\tdwWord=\"volts\"\n"
                                           "\tnHex=\"0x10\"\n"
                                           "\tbTwo=\"2\"\n"
                                           "\tbFalse=\"FALSE\"\n"
                                           "\tbZero=\"0\"\n"
                                           "\tbLower=\"true\"\n"
                                           "\tstrLong=\"" +
                                               std::string(3000, 'x') +
                                               "\"\n"
                                               "></Numbers >\n");
        document = std::make_unique<test::OpenDocument>(path);
        ASSERT_TRUE(document->ok()) << document->lastError();
        root = document->root();
    }

    test::TempDir dir;
    std::unique_ptr<test::OpenDocument> document;
    std::int32_t root = -1;
    std::string error;
};

TEST_F(XmlNumberForms, HexadecimalNeedsItsPrefix) {
    std::uint32_t dword = 9;
    EXPECT_EQ(ReadXmlDwordHex(root, "dwPlain", dword, error), 0);
    EXPECT_EQ(error,
              "Unable to convert dwPlain value F800 to DWORD (element Numbers on line 1); "
              "expected a hexadecimal number starting with 0x");
    EXPECT_EQ(dword, 9u);
    EXPECT_EQ(ReadXmlDwordHex(root, "dwUpper", dword, error), 0);
    EXPECT_EQ(error,
              "Unable to convert dwUpper value 0XF800 to DWORD (element Numbers on line 1); "
              "expected a hexadecimal number starting with 0x");
    // A character after the digits refuses the value, naming where it stands.
    EXPECT_EQ(ReadXmlDwordHex(root, "dwTail", dword, error), 0);
    EXPECT_EQ(error,
              "Unable to convert dwTail value 0x1FG to DWORD: characters follow the number "
              "(element Numbers on line 1); expected a hexadecimal number starting with 0x");
    EXPECT_EQ(dword, 9u);
    // More than 32 bits is refused, not cut to its low bits.
    EXPECT_EQ(ReadXmlDwordHex(root, "dwBig", dword, error), 0);
    EXPECT_EQ(error,
              "Unable to convert dwBig value 0x123456789 to DWORD: the number does not fit in "
              "32 bits (element Numbers on line 1); expected a hexadecimal number starting with "
              "0x");
    EXPECT_EQ(dword, 9u);
    // A WORD is refused beyond 16 bits, not cut to its low bits.
    std::uint16_t word = 7;
    EXPECT_EQ(ReadXmlWordHex(root, "wHex", word, error), 0);
    EXPECT_EQ(error,
              "Unable to convert wHex value 0x12345 to WORD: the number does not fit in 16 bits "
              "(element Numbers on line 1); expected a hexadecimal number starting with 0x, at "
              "most 0xFFFF");
    EXPECT_EQ(word, 7);
    EXPECT_EQ(ReadXmlWordHex(root, "dwPlain", word, error), 0);
    EXPECT_EQ(error,
              "Unable to convert dwPlain value F800 to WORD (element Numbers on line 1); expected "
              "a hexadecimal number starting with 0x, at most 0xFFFF");
}

TEST_F(XmlNumberForms, DecimalIsTheWholeValue) {
    std::uint32_t dword = 0;
    EXPECT_EQ(ReadXmlDword(root, "dwLeading", dword, error), 0);
    EXPECT_EQ(error,
              "Unable to convert dwLeading value   3300mV to DWORD: characters follow the "
              "number (element Numbers on line 1); expected a decimal number");
    EXPECT_EQ(ReadXmlDword(root, "dwHuge", dword, error), 1);
    EXPECT_EQ(dword, 0xFFFFFFFFu);
    EXPECT_EQ(ReadXmlDword(root, "dwWord", dword, error), 0);
    EXPECT_EQ(error,
              "Unable to convert dwWord value volts to DWORD (element Numbers on line 1); "
              "expected a decimal number");
    std::uint16_t word = 7;
    EXPECT_EQ(ReadXmlWord(root, "wDec", word, error), 0);
    EXPECT_EQ(error,
              "Unable to convert wDec value 70000 to WORD: the number does not fit in 16 bits "
              "(element Numbers on line 1); expected a decimal number from 0 to 65535");
    EXPECT_EQ(word, 7);
    EXPECT_EQ(ReadXmlWord(root, "dwWord", word, error), 0);
    EXPECT_EQ(error,
              "Unable to convert dwWord value volts to WORD (element Numbers on line 1); "
              "expected a decimal number from 0 to 65535");
    int value = 3;
    EXPECT_EQ(ReadXmlInt(root, "nHex", value, error), 0);
    EXPECT_EQ(value, 3);
    // An int holds only the signed half of 32 bits.
    EXPECT_EQ(ReadXmlInt(root, "dwHuge", value, error), 0);
    EXPECT_EQ(error,
              "Unable to convert dwHuge value 4294967295 to int: the number does not fit in an "
              "int (element Numbers on line 1); expected a decimal number from -2147483648 to "
              "2147483647");
    EXPECT_EQ(value, 3);
    value = 0;
    EXPECT_EQ(ReadXmlInt(root, "dwWord", value, error), 0);
    EXPECT_EQ(error,
              "Unable to convert dwWord value volts to int (element Numbers on line 1); "
              "expected a decimal number from -2147483648 to 2147483647");
    EXPECT_EQ(value, 0);
}

TEST_F(XmlNumberForms, BooleansReadNumbersAndTheirKeywords) {
    int flag = 0;
    EXPECT_EQ(ReadXmlBool(root, "bTwo", flag, error), 1);
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(ReadXmlBool(root, "bZero", flag, error), 1);
    EXPECT_EQ(flag, 0);
    flag = 1;
    EXPECT_EQ(ReadXmlBool(root, "bFalse", flag, error), 1);
    EXPECT_EQ(flag, 0);
    flag = 1;
    EXPECT_EQ(ReadXmlBool(root, "bLower", flag, error), 0);
    EXPECT_EQ(error,
              "Unable to convert bLower value true to WORD (element Numbers on line 1); "
              "expected TRUE or FALSE");
    EXPECT_EQ(flag, 0);
}

TEST_F(XmlNumberForms, LongValuesAreReadWhole) {
    std::string value;
    EXPECT_EQ(GetXmlAttribute(root, "strLong", value, error), 1);
    EXPECT_EQ(value, std::string(3000, 'x'));
}

}  // namespace
}  // namespace kv
