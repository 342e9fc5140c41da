// The execution log: a read-only edit that keeps at most about 20000
// characters, dropping its oldest ten lines when it grows past that.
#pragma once

#include <QPlainTextEdit>
#include <string>

#include "kelvane/core/execute_outlets.h"

namespace kv::ui {

class CLogEdit : public QPlainTextEdit, public LogWindow {
    Q_OBJECT

  public:
    static constexpr std::size_t kMaxCharacters = 19999;

    explicit CLogEdit(QWidget* parent = nullptr);

    // The text, then "\n" when newLine is 1.
    void Print(const std::string& text, int newLine);
    // Every "\n" becomes a line end; the rest after the last one is added as it is.
    void AppendText(const std::string& text);
    void ClearLog();
    // The font "Courier New", 9 points.
    void CreateLogFont();

    // The control's text, line ends as CR LF.
    const std::string& GetLogText() const { return text_; }

    void Append(const std::string& text) override { Print(text, 0); }
    void NewLine() override { Print("", 1); }

  private:
    void AddPiece(const std::string& piece);

    std::string text_;
};

}  // namespace kv::ui
