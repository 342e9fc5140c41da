// What the application object asks of the window program: the document and
// main window, the command line, opening files, the message loop, and the
// dialogs around new projects.
#pragma once

#include <memory>
#include <string>

#include "kelvane/app/kelvane_app.h"
#include "kelvane/project/prg_project.h"
#include "qt_file_dialog.h"
#include "recent_file_list.h"

namespace kv::ui {

class CDocKelvane;
class CMainFrame;

class CKelvaneWindow : public WindowModeHooks, public ProjectDialogs {
  public:
    CKelvaneWindow();
    ~CKelvaneWindow() override;

    void SetApp(CKelvaneApp* app) { app_ = app; }

    void LoadRecentFileList(int entries) override;
    void RegisterDocumentTemplate() override;
    // The desktop entry and the "kvnset" file type are installed with the
    // program (cmake --install); nothing is registered at run time.
    void RegisterShellFileType() override {}
    void ParseCommandLine(const std::string& commandLine, bool& silent, std::string& file) override;
    bool OpenDocumentFile(const std::string& file) override;
    bool CreateNewDocument() override;
    void FileOpen() override;
    void ShowMainWindow() override;
    int Run() override;

    int RunNewProjectWizard(const std::string& title, NewProjectWizardData& data,
                            bool& openExisting) override;
    int AskSavePath(std::string& path) override;

    CMainFrame* GetFrame() const { return frame_.get(); }
    const CRecentFileList& GetRecentFiles() const { return recent_; }
    // Opens a file of the recent list; one that does not open leaves it.
    bool OpenRecentFile(const std::string& path);

  private:
    bool SaveAs();
    // Saves under the file's lock; a file changed on disk since the window
    // read it is read again instead when the user says so.
    bool Save(const std::string& name);
    // The document's file goes to the top of the recent files.
    void AddToRecentFiles();
    void ShowRecentFiles();

    CKelvaneApp* app_ = nullptr;
    CQtFileDialogInstaller fileDialogs_;
    CRecentFileList recent_{0};
    std::unique_ptr<CDocKelvane> document_;
    std::unique_ptr<CMainFrame> frame_;
};

}  // namespace kv::ui
