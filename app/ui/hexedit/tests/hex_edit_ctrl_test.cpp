#include "kelvane/ui/hex_edit_ctrl.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <array>
#include <numeric>

namespace kv::ui {
namespace {

class HexEditCtrlTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::iota(bytes.begin(), bytes.end(), 0);
        ctrl.resize(400, 200);
        ASSERT_EQ(ctrl.SetBuffer(bytes.data(), 32, 2), 1);
        ctrl.show();
        ctrl.setFocus();
        QApplication::clipboard()->clear();
    }

    void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(&ctrl, static_cast<Qt::Key>(key), mods);
    }

    std::array<std::uint8_t, 32> bytes{};
    CHexEditCtrl ctrl;
};

TEST_F(HexEditCtrlTest, TypingOverwritesValuesAndTellsTheOwner) {
    std::vector<std::pair<int, int>> written;
    ctrl.SetOwnerListener([&](int first, int last) { written.emplace_back(first, last); });
    QTest::keyClicks(&ctrl, "aBx7");
    EXPECT_EQ(bytes[0], 0xAB);
    // "x" is ignored; the 7 goes to the first digit of the next byte.
    EXPECT_EQ(bytes[1], 0x71);
    EXPECT_EQ(ctrl.Cell().GetCursor(), 1);
    EXPECT_FALSE(written.empty());
    ctrl.SetReadOnly(true);
    QTest::keyClicks(&ctrl, "00");
    EXPECT_EQ(bytes[1], 0x71);
}

