// The hex editor: a caller-owned byte buffer shown as rows of bytes, 16-bit or
// 32-bit words in hexadecimal, with an address column and, for bytes, an ASCII
// column. Typing overwrites values, deleting moves what follows down and fills
// the end with the fill value, and the clipboard carries the private "HexEdit"
// format (a 32-bit little-endian byte count, then the bytes) beside text.
#pragma once

#include <QAbstractScrollArea>
#include <cstdint>
#include <functional>
#include <string>

#include "kelvane/ui/hex_cell.h"

class QMenu;

namespace kv::ui {

// The name of the clipboard format of copied bytes.
inline constexpr const char* kHexEditClipboardFormat = "HexEdit";

// Where the editor stood, kept by a caller while it swaps buffers.
struct CEditHexBufferState {
    int cursor = 0;
    int firstRow = 0;
    int selectionFirst = -1;
    int selectionLast = -1;
    std::uint32_t fillValue = 0xFFFFFFFF;
    int digit = 0;
    // "State %ld, (0x%08lX-0x%08lX)\n": cursor, selection last and first.
    std::string Dump() const;
};

class CHexEditCtrl : public QAbstractScrollArea, private CHexCellListener {
    Q_OBJECT

  public:
    explicit CHexEditCtrl(QWidget* parent = nullptr);
    ~CHexEditCtrl() override;

    // Width 2, 4 or 8 (others fail with 0); widths 4 and 8 hide the ASCII
    // column. The buffer must outlive its attachment.
    int SetBuffer(std::uint8_t* bytes, int count, int width);
    // 2 to 8; others fail with 0.
    int SetAddressDigits(int digits);
    void SetBaseAddress(std::uint32_t address);
    void ShowAddressColumn(bool show);
    void ShowHexColumn(bool show);
    void ShowAsciiColumn(bool show);
    void SetReadOnly(bool readOnly);
    bool IsReadOnly() const { return readOnly_; }
    // True: typing and the clipboard act on hex values; false: on characters.
    void SetHexFocus(bool hexFocus) { hexFocus_ = hexFocus; }
    bool HasHexFocus() const { return hexFocus_; }
    bool IsMisaligned() const { return misaligned_; }
    bool IsAsciiColumnShown() const { return showAscii_ && cell_.GetWidth() == 2; }

    CEditHexBufferState GetState() const;
    void SetState(const CEditHexBufferState& state);
    // Told of every written range of symbols.
    void SetOwnerListener(std::function<void(int first, int last)> listener) {
        owner_ = std::move(listener);
    }

    CHexCell& Cell() { return cell_; }
    int GetSymbolsPerRow() const { return symbolsPerRow_; }
    int GetRowsPerPage() const { return rowsPerPage_; }
    int GetFirstRow() const;
    // The text of the address shown for row r.
    QString RowAddressText(int row) const;
    const std::string& GetLastError() const { return error_; }

    // Clipboard and edit commands; 1 or 0 with a text.
    int Copy();
    int Cut();
    int Paste();
    int Clear();
    void SelectAll();
    bool CanPaste() const;
    // The context menu's actions, built on demand (Undo, Cut, Copy, Paste,
    // Delete, Select All) with their enabled states.
    QMenu* BuildContextMenu();

  signals:
    void symbolsWritten(int first, int last);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool focusNextPrevChild(bool next) override;

  private:
    void OnSymbolsWritten(int first, int last) override;
    int Fail(std::string text) {
        error_ = std::move(text);
        return 0;
    }
    void Layout();
    void EnsureCursorVisible();
    // The symbol, digit and column under a point of the viewport; false
    // outside the data.
    bool HitTest(const QPoint& point, int* symbol, int* digit, bool* hexColumn) const;
    void MoveCursor(int symbol, int digit, bool extend);
    bool HandleCharacter(const QString& text);

    CHexCell cell_;
    std::string error_ = "No error";
    int addressDigits_ = 4;
    std::uint32_t baseAddress_ = 0;
    bool showAddress_ = true;
    bool showHex_ = true;
    bool showAscii_ = true;
    bool hexFocus_ = true;
    bool readOnly_ = false;
    bool misaligned_ = false;
    int charWidth_ = 8;
    int lineHeight_ = 14;
    int addressWidth_ = 0;
    int symbolsPerRow_ = 1;
    int rowsPerPage_ = 1;
    int rowOffset_ = 0;
    int anchor_ = -1;
    bool dragging_ = false;
    std::function<void(int, int)> owner_;
};

}  // namespace kv::ui
