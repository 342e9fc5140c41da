// The project: a name, a target processor, a default target VCC and one
// command list, stored as a "kvnset" XML file whose internal DTD is generated
// at every save. The program has at most one current project; commands, pages
// and the engine reach it through the global accessors below.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "kelvane/core/prg_operation.h"
#include "kelvane/core/project_access.h"
#include "kelvane/core/root_tree_item.h"
#include "kelvane/core/stdio_xml_file.h"
#include "kelvane/core/tree_ui.h"

namespace kv {

class CPrgProcessor;

// What the New Project Wizard gives a new project.
struct NewProjectWizardData {
    std::string name;
    std::string targetProcessor;
    std::uint32_t vcc = 3300;
    NewProjectOptions options;
};

class CPrgProject : public ProjectAccess {
  public:
    static constexpr int kFileVersion = 2;
    static constexpr int kFileSubVersion = 0;

    CPrgProject();
    CPrgProject(const CPrgProject&) = delete;
    CPrgProject& operator=(const CPrgProject&) = delete;
    ~CPrgProject() override;

    // Empties the properties pane, deletes every command and the root items.
    virtual void Clear();

    int Open(const std::string& path);
    int InitNew(const NewProjectWizardData& wizard);
    // Writes the project file; the previous file stays when any part fails,
    // or when the file there fails what the guard asks (another program
    // replaced or changed it since it was read, or it has other names).
    int Save(const std::string& path, const ReplaceGuard& guard = {});
    // Asks the user interface for a path, then saves there; 0 when cancelled.
    int SaveAs();
    int Read(const std::string& path);

    std::string TakeError();
    const std::string& GetLastError() const { return error_; }

    std::string GetName() const override { return name_; }
    void SetName(const std::string& name) override;
    std::string GetTargetProcessorName() const override { return targetProcessor_; }
    void SetTargetProcessorName(const std::string& name) override;
    void SetTargetProcessor(const CPrgProcessor* processor);
    std::uint32_t GetVcc() const override { return vcc_; }
    void SetVcc(std::uint32_t vcc) override;
    CPrgOperation* GetCommandList() override { return &commandList_; }
    // Offers the project VCC to every command of the list (the VCC page asks).
    int PropagateVccToCommands();
    int PropagateVccToPrototypes();

    const std::string& GetPath() const { return path_; }
    void SetPath(const std::string& path, bool changeDirectory);

    CPrgProcessor* FindProcessor();

    int CreateRootItems();
    void DeleteRootItems();
    void UpdateRootLabels();
    int PopulateTree(TreeCtrl* tree);

    CProcessorTreeItem* GetProcessorItem() const { return processorItem_.get(); }
    CProjectNameTreeItem* GetNameItem() const { return nameItem_.get(); }
    CProjectVccTreeItem* GetVccItem() const { return vccItem_.get(); }

    // A version-1 file: the backup copy, the first operation as the command
    // list, every further operation saved as a project of its own.
    int ConvertVersion1(const std::string& path, std::int32_t root);
    int MakeBackupCopy(const std::string& path, std::string& backupPath);
    int SaveOperationAsProject(const std::string& sourcePath, std::string& newPath);

  private:
    int Fail(std::string text) {
        error_ = std::move(text);
        return 0;
    }
    int ReadVersion2(std::int32_t root);
    int WriteFile(const std::string& path, const ReplaceGuard& guard);
    int LoadLegacyOperation(std::int32_t operation, std::string& name, std::string& description);

    std::unique_ptr<CProcessorTreeItem> processorItem_;
    std::unique_ptr<CProjectNameTreeItem> nameItem_;
    std::unique_ptr<CProjectVccTreeItem> vccItem_;
    std::string error_ = "No error";
    std::string name_;
    std::string path_;
    std::string targetProcessor_ = "MSP430F169";
    std::uint32_t vcc_ = 3300;
    CPrgOperation commandList_;
    // The version-1 operation loaded last, which names its own project file.
    std::string legacyOperationName_;
};

// The current project.
CPrgProject* GetCurrentProject();
void SetCurrentProject(CPrgProject* project);
// Told whenever another project becomes current (nullptr: none) and when the
// current project's file path changes; the command library installs one.
using CurrentProjectHandler = std::function<void(CPrgProject* project)>;
CurrentProjectHandler SetCurrentProjectHandler(CurrentProjectHandler handler);
CPrgProject* GetDocumentProject();
bool GetCurrentProjectPath(std::string& path);
CPrgProcessor* GetCurrentProcessor(std::string& error);
CPrgOperation* GetCurrentCommandList(std::string& error);
int GetCurrentAddressDigits();

// A new project opened from the file; nullptr with "Unable to open project
// %s\n%s".
CPrgProject* OpenProject(const std::string& path, std::string& error);

// What the window program provides around new projects: the wizard and the
// save dialog.
class ProjectDialogs {
  public:
    virtual ~ProjectDialogs() = default;
    // Runs the New Project Wizard ("New Project"), preset with the last
    // target processor and VCC. Returns 1 on OK; on cancel 0, with openExisting
    // set when the user chose to open an existing project instead.
    virtual int RunNewProjectWizard(const std::string& title, NewProjectWizardData& data,
                                    bool& openExisting) = 0;
    // The save dialog: "Untitled.kvnset" in the current directory; 0 when
    // cancelled.
    virtual int AskSavePath(std::string& path) = 0;
};
void SetProjectDialogs(ProjectDialogs* dialogs);
ProjectDialogs* GetProjectDialogs();

CPrgProject* OpenNewProject(bool& openExisting, bool& report, std::string& error);

CPrgProject* GetPendingNewProject();
void SetPendingNewProject(CPrgProject* project);
void DeletePendingNewProject();

// The document that holds the current project; the window program provides
// it.
class ProjectDocument {
  public:
    virtual ~ProjectDocument() = default;
    virtual void SetModifiedFlag(int modified) = 0;
    virtual int IsModified() = 0;
    // Asks to save a modified document; 0 when the user cancels.
    virtual int SaveModified() = 0;
};
void SetCurrentDocument(ProjectDocument* document);
int IsDocumentModified();
int SaveModifiedDocument();

// "LastDoc" settings.
struct LastDocSettings {
    int lastVcc = 3300;
    std::string lastOpenedFile;
    std::string lastTargetProcessor = "MSP430F169";
};
LastDocSettings& GetLastDocSettings();
void LoadLastDocSettings();
void SaveLastDocSettings();

// Records where property pages live and creates the pages of the root items
// and of every command class.
int CreateItemDialogs(UiWindow* parent, const UiRect& rect, std::string& error);
void DestroyItemDialogs();

// The root items' property pages, installed by the window program.
struct RootItemPages {
    std::function<int(UiWindow*, const UiRect&)> create;
    std::function<void()> destroy;
};
void SetRootItemPages(RootItemPages pages);

}  // namespace kv
