#include "kelvane/app/kelvane_app.h"

#include <csignal>
#include <cstdio>

#include "kelvane/app/app_message_box.h"
#include "kelvane/app/console_runner.h"
#include "kelvane/app/path_functions.h"
#include "kelvane/app/profile_settings.h"
#include "kelvane/platform/message_box.h"
#include "kelvane/project/prg_project.h"

namespace kv {

namespace {

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// The program file's name without folder and extension.
std::string ProgramName(const std::string& programPath) {
    std::string title;
    std::string error;
    if (!GetFileTitleNoExtension(programPath, title, error)) return {};
    return title;
}

}  // namespace

bool IsConsoleMode(const std::string& applicationTitle, const std::string& programName) {
    const bool console = Lower(applicationTitle) != Lower(programName);
    if (console) SetConsoleModeFlag(true);
    return console;
}

bool CKelvaneApp::InitInstance(const std::string& programPath, const std::string& commandLine) {
    GetAppProfile().SetRegistryKey("Orvanti");
    if (IsConsoleMode(kApplicationTitle, ProgramName(programPath))) {
        // Every message box is printed and answered automatically.
        setMessageBoxHandler([](const std::string& text, const std::string& /*caption*/,
                                unsigned type) { return ConsoleMessageBox(text, type); });
        if (LoadConfiguration())
            RunCommandLine(commandLine);
        else
            GetAppGlobals().resultCode = kResultFailure;
        return false;
    }
    SetConsoleModeFlag(false);
    if (window_ == nullptr) {
        AppMessageBox("This program has no window; run it under another name for console mode",
                      kMbOk | kMbIconError);
        GetAppGlobals().resultCode = kResultFailure;
        return false;
    }
    window_->LoadRecentFileList(8);
    window_->RegisterDocumentTemplate();
    window_->RegisterShellFileType();
    bool silent = false;
    std::string file;
    window_->ParseCommandLine(commandLine, silent, file);
    if (!LoadConfiguration() || silent) return false;
    DetectAdapters();
    const bool opened = file.empty() ? OnFileNew() : window_->OpenDocumentFile(file);
    if (!opened) return false;
    window_->ShowMainWindow();
    return true;
}

int CKelvaneApp::ExitInstance(int frameworkExitCode) {
    ShutdownApplication();
    const int code = frameworkExitCode != 0 ? frameworkExitCode : GetAppGlobals().resultCode;
    if (IsConsoleModeSet()) {
        std::printf("Result = %d\n", code);
        std::fflush(stdout);
    }
    return code;
}

int CKelvaneApp::Main(const std::string& programPath, const std::string& commandLine) {
    // A read-out past the user's file size limit (ulimit -f) fails its write
    // with a text instead of ending the program with the target powered.
    std::signal(SIGXFSZ, SIG_IGN);
    int frameworkCode = 0;
    if (InitInstance(programPath, commandLine) && window_ != nullptr)
        frameworkCode = window_->Run();
    return ExitInstance(frameworkCode);
}

bool CKelvaneApp::LoadConfiguration() {
    std::string previous;
    GetCurrentDirectoryString(previous);
    std::string error;
    if (!SetCurrentDirectoryToModule(error) || !LoadStartupFiles(error)) {
        AppMessageBox(error, kMbOk | kMbIconError);
        return false;
    }
    std::string ignored;
    SetCurrentDirectoryChecked(previous, ignored);
    return true;
}

bool CKelvaneApp::OnFileNew() {
    if (window_ == nullptr) return false;
    bool createNew = true;
    if (GetCurrentProject() == nullptr) {
        const std::string lastFile = GetLastDocSettings().lastOpenedFile;
        if (!lastFile.empty()) {
            std::string error;
            CPrgProject* project = OpenProject(lastFile, error);
            if (project != nullptr) {
                DeletePendingNewProject();
                SetPendingNewProject(project);
                return window_->CreateNewDocument();
            }
            const int answer =
                AppMessageBox(error +
                                  "\n\nCreate a new project?"
                                  "\n\nYes will create a new project, "
                                  "\nNo will allow you to select an existing project or "
                                  "\nCancel will exit the program.",
                              kMbYesNoCancel | kMbIconQuestion);
            if (answer == kIdNo) {
                window_->FileOpen();
                return GetCurrentProject() != nullptr;
            }
            if (answer != kIdYes) return false;
        }
    } else if (IsDocumentModified() && !SaveModifiedDocument()) {
        createNew = false;
    }
    if (!createNew) return false;
    DeletePendingNewProject();
    bool openExisting = false;
    bool report = false;
    std::string error;
    CPrgProject* project = OpenNewProject(openExisting, report, error);
    if (project != nullptr) {
        SetPendingNewProject(project);
        return window_->CreateNewDocument();
    }
    if (openExisting) {
        window_->FileOpen();
        return GetCurrentProject() != nullptr;
    }
    if (report) AppMessageBox(error, kMbOk | kMbIconError);
    return false;
}

}  // namespace kv
