#include "kelvane/ui/page_environment.h"

#include <QProcess>
#include <QStringList>
#include <filesystem>
#include <utility>

#include "kelvane/app/kelvane_app.h"
#include "kelvane/commands/current_project.h"
#include "kelvane/core/prg_processor.h"
#include "ui_window.h"

namespace kv::ui {

namespace {

UiWindowResolver& Resolver() {
    static UiWindowResolver resolver;
    return resolver;
}

PodVccProvider& VccProvider() {
    static PodVccProvider provider;
    return provider;
}

FileViewer& Viewer() {
    static FileViewer viewer;
    return viewer;
}

bool StartEditor(const std::string& path) {
    const QString file = QString::fromStdString(path);
    const QString configured = qEnvironmentVariable("KELVANE_TEXT_EDITOR").trimmed();
    if (configured.isEmpty()) return QProcess::startDetached(QStringLiteral("xdg-open"), {file});
    QStringList parts = QProcess::splitCommand(configured);
    if (parts.isEmpty()) return false;
    bool placed = false;
    for (QString& part : parts) {
        if (part.contains(QStringLiteral("%s"))) {
            part.replace(QStringLiteral("%s"), file);
            placed = true;
        }
    }
    if (!placed) parts.append(file);
    const QString program = parts.takeFirst();
    return QProcess::startDetached(program, parts);
}

}  // namespace

UiWindowResolver SetUiWindowResolver(UiWindowResolver resolver) {
    return std::exchange(Resolver(), std::move(resolver));
}

QWidget* WidgetOfUiWindow(UiWindow* window) {
    if (window == nullptr) return nullptr;
    return Resolver() ? Resolver()(window) : window->GetWidget();
}

PodVccProvider SetPodVccProvider(PodVccProvider provider) {
    return std::exchange(VccProvider(), std::move(provider));
}

PodVccCapability GetPodVccCapability() {
    if (VccProvider()) return VccProvider()();
    const AppGlobals& globals = GetAppGlobals();
    return PodVccCapability{globals.PodVccAdjustable, globals.PodFixedVcc};
}

int GetCurrentAddressDigits() {
    const CPrgProcessor* processor = GetCommandProjectProcessor();
    return processor != nullptr ? processor->GetAddressDigits() : 4;
}

FileViewer SetFileViewer(FileViewer viewer) {
    return std::exchange(Viewer(), std::move(viewer));
}

bool ViewFile(const std::string& path) {
    if (Viewer()) return Viewer()(path);
    return StartEditor(path);
}

bool FileExists(const std::string& path) {
    std::error_code error;
    return !path.empty() && std::filesystem::exists(path, error) &&
           !std::filesystem::is_directory(path, error);
}

}  // namespace kv::ui