TEST_F(HexEditCtrlTest, NavigationKeys) {
    const int row = ctrl.GetSymbolsPerRow();
    ASSERT_GE(row, 2);
    Key(Qt::Key_Right);
    EXPECT_EQ(ctrl.Cell().GetDigit(), 1);
    Key(Qt::Key_Right);
    EXPECT_EQ(ctrl.Cell().GetCursor(), 1);
    Key(Qt::Key_End);
    EXPECT_EQ(ctrl.Cell().GetCursor(), row - 1);
    Key(Qt::Key_Home);
    EXPECT_EQ(ctrl.Cell().GetCursor(), 0);
    Key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(ctrl.Cell().GetCursor(), 31);
    Key(Qt::Key_Home, Qt::ControlModifier);
    Key(Qt::Key_Tab);
    EXPECT_EQ(ctrl.Cell().GetCursor(), 1);
    Key(Qt::Key_Right, Qt::ShiftModifier);
    Key(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(ctrl.Cell().GetSelectionFirst(), 1);
    EXPECT_EQ(ctrl.Cell().GetSelectionLast(), 3);
    Key(Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(ctrl.Cell().GetSelectionFirst(), 0);
    Key(Qt::Key_Left);
    EXPECT_FALSE(ctrl.Cell().HasSelection());
}

TEST_F(HexEditCtrlTest, CopyPutsTheBinaryFormatAndHexText) {
    EXPECT_EQ(ctrl.Copy(), 0);
    EXPECT_EQ(ctrl.GetLastError(), "Unable to copy empty selection to clipboard");
    ctrl.Cell().Select(2, 4);
    ASSERT_EQ(ctrl.Copy(), 1);
    const QMimeData* mime = QApplication::clipboard()->mimeData();
    ASSERT_NE(mime, nullptr);
    EXPECT_EQ(mime->data("HexEdit"), QByteArray("\x03\x00\x00\x00\x02\x03\x04", 7));
    EXPECT_EQ(mime->text(), "02 03 04");
    ctrl.SetHexFocus(false);
    ctrl.Cell().Select(0x40 - 32, 0x40 - 32);
    bytes[0] = 'K';
    ctrl.Cell().Select(0, 1);
    ASSERT_EQ(ctrl.Copy(), 1);
    EXPECT_EQ(QApplication::clipboard()->mimeData()->text(), "K.");
}

TEST_F(HexEditCtrlTest, CutAndPasteTheBinaryFormat) {
    ctrl.Cell().Select(0, 1);
    ASSERT_EQ(ctrl.Cut(), 1);
    EXPECT_EQ(bytes[0], 2);
    EXPECT_EQ(bytes[31], 0xFF);
    ctrl.Cell().SetCursor(4, 0);
    ASSERT_EQ(ctrl.Paste(), 1);
    EXPECT_EQ(bytes[4], 0);
    EXPECT_EQ(bytes[5], 1);
    EXPECT_EQ(bytes[6], 6);
    // A block announcing more bytes than it holds is refused.
    auto* mime = new QMimeData;
    mime->setData("HexEdit", QByteArray("\x09\x00\x00\x00\x01", 5));
    QApplication::clipboard()->setMimeData(mime);
    EXPECT_EQ(ctrl.Paste(), 0);
    EXPECT_EQ(ctrl.GetLastError(), "Unable to copy binary data from clipboard");
    auto* small = new QMimeData;
    small->setData("HexEdit", QByteArray("\x01\x00\x00\x00", 4));
    QApplication::clipboard()->setMimeData(small);
    EXPECT_EQ(ctrl.Paste(), 0);
    EXPECT_EQ(ctrl.GetLastError(), "Unable to copy binary data from small clipboard block");
}

TEST_F(HexEditCtrlTest, PasteTextAsHexOrAscii) {
    QApplication::clipboard()->setText("1234 ABCD");
    ctrl.Cell().SetCursor(0, 0);
    ASSERT_EQ(ctrl.Paste(), 1);
    EXPECT_EQ(bytes[0], 0x34);
    EXPECT_EQ(bytes[1], 0x12);
    EXPECT_EQ(bytes[2], 0xCD);
    EXPECT_EQ(bytes[3], 0xAB);
    EXPECT_EQ(bytes[4], 0);
    EXPECT_EQ(bytes[31], 27);
    QApplication::clipboard()->setText("12 345");
    EXPECT_EQ(ctrl.Paste(), 0);
    EXPECT_EQ(ctrl.GetLastError(), "Encountered mal-formed token size 3 in BYTE array");
    ctrl.SetHexFocus(false);
    QApplication::clipboard()->setText("Hi");
    ctrl.Cell().Select(0, 3);
    ASSERT_EQ(ctrl.Paste(), 1);
    EXPECT_EQ(bytes[0], 'H');
    EXPECT_EQ(bytes[1], 'i');
    EXPECT_EQ(bytes[2], 0);
    // Ctrl+V reaches the same paste.
    QApplication::clipboard()->setText("Z");
    ctrl.Cell().SetCursor(0, 0);
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(bytes[0], 'Z');
}

TEST_F(HexEditCtrlTest, DeleteAndBackspace) {
    ctrl.Cell().SetCursor(2, 0);
    Key(Qt::Key_Right, Qt::ShiftModifier);
    Key(Qt::Key_Delete);
    EXPECT_EQ(bytes[2], 4);
    EXPECT_EQ(bytes[30], 0xFF);
    ctrl.SetHexFocus(false);
    ctrl.Cell().SetCursor(3, 0);
    Key(Qt::Key_Backspace);
    EXPECT_EQ(bytes[2], 5);
    EXPECT_EQ(ctrl.Cell().GetCursor(), 2);
}

TEST_F(HexEditCtrlTest, LayoutColumnsAndAddresses) {
    std::array<std::uint8_t, 8> words{};
    ASSERT_EQ(ctrl.SetBuffer(words.data(), 4, 4), 1);
    ctrl.ShowAsciiColumn(true);
    EXPECT_FALSE(ctrl.IsAsciiColumnShown());
    ctrl.SetBaseAddress(0xF001);
    EXPECT_TRUE(ctrl.IsMisaligned());
    ctrl.SetBaseAddress(0xF000);
    EXPECT_FALSE(ctrl.IsMisaligned());
    EXPECT_EQ(ctrl.RowAddressText(0), "F000");
    EXPECT_EQ(ctrl.SetAddressDigits(9), 0);
    ASSERT_EQ(ctrl.SetAddressDigits(6), 1);
    EXPECT_EQ(ctrl.RowAddressText(1), QStringLiteral("00F%1")
                                          .arg(ctrl.GetSymbolsPerRow() * 2, 3, 16, QLatin1Char('0'))
                                          .toUpper());
    EXPECT_EQ(ctrl.SetBuffer(words.data(), 4, 6), 0);
}

TEST_F(HexEditCtrlTest, StateAndContextMenu) {
    ctrl.Cell().SetCursor(5, 1);
    ctrl.Cell().Select(5, 7);
    const CEditHexBufferState state = ctrl.GetState();
    EXPECT_EQ(state.Dump(), "State 5, (0x00000007-0x00000005)\n");
    ctrl.SelectAll();
    EXPECT_EQ(ctrl.Cell().GetSelectionLast(), 31);
    ctrl.SetState(state);
    EXPECT_EQ(ctrl.Cell().GetSelectionFirst(), 5);
    ctrl.Cell().ClearSelection();
    QMenu* menu = ctrl.BuildContextMenu();
    const auto actions = menu->actions();
    std::vector<std::pair<QString, bool>> items;
    for (QAction* a : actions)
        if (!a->isSeparator()) items.emplace_back(a->text(), a->isEnabled());
    ASSERT_EQ(items.size(), 6u);
    EXPECT_FALSE(items[0].second);  // Undo
    EXPECT_FALSE(items[1].second);  // Cut
    EXPECT_FALSE(items[3].second);  // Paste: the clipboard is empty
    EXPECT_TRUE(items[5].second);   // Select All
    delete menu;
}

}  // namespace
}  // namespace kv::ui
