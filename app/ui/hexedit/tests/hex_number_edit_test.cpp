#include "kelvane/ui/hex_number_edit.h"

#include <gtest/gtest.h>

#include <QTest>

namespace kv::ui {
namespace {

TEST(HexNumberEdit, ShowsUpperCaseZeroPaddedToItsDigits) {
    CHexNumberEdit edit;
    edit.SetDigits(4);
    edit.SetValue(0xF000);
    EXPECT_EQ(edit.text(), "F000");
    edit.SetValue(0x1a);
    EXPECT_EQ(edit.text(), "001A");
    EXPECT_EQ(edit.SetDigits(5), 1);
    EXPECT_EQ(edit.text(), "0001A");
    // A value wider than the field is shown in full.
    edit.SetDigits(4);
    edit.SetValue(0x1FF00);
    EXPECT_EQ(edit.text(), "1FF00");
}

TEST(HexNumberEdit, ReadsTheNumberAtTheStartUpToItsDigits) {
    CHexNumberEdit edit;
    edit.SetDigits(4);
    std::uint32_t value = 7;
    edit.setText("12345");
    EXPECT_TRUE(edit.GetValue(&value));
    EXPECT_EQ(value, 0x1234u);
    edit.setText("ab");
    EXPECT_TRUE(edit.GetValue(&value));
    EXPECT_EQ(value, 0xABu);
    edit.setText("");
    EXPECT_FALSE(edit.GetValue(&value));
    EXPECT_EQ(value, 0u);
    edit.setText("x12");
    EXPECT_FALSE(edit.GetValue(&value));
    edit.setDisabled(false);
    edit.SetDigits(8);
    edit.setText("FFFFFFFF");
    EXPECT_TRUE(edit.GetValue(&value));
    EXPECT_EQ(value, 0xFFFFFFFFu);
}

TEST(HexNumberEdit, DigitCountOutOfRangeOrEmptyText) {
    CHexNumberEdit edit;
    EXPECT_EQ(edit.SetDigits(0), 0);
    EXPECT_EQ(edit.SetDigits(9), 0);
    EXPECT_EQ(edit.GetDigits(), 8);
    // Without a number the count still changes; the next value gets it.
    EXPECT_EQ(edit.SetDigits(5), 0);
    EXPECT_EQ(edit.GetDigits(), 5);
    edit.SetValue(0x10);
    EXPECT_EQ(edit.text(), "00010");
}

TEST(HexNumberEdit, TypingTakesHexDigitsOnlyUpToTheLimit) {
    CHexNumberEdit edit;
    edit.SetDigits(4);
    edit.show();
    edit.setFocus();
    QTest::keyClicks(&edit, "1g2-a b9z7");
    EXPECT_EQ(edit.text(), "12AB");
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(edit.text(), "12A");
    // A longer text shown by the program may still be shortened.
    edit.SetValue(0x1FF00);
    edit.end(false);
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(edit.text(), "1FF0");
    QTest::keyClicks(&edit, "5");
    EXPECT_EQ(edit.text(), "1FF0");
}

}  // namespace
}  // namespace kv::ui
