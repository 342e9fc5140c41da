#include "kelvane/project/prg_project.h"

#include "kelvane/app/app_message_box.h"
#include "kelvane/app/path_functions.h"
#include "kelvane/core/array_prg_processor.h"
#include "kelvane/core/prg_processor.h"
#include "kelvane/core/project_tree_item.h"
#include "kelvane/platform/terminal_text.h"

namespace kv {

CPrgProject::CPrgProject() : commandList_(this, "Commands") {}

CPrgProject::~CPrgProject() {
    CPrgProject::Clear();
}

void CPrgProject::Clear() {
    SetPropertiesItem(nullptr);
    commandList_.Reset();
    commandList_.ClearCommands();
    DeleteRootItems();
}

int CPrgProject::Open(const std::string& path) {
    Clear();
    SetPath(path, true);
    if (!CreateRootItems()) return 0;
    if (!Read(path)) {
        DeleteRootItems();
        return 0;
    }
    UpdateRootLabels();
    PropagateVccToPrototypes();
    return 1;
}

int CPrgProject::InitNew(const NewProjectWizardData& wizard) {
    Clear();
    if (!CreateRootItems()) return 0;
    commandList_.ClearCommands();
    name_ = wizard.name;
    targetProcessor_ = wizard.targetProcessor;
    vcc_ = wizard.vcc;
    SetPath("", false);
    GetLastDocSettings().lastTargetProcessor = targetProcessor_;
    GetLastDocSettings().lastVcc = static_cast<int>(vcc_);
    if (!commandList_.BuildDefaultCommands(wizard.options)) {
        error_ = commandList_.TakeError();
        commandList_.ClearCommands();
        return 0;
    }
    UpdateRootLabels();
    PropagateVccToPrototypes();
    return 1;
}

int CPrgProject::SaveAs() {
    ProjectDialogs* dialogs = GetProjectDialogs();
    std::string path;
    if (dialogs == nullptr || !dialogs->AskSavePath(path)) return 0;
    return Save(path);
}

std::string CPrgProject::TakeError() {
    std::string text = std::move(error_);
    error_.clear();
    return text;
}

void CPrgProject::SetName(const std::string& name) {
    if (name == name_) return;
    name_ = name;
    SetDocumentModified(1);
}

void CPrgProject::SetTargetProcessorName(const std::string& name) {
    if (name == targetProcessor_) return;
    targetProcessor_ = name;
    SetDocumentModified(1);
}

void CPrgProject::SetTargetProcessor(const CPrgProcessor* processor) {
    if (processor != nullptr) SetTargetProcessorName(processor->GetName());
}

void CPrgProject::SetVcc(std::uint32_t vcc) {
    if (vcc == vcc_) return;
    vcc_ = vcc;
    PropagateVccToPrototypes();
    SetDocumentModified(1);
}

int CPrgProject::PropagateVccToCommands() {
    SetDocumentModified(1);
    if (!commandList_.PropagateVCC(vcc_)) return Fail(commandList_.TakeError());
    return 1;
}

int CPrgProject::PropagateVccToPrototypes() {
    std::string error;
    if (!PropagateVccToBuiltIns(vcc_, error)) return Fail(error);
    return 1;
}

void NotifyProjectPathChanged(CPrgProject* project);

void CPrgProject::SetPath(const std::string& path, bool changeDirectory) {
    const bool changed = path != path_;
    path_ = path;
    if (changed) NotifyProjectPathChanged(this);
    if (path_.empty() || !changeDirectory) return;
    std::string error;
    SetCurrentDirectoryToFile(path_, error);
}

CPrgProcessor* CPrgProject::FindProcessor() {
    CArrayPrgProcessor* table = GetProcessorTable();
    if (table == nullptr) {
        Fail("Unable to get current processor from NULL table");
        return nullptr;
    }
    CPrgProcessor* processor = table->FindByName(targetProcessor_);
    if (processor == nullptr) Fail("Unable to find processor '" + Quoted(targetProcessor_) + "'");
    return processor;
}

int CPrgProject::CreateRootItems() {
    DeleteRootItems();
    processorItem_ = std::make_unique<CProcessorTreeItem>(this);
    vccItem_ = std::make_unique<CProjectVccTreeItem>(this);
    nameItem_ = std::make_unique<CProjectNameTreeItem>(this);
    return 1;
}

void CPrgProject::DeleteRootItems() {
    for (CProjectTreeItem* item : {static_cast<CProjectTreeItem*>(processorItem_.get()),
                                   static_cast<CProjectTreeItem*>(vccItem_.get()),
                                   static_cast<CProjectTreeItem*>(nameItem_.get())})
        if (item != nullptr) item->Reset();
    processorItem_.reset();
    vccItem_.reset();
    nameItem_.reset();
}

void CPrgProject::UpdateRootLabels() {
    if (processorItem_) processorItem_->UpdateLabel();
    if (vccItem_) vccItem_->UpdateLabel();
    if (nameItem_) nameItem_->UpdateLabel();
}

int CPrgProject::PopulateTree(TreeCtrl* tree) {
    if (tree == nullptr) return Fail("Unable to populate NULL tree");
    if (!tree->IsWindow()) return Fail("Project tree is not a window");
    tree->DeleteAllItems();
    auto fail = [&](std::string text) {
        tree->DeleteAllItems();
        tree->InsertItem(text, 0, 0, nullptr, kTreeRoot, kTreeLast);
        return Fail(std::move(text));
    };
    if (!nameItem_) return fail("Unable to populate tree with NULL project name tree item");
    if (!vccItem_) return fail("Unable to populate tree with NULL project VCC tree item");
    if (!processorItem_) return fail("Unable to populate tree with NULL processor tree item");
    for (CProjectTreeItem* item : {static_cast<CProjectTreeItem*>(nameItem_.get()),
                                   static_cast<CProjectTreeItem*>(vccItem_.get()),
                                   static_cast<CProjectTreeItem*>(processorItem_.get()),
                                   static_cast<CProjectTreeItem*>(&commandList_)}) {
        if (item->InsertIntoTree(tree, kTreeRoot, kTreeLast) == kTreeNone)
            return fail(item->TakeError());
    }
    tree->Expand(commandList_.GetTreeHandle());
    return 1;
}

}  // namespace kv
