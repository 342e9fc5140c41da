// A test step that identifies the chip through the run's pod, as the
// Identify command does before memory and register work.
#pragma once

#include <string>

#include "kelvane/core/dravik.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/project_tree_item.h"

namespace kv::testing {

class IdentifyStep : public CProjectTreeItem {
  public:
    IdentifyStep() {
        elementName_ = "Dravik_Identify";
        treeLabel_ = "Identify";
    }
    int GetRequiredInterfaces(int* podNeeded, int*) override {
        *podNeeded = 1;
        return 1;
    }
    int OnExecute(CExecuteParams* params) override {
        std::string name;
        params->AdvanceProgress(progressUnits_);
        CDravik* pod = params->GetDravik();
        if (pod == nullptr || !pod->Identify(name)) return Fail("identify failed");
        return 1;
    }
    int AttachDialog(UiWindow*, const UiRect&) override { return 1; }
    void ResetContents() override {}
    CProjectTreeItem* CreateNew() override { return new IdentifyStep; }
    void LoadDialog() override {}
    void ClearDialog() override {}
    void ShowDialog() override {}
    void HideDialog() override {}
};

}  // namespace kv::testing
