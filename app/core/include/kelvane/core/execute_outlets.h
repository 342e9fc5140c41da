// Where a run reports to: the progress bar, the status line and the log. The
// window program implements them over its controls; the console runner logs
// to standard output and has neither bar.
#pragma once

#include <string>

namespace kv {

class ProgressBar {
  public:
    virtual ~ProgressBar() = default;
    virtual void SetRange(int low, int high) = 0;
    virtual void SetPos(int position) = 0;
};

class StatusBar {
  public:
    virtual ~StatusBar() = default;
    // Sets the first pane and repaints it at once.
    virtual void SetText(const std::string& text) = 0;
};

class LogWindow {
  public:
    virtual ~LogWindow() = default;
    // The text as it is; "\n" inside it is a line break.
    virtual void Append(const std::string& text) = 0;
    virtual void NewLine() = 0;
};

// The console's log: standard output, unchanged.
class StdoutLog : public LogWindow {
  public:
    void Append(const std::string& text) override;
    void NewLine() override;
};

}  // namespace kv
