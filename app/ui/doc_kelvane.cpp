#include "doc_kelvane.h"

#include "kelvane/core/tree_ui.h"
#include "kelvane/platform/message_box.h"

namespace kv::ui {

namespace {

CDocKelvane* gDocument = nullptr;

}  // namespace

CDocKelvane::CDocKelvane() {
    gDocument = this;
    SetDocumentModifiedHandler([](int modified) {
        if (gDocument != nullptr) gDocument->SetModifiedFlag(modified);
    });
}

CDocKelvane::~CDocKelvane() {
    if (gDocument == this) {
        gDocument = nullptr;
        SetDocumentModifiedHandler(nullptr);
    }
}

void CDocKelvane::SetProject(DocumentProject* project) {
    project_ = project;
}

void CDocKelvane::SetModifiedFlag(int modified) {
    int flag = modified ? 1 : 0;
    if (flag == modified_) return;
    modified_ = flag;
    if (onChanged) onChanged();
}

void CDocKelvane::SetPathName(const std::string& path) {
    path_ = path;
    std::size_t slash = path.find_last_of("/\\");
    std::string title = slash == std::string::npos ? path : path.substr(slash + 1);
    std::size_t dot = title.rfind('.');
    if (dot != std::string::npos) title.erase(dot);
    SetTitle(title);
}

void CDocKelvane::SetTitle(const std::string& title) {
    title_ = title;
    if (onChanged) onChanged();
}

bool CDocKelvane::SaveModified() {
    if (!modified_) return true;
    int answer =
        messageBox("Save changes to " + title_ + "?", kAppTitle, kMbYesNoCancel | kMbIconWarning);
    if (answer == kIdNo) return true;
    if (answer != kIdYes) return false;
    if (onFileSave) return onFileSave();
    messageBox("Unable to save the project", kAppTitle, kMbOk | kMbIconError);
    return false;
}

CDocKelvane* CDocKelvane::GetCurrent() {
    return gDocument;
}

int IsDocumentModified() {
    return gDocument != nullptr ? gDocument->IsModified() : 0;
}

}  // namespace kv::ui
