// An operation: a named, ordered command list, the unit that is executed. It
// runs its commands in order, stops at the first failure and then runs the
// power-off operation. As the parent of its commands in the project tree it
// carries out every add, insert, move and delete on them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "kelvane/core/array_project_tree_item.h"
#include "kelvane/core/root_tree_item.h"

namespace kv {

// What the New Project Wizard asks for, and the LOCKA flag of its processor.
struct NewProjectOptions {
    bool VccOff = true;
    bool UnLockFlashA = false;
    bool EraseTarget = true;
    bool WriteFile = false;
    std::string WriteFilePath;
    bool WithVerify = true;
    bool BlowFuse = false;
    bool ReleaseJTAG = true;
    bool ResetTarget = false;
    bool ProcessorHasLOCKA = false;
};

class CPrgOperation : public CRootTreeItem {
  public:
    explicit CPrgOperation(ProjectAccess* project, const std::string& name = "Commands");
    ~CPrgOperation() override;

    const std::string& GetName() const { return name_; }
    // Stores a different name and marks the document modified; the tree label
    // stays.
    void SetName(const std::string& name);
    const std::string& GetOperationDescription() const { return operationDescription_; }
    void SetOperationDescription(const std::string& text) { operationDescription_ = text; }

    CArrayProjectTreeItem& GetCommands() { return commands_; }
    const CArrayProjectTreeItem& GetCommands() const { return commands_; }
    void ClearCommands() { commands_.FreeAll(); }
    void ResetContents() override { ClearCommands(); }

    int GetProgressAggregate() override;
    int GetRequiredInterfaces(int* podNeeded, int* adapterNeeded) override;
    int PropagateVCC(std::uint32_t vcc) override;
    int ResolveFilePath() override;

    int BuildDefaultCommands(const NewProjectOptions& options);
    // Clears the list and loads every child element of the CommandList
    // element as a command, in document order.
    int LoadCommandList(std::int32_t element);
    int SaveCommandList(CStdioXMLFile& file);

    int OnExecute(CExecuteParams* params) override;

    // Tree editing.
    int GetAddTarget(bool report, CProjectTreeItem** parent, CProjectTreeItem** anchor) override;
    int GetInsertTarget(bool report, CProjectTreeItem** parent, CProjectTreeItem** anchor) override;
    int AddChild(CProjectTreeItem* item, CProjectTreeItem* anchor,
                 CProjectTreeItem** select) override;
    // On failure the new item is not taken: it stays the caller's.
    int InsertChild(CProjectTreeItem* item, CProjectTreeItem* anchor,
                    CProjectTreeItem** select) override;
    int MoveChildUp(CProjectTreeItem* child, CProjectTreeItem* previous,
                    CProjectTreeItem** select) override;
    int MoveChildDown(CProjectTreeItem* child, CProjectTreeItem* next,
                      CProjectTreeItem** select) override;
    int DeleteChild(CProjectTreeItem* child, CProjectTreeItem** select) override;
    CProjectTreeItem* CreateNew() override;
    int CopyTo(CProjectTreeItem* item) override;
    TreeItemHandle InsertIntoTree(TreeCtrl* tree, TreeItemHandle parent,
                                  TreeItemHandle after) override;
    void UpdatePropertiesTitle() override;
    CArrayProjectTreeItem* GetChildPrototypes() override;

    int AttachDialog(UiWindow* /*parent*/, const UiRect& /*rect*/) override { return 1; }
    void LoadDialog() override {}
    void ClearDialog() override {}
    void ShowDialog() override {}
    void HideDialog() override {}

    // Messages of the pod library (only when a window is registered with it):
    // kind 1 sets the progress within the step, kind 2 starts the next step
    // of the given size with a status for codes 202 and 203.
    int OnLibraryMessage(int kind, int code, int value);

    // The read built-ins of the kind of device in use, run on the context.
    static int ExecuteReadProcessor(CExecuteParams* params, const std::string& fileName,
                                    int fileType, std::string& error);
    static int ExecuteReadRange(CExecuteParams* params, const std::string& fileName, int fileType,
                                std::uint32_t address, std::uint32_t length, std::string& error);

    // The Open and read commands a read built-in sets before it runs.
    void RememberReadCommands(CProjectTreeItem* open, CProjectTreeItem* read) {
        openCommand_ = open;
        readCommand_ = read;
    }
    CProjectTreeItem* GetOpenCommand() const { return openCommand_; }
    CProjectTreeItem* GetReadCommand() const { return readCommand_; }

  private:
    int FailMove(const std::string& text) { return Fail(text); }
    int CheckChild(CProjectTreeItem* child, const char* nullTree, const char* nullChild,
                   const char* foreign, const char* nullParent);
    int ExecuteRead(CExecuteParams* params, const std::string& fileName, int fileType, bool range,
                    std::uint32_t address, std::uint32_t length, const char* what);

    std::string name_;
    std::string operationDescription_ = "No description";
    CExecuteParams* executeParams_ = nullptr;
    CArrayProjectTreeItem commands_;
    CProjectTreeItem* openCommand_ = nullptr;
    CProjectTreeItem* readCommand_ = nullptr;
};

// The built-in one-shot operations behind the immediate commands. Each
// creator replaces any previous instance; on failure it deletes what it built
// and leaves the text in the error.
int CreateMassEraseNowOperation(ProjectAccess* project, std::string& error);
int CreateResetNowOperations(ProjectAccess* project, std::string& error);
int CreatePowerOffNowOperations(ProjectAccess* project, std::string& error);
int CreateBlowFuseNowOperation(ProjectAccess* project, std::string& error);
int CreateReadProcessorNowOperations(ProjectAccess* project, std::string& error);
int CreateReadRangeNowOperations(ProjectAccess* project, std::string& error);
// All six, stopping at the first failure.
int CreateBuiltInOperations(ProjectAccess* project, std::string& error);
void DestroyMassEraseNowOperation();
void DestroyResetNowOperations();
void DestroyPowerOffNowOperations();
void DestroyBlowFuseNowOperation();
void DestroyReadProcessorNowOperations();
void DestroyReadRangeNowOperations();
void DestroyBuiltInOperations();

CPrgOperation* GetMassEraseNowOperation();
CPrgOperation* GetBlowFuseNowOperation();
// The pod variant while the pod-in-use flag is set, else the adapter variant.
CPrgOperation* GetResetNowOperation();
CPrgOperation* GetPowerOffNowOperation();
CPrgOperation* GetReadProcessorNowOperation();
CPrgOperation* GetReadRangeNowOperation();
// The power-off operations for a run that failed: one for each device the run
// has open (pod first, then adapter); with neither open, the one chosen by the
// pod-in-use flag.
std::vector<CPrgOperation*> GetPowerOffAfterFailureOperations(const CExecuteParams& params);
// Offers a new project VCC to the pod built-ins and to every prototype.
int PropagateVccToBuiltIns(std::uint32_t vcc, std::string& error);

}  // namespace kv
