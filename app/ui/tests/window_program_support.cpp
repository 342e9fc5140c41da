#include "window_program_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimerEvent>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "kelvane/app/path_functions.h"
#include "kelvane/core/array_project_tree_item.h"
#include "kelvane/core/command_factory.h"
#include "kelvane/core/prg_operation.h"
#include "kelvane/core/project_tree_item.h"
#include "kelvane/core/tovrin.h"
#include "kelvane/core/tree_ui.h"
#include "kelvane/platform/usb_backend.h"
#include "kelvane/project/prg_project.h"
#include "kelvane/sim/rule_breaks.h"
#include "main_frame.h"
#include "message_box_handler.h"
#include "project_tree_ctrl.h"
#include "properties_pane.h"
#include "register_commands.h"
#include "view_kelvane.h"

namespace kv::ui::testing {

namespace fs = std::filesystem;

ModalDriver::ModalDriver() {
    timer_ = startTimer(5);
}

ModalDriver::~ModalDriver() {
    killTimer(timer_);
}

void ModalDriver::timerEvent(QTimerEvent* event) {
    if (event->timerId() == timer_) Poll();
}

void ModalDriver::Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || !modal->isVisible() || steps_.empty()) return;
    Step step = std::move(steps_.front());
    steps_.erase(steps_.begin());
    step(modal);
    // A step that failed before it closed its window does not hang the test.
    if (modal->isVisible()) {
        if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
    }
}

ModalDriver::Step Answer(ModalDriver& driver, const QString& button) {
    return [&driver, button](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr) << "a message box was expected, not "
                                << modal->metaObject()->className();
        driver.texts.push_back(box->text().toStdString());
        QAbstractButton* chosen = box->defaultButton();
        if (chosen == nullptr && !box->buttons().isEmpty()) chosen = box->buttons().front();
        for (QAbstractButton* candidate : box->buttons()) {
            QString text = candidate->text();
            text.remove(QLatin1Char('&'));
            QString wanted = button;
            wanted.remove(QLatin1Char('&'));
            if (!button.isEmpty() && text == wanted) chosen = candidate;
        }
        ASSERT_NE(chosen, nullptr);
        chosen->click();
    };
}

ModalDriver::Step AnswerWithEnter(ModalDriver& driver, bool& noIsDefault) {
    return [&driver, &noIsDefault](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        driver.texts.push_back(box->text().toStdString());
        noIsDefault = box->defaultButton() == box->button(QMessageBox::No);
        QTest::keyClick(box, Qt::Key_Return);
    };
}

void WindowProgramTest::SetUp() {
    breaksBefore_ = sim::ruleBreaksReported();
    std::string pattern = (fs::temp_directory_path() / "kelvane_window_XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    scratch_ = pattern;
    fs::create_directories(Scratch("config"));
    ::setenv("XDG_CONFIG_HOME", Scratch("config").c_str(), 1);
    ::unsetenv("KELVANE_USB");
    ::unsetenv("KELVANE_TEXT_EDITOR");
    startDir_ = fs::current_path().string();
    // The program starts afresh: nothing the adapter wrapper kept for the whole
    // process (the password, the line registers) comes from an earlier test.
    CTovrin::ResetProcessState();
    SetModuleDirectory(KELVANE_BIN_DIR);
    // What the window program's main does before the application starts.
    InstallMessageBoxHandler();
    SetMessagePump([](int) { QCoreApplication::processEvents(QEventLoop::AllEvents); });
    RegisterConsoleCommands();
}

void WindowProgramTest::TearDown() {
    if (started_) {
        // As the program ends: the view goes, then the application shuts down.
        window->GetFrame()->GetView()->OnDestroy();
        app->ExitInstance(0);
    }
    app.reset();
    window.reset();
    usb::setBackend(nullptr);
    // A flash rule a simulated chip saw broken fails the test that broke it.
    EXPECT_EQ(sim::ruleBreaksReported(), breaksBefore_) << "flash rules broken";
    UnregisterCommandClasses();
    SetMessagePump(nullptr);
    RemoveMessageBoxHandler();
    SetModuleDirectory("");
    std::error_code error;
    fs::current_path(startDir_, error);
    fs::remove_all(scratch_, error);
    EXPECT_TRUE(modals.Done()) << "a modal window that was expected never came";
}

std::string WindowProgramTest::MakeProject(const std::string& name, const std::string& processor) {
    const fs::path sample = fs::path(KELVANE_SOURCE_DIR) / "examples" / "blink";
    std::ifstream in(sample / "blink.kvnset", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::string project = text.str();
    if (!processor.empty()) {
        const std::string from = "strTargetProcessor=\"MSP430F149\"";
        project.replace(project.find(from), from.size(),
                        "strTargetProcessor=\"" + processor + "\"");
    }
    const std::string path = Scratch(name + ".kvnset");
    std::ofstream(path, std::ios::binary) << project;
    std::error_code error;
    fs::copy_file(sample / "blink.txt", Scratch("blink.txt"), fs::copy_options::skip_existing,
                  error);
    return path;
}

void WindowProgramTest::Start(const std::string& file) {
    // The devices come from KELVANE_USB as this test set it.
    usb::setBackend(nullptr);
    window = std::make_unique<CKelvaneWindow>();
    app = std::make_unique<CKelvaneApp>(window.get());
    window->SetApp(app.get());
    ASSERT_TRUE(app->InitInstance("/opt/kelvane/kelvane", "\"" + file + "\""))
        << (modals.texts.empty() ? "" : modals.texts.front());
    started_ = true;
    Frame()->activateWindow();
    QApplication::processEvents();
}

CMainFrame* WindowProgramTest::Frame() {
    return window->GetFrame();
}

CViewKelvane* WindowProgramTest::View() {
    return Frame()->GetView();
}

CProjectTreeItem* WindowProgramTest::AddCommand(const std::string& element) {
    CArrayProjectTreeItem* prototypes = GetCommandPrototypes();
    CProjectTreeItem* prototype = nullptr;
    for (int i = 0; prototypes != nullptr && i < prototypes->GetSize(); ++i) {
        if (prototypes->GetAt(i)->GetElementName() == element) prototype = prototypes->GetAt(i);
    }
    EXPECT_NE(prototype, nullptr) << element;
    if (prototype == nullptr) return nullptr;
    CProjectTreeItem* command = prototype->Spawn();
    CPrgOperation* list = GetCurrentProject()->GetCommandList();
    CProjectTreeItem* select = nullptr;
    EXPECT_TRUE(list->AddChild(command, list->GetLastChildItem(), &select)) << list->GetLastError();
    Select(command);
    return command;
}

void WindowProgramTest::Select(CProjectTreeItem* item) {
    View()->GetTree()->SelectTreeItem(item);
    QApplication::processEvents();
}

QWidget* WindowProgramTest::ShownPage() {
    for (QObject* child : View()->GetPane()->GetPageArea()->children()) {
        auto* page = qobject_cast<QWidget*>(child);
        if (page != nullptr && page->isVisible()) return page;
    }
    return nullptr;
}

bool WindowProgramTest::WaitFor(const std::function<bool()>& condition) {
    QElapsedTimer limit;
    limit.start();
    while (!condition()) {
        if (limit.elapsed() > 20000) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 20);
    }
    return true;
}

}  // namespace kv::ui::testing
