// Kelvane in window mode: the application object with the window program's
// document, main window and message loop.
#include <QApplication>
#include <string>

#include "kelvane/app/kelvane_app.h"
#include "kelvane/core/tree_ui.h"
#include "message_box_handler.h"
#include "register_commands.h"
#include "window_app.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    kv::ui::InstallMessageBoxHandler();
    kv::SetMessagePump(
        [](int /*maxMessages*/) { QCoreApplication::processEvents(QEventLoop::AllEvents); });
    kv::RegisterConsoleCommands();

    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) commandLine += ' ';
        std::string argument = argv[i];
        commandLine += argument.find(' ') != std::string::npos ? "\"" + argument + "\"" : argument;
    }
    int result = 0;
    {
        kv::ui::CKelvaneWindow window;
        kv::CKelvaneApp app(&window);
        window.SetApp(&app);
        result = app.Main(argv[0], commandLine);
    }
    kv::SetMessagePump(nullptr);
    kv::ui::RemoveMessageBoxHandler();
    return result;
}
