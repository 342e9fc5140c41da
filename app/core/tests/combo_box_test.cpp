#include <gtest/gtest.h>

#include "kelvane/core/map_parameter_xml.h"
#include "xml_test_support.h"

namespace kv {
namespace {

class KeywordCombo : public ::testing::Test {
  protected:
    KeywordCombo() {
        map.AddWord("MB_OK", "OK", 0);
        map.AddWord("MB_OKCANCEL", "OK / Cancel", 1);
        map.AddWord("MB_YESNO", "Yes / No", 4);
    }
    CMapParameterXML map;
    test::FakeComboBox combo;
};

TEST_F(KeywordCombo, FillsDisplayTextsWithTheirEntriesAndSelectsTheFirst) {
    combo.rows.push_back({"old", nullptr});
    ASSERT_EQ(map.FillComboBox(&combo), 1);
    ASSERT_EQ(combo.GetCount(), 3);
    EXPECT_EQ(combo.rows[1].text, "OK / Cancel");
    EXPECT_EQ(combo.rows[2].entry, map.FindByKeyword("MB_YESNO"));
    EXPECT_EQ(combo.selected, 0);
    EXPECT_EQ(GetComboSelection(&combo), map.GetAt(0));
}

TEST_F(KeywordCombo, SelectsByValue) {
    ASSERT_EQ(map.FillComboBox(&combo), 1);
    EXPECT_EQ(SelectComboByValue(&combo, 4), 1);
    EXPECT_EQ(combo.selected, 2);
    EXPECT_EQ(GetComboSelection(&combo)->GetKeyword(), "MB_YESNO");
    EXPECT_EQ(SelectComboByValue(&combo, 3), 0);
    EXPECT_EQ(combo.selected, 0);
}

TEST_F(KeywordCombo, HandlesEmptyAndMissingBoxes) {
    EXPECT_EQ(SelectComboByValue(&combo, 0), 0);
    EXPECT_EQ(combo.selected, -1);
    EXPECT_EQ(GetComboSelection(&combo), nullptr);
    EXPECT_EQ(GetComboSelection(nullptr), nullptr);
    EXPECT_EQ(SelectComboByValue(nullptr, 0), 0);

    ASSERT_EQ(map.FillComboBox(&combo), 1);
    combo.window = false;
    EXPECT_EQ(GetComboSelection(&combo), nullptr);
    EXPECT_EQ(map.FillComboBox(&combo), 0);
    EXPECT_EQ(map.GetLastError(), "Combo box is not a window");
    EXPECT_EQ(map.FillComboBox(nullptr), 0);
    EXPECT_EQ(map.GetLastError(), "Unable to fill NULL combo box");
}

TEST_F(KeywordCombo, StopsAtAnEntryThatCannotBeAdded) {
    combo.capacity = 2;
    EXPECT_EQ(map.FillComboBox(&combo), 0);
    EXPECT_EQ(map.GetLastError(), "Unable to add 'Yes / No' to combo box");
    EXPECT_EQ(map.GetAt(2)->GetLastError(), "Unable to add 'Yes / No' to combo box");
    EXPECT_EQ(combo.GetCount(), 2);
}

}  // namespace
}  // namespace kv
