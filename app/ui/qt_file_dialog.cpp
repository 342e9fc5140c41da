#include "qt_file_dialog.h"

#include <QFileDialog>
#include <QFileInfo>

#include "kelvane/ui/page_environment.h"

namespace kv::ui {

QStringList NameFiltersOf(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString& text = parts[i];
        const QString& patterns = parts[i + 1];
        if (text.isEmpty()) break;
        // Qt reads the patterns from the parentheses of the text.
        QString patternList = patterns;
        patternList.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << (text.contains(QLatin1Char('(')) ? text : text + " (" + patternList + ")");
    }
    return filters;
}

bool ShowQtOpenFileDialog(const OpenFileDialogRequest& request, OpenFileDialogResult& result) {
    QFileDialog dialog(WidgetOfUiWindow(request.parent), QString::fromStdString(request.title));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(request.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    const QStringList filters = NameFiltersOf(request.filter);
    dialog.setNameFilters(filters);
    if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
        dialog.selectNameFilter(filters[request.filterIndex - 1]);
    if (!request.path.empty()) {
        const QFileInfo shown(QString::fromStdString(request.path));
        if (shown.absoluteDir().exists()) dialog.setDirectory(shown.absolutePath());
        dialog.selectFile(shown.fileName());
    }
    dialog.setOption(QFileDialog::ReadOnly, false);
    if (!request.promptOverwrite) dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    result.path = dialog.selectedFiles().constFirst().toStdString();
    result.filterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
    return true;
}

CQtFileDialogInstaller::CQtFileDialogInstaller()
    : previous_(SetOpenFileDialogHandler(&ShowQtOpenFileDialog)) {}

CQtFileDialogInstaller::~CQtFileDialogInstaller() {
    SetOpenFileDialogHandler(std::move(previous_));
}

}  // namespace kv::ui
