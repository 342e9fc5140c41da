#include "kelvane/core/prg_operation.h"

#include <caprel/caprel.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "kelvane/core/command_factory.h"
#include "kelvane/core/command_roles.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/run_stop.h"
#include "kelvane/core/stdio_xml_file.h"
#include "kelvane/platform/message_box.h"

namespace kv {

namespace {

void ShowMessage(const std::string& text) {
    messageBox(text, "Kelvane", kMbOk);
}

template <class T>
void Put(T** out, T* value) {
    if (out != nullptr) *out = value;
}

}  // namespace

CPrgOperation::CPrgOperation(ProjectAccess* project, const std::string& name)
    : CRootTreeItem(project), name_(name) {
    treeLabel_ = name;
    printResult_ = 0;
}

CPrgOperation::~CPrgOperation() {
    if (GetPropertiesItem() == this) SetPropertiesItem(nullptr);
    ClearCommands();
}

void CPrgOperation::SetName(const std::string& name) {
    if (name == name_) return;
    name_ = name;
    SetDocumentModified(1);
}

int CPrgOperation::GetProgressAggregate() {
    int total = progressUnits_;
    for (int i = 0; i < commands_.GetSize(); ++i)
        total += commands_.GetAt(i)->GetProgressAggregate();
    return total;
}

int CPrgOperation::GetRequiredInterfaces(int* podNeeded, int* adapterNeeded) {
    if (podNeeded != nullptr) *podNeeded = 0;
    if (adapterNeeded != nullptr) *adapterNeeded = 0;
    for (int i = 0; i < commands_.GetSize(); ++i) {
        CProjectTreeItem* command = commands_.GetAt(i);
        if (!command->GetRequiredInterfaces(podNeeded, adapterNeeded))
            return Fail(command->TakeError());
    }
    return 1;
}

int CPrgOperation::PropagateVCC(std::uint32_t vcc) {
    if (!commands_.PropagateVCC(vcc)) return Fail(commands_.TakeError());
    return 1;
}

int CPrgOperation::ResolveFilePath() {
    if (!commands_.ResolveFilePaths()) return Fail(commands_.TakeError());
    return 1;
}

int CPrgOperation::BuildDefaultCommands(const NewProjectOptions& options) {
    if (project_ == nullptr) return Fail("Cannot initialize operation for NULL project");
    ClearCommands();
    std::string error;
    CArrayProjectTreeItem* list = &commands_;
    bool ok = AppendOpenCommand(error, list, options.VccOff ? 0 : project_->GetVcc()) &&
              AppendIdentifyCommand(error, list, 1);
    if (ok && options.ProcessorHasLOCKA && options.UnLockFlashA)
        ok = AppendLockACommand(error, list, 0);
    if (ok && options.EraseTarget) ok = AppendEraseCommand(error, list, "ERASE_ALL", 0x1000, 1);
    if (ok && options.WriteFile) {
        ok = AppendProgramFileCommand(error, list, options.WriteFilePath, "FILETYPE_TI_TXT",
                                      options.WithVerify);
        auto* file = ok ? dynamic_cast<FileCommand*>(list->GetAt(list->GetSize() - 1)) : nullptr;
        if (file != nullptr) file->SetKeepFullPath();
    }
    if (ok && options.BlowFuse) ok = AppendBlowFuseCommand(error, list);
    if (ok && !options.VccOff && !options.BlowFuse)
        ok = AppendResetCommand(error, list, "PUC_RESET", options.ReleaseJTAG, options.ReleaseJTAG);
    if (ok) ok = AppendCloseCommand(error, list, options.VccOff);
    if (!ok) return Fail(error);
    return 1;
}

int CPrgOperation::LoadCommandList(std::int32_t element) {
    ClearCommands();
    for (std::int32_t child = GetFirstChildElement_Caprel(element); child != -1;
         child = GetNextChildElement_Caprel(element, child)) {
        std::string error;
        if (!LoadCommandFromXML(error, &commands_, child)) return Fail(error);
    }
    return 1;
}

int CPrgOperation::SaveCommandList(CStdioXMLFile& file) {
    file.OpenElement("CommandList", true);
    file.EndStartTag(true);
    if (!commands_.SaveToXML(file)) return Fail(commands_.TakeError());
    file.CloseElement("CommandList", true);
    return 1;
}

int CPrgOperation::OnExecute(CExecuteParams* params) {
    if (params == nullptr) return Fail("Unable to execute NULL parameters");
    executeParams_ = params;
    params->LogNewLine();
    params->AdvanceProgress(progressUnits_);
    int result = 1;
    for (int i = 0; i < commands_.GetSize(); ++i) {
        if (params->IsStopRequested()) {
            error_ = RunStopText();
            result = 0;
            break;
        }
        CProjectTreeItem* command = commands_.GetAt(i);
        if (!command->Execute(params)) {
            error_ = command->TakeError();
            result = 0;
            break;
        }
    }
    if (!result) {
        // A power-off that fails is one of those the failed run goes on with:
        // it starts none of them again. A stop asked for meanwhile does not
        // keep the targets powered.
        const std::vector<CPrgOperation*> powerOffs = GetPowerOffAfterFailureOperations(*params);
        if (std::find(powerOffs.begin(), powerOffs.end(), this) == powerOffs.end()) {
            const bool outer = params->SetPoweringOff(true);
            for (CPrgOperation* powerOff : powerOffs)
                if (powerOff != nullptr) powerOff->OnExecute(params);
            params->SetPoweringOff(outer);
        }
    }
    executeParams_ = nullptr;
    return result;
}

int CPrgOperation::GetAddTarget(bool /*report*/, CProjectTreeItem** parent,
                                CProjectTreeItem** anchor) {
    Put(parent, static_cast<CProjectTreeItem*>(this));
    int size = commands_.GetSize();
    Put(anchor, size > 0 ? commands_.GetAt(size - 1) : nullptr);
    return 1;
}

int CPrgOperation::GetInsertTarget(bool /*report*/, CProjectTreeItem** parent,
                                   CProjectTreeItem** anchor) {
    Put(parent, static_cast<CProjectTreeItem*>(this));
    Put(anchor, static_cast<CProjectTreeItem*>(nullptr));
    return 1;
}

int CPrgOperation::AddChild(CProjectTreeItem* item, CProjectTreeItem* anchor,
                            CProjectTreeItem** select) {
    return InsertChild(item, anchor, select);
}

int CPrgOperation::InsertChild(CProjectTreeItem* item, CProjectTreeItem* anchor,
                               CProjectTreeItem** select) {
    Put(select, static_cast<CProjectTreeItem*>(this));
    if (tree_ == nullptr) return Fail("Cannot insert child item in NULL tree");
    if (item == nullptr) return Fail("Cannot insert NULL child item");
    if (treeHandle_ == kTreeNone) return Fail("Cannot insert child item within NULL parent item");
    TreeItemHandle after = kTreeFirst;
    int index = 0;
    if (anchor != nullptr) {
        if (anchor->GetTreeHandle() == kTreeNone || anchor->GetTreeCtrl() != tree_)
            return Fail("Could not find previous item handle");
        int anchorIndex = commands_.Find(anchor);
        if (anchorIndex < 0) return Fail("Could not find previous item in command array");
        after = anchor->GetTreeHandle();
        index = anchorIndex + 1;
    }
    if (item->InsertIntoTree(tree_, treeHandle_, after) == kTreeNone) {
        ShowMessage("Could not insert new item");
        return Fail("Could not insert new item");
    }
    commands_.InsertAt(index, item);
    SetDocumentModified(1);
    Put(select, item);
    return 1;
}

int CPrgOperation::CheckChild(CProjectTreeItem* child, const char* nullTree, const char* nullChild,
                              const char* foreign, const char* nullParent) {
    if (tree_ == nullptr) return Fail(nullTree);
    if (child == nullptr) return Fail(nullChild);
    if (child->GetParentItem() != this || commands_.Find(child) < 0) return Fail(foreign);
    if (treeHandle_ == kTreeNone) return Fail(nullParent);
    return 1;
}

int CPrgOperation::MoveChildUp(CProjectTreeItem* child, CProjectTreeItem* previous,
                               CProjectTreeItem** select) {
    Put(select, child);
    if (tree_ == nullptr) return Fail("Cannot move child item in NULL tree");
    if (child == nullptr) return Fail("Cannot move NULL child item");
    if (previous == nullptr) return Fail("Cannot move child item before NULL item");
    if (!CheckChild(child, "Cannot move child item in NULL tree", "Cannot move NULL child item",
                    "Cannot move foreign child item",
                    "Cannot move child item within NULL parent item"))
        return 0;
    int index = commands_.Find(child);
    if (index < 1 || commands_.GetAt(index - 1) != previous ||
        previous->GetTreeHandle() == kTreeNone)
        return Fail("Cannot move NULL item");
    tree_->DeleteItem(previous->GetTreeHandle());
    previous->DetachFromTree();
    commands_.MoveUp(index);
    if (previous->InsertIntoTree(tree_, treeHandle_, child->GetTreeHandle()) == kTreeNone) {
        ShowMessage("Could not reinsert previous item");
        commands_.Remove(previous);
        previous->Reset();
        delete previous;
        SetDocumentModified(1);
        return Fail("Could not reinsert previous item");
    }
    SetDocumentModified(1);
    return 1;
}

int CPrgOperation::MoveChildDown(CProjectTreeItem* child, CProjectTreeItem* next,
                                 CProjectTreeItem** select) {
    Put(select, child);
    if (tree_ == nullptr) return Fail("Cannot move child item in NULL tree");
    if (child == nullptr) return Fail("Cannot move NULL child item");
    if (next == nullptr) return Fail("Cannot move child item after NULL item");
    if (!CheckChild(child, "Cannot move child item in NULL tree", "Cannot move NULL child item",
                    "Cannot move foreign child item",
                    "Cannot move child item within NULL parent item"))
        return 0;
    int index = commands_.Find(child);
    if (index < 0 || index + 1 >= commands_.GetSize() || commands_.GetAt(index + 1) != next ||
        next->GetTreeHandle() == kTreeNone)
        return Fail("Cannot move NULL item");
    bool wasShown = GetPropertiesItem() == child;
    tree_->DeleteItem(child->GetTreeHandle());
    child->DetachFromTree();
    commands_.MoveDown(index);
    if (child->InsertIntoTree(tree_, treeHandle_, next->GetTreeHandle()) == kTreeNone) {
        ShowMessage("Could not reinsert moving item");
        if (wasShown) SetPropertiesItem(nullptr);
        commands_.Remove(child);
        child->Reset();
        delete child;
        Put(select, static_cast<CProjectTreeItem*>(this));
        SetDocumentModified(1);
        return Fail("Could not reinsert moving item");
    }
    if (wasShown) child->SetBoldText();
    SetDocumentModified(1);
    return 1;
}

int CPrgOperation::DeleteChild(CProjectTreeItem* child, CProjectTreeItem** select) {
    Put(select, static_cast<CProjectTreeItem*>(this));
    if (tree_ == nullptr) return Fail("Cannot delete child item from NULL tree");
    if (child == nullptr) return Fail("Cannot delete NULL child item");
    if (child->GetParentItem() != this || commands_.Find(child) < 0)
        return Fail("Cannot delete foreign child item");
    if (treeHandle_ == kTreeNone) return Fail("Cannot delete child item from NULL parent item");
    if (child->GetTreeHandle() == kTreeNone) return Fail("Cannot delete NULL item");
    CProjectTreeItem* next = child->GetNextSiblingItem();
    if (next == nullptr) next = child->GetPrevSiblingItem();
    if (next == nullptr) next = this;
    if (GetPropertiesItem() == child) SetPropertiesItem(nullptr);
    tree_->DeleteItem(child->GetTreeHandle());
    child->DetachFromTree();
    commands_.Remove(child);
    child->Reset();
    delete child;
    SetDocumentModified(1);
    Put(select, next);
    return 1;
}

CProjectTreeItem* CPrgOperation::CreateNew() {
    Fail("Spawning of command lists is not allowed");
    return nullptr;
}

int CPrgOperation::CopyTo(CProjectTreeItem* /*item*/) {
    return Fail("Spawning of command lists is not allowed");
}

TreeItemHandle CPrgOperation::InsertIntoTree(TreeCtrl* tree, TreeItemHandle parent,
                                             TreeItemHandle after) {
    TreeItemHandle handle = CProjectTreeItem::InsertIntoTree(tree, parent, after);
    if (handle == kTreeNone) return kTreeNone;
    if (!commands_.InsertIntoTree(tree, handle, kTreeFirst)) {
        error_ = commands_.TakeError();
        return kTreeNone;
    }
    return handle;
}

void CPrgOperation::UpdatePropertiesTitle() {
    PropertiesPane* pane = GetPropertiesWindow();
    if (pane == nullptr) return;
    pane->SetTitle("No Command List Properties");
    pane->Show(false);
}

CArrayProjectTreeItem* CPrgOperation::GetChildPrototypes() {
    return GetCommandPrototypes();
}

int CPrgOperation::OnLibraryMessage(int kind, int code, int value) {
    if (executeParams_ == nullptr) return 0;
    if (kind == 1) {
        executeParams_->SetStepProgress(value);
    } else if (kind == 2) {
        if (code == 202) executeParams_->SetStatusText("Writing file (with verify)");
        if (code == 203) executeParams_->SetStatusText("Verifying file");
        executeParams_->NextStep(value);
    }
    return 0;
}

}  // namespace kv
