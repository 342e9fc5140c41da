#include "window_app.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QProcess>
#include <QTimer>

#include "app_state.h"
#include "command_line_info.h"
#include "dlg_new_project.h"
#include "kelvane/app/path_functions.h"
#include "kelvane/app/profile_settings.h"
#include "kelvane/app/project_file_lock.h"
#include "doc_kelvane.h"
#include "main_frame.h"
#include "view_kelvane.h"

namespace kv::ui {

namespace {

const QString kProjectFilter = QStringLiteral("Kelvane Project Files (*.kvnset)");

}  // namespace

CKelvaneWindow::CKelvaneWindow() {
    SetProjectDialogs(this);
}

CKelvaneWindow::~CKelvaneWindow() {
    if (GetProjectDialogs() == this) SetProjectDialogs(nullptr);
    frame_.reset();
    document_.reset();
}

void CKelvaneWindow::LoadRecentFileList(int entries) {
    // The settings are read again with the rest of the configuration; the
    // list is wanted before that.
    GetAppProfile().Load();
    recent_.SetCapacity(static_cast<std::size_t>(entries < 0 ? 0 : entries));
    recent_.ReadFrom(GetAppProfile());
    ShowRecentFiles();
}

void CKelvaneWindow::ShowRecentFiles() {
    if (frame_ != nullptr) frame_->SetRecentFiles(recent_.GetFiles());
}

void CKelvaneWindow::AddToRecentFiles() {
    if (document_ == nullptr || document_->GetPathName().empty()) return;
    recent_.Add(document_->GetPathName());
    recent_.WriteTo(GetAppProfile());
    ShowRecentFiles();
}

bool CKelvaneWindow::OpenRecentFile(const std::string& path) {
    // Like the other File commands, nothing opens while a run lasts.
    if (IsBusy()) return false;
    if (document_ != nullptr && GetCurrentProject() != nullptr && !document_->SaveModified())
        return false;
    if (OpenDocumentFile(path)) return true;
    recent_.Remove(path);
    recent_.WriteTo(GetAppProfile());
    ShowRecentFiles();
    return false;
}

void CKelvaneWindow::RegisterDocumentTemplate() {
    document_ = std::make_unique<CDocKelvane>();
    frame_ = std::make_unique<CMainFrame>(document_.get());
    frame_->onOpenRecentFile = [this](const std::string& path) { OpenRecentFile(path); };
    ShowRecentFiles();
    document_->onFileNew = [this] {
        if (app_ != nullptr) app_->OnFileNew();
    };
    document_->onFileOpen = [this] { FileOpen(); };
    document_->onFileSave = [this] {
        if (document_->GetPathName().empty()) return SaveAs();
        return Save(document_->GetPathName());
    };
    document_->onFileSaveAs = [this] { return SaveAs(); };
    document_->onReload = [this] { return OpenDocumentFile(document_->GetPathName()); };
}

void CKelvaneWindow::ParseCommandLine(const std::string& commandLine, bool& silent,
                                      std::string& file) {
    std::vector<std::string> arguments;
    for (const QString& argument : QProcess::splitCommand(QString::fromStdString(commandLine)))
        arguments.push_back(argument.toStdString());
    CKelvaneCommandLineInfo info;
    info.Parse(arguments);
    silent = info.IsSilent();
    file = info.GetFileName();
}

bool CKelvaneWindow::OpenDocumentFile(const std::string& file) {
    if (document_ == nullptr || !document_->OnOpenDocument(file)) return false;
    frame_->GetView()->OnInitialUpdate();
    AddToRecentFiles();
    return true;
}

bool CKelvaneWindow::CreateNewDocument() {
    if (document_ == nullptr || !document_->OnNewDocument()) return false;
    frame_->GetView()->OnInitialUpdate();
    AddToRecentFiles();
    return true;
}

void CKelvaneWindow::FileOpen() {
    if (document_ != nullptr && GetCurrentProject() != nullptr && !document_->SaveModified())
        return;
    QString path =
        QFileDialog::getOpenFileName(frame_.get(), QString(), QDir::currentPath(), kProjectFilter);
    if (!path.isEmpty()) OpenDocumentFile(path.toStdString());
}

void CKelvaneWindow::ShowMainWindow() {
    frame_->RecalcLayout();
    frame_->show();
    // KELVANE_GRAB=<file.png>: a picture of the window once it is shown, then
    // the program ends (for checking the window without a display).
    const QString grab = qEnvironmentVariable("KELVANE_GRAB");
    if (!grab.isEmpty()) {
        QTimer::singleShot(200, frame_.get(), [this, grab] {
            frame_->grab().save(grab);
            QApplication::quit();
        });
    }
}

int CKelvaneWindow::Run() {
    int code = QApplication::exec();
    frame_->GetView()->OnDestroy();
    return code;
}

int CKelvaneWindow::RunNewProjectWizard(const std::string& /*title*/, NewProjectWizardData& data,
                                        bool& openExisting) {
    CDlgNewProject dialog(frame_.get());
    if (!data.name.empty()) dialog.SetProjectName(data.name);
    dialog.SetProcessorName(data.targetProcessor);
    dialog.SetVcc(data.vcc);
    const int result = dialog.DoModal();
    openExisting = dialog.GetOpenExisting();
    if (result != QDialog::Accepted) return 0;
    data.name = dialog.GetProjectName();
    data.targetProcessor = dialog.GetProcessorName();
    data.vcc = dialog.GetVcc();
    data.options = dialog.GetOptions();
    return 1;
}

int CKelvaneWindow::AskSavePath(std::string& path) {
    QString chosen = QFileDialog::getSaveFileName(
        frame_.get(), QString(), QDir::current().filePath(QStringLiteral("Untitled.kvnset")),
        kProjectFilter);
    if (chosen.isEmpty()) return 0;
    path = chosen.toStdString();
    return 1;
}

bool CKelvaneWindow::SaveAs() {
    std::string path;
    if (!AskSavePath(path)) return false;
    return Save(path);
}

bool CKelvaneWindow::Save(const std::string& name) {
    std::string path;
    GetFullPath(path, name);
    // The file is written only while no run uses it, and a file that a run
    // (or anyone) wrote since the window read it is not written over unasked.
    CProjectFileLock lock;
    if (!frame_->GetView()->LockProjectFile(lock, path)) return false;
    if (path == document_->GetPathName() && document_->ChangedOnDisk() &&
        document_->AskReload())
        return OpenDocumentFile(path);
    if (!document_->OnSaveDocument(path, {.asRead = lock.GetStamp()})) return false;
    AddToRecentFiles();
    return true;
}

}  // namespace kv::ui
