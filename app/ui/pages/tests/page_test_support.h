// Shared pieces of the page tests: a tree control that records its labels, a
// recorder of the document's modified flag, a project with a chosen processor
// from the shipped processor list, and a window the pages are children of.
#pragma once

#include <gtest/gtest.h>

#include <QWidget>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "kelvane/core/project_access.h"
#include "kelvane/core/project_tree_item.h"
#include "kelvane/core/tree_ui.h"
#include "kelvane/ui/page_environment.h"
#include "ui_window.h"

namespace kv::ui::testing {

class LabelTree : public TreeCtrl {
  public:
    bool IsWindow() const override { return true; }
    TreeItemHandle InsertItem(const std::string& text, int, int, CProjectTreeItem*, TreeItemHandle,
                              TreeItemHandle) override {
        labels[++last] = text;
        return last;
    }
    bool DeleteItem(TreeItemHandle item) override { return labels.erase(item) != 0; }
    void DeleteAllItems() override { labels.clear(); }
    void SetItemText(TreeItemHandle item, const std::string& text) override { labels[item] = text; }
    void SetItemImage(TreeItemHandle, int, int) override {}
    void SetItemBold(TreeItemHandle, bool) override {}
    TreeItemHandle GetParentItem(TreeItemHandle) const override { return kTreeNone; }
    TreeItemHandle GetPrevSiblingItem(TreeItemHandle) const override { return kTreeNone; }
    TreeItemHandle GetNextSiblingItem(TreeItemHandle) const override { return kTreeNone; }
    TreeItemHandle GetChildItem(TreeItemHandle) const override { return kTreeNone; }
    CProjectTreeItem* GetItemData(TreeItemHandle) const override { return nullptr; }
    void Expand(TreeItemHandle) override {}
    void Redraw() override {}

    std::map<TreeItemHandle, std::string> labels;
    TreeItemHandle last = 0;
};

class PageProject : public ProjectAccess {
  public:
    std::string GetName() const override { return "Board"; }
    void SetName(const std::string&) override {}
    std::string GetTargetProcessorName() const override { return processor; }
    void SetTargetProcessorName(const std::string& value) override { processor = value; }
    std::uint32_t GetVcc() const override { return 3300; }
    void SetVcc(std::uint32_t) override {}
    CPrgOperation* GetCommandList() override { return nullptr; }

    std::string processor = "MSP430F149";
};

// Installs the recorders, the project, a window resolver and a pod that can
// adjust its supply; undoes it all at the end.
class PageTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Puts the item in the tree so its label can be read back.
    void InsertIntoTree(CProjectTreeItem* item);
    std::string TreeLabel(CProjectTreeItem* item) { return tree.labels[item->GetTreeHandle()]; }
    UiWindow* Window() { return &uiWindow; }

    LabelTree tree;
    PageProject project;
    QWidget window;
    UiWindow uiWindow{&window};
    int modifiedCount = 0;
    PodVccCapability pod{true, 3600};
};

}  // namespace kv::ui::testing
