// Kelvane in window mode: the configuration, the main window and its
// message loop.
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <memory>
#include <string>
#include <vector>

#include "command_line_info.h"
#include "doc_kelvane.h"
#include "kelvane/core/array_prg_processor.h"
#include "kelvane/core/command_factory.h"
#include "kelvane/core/project_tree_item.h"
#include "kelvane/core/tree_ui.h"
#include "kelvane/platform/message_box.h"
#include "main_frame.h"
#include "message_box_handler.h"
#include "simple_project.h"
#include "view_kelvane.h"

namespace {

// Loads what both modes need from the program's folder.
bool LoadConfiguration() {
    const QString previous = QDir::currentPath();
    QDir::setCurrent(QCoreApplication::applicationDirPath());
    std::string error;
    bool loaded = kv::CProjectTreeItem::InitBooleanMap() && kv::InitCommandTypes(error) &&
                  kv::LoadProcessorTable("ProcessorList.xml") && kv::CreateCommandPrototypes(error);
    if (!loaded) {
        if (!error.empty()) kv::messageBox(error, "Kelvane", kv::kMbOk | kv::kMbIconError);
        return false;
    }
    QDir::setCurrent(previous);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kelvane"));
    QApplication::setOrganizationName(QStringLiteral("Orvanti"));
    kv::ui::InstallMessageBoxHandler();
    kv::SetMessagePump(
        [](int /*maxMessages*/) { QCoreApplication::processEvents(QEventLoop::AllEvents); });

    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.emplace_back(argv[i]);
    kv::ui::CKelvaneCommandLineInfo commandLine;
    commandLine.Parse(arguments);

    int result = 0;
    if (LoadConfiguration() && !commandLine.IsSilent()) {
        kv::ui::CDocKelvane document;
        kv::ui::CMemoryProject project("Untitled", "MSP430F169", 3300);
        document.SetProject(&project);
        kv::ui::CMainFrame frame(&document);
        frame.GetView()->OnInitialUpdate();
        frame.RecalcLayout();
        frame.show();
        result = QApplication::exec();
        frame.GetView()->OnDestroy();
    }
    kv::DestroyCommandPrototypes();
    kv::DestroyProcessorTable();
    kv::SetMessagePump(nullptr);
    kv::ui::RemoveMessageBoxHandler();
    return result;
}
