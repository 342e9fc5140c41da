#include "kelvane/ui/hex_edit_ctrl.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cstdio>

namespace kv::ui {

namespace {

bool IsPrintable(std::uint8_t byte) {
    return byte >= 0x20 && byte < 0x7F;
}

int LargestPowerOfTwoAtMost(int n) {
    int p = 1;
    while (p * 2 <= n)
        p *= 2;
    return p;
}

}  // namespace

std::string CEditHexBufferState::Dump() const {
    char text[80];
    std::snprintf(text, sizeof text, "State %ld, (0x%08lX-0x%08lX)\n", static_cast<long>(cursor),
                  static_cast<unsigned long>(static_cast<std::uint32_t>(selectionLast)),
                  static_cast<unsigned long>(static_cast<std::uint32_t>(selectionFirst)));
    return text;
}

CHexEditCtrl::CHexEditCtrl(QWidget* parent) : QAbstractScrollArea(parent) {
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    font.setPointSizeF(9.0);
    setFont(font);
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    cell_.SetListener(this);
    Layout();
}

CHexEditCtrl::~CHexEditCtrl() {
    cell_.SetListener(nullptr);
}

int CHexEditCtrl::SetBuffer(std::uint8_t* bytes, int count, int width) {
    if (!cell_.SetBuffer(bytes, count, width)) return Fail(cell_.GetLastError());
    anchor_ = -1;
    SetBaseAddress(baseAddress_);
    return 1;
}

int CHexEditCtrl::SetAddressDigits(int digits) {
    if (digits < 2 || digits > 8) return Fail("Address digits must be 2 to 8");
    addressDigits_ = digits;
    Layout();
    return 1;
}

void CHexEditCtrl::SetBaseAddress(std::uint32_t address) {
    baseAddress_ = address;
    const int width = cell_.GetWidth();
    misaligned_ = (width == 4 && (address & 1) != 0) || (width == 8 && (address & 3) != 0);
    Layout();
}

void CHexEditCtrl::ShowAddressColumn(bool show) {
    showAddress_ = show;
    Layout();
}

void CHexEditCtrl::ShowHexColumn(bool show) {
    showHex_ = show;
    Layout();
}

void CHexEditCtrl::ShowAsciiColumn(bool show) {
    showAscii_ = show;
    Layout();
}

void CHexEditCtrl::SetReadOnly(bool readOnly) {
    readOnly_ = readOnly;
    QPalette p = viewport()->palette();
    p.setColor(QPalette::Base, readOnly ? palette().color(QPalette::Button) : QColor(Qt::white));
    viewport()->setPalette(p);
    viewport()->update();
}

int CHexEditCtrl::GetFirstRow() const {
    return verticalScrollBar()->value();
}

CEditHexBufferState CHexEditCtrl::GetState() const {
    CEditHexBufferState state;
    state.cursor = cell_.GetCursor();
    state.digit = cell_.GetDigit();
    state.firstRow = GetFirstRow();
    state.selectionFirst = cell_.GetSelectionFirst();
    state.selectionLast = cell_.GetSelectionLast();
    state.fillValue = cell_.GetFillValue();
    return state;
}

void CHexEditCtrl::SetState(const CEditHexBufferState& state) {
    cell_.SetCursor(state.cursor, state.digit);
    if (state.selectionFirst >= 0 && state.selectionLast >= 0)
        cell_.Select(state.selectionFirst, state.selectionLast);
    else
        cell_.ClearSelection();
    cell_.SetFillValue(state.fillValue);
    verticalScrollBar()->setValue(state.firstRow);
    viewport()->update();
}

void CHexEditCtrl::Layout() {
    const QFontMetrics metrics(font());
    charWidth_ = std::max(1, metrics.horizontalAdvance(QLatin1Char('0')));
    lineHeight_ = std::max(1, metrics.height());
    addressWidth_ = showAddress_ ? charWidth_ * (addressDigits_ + 1) : charWidth_ / 4;
    const int width = cell_.GetWidth();
    int perSymbol = 1;
    if (showHex_) perSymbol = width + 1 + (IsAsciiColumnShown() ? 1 : 0);
    const int available = std::max(0, viewport()->width() - addressWidth_);
    symbolsPerRow_ = LargestPowerOfTwoAtMost(std::max(1, available / (perSymbol * charWidth_)));
    rowsPerPage_ = std::max(1, viewport()->height() / lineHeight_);
    rowOffset_ = showAddress_ ? static_cast<int>((static_cast<std::uint64_t>(baseAddress_) * 2 /
                                                  static_cast<unsigned>(width)) %
                                                 static_cast<unsigned>(symbolsPerRow_))
                              : 0;
    const int rows = (rowOffset_ + cell_.GetCount() + symbolsPerRow_ - 1) / symbolsPerRow_;
    verticalScrollBar()->setRange(0, std::max(0, rows - rowsPerPage_));
    verticalScrollBar()->setPageStep(rowsPerPage_);
    verticalScrollBar()->setEnabled(rows > rowsPerPage_);
    viewport()->update();
}

QString CHexEditCtrl::RowAddressText(int row) const {
    const int width = cell_.GetWidth();
    const std::uint32_t address = baseAddress_ -
                                  static_cast<std::uint32_t>(rowOffset_ * width / 2) +
                                  static_cast<std::uint32_t>(width * symbolsPerRow_ * row / 2);
    const QString full = QStringLiteral("%1").arg(address, 8, 16, QLatin1Char('0')).toUpper();
    return full.right(addressDigits_);
}

void CHexEditCtrl::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    Layout();
}

