#include <gtest/gtest.h>

#include "hex_test_support.h"
#include "kelvane/core/map_parameter_xml.h"
#include "nandrel/nandrel.h"
#include "xml_test_support.h"

namespace kv {
namespace {

CMapParameterXML& EraseTypes() {
    static CMapParameterXML map;
    if (map.GetSize() == 0) {
        map.Add("ERASE_ALL", "Erase all memory", NANDREL_ERASE_ALL);
        map.Add("ERASE_MAIN", "Erase main memory", NANDREL_ERASE_MAIN);
        map.Add("ERASE_SEGMENT", "Erase segment", NANDREL_ERASE_SEGMENT);
    }
    return map;
}

TEST(KeywordMap, LooksUpKeywordsAndValuesInEntryOrder) {
    CMapParameterXML map;
    map.Add("PC", "Program counter", 0);
    map.AddKeyword("SP", 1);
    map.AddKeyword("ALIAS_PC", 0);

    const CParameterXML* sp = map.FindByKeyword("SP");
    ASSERT_NE(sp, nullptr);
    EXPECT_EQ(sp->GetDisplayText(), "SP");
    EXPECT_EQ(sp->GetValue(), 1u);
    EXPECT_EQ(sp->GetLastError(), "No error");
    EXPECT_EQ(map.FindByKeyword("sp"), nullptr);
    EXPECT_EQ(map.FindByKeyword("SP "), nullptr);

    ASSERT_NE(map.FindByValue(0), nullptr);
    EXPECT_EQ(map.FindByValue(0)->GetKeyword(), "PC");
    EXPECT_EQ(map.FindByValue(7), nullptr);
    EXPECT_EQ(map.GetAt(1), sp);
    EXPECT_EQ(map.GetAt(3), nullptr);
}

TEST(KeywordMap, AddsWordsBooleansAndBuildsTheChoiceList) {
    CMapParameterXML map;
    std::string list = "stale";
    EXPECT_EQ(map.BuildAttList(&list), 1);
    EXPECT_EQ(list, "");

    map.AddWord("BIG", "Big", 0x12345);
    map.AddDword("ALL", "All", 0xFFFFFFFF);
    map.AddBoolean();
    EXPECT_EQ(map.FindByKeyword("BIG")->GetValue(), 0x2345u);
    EXPECT_EQ(map.FindByKeyword("ALL")->GetValue(), 0xFFFFFFFFu);
    EXPECT_EQ(map.FindByKeyword("TRUE")->GetValue(), 1u);
    EXPECT_EQ(map.FindByKeyword("FALSE")->GetDisplayText(), "FALSE");
    EXPECT_EQ(map.BuildAttList(&list), 1);
    EXPECT_EQ(list, "BIG|ALL|TRUE|FALSE");
    EXPECT_EQ(map.GetLastError(), "");

    map.RemoveAll();
    EXPECT_EQ(map.GetSize(), 0u);
}

TEST(KeywordMap, ParsesKeywordsBeforeNumbers) {
    CMapParameterXML map;
    map.AddKeyword("5", 9);
    map.AddKeyword("MODE", 0x10);
    std::uint32_t value = 0;
    EXPECT_EQ(map.ParseDWORD("5", &value), 1);
    EXPECT_EQ(value, 9u);
    EXPECT_EQ(map.ParseDWORD("MODE", &value), 1);
    EXPECT_EQ(value, 0x10u);
    std::int32_t number = 0;
    EXPECT_EQ(map.ParseLONG("5", &number), 1);
    EXPECT_EQ(number, 9);
}

TEST(KeywordMap, ParsesHexadecimalAndDecimalNumbers) {
    CMapParameterXML& map = EraseTypes();
    std::uint32_t value = 0;
    EXPECT_EQ(map.ParseDWORD("0x1F", &value), 1);
    EXPECT_EQ(value, 31u);
    EXPECT_EQ(map.ParseDWORD("0X00FF", &value), 1);
    EXPECT_EQ(value, 255u);
    // Three characters are too short for the hexadecimal form, and the
    // decimal 0 is followed by characters: refused, as is any text after a number.
    value = 7;
    EXPECT_EQ(map.ParseDWORD("0x5", &value), 0);
    EXPECT_EQ(map.ParseDWORD(" 42abc", &value), 0);
    EXPECT_EQ(value, 7u);
    EXPECT_EQ(map.ParseDWORD(" 42 ", &value), 1);
    EXPECT_EQ(value, 42u);
    EXPECT_EQ(map.ParseDWORD("-1", &value), 1);
    EXPECT_EQ(value, 0xFFFFFFFFu);
    EXPECT_EQ(map.ParseDWORD("0xFFFFFFFF", &value), 1);
    EXPECT_EQ(value, 0xFFFFFFFFu);

    std::uint16_t word = 0;
    EXPECT_EQ(map.ParseWORD("0x12345", &word), 1);
    EXPECT_EQ(word, 0x2345);
    EXPECT_EQ(map.ParseWORD("ERASE_SEGMENT", &word), 1);
    EXPECT_EQ(word, NANDREL_ERASE_SEGMENT);

    std::int32_t number = 0;
    EXPECT_EQ(map.ParseLONG("-17", &number), 1);
    EXPECT_EQ(number, -17);
    EXPECT_EQ(map.ParseLONG("4294967295", &number), 1);
    EXPECT_EQ(number, -1);
    EXPECT_EQ(map.ParseLONG("ERASE_MAIN", &number), 1);
    EXPECT_EQ(number, NANDREL_ERASE_MAIN);
}

TEST(KeywordMap, ParsesBooleans) {
    CMapParameterXML map;
    map.AddBoolean();
    int flag = 7;
    EXPECT_EQ(map.ParseBOOL("2", &flag), 1);
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(map.ParseBOOL("FALSE", &flag), 1);
    EXPECT_EQ(flag, 0);
    EXPECT_EQ(map.ParseBOOL("TRUE", &flag), 1);
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(map.ParseBOOL("0", &flag), 1);
    EXPECT_EQ(flag, 0);
}

TEST(KeywordMap, ParseFailuresLeaveTheirTexts) {
    CMapParameterXML& map = EraseTypes();
    std::uint32_t value = 123;
    EXPECT_EQ(map.ParseDWORD("ERASE_NONE", &value), 0);
    EXPECT_EQ(map.GetLastError(), "Unable to convert ERASE_NONE to DWORD");
    EXPECT_EQ(value, 123u);
    EXPECT_EQ(map.ParseDWORD("0xZZ", &value), 0);
    EXPECT_EQ(map.GetLastError(), "Unable to convert 0xZZ to DWORD");
    EXPECT_EQ(map.ParseDWORD("", &value), 0);
    EXPECT_EQ(map.GetLastError(), "Unable to convert  to DWORD");
    EXPECT_EQ(map.ParseDWORD("1", nullptr), 0);
    EXPECT_EQ(map.GetLastError(), "Unable to parse DWORD to NULL value");

    std::uint16_t word = 5;
    EXPECT_EQ(map.ParseWORD("x", &word), 0);
    EXPECT_EQ(map.GetLastError(), "Unable to convert x to DWORD");
    EXPECT_EQ(word, 5);

    std::int32_t number = 5;
    EXPECT_EQ(map.ParseLONG("0x10", &number), 0);  // a decimal 0 and then characters
    EXPECT_EQ(map.GetLastError(), "Unable to convert 0x10 to LONG");
    EXPECT_EQ(number, 5);
    EXPECT_EQ(map.ParseLONG("ten", &number), 0);
    EXPECT_EQ(map.GetLastError(), "Unable to convert ten to LONG");
    EXPECT_EQ(map.ParseLONG("1", nullptr), 0);
    EXPECT_EQ(map.GetLastError(), "Unable to parse LONG to NULL value");
    int flag = 0;
    EXPECT_EQ(map.ParseBOOL("yes", &flag), 0);
    EXPECT_EQ(map.GetLastError(), "Unable to convert yes to LONG");

    EXPECT_EQ(map.TakeError(), "Unable to convert yes to LONG");
    EXPECT_EQ(map.GetLastError(), "");
}

TEST(KeywordMap, ReadsAttributesOfAnElement) {
    test::TempDir dir;
    const std::string path = dir.write("erase.xml",
                                       "<Dravik_Erase \n"
                                       "\tdwEraseType=\"ERASE_SEGMENT\"\n"
                                       "\tdwSegment=\"0x0000F800\"\n"
                                       "\tbFlag=\"TRUE\"\n"
                                       "\tnLevel=\"-3\"\n"
                                       "\tnKind=\"1\"\n"
                                       "\tdwBad=\"ERASE_EVERYTHING\"\n"
                                       "></Dravik_Erase >\n");
    test::OpenDocument document(path);
    ASSERT_TRUE(document.ok()) << document.lastError();
    const std::int32_t element = document.root();
    CMapParameterXML& map = EraseTypes();
    CMapParameterXML booleans;
    booleans.AddBoolean();

    std::uint32_t value = 0;
    EXPECT_EQ(map.ReadAttributeDWORD(element, "dwEraseType", &value), 1);
    EXPECT_EQ(value, static_cast<std::uint32_t>(NANDREL_ERASE_SEGMENT));
    std::uint16_t word = 0;
    EXPECT_EQ(map.ReadAttributeWORD(element, "dwEraseType", &word), 1);
    EXPECT_EQ(word, NANDREL_ERASE_SEGMENT);
    EXPECT_EQ(map.ReadAttributeWORD(element, "dwSegment", &word), 1);
    EXPECT_EQ(word, 0xF800);
    // Read as a value the program writes back, a number is taken only when a
    // keyword stands for it.
    word = 5;
    EXPECT_EQ(map.ReadNamedAttributeWORD(element, "dwSegment", &word), 0);
    EXPECT_EQ(map.GetLastError(),
              "Unable to convert 0x0000F800 to WORD (dwSegment): no keyword has this value "
              "(element Dravik_Erase on line 1); expected one of ERASE_ALL, ERASE_MAIN, "
              "ERASE_SEGMENT");
    EXPECT_EQ(word, 5);
    std::int32_t level = 0;
    EXPECT_EQ(map.ReadAttributeLONG(element, "nLevel", &level), 1);
    EXPECT_EQ(level, -3);
    EXPECT_EQ(map.ReadNamedAttributeLONG(element, "nLevel", &level), 0);
    EXPECT_EQ(map.GetLastError(),
              "Unable to convert -3 to LONG (nLevel): no keyword has this value (element "
              "Dravik_Erase on line 1); expected one of ERASE_ALL, ERASE_MAIN, ERASE_SEGMENT");
    EXPECT_EQ(map.ReadNamedAttributeLONG(element, "nKind", &level), 1);
    EXPECT_EQ(level, NANDREL_ERASE_MAIN);
    int flag = 0;
    EXPECT_EQ(booleans.ReadAttributeBOOL(element, "bFlag", &flag), 1);
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(booleans.ReadAttributeBOOL(element, "nKind", &flag), 1);
    EXPECT_EQ(booleans.ReadNamedAttributeBOOL(element, "nKind", &flag), 1);
    EXPECT_EQ(booleans.ReadNamedAttributeBOOL(element, "nLevel", &flag), 0);

    value = 77;
    EXPECT_EQ(map.ReadAttributeDWORD(element, "dwBad", &value), 0);
    EXPECT_EQ(map.GetLastError(),
              "Unable to convert ERASE_EVERYTHING to DWORD (dwBad) (element Dravik_Erase on line "
              "1); expected one of ERASE_ALL, ERASE_MAIN, ERASE_SEGMENT");
    EXPECT_EQ(value, 77u);
    EXPECT_EQ(booleans.ReadAttributeBOOL(element, "dwBad", &flag), 0);
    EXPECT_EQ(booleans.GetLastError(),
              "Unable to convert ERASE_EVERYTHING to LONG (dwBad) (element Dravik_Erase on line "
              "1); expected one of TRUE, FALSE");
    EXPECT_EQ(map.ReadAttributeDWORD(element, "dwMissing", &value), 0);
    EXPECT_EQ(map.GetLastError(), "Attribute dwMissing not found in element Dravik_Erase on line 1");
}

}  // namespace
}  // namespace kv
