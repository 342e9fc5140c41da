// The main window's status bar: a stretching text pane and a 300-pixel pane
// that holds the progress control, made the first time it is asked for.
#pragma once

#include <QStatusBar>
#include <memory>
#include <string>

#include "kelvane/core/execute_outlets.h"

class QLabel;
class QProgressBar;

namespace kv::ui {

// The progress control as a run's progress outlet.
class CStatusProgressCtrl : public ProgressBar {
  public:
    explicit CStatusProgressCtrl(QProgressBar* bar) : bar_(bar) {}
    void SetRange(int low, int high) override;
    void SetPos(int position) override;
    QProgressBar* GetBar() const { return bar_; }

  private:
    QProgressBar* bar_;
};

class CStatusProgressBar : public QStatusBar, public StatusBar {
    Q_OBJECT

  public:
    static constexpr int kProgressPaneWidth = 300;

    explicit CStatusProgressBar(QWidget* parent = nullptr);
    ~CStatusProgressBar() override;

    // Sets the text pane and repaints it at once.
    void SetText(const std::string& text) override;
    std::string GetText() const;
    CStatusProgressCtrl* GetStatusProgressCtrl();

    // The status bar while one exists.
    static CStatusProgressBar* GetInstance();

  private:
    QLabel* textPane_;
    QWidget* progressPane_;
    std::unique_ptr<CStatusProgressCtrl> progress_;
};

}  // namespace kv::ui