void CHexEditCtrl::scrollContentsBy(int, int) {
    viewport()->update();
}

bool CHexEditCtrl::focusNextPrevChild(bool) {
    return false;
}

void CHexEditCtrl::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.setFont(font());
    const QPalette& pal = palette();
    painter.fillRect(viewport()->rect(), viewport()->palette().color(QPalette::Base));
    const int width = cell_.GetWidth();
    const int first = GetFirstRow();
    const int ascent = QFontMetrics(font()).ascent();
    const int hexStart = addressWidth_;
    const int asciiStart = hexStart + (showHex_ ? symbolsPerRow_ * (width + 1) * charWidth_ : 0);
    if (showAddress_)
        painter.drawLine(addressWidth_ - charWidth_ / 2, 0, addressWidth_ - charWidth_ / 2,
                         viewport()->height());
    for (int r = 0; r <= rowsPerPage_; ++r) {
        const int row = first + r;
        const int y = r * lineHeight_;
        const int firstIndex = row * symbolsPerRow_ - rowOffset_;
        if (firstIndex >= cell_.GetCount()) break;
        if (showAddress_) {
            painter.setPen(misaligned_ ? QColor(255, 0, 0) : pal.color(QPalette::Text));
            painter.drawText(0, y + ascent, RowAddressText(row));
        }
        for (int c = 0; c < symbolsPerRow_; ++c) {
            const int index = firstIndex + c;
            if (index < 0) continue;
            if (index >= cell_.GetCount()) break;
            const bool selected = cell_.HasSelection() && index >= cell_.GetSelectionFirst() &&
                                  index <= cell_.GetSelectionLast();
            const bool isCursor = index == cell_.GetCursor();
            const QString text = QString::fromStdString(isCursor ? cell_.GetEditText()
                                                                 : cell_.FormatValue(index, false));
            if (showHex_) {
                const int x = hexStart + c * (width + 1) * charWidth_;
                if (selected) {
                    painter.fillRect(x, y, width * charWidth_, lineHeight_,
                                     pal.color(QPalette::Highlight));
                    painter.setPen(pal.color(QPalette::HighlightedText));
                } else {
                    painter.setPen(pal.color(QPalette::Text));
                }
                for (int d = 0; d < width && d < text.size(); ++d)
                    painter.drawText(x + d * charWidth_, y + ascent, QString(text[d]));
            }
            if (IsAsciiColumnShown()) {
                std::uint32_t value = 0;
                cell_.ReadValue(index, &value);
                const auto byte = static_cast<std::uint8_t>(value);
                const int x = asciiStart + c * charWidth_;
                if (selected) {
                    painter.fillRect(x, y, charWidth_, lineHeight_, pal.color(QPalette::Highlight));
                    painter.setPen(pal.color(QPalette::HighlightedText));
                } else {
                    painter.setPen(pal.color(QPalette::Text));
                }
                painter.drawText(x, y + ascent,
                                 QString(QChar(IsPrintable(byte) ? static_cast<char>(byte) : '.')));
            }
        }
    }
    // The caret: shown only while focused, with no selection.
    if (hasFocus() && !cell_.HasSelection() && cell_.GetCount() > 0) {
        const int index = cell_.GetCursor() + rowOffset_;
        const int r = index / symbolsPerRow_ - first;
        const int c = index % symbolsPerRow_;
        if (r >= 0 && r < rowsPerPage_) {
            const int x = hexFocus_ && showHex_
                              ? hexStart + (c * (width + 1) + cell_.GetDigit()) * charWidth_
                              : asciiStart + c * charWidth_;
            painter.fillRect(x, r * lineHeight_, 2, lineHeight_, pal.color(QPalette::Text));
        }
    }
}

