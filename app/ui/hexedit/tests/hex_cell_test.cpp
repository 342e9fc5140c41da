#include "kelvane/ui/hex_cell.h"

#include <gtest/gtest.h>

#include <array>
#include <numeric>

namespace kv::ui {
namespace {

struct Recorder : CHexCellListener {
    void OnSymbolsWritten(int first, int last) override { ranges.emplace_back(first, last); }
    std::vector<std::pair<int, int>> ranges;
};

std::array<std::uint8_t, 16> Counting() {
    std::array<std::uint8_t, 16> bytes{};
    std::iota(bytes.begin(), bytes.end(), 0);
    return bytes;
}

TEST(HexCell, ReadsAndWritesLittleEndianByWidth) {
    auto bytes = Counting();
    CHexCell cell;
    ASSERT_EQ(cell.SetBuffer(bytes.data(), 4, 8), 1);
    std::uint32_t value = 0;
    ASSERT_EQ(cell.ReadValue(1, &value), 1);
    EXPECT_EQ(value, 0x07060504u);
    EXPECT_EQ(cell.FormatValue(1, true), "07060504 ");
    ASSERT_EQ(cell.SetBuffer(bytes.data(), 8, 4), 1);
    ASSERT_EQ(cell.WriteValue(0xBEEF, 2), 1);
    EXPECT_EQ(bytes[4], 0xEF);
    EXPECT_EQ(bytes[5], 0xBE);
    EXPECT_EQ(cell.ReadValue(8, &value), 0);
    EXPECT_EQ(cell.GetLastError(), "Indicated index for read exceeds buffer size");
    EXPECT_EQ(cell.WriteValue(1, 8), 0);
    EXPECT_EQ(cell.GetLastError(), "Indicated index for write exceeds buffer size");
    EXPECT_EQ(cell.SetBuffer(bytes.data(), 8, 3), 0);
    CHexCell empty;
    EXPECT_EQ(empty.ReadValue(0, &value), 0);
    EXPECT_EQ(empty.GetLastError(), "Unable to read value from NULL buffer");
}

TEST(HexCell, DeletingASelectionMovesTheRestDownAndFillsTheEnd) {
    auto bytes = Counting();
    CHexCell cell;
    Recorder recorder;
    cell.SetListener(&recorder);
    cell.SetBuffer(bytes.data(), 16, 2);
    cell.Select(3, 2);
    ASSERT_EQ(cell.DeleteSelection(), 1);
    for (int i = 2; i < 14; ++i)
        EXPECT_EQ(bytes[i], i + 2) << i;
    EXPECT_EQ(bytes[14], 0xFF);
    EXPECT_EQ(bytes[15], 0xFF);
    EXPECT_FALSE(cell.HasSelection());
    EXPECT_EQ(cell.GetCursor(), 2);
    ASSERT_EQ(recorder.ranges.size(), 1u);
    EXPECT_EQ(recorder.ranges[0], std::make_pair(2, 15));
}

TEST(HexCell, PasteInsertsOverwritesOrShrinks) {
    auto bytes = Counting();
    CHexCell cell;
    cell.SetBuffer(bytes.data(), 16, 2);
    // Without a selection: inserted at the cursor, the end is lost.
    cell.SetCursor(1, 0);
    ASSERT_EQ(cell.Paste({0xA1, 0xA2}), 1);
    const std::array<std::uint8_t, 16> inserted = {0, 0xA1, 0xA2, 1, 2,  3,  4,  5,
                                                   6, 7,    8,    9, 10, 11, 12, 13};
    EXPECT_EQ(bytes, inserted);
    // Same length: overwritten.
    cell.Select(0, 1);
    cell.Paste({0x55, 0x66});
    EXPECT_EQ(bytes[0], 0x55);
    EXPECT_EQ(bytes[1], 0x66);
    EXPECT_EQ(bytes[2], 0xA2);
    // Shorter: the rest moves down and the end takes the fill value.
    cell.SetFillValue(0x12345678);
    cell.Select(0, 3);
    cell.Paste({0x99});
    EXPECT_EQ(bytes[0], 0x99);
    EXPECT_EQ(bytes[1], 2);
    EXPECT_EQ(bytes[15], 0x78);
    // Pasting past the end drops what does not fit.
    cell.SetCursor(15, 0);
    cell.Paste({1, 2, 3});
    EXPECT_EQ(bytes[15], 1);
}

TEST(HexCell, PastedBytesAreRoundedUpToWordsFromTheFillValue) {
    std::array<std::uint8_t, 8> bytes{};
    CHexCell cell;
    cell.SetBuffer(bytes.data(), 4, 4);
    cell.SetFillValue(0xFFFFAA55);
    cell.Select(0, 0);
    cell.Paste({0x11, 0x22, 0x33});
    // Three bytes become two words; the missing high byte of the second word
    // is the fill value's second byte; what followed moves up by one word.
    const std::array<std::uint8_t, 8> expected = {0x11, 0x22, 0x33, 0xAA, 0, 0, 0, 0};
    EXPECT_EQ(bytes, expected);
    EXPECT_EQ(cell.GetCursor(), 0);
}

TEST(HexCell, TypingDigitsWritesAtOnceAndStepsToTheNextSymbol) {
    std::array<std::uint8_t, 4> bytes{0x00, 0x00, 0x34, 0x12};
    CHexCell cell;
    Recorder recorder;
    cell.SetListener(&recorder);
    cell.SetBuffer(bytes.data(), 2, 4);
    for (char c : std::string("abcd"))
        ASSERT_EQ(cell.TypeHexDigit(c), 1);
    EXPECT_EQ(bytes[0], 0xCD);
    EXPECT_EQ(bytes[1], 0xAB);
    EXPECT_EQ(cell.GetCursor(), 1);
    EXPECT_EQ(cell.GetDigit(), 0);
    EXPECT_EQ(recorder.ranges.size(), 4u);
    // Backspace removes the digit before the digit cursor; leaving commits.
    EXPECT_EQ(cell.GetEditText(), "1234");
    cell.SetCursor(1, 2);
    cell.BackspaceDigit();
    EXPECT_EQ(cell.GetEditText(), "134 ");
    cell.SetCursor(0, 0);
    EXPECT_EQ(bytes[2], 0x34);
    EXPECT_EQ(bytes[3], 0x01);
    // At the last symbol the cursor stays on its last digit.
    cell.SetCursor(1, 3);
    cell.TypeHexDigit('F');
    EXPECT_EQ(cell.GetCursor(), 1);
}

TEST(HexCell, TypingCharactersAndReplacingASelection) {
    auto bytes = Counting();
    CHexCell cell;
    cell.SetBuffer(bytes.data(), 16, 2);
    cell.Select(2, 4);
    ASSERT_EQ(cell.TypeCharacter('A'), 1);
    EXPECT_EQ(bytes[2], 'A');
    EXPECT_EQ(bytes[3], 5);
    EXPECT_EQ(cell.GetCursor(), 3);
    EXPECT_EQ(bytes[14], 0xFF);
}

TEST(HexText, ParsesTokensLowByteFirst) {
    std::vector<std::uint8_t> bytes;
    std::string error;
    ASSERT_EQ(ParseHexText("1234 abcd\r\n", bytes, error), 1);
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0x34, 0x12, 0xCD, 0xAB}));
    ASSERT_EQ(ParseHexText("01020304", bytes, error), 1);
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{4, 3, 2, 1}));
    EXPECT_EQ(ParseHexText("12 345", bytes, error), 0);
    EXPECT_EQ(error, "Encountered mal-formed token size 3 in BYTE array");
    EXPECT_EQ(ParseHexText("1234 12", bytes, error), 0);
    EXPECT_EQ(error, "Encountered mal-formed token size 2 in WORD array");
    EXPECT_EQ(ParseHexText("123", bytes, error), 0);
    EXPECT_EQ(error, "Encountered mal-formed token size 3");
    EXPECT_EQ(ParseHexText("  \n", bytes, error), 0);
    EXPECT_EQ(error, "No values found in text buffer");
    EXPECT_EQ(ParseHexText("12 zz", bytes, error), 0);
    EXPECT_EQ(error, "FindToken encountered mal-formed character 'z' (0x7A)");
}

}  // namespace
}  // namespace kv::ui
