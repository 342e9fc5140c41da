// The project tree: shows the project's items, shows the selected item's
// property page through the properties pane and performs the Project menu's
// editing commands through the items' editing protocol. It holds no project
// state of its own.
#pragma once

#include <QTreeWidget>
#include <string>
#include <unordered_map>

#include "kelvane/core/tree_ui.h"

namespace kv::ui {

class CProjectTreeCtrl : public QTreeWidget, public TreeCtrl {
    Q_OBJECT

  public:
    explicit CProjectTreeCtrl(QWidget* parent = nullptr);
    ~CProjectTreeCtrl() override;

    // The control's images, one per item kind.
    void CreateImageList();
    void DestroyImageList();

    TreeItemHandle InsertTreeItem(CProjectTreeItem* item, TreeItemHandle parent,
                                  TreeItemHandle after);
    CProjectTreeItem* GetTreeItem(TreeItemHandle handle) const;
    void SetTreeItemData(TreeItemHandle handle, CProjectTreeItem* value);
    // Selects the item's entry; nullptr clears the selection.
    int SelectTreeItem(CProjectTreeItem* item);
    // Forgets every entry's item, then deletes all entries.
    void ClearTree();

    int DeleteCurrentItem();
    // insert 1 puts the new command before the current item, 0 after it.
    int NewCommand(int insert, bool report, std::string& error);
    int MoveCurrentItemUp();
    int MoveCurrentItemDown();

    // The tree interface of the project model.
    bool IsWindow() const override { return true; }
    TreeItemHandle InsertItem(const std::string& text, int image, int selectedImage,
                              CProjectTreeItem* data, TreeItemHandle parent,
                              TreeItemHandle after) override;
    bool DeleteItem(TreeItemHandle item) override;
    void DeleteAllItems() override;
    void SetItemText(TreeItemHandle item, const std::string& text) override;
    void SetItemImage(TreeItemHandle item, int image, int selectedImage) override;
    void SetItemBold(TreeItemHandle item, bool bold) override;
    TreeItemHandle GetParentItem(TreeItemHandle item) const override;
    TreeItemHandle GetPrevSiblingItem(TreeItemHandle item) const override;
    TreeItemHandle GetNextSiblingItem(TreeItemHandle item) const override;
    TreeItemHandle GetChildItem(TreeItemHandle item) const override;
    CProjectTreeItem* GetItemData(TreeItemHandle item) const override;
    void Expand(TreeItemHandle item) override;
    void Redraw() override;

    TreeItemHandle HandleOf(const QTreeWidgetItem* entry) const;
    QTreeWidgetItem* EntryOf(TreeItemHandle handle) const;
    bool IsBold(TreeItemHandle handle) const;

  signals:
    // The item shown in the properties pane changed.
    void currentItemShown();

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    // What a key of the tree's list does: the Project command it names.
    void RunKey(int commandId);
    void OnCurrentChanged(QTreeWidgetItem* current);
    // The item every editing command acts on, whichever way it came (key,
    // menu, toolbar): the current item when it belongs to this tree; else
    // nullptr with the reason in the error. Nothing, with no reason, while a
    // run owns the project or nothing is selected.
    CProjectTreeItem* EditedItem(std::string& error) const;
    void Forget(QTreeWidgetItem* entry);

    std::unordered_map<TreeItemHandle, QTreeWidgetItem*> entries_;
    TreeItemHandle nextHandle_ = 1;
    bool hasImages_ = false;
};

}  // namespace kv::ui