void CHexEditCtrl::EnsureCursorVisible() {
    const int row = (cell_.GetCursor() + rowOffset_) / symbolsPerRow_;
    QScrollBar* bar = verticalScrollBar();
    if (row < bar->value())
        bar->setValue(row);
    else if (row >= bar->value() + rowsPerPage_)
        bar->setValue(row - rowsPerPage_ + 1);
    viewport()->update();
}

void CHexEditCtrl::MoveCursor(int symbol, int digit, bool extend) {
    const int count = cell_.GetCount();
    if (count <= 0) return;
    symbol = std::clamp(symbol, 0, count - 1);
    if (extend) {
        if (!cell_.HasSelection() || anchor_ < 0) anchor_ = cell_.GetCursor();
        cell_.SetCursor(symbol, digit);
        cell_.Select(anchor_, symbol);
    } else {
        cell_.SetCursor(symbol, digit);
        cell_.ClearSelection();
        anchor_ = -1;
    }
    EnsureCursorVisible();
}

void CHexEditCtrl::keyPressEvent(QKeyEvent* event) {
    if (cell_.GetBuffer() == nullptr) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    const bool shift = (event->modifiers() & Qt::ShiftModifier) != 0;
    const bool ctrl = (event->modifiers() & Qt::ControlModifier) != 0;
    const int cursor = cell_.GetCursor();
    const int digit = cell_.GetDigit();
    const int width = cell_.GetWidth();
    const int count = cell_.GetCount();
    const int spr = symbolsPerRow_;
    if (event->matches(QKeySequence::Copy)) {
        if (cell_.HasSelection()) Copy();
        return;
    }
    if (event->matches(QKeySequence::Cut)) {
        if (cell_.HasSelection()) Cut();
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        Paste();
        return;
    }
    if (event->matches(QKeySequence::Undo)) return;
    switch (event->key()) {
        case Qt::Key_Left:
            if (hexFocus_ && !shift) {
                if (digit > 0)
                    MoveCursor(cursor, digit - 1, false);
                else
                    MoveCursor(cursor > 0 ? cursor - 1 : 0, cursor > 0 ? width - 1 : 0, false);
            } else if (cursor > 0) {
                MoveCursor(cursor - 1, 0, shift);
            }
            return;
        case Qt::Key_Right:
            if (hexFocus_ && !shift) {
                if (digit + 1 < width)
                    MoveCursor(cursor, digit + 1, false);
                else
                    MoveCursor(cursor + 1 < count ? cursor + 1 : cursor,
                               cursor + 1 < count ? 0 : digit, false);
            } else if (cursor + 1 < count) {
                MoveCursor(cursor + 1, 0, shift);
            }
            return;
        case Qt::Key_Up:
            if (cursor - spr >= 0)
                MoveCursor(cursor - spr, digit, shift);
            else if (shift)
                MoveCursor(0, 0, true);
            return;
        case Qt::Key_Down:
            if (cursor + spr < count)
                MoveCursor(cursor + spr, digit, shift);
            else if (shift)
                MoveCursor(count - 1, 0, true);
            return;
        case Qt::Key_PageUp:
            MoveCursor(cursor - rowsPerPage_ * spr, digit, shift);
            return;
        case Qt::Key_PageDown:
            MoveCursor(cursor + rowsPerPage_ * spr, digit, shift);
            return;
        case Qt::Key_Home:
            MoveCursor(ctrl ? 0 : cursor - (cursor + rowOffset_) % spr, 0, shift);
            return;
        case Qt::Key_End:
            MoveCursor(ctrl ? count - 1 : cursor - (cursor + rowOffset_) % spr + spr - 1, 0, shift);
            return;
        case Qt::Key_Tab:
            MoveCursor(ctrl ? cursor - 1 : cursor + 1, 0, shift);
            return;
        case Qt::Key_Backtab:
            MoveCursor(cursor - 1, 0, false);
            return;
        case Qt::Key_Insert:
            return;
        case Qt::Key_Delete:
            if (readOnly_) return;
            if (cell_.HasSelection())
                Clear();
            else
                cell_.DeleteDigit();
            viewport()->update();
            return;
        case Qt::Key_Backspace:
            if (readOnly_) return;
            if (cell_.HasSelection()) {
                Clear();
            } else if (hexFocus_) {
                cell_.BackspaceDigit();
            } else if (cursor > 0) {
                cell_.SetCursor(cursor - 1, 0);
                cell_.Select(cursor - 1, cursor - 1);
                Clear();
            }
            EnsureCursorVisible();
            return;
        default:
            break;
    }
    if (!ctrl && HandleCharacter(event->text())) return;
    QAbstractScrollArea::keyPressEvent(event);
}

