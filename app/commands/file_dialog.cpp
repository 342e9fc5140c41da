#include "kelvane/commands/file_dialog.h"

#include <utility>

namespace kv {

namespace {

OpenFileDialogHandler& Handler() {
    static OpenFileDialogHandler handler;
    return handler;
}

}  // namespace

OpenFileDialogHandler SetOpenFileDialogHandler(OpenFileDialogHandler handler) {
    return std::exchange(Handler(), std::move(handler));
}

bool ShowOpenFileDialog(const OpenFileDialogRequest& request, OpenFileDialogResult& result) {
    return Handler() ? Handler()(request, result) : false;
}

}  // namespace kv
