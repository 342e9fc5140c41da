// The window program as a user starts it: the application object with the
// window program's document and main window, the real command library, page
// factory, prototypes and configuration files, Qt's message boxes and file
// dialogs, on the off-screen platform. Modal windows are answered from the
// event loop as they appear.
#pragma once

#include <gtest/gtest.h>

#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "kelvane/app/kelvane_app.h"
#include "window_app.h"

namespace kv {
class CProjectTreeItem;
}

namespace kv::ui {
class CMainFrame;
class CViewKelvane;
}  // namespace kv::ui

namespace kv::ui::testing {

// Answers modal windows in the order they are expected: each step waits
// until a modal window is shown, hands it to its handler (which closes it)
// and records the window's text.
class ModalDriver : public QObject {
  public:
    using Step = std::function<void(QWidget* modal)>;
    ModalDriver();
    ~ModalDriver() override;
    void Expect(Step step) { steps_.push_back(std::move(step)); }
    // Texts of the message boxes answered, in order.
    std::vector<std::string> texts;
    bool Done() const { return steps_.empty(); }

  private:
    void Poll();
    std::vector<Step> steps_;
    int timer_ = 0;

  protected:
    void timerEvent(QTimerEvent* event) override;
};

// A message-box step: records the text and clicks the button whose text is
// given ("&Yes", "&No", "OK" ...; empty clicks the default button).
ModalDriver::Step Answer(ModalDriver& driver, const QString& button = QString());
// A question answered with the Enter key, as a hurried user would: records
// the text and whether No is the button Enter presses.
ModalDriver::Step AnswerWithEnter(ModalDriver& driver, bool& noIsDefault);

class WindowProgramTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Copies the sample project (with its image) into the scratch folder,
    // optionally with another processor, and returns its path.
    std::string MakeProject(const std::string& name, const std::string& processor = "");
    // Starts the window program on the file, as "kelvane <file>" does.
    void Start(const std::string& file);
    // Appends a command of the class (by element name) made from its
    // prototype and selects it in the tree.
    CProjectTreeItem* AddCommand(const std::string& element);
    // Selects the item in the tree; its page is shown.
    void Select(CProjectTreeItem* item);
    // The page shown in the properties pane.
    QWidget* ShownPage();
    // Runs the event loop until the condition holds (false after a generous
    // limit).
    static bool WaitFor(const std::function<bool()>& condition);

    CMainFrame* Frame();
    CViewKelvane* View();
    std::string Scratch(const std::string& name) const { return scratch_ + "/" + name; }

    std::unique_ptr<CKelvaneWindow> window;
    std::unique_ptr<CKelvaneApp> app;
    ModalDriver modals;

  private:
    uint64_t breaksBefore_ = 0;  // rule breaks the chips reported before the test
    std::string scratch_;
    std::string startDir_;
    bool started_ = false;
};

}  // namespace kv::ui::testing