bool CHexEditCtrl::HandleCharacter(const QString& text) {
    if (text.size() != 1 || readOnly_) return false;
    const QChar c = text[0];
    if (c.unicode() < 0x20 || c.unicode() > 0xFF) return false;
    int ok = 1;
    if (hexFocus_) {
        if (!isxdigit(c.unicode())) return true;
        ok = cell_.TypeHexDigit(static_cast<char>(c.unicode()));
    } else {
        ok = cell_.TypeCharacter(static_cast<unsigned char>(c.unicode()));
    }
    if (!ok) error_ = cell_.GetLastError();
    cell_.ClearSelection();
    anchor_ = -1;
    EnsureCursorVisible();
    return true;
}

bool CHexEditCtrl::HitTest(const QPoint& point, int* symbol, int* digit, bool* hexColumn) const {
    const int width = cell_.GetWidth();
    const int row = GetFirstRow() + point.y() / lineHeight_;
    const int hexStart = addressWidth_;
    const int asciiStart = hexStart + (showHex_ ? symbolsPerRow_ * (width + 1) * charWidth_ : 0);
    int column = 0;
    if (IsAsciiColumnShown() && point.x() >= asciiStart) {
        column = std::min((point.x() - asciiStart) / charWidth_, symbolsPerRow_ - 1);
        *digit = 0;
        *hexColumn = false;
    } else if (showHex_) {
        const int chars = std::max(0, point.x() - hexStart) / charWidth_;
        column = std::min(chars / (width + 1), symbolsPerRow_ - 1);
        *digit = std::min(chars % (width + 1), width - 1);
        *hexColumn = true;
    } else {
        return false;
    }
    const int index = row * symbolsPerRow_ + column - rowOffset_;
    *symbol = std::clamp(index, 0, std::max(0, cell_.GetCount() - 1));
    return cell_.GetCount() > 0;
}

void CHexEditCtrl::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    int symbol = 0, digit = 0;
    bool hexColumn = true;
    if (!HitTest(event->position().toPoint(), &symbol, &digit, &hexColumn)) return;
    hexFocus_ = hexColumn;
    const bool shift = (event->modifiers() & Qt::ShiftModifier) != 0;
    MoveCursor(symbol, digit, shift);
    if (!shift) anchor_ = symbol;
    dragging_ = true;
}

void CHexEditCtrl::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_) return;
    QPoint p = event->position().toPoint();
    if (p.y() < 0) {
        verticalScrollBar()->setValue(GetFirstRow() - 1);
        p.setY(0);
    } else if (p.y() >= viewport()->height()) {
        verticalScrollBar()->setValue(GetFirstRow() + 1);
        p.setY(viewport()->height() - 1);
    }
    int symbol = 0, digit = 0;
    bool hexColumn = true;
    if (!HitTest(p, &symbol, &digit, &hexColumn) || anchor_ < 0) return;
    if (symbol != anchor_ || cell_.HasSelection()) {
        cell_.SetCursor(symbol, 0);
        cell_.Select(anchor_, symbol);
        viewport()->update();
    }
}

void CHexEditCtrl::mouseReleaseEvent(QMouseEvent*) {
    dragging_ = false;
}

void CHexEditCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
    int symbol = 0, digit = 0;
    bool hexColumn = true;
    if (!HitTest(event->position().toPoint(), &symbol, &digit, &hexColumn)) return;
    cell_.SetCursor(symbol, 0);
    cell_.Select(symbol, symbol);
    anchor_ = symbol;
    viewport()->update();
}

void CHexEditCtrl::wheelEvent(QWheelEvent* event) {
    const int step = std::max(1, rowsPerPage_ / 4);
    const int delta = event->angleDelta().y();
    if (delta == 0) return;
    verticalScrollBar()->setValue(GetFirstRow() + (delta > 0 ? -step : step));
}

int CHexEditCtrl::Copy() {
    if (!cell_.HasSelection()) return Fail("Unable to copy empty selection to clipboard");
    if (cell_.GetBuffer() == nullptr) return Fail("Unable to copy NULL buffer to clipboard");
    const std::vector<std::uint8_t> bytes = cell_.SelectedBytes();
    QByteArray binary(4, '\0');
    const auto n = static_cast<std::uint32_t>(bytes.size());
    for (int b = 0; b < 4; ++b)
        binary[b] = static_cast<char>(n >> (8 * b));
    binary.append(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(n));
    QString text;
    if (hexFocus_) {
        for (int i = cell_.GetSelectionFirst(); i <= cell_.GetSelectionLast(); ++i) {
            if (!text.isEmpty()) text += QLatin1Char(' ');
            text += QString::fromStdString(cell_.FormatValue(i, false));
        }
    } else {
        for (std::uint8_t byte : bytes)
            text += QChar(IsPrintable(byte) ? byte : '.');
    }
    auto* mime = new QMimeData;
    mime->setData(QString::fromLatin1(kHexEditClipboardFormat), binary);
    mime->setText(text);
    QApplication::clipboard()->setMimeData(mime);
    return 1;
}

