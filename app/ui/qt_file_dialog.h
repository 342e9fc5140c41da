// The file commands' open-file dialog shown as Qt's file dialog: the
// "Text (*.ext)|*.ext|...||" filters become the dialog's name filters, and the
// chosen filter comes back 1-based.
#pragma once

#include <QStringList>
#include <string>

#include "kelvane/commands/file_dialog.h"

namespace kv::ui {

// The name filters of a "Text|pattern|...||" filter string.
QStringList NameFiltersOf(const std::string& filter);
// Shows the dialog modally; true when the user chose a file.
bool ShowQtOpenFileDialog(const OpenFileDialogRequest& request, OpenFileDialogResult& result);

// Makes the file commands use Qt's dialog while it exists.
class CQtFileDialogInstaller {
  public:
    CQtFileDialogInstaller();
    ~CQtFileDialogInstaller();
    CQtFileDialogInstaller(const CQtFileDialogInstaller&) = delete;
    CQtFileDialogInstaller& operator=(const CQtFileDialogInstaller&) = delete;

  private:
    OpenFileDialogHandler previous_;
};

}  // namespace kv::ui
