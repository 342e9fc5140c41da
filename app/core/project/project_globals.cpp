// The current project, the pending new project, the document and the
// "LastDoc" settings.
#include <utility>

#include "kelvane/app/profile_settings.h"
#include "kelvane/core/command_factory.h"
#include "kelvane/core/prg_operation.h"
#include "kelvane/core/prg_processor.h"
#include "kelvane/project/prg_project.h"

namespace kv {

namespace {

CPrgProject* g_currentProject = nullptr;
CPrgProject* g_documentProject = nullptr;
CPrgProject* g_pendingNewProject = nullptr;
ProjectDocument* g_document = nullptr;
ProjectDialogs* g_dialogs = nullptr;
RootItemPages g_rootPages;
bool g_rootPagesMade = false;

CurrentProjectHandler& Handler() {
    static CurrentProjectHandler handler;
    return handler;
}

}  // namespace

CPrgProject* GetCurrentProject() {
    return g_currentProject;
}

void SetCurrentProject(CPrgProject* project) {
    g_currentProject = project;
    g_documentProject = project;
    if (Handler()) Handler()(project);
    // The built-in operations belong to the current project, in the console
    // as in the window: a failed run powers the target off through them.
    DestroyBuiltInOperations();
    if (project != nullptr) {
        std::string error;
        CreateBuiltInOperations(project, error);
    }
}

CurrentProjectHandler SetCurrentProjectHandler(CurrentProjectHandler handler) {
    return std::exchange(Handler(), std::move(handler));
}

void NotifyProjectPathChanged(CPrgProject* project) {
    if (project == g_currentProject && Handler()) Handler()(project);
}

CPrgProject* GetDocumentProject() {
    return g_documentProject;
}

bool GetCurrentProjectPath(std::string& path) {
    path.clear();
    if (g_currentProject == nullptr) return false;
    path = g_currentProject->GetPath();
    return true;
}

CPrgProcessor* GetCurrentProcessor(std::string& error) {
    if (g_currentProject == nullptr) {
        error = "Unable to get NULL current project";
        return nullptr;
    }
    CPrgProcessor* processor = g_currentProject->FindProcessor();
    if (processor == nullptr) error = g_currentProject->TakeError();
    return processor;
}

CPrgOperation* GetCurrentCommandList(std::string& error) {
    if (g_currentProject == nullptr) {
        error = "Unable to get NULL current project";
        return nullptr;
    }
    return g_currentProject->GetCommandList();
}

int GetCurrentAddressDigits() {
    std::string error;
    CPrgProcessor* processor = GetCurrentProcessor(error);
    return processor != nullptr ? processor->GetAddressDigits() : 4;
}

CPrgProject* OpenProject(const std::string& path, std::string& error) {
    auto* project = new CPrgProject;
    if (!project->Open(path)) {
        error = "Unable to open project " + path + "\n" + project->TakeError();
        delete project;
        return nullptr;
    }
    LastDocSettings& last = GetLastDocSettings();
    last.lastVcc = static_cast<int>(project->GetVcc());
    // The file and its processor change together, in the console as in the window.
    last.lastOpenedFile = project->GetPath();
    last.lastTargetProcessor = project->GetTargetProcessorName();
    return project;
}

void SetProjectDialogs(ProjectDialogs* dialogs) {
    g_dialogs = dialogs;
}
ProjectDialogs* GetProjectDialogs() {
    return g_dialogs;
}

CPrgProject* OpenNewProject(bool& openExisting, bool& report, std::string& error) {
    openExisting = false;
    report = false;
    if (g_dialogs == nullptr) {
        report = true;
        error = "Unable to open new project\nNo New Project Wizard in this program";
        return nullptr;
    }
    LastDocSettings& last = GetLastDocSettings();
    NewProjectWizardData data;
    data.targetProcessor = last.lastTargetProcessor;
    data.vcc = static_cast<std::uint32_t>(last.lastVcc);
    if (!g_dialogs->RunNewProjectWizard("New Project", data, openExisting)) {
        if (!openExisting) error = "New project cancelled by user";
        return nullptr;
    }
    auto* project = new CPrgProject;
    const int wasModified = IsDocumentModified();
    const int ok = project->InitNew(data);
    SetDocumentModified(wasModified);
    if (!ok) {
        report = true;
        error = "Unable to open new project\n" + project->TakeError();
        delete project;
        return nullptr;
    }
    if (!project->SaveAs()) {
        error = "New project save cancelled by user";
        delete project;
        return nullptr;
    }
    return project;
}

CPrgProject* GetPendingNewProject() {
    return g_pendingNewProject;
}
void SetPendingNewProject(CPrgProject* project) {
    g_pendingNewProject = project;
}

void DeletePendingNewProject() {
    if (g_pendingNewProject == nullptr) return;
    g_pendingNewProject->Clear();
    delete g_pendingNewProject;
    g_pendingNewProject = nullptr;
}

void SetCurrentDocument(ProjectDocument* document) {
    g_document = document;
    if (document != nullptr)
        SetDocumentModifiedHandler([](int modified) {
            if (g_document != nullptr) g_document->SetModifiedFlag(modified);
        });
    else
        SetDocumentModifiedHandler({});
}

int IsDocumentModified() {
    return g_document != nullptr ? g_document->IsModified() : 0;
}

int SaveModifiedDocument() {
    return g_document != nullptr ? g_document->SaveModified() : 0;
}

LastDocSettings& GetLastDocSettings() {
    static LastDocSettings settings;
    return settings;
}

void LoadLastDocSettings() {
    const CProfileSettings& profile = GetAppProfile();
    LastDocSettings& last = GetLastDocSettings();
    last.lastVcc = profile.GetProfileInt("LastDoc", "LastVCC", 3300);
    last.lastOpenedFile = profile.GetProfileString("LastDoc", "LastOpenedFile", "");
    last.lastTargetProcessor =
        profile.GetProfileString("LastDoc", "LastTargetProcessor", "MSP430F169");
}

void SaveLastDocSettings() {
    CProfileSettings& profile = GetAppProfile();
    const LastDocSettings& last = GetLastDocSettings();
    profile.WriteProfileInt("LastDoc", "LastVCC", last.lastVcc);
    profile.WriteProfileString("LastDoc", "LastOpenedFile", last.lastOpenedFile);
    profile.WriteProfileString("LastDoc", "LastTargetProcessor", last.lastTargetProcessor);
}

void SetRootItemPages(RootItemPages pages) {
    g_rootPages = std::move(pages);
}

int CreateItemDialogs(UiWindow* parent, const UiRect& rect, std::string& error) {
    DestroyItemDialogs();
    if (g_rootPages.create && !g_rootPages.create(parent, rect)) {
        error = "Unable to create the project property pages";
        return 0;
    }
    g_rootPagesMade = true;
    if (!CreateCommandPropertyPages(parent, rect, error)) {
        DestroyItemDialogs();
        return 0;
    }
    return 1;
}

void DestroyItemDialogs() {
    DestroyCommandPropertyPages();
    if (g_rootPagesMade && g_rootPages.destroy) g_rootPages.destroy();
    g_rootPagesMade = false;
}

}  // namespace kv
