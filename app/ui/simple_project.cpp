#include "simple_project.h"

#include "kelvane/core/array_prg_processor.h"
#include "kelvane/core/prg_operation.h"
#include "kelvane/core/root_tree_item.h"

namespace kv::ui {

CMemoryProject::CMemoryProject(std::string name, std::string processor, std::uint32_t vcc)
    : name_(std::move(name)),
      processor_(std::move(processor)),
      vcc_(vcc),
      processorItem_(std::make_unique<CProcessorTreeItem>(this)),
      nameItem_(std::make_unique<CProjectNameTreeItem>(this)),
      vccItem_(std::make_unique<CProjectVccTreeItem>(this)),
      commands_(std::make_unique<CPrgOperation>(this)) {
    processorItem_->UpdateLabel();
    nameItem_->UpdateLabel();
    vccItem_->UpdateLabel();
}

CMemoryProject::~CMemoryProject() {
    SetPropertiesItem(nullptr);
    commands_->ClearCommands();
}

void CMemoryProject::SetName(const std::string& name) {
    if (name == name_) return;
    name_ = name;
    SetDocumentModified(1);
}

void CMemoryProject::SetTargetProcessorName(const std::string& name) {
    if (name == processor_) return;
    processor_ = name;
    SetDocumentModified(1);
}

void CMemoryProject::SetVcc(std::uint32_t vcc) {
    if (vcc == vcc_) return;
    vcc_ = vcc;
    std::string error;
    PropagateVccToBuiltIns(vcc, error);
    SetDocumentModified(1);
}

CPrgOperation* CMemoryProject::GetCommandList() {
    return commands_.get();
}

int CMemoryProject::PopulateTree(TreeCtrl* tree, std::string& error) {
    if (tree == nullptr) {
        error = "Unable to populate NULL tree";
        return 0;
    }
    if (!tree->IsWindow()) {
        error = "Project tree is not a window";
        return 0;
    }
    tree->DeleteAllItems();
    CProjectTreeItem* items[] = {nameItem_.get(), vccItem_.get(), processorItem_.get(),
                                 commands_.get()};
    for (CProjectTreeItem* item : items) {
        if (item->InsertIntoTree(tree, kTreeRoot, kTreeLast) == kTreeNone) {
            error = item->TakeError();
            tree->InsertItem(error, 0, 0, nullptr, kTreeRoot, kTreeLast);
            return 0;
        }
    }
    tree->Expand(commands_->GetTreeHandle());
    return 1;
}

CPrgProcessor* CMemoryProject::FindProcessor(std::string& error) {
    if (GetProcessorTable() == nullptr) {
        error = "Unable to get current processor from NULL table";
        return nullptr;
    }
    CPrgProcessor* processor = FindProcessorByName(processor_);
    if (processor == nullptr) error = "Unable to find processor '" + processor_ + "'";
    return processor;
}

}  // namespace kv::ui
