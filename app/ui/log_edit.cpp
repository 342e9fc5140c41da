#include "log_edit.h"

#include <QFont>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

namespace kv::ui {

namespace {

constexpr int kLinesDropped = 10;

QString Display(const std::string& text) {
    QString shown = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return shown;
}

}  // namespace

CLogEdit::CLogEdit(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

void CLogEdit::CreateLogFont() {
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::Monospace);
    font.setPointSizeF(90 / 10.0);
    setFont(font);
}

void CLogEdit::Print(const std::string& text, int newLine) {
    AppendText(text);
    if (newLine == 1) AppendText("\n");
}

void CLogEdit::AppendText(const std::string& text) {
    std::size_t start = 0;
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', start)) {
        AddPiece(text.substr(start, at - start) + "\r\n");
        start = at + 1;
    }
    if (start < text.size()) AddPiece(text.substr(start));
}

void CLogEdit::ClearLog() {
    text_.clear();
    clear();
}

void CLogEdit::AddPiece(const std::string& piece) {
    if (text_.size() > kMaxCharacters) {
        // Drop the first ten lines; a log without ten line ends is dropped
        // whole, so it never grows without bound.
        std::size_t cut = 0;
        int lines = 0;
        for (std::size_t at = text_.find("\r\n"); at != std::string::npos && lines < kLinesDropped;
             at = text_.find("\r\n", at + 2)) {
            cut = at + 2;
            ++lines;
        }
        if (lines < kLinesDropped) cut = text_.size();
        text_.erase(0, cut);
        QTextCursor cursor(document());
        cursor.movePosition(QTextCursor::Start);
        if (lines < kLinesDropped) {
            cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        } else {
            cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, kLinesDropped);
        }
        cursor.removeSelectedText();
    }
    text_ += piece;
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(Display(piece));
    setTextCursor(cursor);
    ensureCursorVisible();
}

}  // namespace kv::ui
