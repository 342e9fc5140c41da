#include "doc_kelvane.h"

#include "kelvane/app/app_message_box.h"
#include "kelvane/app/path_functions.h"
#include "kelvane/core/tree_ui.h"
#include "kelvane/platform/message_box.h"

namespace kv::ui {

std::string CCurrentProject::GetName() const {
    CPrgProject* project = GetCurrentProject();
    return project != nullptr ? project->GetName() : std::string();
}

void CCurrentProject::SetName(const std::string& name) {
    if (CPrgProject* project = GetCurrentProject()) project->SetName(name);
}

std::string CCurrentProject::GetTargetProcessorName() const {
    CPrgProject* project = GetCurrentProject();
    return project != nullptr ? project->GetTargetProcessorName() : std::string();
}

void CCurrentProject::SetTargetProcessorName(const std::string& name) {
    if (CPrgProject* project = GetCurrentProject()) project->SetTargetProcessorName(name);
}

std::uint32_t CCurrentProject::GetVcc() const {
    CPrgProject* project = GetCurrentProject();
    return project != nullptr ? project->GetVcc() : 0;
}

void CCurrentProject::SetVcc(std::uint32_t vcc) {
    if (CPrgProject* project = GetCurrentProject()) project->SetVcc(vcc);
}

CPrgOperation* CCurrentProject::GetCommandList() {
    CPrgProject* project = GetCurrentProject();
    return project != nullptr ? project->GetCommandList() : nullptr;
}

int CCurrentProject::PopulateTree(TreeCtrl* tree, std::string& error) {
    CPrgProject* project = GetCurrentProject();
    if (project == nullptr) {
        error = "Unable to get NULL current project";
        return 0;
    }
    if (project->PopulateTree(tree)) return 1;
    error = project->TakeError();
    return 0;
}

CPrgProcessor* CCurrentProject::FindProcessor(std::string& error) {
    return GetCurrentProcessor(error);
}

CDocKelvane::CDocKelvane() {
    SetCurrentDocument(this);
}

CDocKelvane::~CDocKelvane() {
    DeleteContents();
    SetCurrentDocument(nullptr);
}

DocumentProject* CDocKelvane::GetProject() {
    if (project_ != nullptr) return project_;
    return GetCurrentProject() != nullptr ? &current_ : nullptr;
}

bool CDocKelvane::OnNewDocument() {
    CPrgProject* project = GetPendingNewProject();
    if (project == nullptr) return false;
    SetPendingNewProject(nullptr);
    DeleteContents();
    SetCurrentProject(project);
    SetModifiedFlag(0);
    GetLastDocSettings().lastOpenedFile = project->GetPath();
    SetPathName(project->GetPath());
    diskStamp_ = StampOfPath(project->GetPath());
    return true;
}

bool CDocKelvane::OnOpenDocument(const std::string& name) {
    // Loading moves to the file's folder: a relative name is made whole
    // first, so that the project, the title, "LastOpenedFile" and the recent
    // list all name the file wherever the program starts next.
    std::string path;
    GetFullPath(path, name);
    CPrgProject* previous = GetCurrentProject();
    // Loading empties the properties pane and moves to the file's folder; a
    // file that does not load leaves the window as it was, page and folder.
    CProjectTreeItem* shown = GetPropertiesItem();
    std::string folder;
    GetCurrentDirectoryString(folder);
    SetCurrentProject(nullptr);
    // Taken before the file is read: a change made while it is read is seen
    // as one later, rather than missed.
    const std::optional<FileStamp> stamp = StampOfPath(path);
    std::string error;
    CPrgProject* project = OpenProject(path, error);
    if (project == nullptr) {
        std::string ignored;
        if (!folder.empty()) SetCurrentDirectoryChecked(folder, ignored);
        SetCurrentProject(previous);
        if (previous != nullptr) SetPropertiesItem(shown);
        AppMessageBox(error, kMbOk | kMbIconError);
        return false;
    }
    SetModifiedFlag(0);
    if (previous != nullptr) {
        SetPropertiesItem(nullptr);
        previous->Clear();
        delete previous;
    }
    SetCurrentProject(project);
    GetLastDocSettings().lastOpenedFile = path;
    GetLastDocSettings().lastTargetProcessor = project->GetTargetProcessorName();
    SetPathName(path);
    diskStamp_ = stamp;
    return true;
}

bool CDocKelvane::OnSaveDocument(const std::string& name, const ReplaceGuard& guard) {
    std::string path;
    GetFullPath(path, name);
    CPrgProject* project = GetCurrentProject();
    if (project == nullptr) return false;
    if (!project->Save(path, guard)) {
        // A refused replacement says why; a file that could not be created
        // has said so already.
        const std::string error = project->TakeError();
        if (guard.asRead && !error.empty()) AppMessageBox(error, kMbOk | kMbIconError);
        return false;
    }
    GetLastDocSettings().lastOpenedFile = path;
    GetLastDocSettings().lastTargetProcessor = project->GetTargetProcessorName();
    SetModifiedFlag(0);
    SetPathName(path);
    diskStamp_ = StampOfPath(path);
    return true;
}

bool CDocKelvane::ChangedOnDisk() const {
    if (path_.empty()) return false;
    const std::optional<FileStamp> now = StampOfPath(path_);
    if (!now) return false;
    return !diskStamp_ || !now->Unchanged(*diskStamp_);
}

bool CDocKelvane::AskReload() const {
    return messageBox(path_ +
                          " has changed on disk since it was opened, perhaps by a production run: "
                          "reload it?",
                      kAppTitle, kMbYesNo | kMbIconQuestion) == kIdYes;
}

void CDocKelvane::DeleteContents() {
    CPrgProject* project = GetCurrentProject();
    if (project == nullptr) return;
    SetCurrentProject(nullptr);
    SetPropertiesItem(nullptr);
    project->Clear();
    delete project;
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
    SetTitle(title.empty() ? "Untitled" : title);
}

void CDocKelvane::SetTitle(const std::string& title) {
    title_ = title;
    if (onChanged) onChanged();
}

int CDocKelvane::SaveModified() {
    if (!modified_) return 1;
    int answer =
        messageBox("Save changes to " + title_ + "?", kAppTitle, kMbYesNoCancel | kMbIconWarning);
    if (answer == kIdNo) return 1;
    if (answer != kIdYes) return 0;
    if (onFileSave) return onFileSave() ? 1 : 0;
    return OnSaveDocument(path_) ? 1 : 0;
}

}  // namespace kv::ui
