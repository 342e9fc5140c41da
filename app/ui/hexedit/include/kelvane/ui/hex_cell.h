// The data model of the hex editor: a caller-owned byte buffer seen as symbols
// of 2, 4 or 8 hexadecimal digits (bytes, 16-bit or 32-bit little-endian
// words), with the cursor, the edit text of the cursor symbol, a selection of
// whole symbols and the fill value that deletions leave behind. The buffer
// keeps its size through every edit.
//
// Operations that can fail return 1 or 0 and leave a text in GetLastError;
// a failure changes nothing else.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kv::ui {

class CHexCellListener {
  public:
    virtual ~CHexCellListener() = default;
    // The symbols first..last were written.
    virtual void OnSymbolsWritten(int first, int last) = 0;
};

class CHexCell {
  public:
    // Width 2, 4 or 8; anything else fails. The cursor goes to symbol 0 and
    // the selection is cleared.
    int SetBuffer(std::uint8_t* bytes, int count, int width);
    std::uint8_t* GetBuffer() const { return buffer_; }
    int GetCount() const { return count_; }
    int GetWidth() const { return width_; }
    int GetSymbolBytes() const { return width_ / 2; }

    int ReadValue(int index, std::uint32_t* value);
    int WriteValue(std::uint32_t value, int index);
    // The value upper-case, zero-padded to the width, optionally with a blank.
    std::string FormatValue(int index, bool trailingBlank);

    // Cursor: symbol and digit inside it. Leaving the symbol commits its edit
    // text. Out-of-range positions are clamped.
    int GetCursor() const { return cursor_; }
    int GetDigit() const { return digit_; }
    void SetCursor(int index, int digit);
    // The cursor symbol's edit text as typed so far (width characters).
    const std::string& GetEditText() const { return editText_; }
    // Writes the edit text into the buffer when it differs from the value.
    int CommitEdit();

    // Hex column typing: the digit at the digit cursor, written at once, then
    // one digit right (from the last digit to the next symbol).
    int TypeHexDigit(char digit);
    // Removes the digit before the digit cursor (nothing at digit 0).
    void BackspaceDigit();
    // Removes the digit under the digit cursor.
    void DeleteDigit();
    // ASCII column typing: the code as the cursor symbol's value, then the
    // next symbol.
    int TypeCharacter(unsigned char code);

    bool HasSelection() const { return selFirst_ >= 0; }
    int GetSelectionFirst() const { return selFirst_; }
    int GetSelectionLast() const { return selLast_; }
    // Selects the symbols between the two indexes in either order (clamped).
    void Select(int from, int to);
    void ClearSelection();
    // The bytes of the selected symbols.
    std::vector<std::uint8_t> SelectedBytes() const;
    // Moves the symbols after the selection down to its start and fills the
    // freed symbols at the end with the fill value.
    int DeleteSelection();
    // Replaces the selection (or an empty region at the cursor) with the
    // bytes, rounded up to whole symbols from the fill value's bytes; what
    // follows moves down or up, and what passes the end is lost.
    int Paste(const std::vector<std::uint8_t>& bytes);

    std::uint32_t GetFillValue() const { return fill_; }
    void SetFillValue(std::uint32_t fill) { fill_ = fill; }

    void SetListener(CHexCellListener* listener) { listener_ = listener; }
    const std::string& GetLastError() const { return error_; }

  private:
    int Fail(std::string text) {
        error_ = std::move(text);
        return 0;
    }
    void LoadEditText();
    void Written(int first, int last);
    std::uint8_t FillByte(int offsetInSymbol) const;

    std::string error_ = "No error";
    std::uint8_t* buffer_ = nullptr;
    int count_ = 0;
    int width_ = 2;
    int cursor_ = 0;
    int digit_ = 0;
    std::string editText_;
    int validDigits_ = 0;
    std::uint32_t editValue_ = 0;
    int selFirst_ = -1;
    int selLast_ = -1;
    std::uint32_t fill_ = 0xFFFFFFFF;
    CHexCellListener* listener_ = nullptr;
};

// Hexadecimal text from the clipboard as bytes: runs of hexadecimal digits
// separated by white space, all as long as the first (2 bytes, 4 16-bit words,
// 8 32-bit words, each stored least significant byte first). 0 with a text
// when the text is not such a list.
int ParseHexText(const std::string& text, std::vector<std::uint8_t>& bytes, std::string& error);

}  // namespace kv::ui