int CHexEditCtrl::Cut() {
    if (!Copy()) return 0;
    if (readOnly_) return 1;
    return Clear();
}

int CHexEditCtrl::Clear() {
    if (readOnly_) return Fail("Unable to delete in a read-only buffer");
    if (!cell_.DeleteSelection()) return Fail(cell_.GetLastError());
    anchor_ = -1;
    EnsureCursorVisible();
    return 1;
}

void CHexEditCtrl::SelectAll() {
    if (cell_.GetCount() <= 0) return;
    cell_.SetCursor(0, 0);
    cell_.Select(0, cell_.GetCount() - 1);
    anchor_ = 0;
    viewport()->update();
}

bool CHexEditCtrl::CanPaste() const {
    const QMimeData* mime = QApplication::clipboard()->mimeData();
    return mime != nullptr &&
           (mime->hasText() || mime->hasFormat(QString::fromLatin1(kHexEditClipboardFormat)));
}

int CHexEditCtrl::Paste() {
    if (readOnly_) return Fail("Unable to paste into a read-only buffer");
    if (cell_.GetBuffer() == nullptr) return Fail("Unable to copy to NULL buffer from clipboard");
    const QMimeData* mime = QApplication::clipboard()->mimeData();
    std::vector<std::uint8_t> bytes;
    const QString format = QString::fromLatin1(kHexEditClipboardFormat);
    if (mime != nullptr && mime->hasFormat(format)) {
        const QByteArray block = mime->data(format);
        if (block.size() <= 4) return Fail("Unable to copy binary data from small clipboard block");
        std::uint32_t n = 0;
        for (int b = 0; b < 4; ++b)
            n |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(block[b])) << (8 * b);
        if (static_cast<std::uint64_t>(block.size() - 4) < n)
            return Fail("Unable to copy binary data from clipboard");
        bytes.assign(block.begin() + 4, block.begin() + 4 + n);
    } else if (hexFocus_) {
        if (mime == nullptr || !mime->hasText())
            return Fail("Unable to copy text data from clipboard");
        const QByteArray text = mime->text().toLatin1();
        if (text.isEmpty()) return Fail("Unable to copy text data from small clipboard block");
        std::string error;
        if (!ParseHexText(text.toStdString(), bytes, error)) return Fail(error);
    } else {
        if (mime == nullptr || !mime->hasText())
            return Fail("Unable to copy ASCII data from clipboard");
        const QByteArray text = mime->text().toLatin1();
        if (text.isEmpty()) return Fail("Unable to copy ASCII data from small clipboard block");
        bytes.assign(text.begin(), text.end());
    }
    if (!cell_.Paste(bytes)) return Fail(cell_.GetLastError());
    anchor_ = -1;
    EnsureCursorVisible();
    return 1;
}

QMenu* CHexEditCtrl::BuildContextMenu() {
    auto* menu = new QMenu(this);
    const bool selection = cell_.HasSelection();
    QAction* undo = menu->addAction(tr("&Undo"));
    undo->setEnabled(false);
    menu->addSeparator();
    menu->addAction(tr("Cu&t"), this, [this] { Cut(); })->setEnabled(selection);
    menu->addAction(tr("&Copy"), this, [this] { Copy(); })->setEnabled(selection);
    menu->addAction(tr("&Paste"), this, [this] { Paste(); })->setEnabled(CanPaste());
    menu->addAction(tr("&Delete"), this, [this] { Clear(); })->setEnabled(selection);
    menu->addSeparator();
    menu->addAction(tr("Select &All"), this, [this] { SelectAll(); });
    return menu;
}

void CHexEditCtrl::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = BuildContextMenu();
    const QPoint at = event->reason() == QContextMenuEvent::Keyboard
                          ? viewport()->mapToGlobal(QPoint(5, 5))
                          : event->globalPos();
    menu->exec(at);
    delete menu;
}

void CHexEditCtrl::OnSymbolsWritten(int first, int last) {
    viewport()->update();
    if (owner_) owner_(first, last);
    emit symbolsWritten(first, last);
}

}  // namespace kv::ui
