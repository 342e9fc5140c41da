// What the application object asks of the window program: the document and
// main window, the command line, opening files, the message loop, and the
// dialogs around new projects.
#pragma once

#include <memory>
#include <string>

#include "kelvane/app/kelvane_app.h"
#include "kelvane/project/prg_project.h"

namespace kv::ui {

class CDocKelvane;
class CMainFrame;

class CKelvaneWindow : public WindowModeHooks, public ProjectDialogs {
  public:
    CKelvaneWindow();
    ~CKelvaneWindow() override;

    void SetApp(CKelvaneApp* app) { app_ = app; }

    void LoadRecentFileList(int entries) override { recentEntries_ = entries; }
    void RegisterDocumentTemplate() override;
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

  private:
    bool SaveAs();

    CKelvaneApp* app_ = nullptr;
    int recentEntries_ = 0;
    std::unique_ptr<CDocKelvane> document_;
    std::unique_ptr<CMainFrame> frame_;
};

}  // namespace kv::ui
