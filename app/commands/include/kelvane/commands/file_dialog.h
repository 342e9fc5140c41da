// The platform's open-file dialog as the file commands use it. The user
// interface installs the handler; without one the dialog is cancelled.
#pragma once

#include <functional>
#include <string>

#include "kelvane/core/tree_ui.h"

namespace kv {

struct OpenFileDialogRequest {
    UiWindow* parent = nullptr;
    std::string title;
    // The file shown at first.
    std::string path;
    // "Text (*.ext)|*.ext|...||" pairs.
    std::string filter;
    // 1-based.
    int filterIndex = 1;
    bool mustExist = false;
    bool hideReadOnly = true;
    bool promptOverwrite = true;
};

struct OpenFileDialogResult {
    std::string path;
    // 1-based index of the filter chosen.
    int filterIndex = 0;
};

// True when the user chose a file.
using OpenFileDialogHandler =
    std::function<bool(const OpenFileDialogRequest& request, OpenFileDialogResult& result)>;

OpenFileDialogHandler SetOpenFileDialogHandler(OpenFileDialogHandler handler);
bool ShowOpenFileDialog(const OpenFileDialogRequest& request, OpenFileDialogResult& result);

}  // namespace kv
