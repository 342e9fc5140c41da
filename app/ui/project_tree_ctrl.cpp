#include "project_tree_ctrl.h"

#include <QKeyEvent>
#include <QKeySequence>

#include "app_state.h"
#include "command_ids.h"
#include "dlg_new_command.h"
#include "doc_kelvane.h"
#include "kelvane/core/array_project_tree_item.h"
#include "kelvane/core/project_tree_item.h"
#include "kelvane/platform/message_box.h"
#include "status_bitmaps.h"

namespace kv::ui {

namespace {

constexpr int kHandleRole = Qt::UserRole + 1;
constexpr int kItemRole = Qt::UserRole + 2;
constexpr const char* kForeignItem = "The current tree item is not a child of the current tree";

void Show(const std::string& text) {
    messageBox(text, "Kelvane", kMbOk);
}

}  // namespace

CProjectTreeCtrl::CProjectTreeCtrl(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setRootIsDecorated(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // The commands change only through the editing commands below.
    setDragDropMode(QAbstractItemView::NoDragDrop);
    connect(this, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current, QTreeWidgetItem*) { OnCurrentChanged(current); });
}

CProjectTreeCtrl::~CProjectTreeCtrl() {
    // Items still shown keep no handle into a control that is gone.
    ClearTree();
}

void CProjectTreeCtrl::CreateImageList() {
    DestroyImageList();
    setIconSize(QSize(16, 16));
    hasImages_ = true;
}

void CProjectTreeCtrl::DestroyImageList() {
    hasImages_ = false;
}

TreeItemHandle CProjectTreeCtrl::InsertTreeItem(CProjectTreeItem* item, TreeItemHandle parent,
                                                TreeItemHandle after) {
    if (item == nullptr) return kTreeNone;
    return InsertItem(item->GetTreeLabel(), item->GetImage(), item->GetImage(), item, parent,
                      after);
}

CProjectTreeItem* CProjectTreeCtrl::GetTreeItem(TreeItemHandle handle) const {
    return GetItemData(handle);
}

void CProjectTreeCtrl::SetTreeItemData(TreeItemHandle handle, CProjectTreeItem* value) {
    if (QTreeWidgetItem* entry = EntryOf(handle)) {
        entry->setData(0, kItemRole, QVariant::fromValue(reinterpret_cast<quintptr>(value)));
    }
}

int CProjectTreeCtrl::SelectTreeItem(CProjectTreeItem* item) {
    QTreeWidgetItem* entry = nullptr;
    if (item != nullptr && item->GetTreeCtrl() == this) entry = EntryOf(item->GetTreeHandle());
    setCurrentItem(entry);
    if (entry == nullptr) clearSelection();
    return 1;
}

void CProjectTreeCtrl::ClearTree() {
    for (auto& [handle, entry] : entries_) {
        entry->setData(0, kItemRole, QVariant::fromValue(quintptr{0}));
    }
    DeleteAllItems();
}

TreeItemHandle CProjectTreeCtrl::InsertItem(const std::string& text, int image,
                                            int /*selectedImage*/, CProjectTreeItem* itemData,
                                            TreeItemHandle parent, TreeItemHandle after) {
    QTreeWidgetItem* parentEntry = nullptr;
    if (parent != kTreeRoot && parent != kTreeNone) {
        parentEntry = EntryOf(parent);
        if (parentEntry == nullptr) return kTreeNone;
    }
    int count = parentEntry != nullptr ? parentEntry->childCount() : topLevelItemCount();
    int index = count;
    if (after == kTreeFirst) {
        index = 0;
    } else if (after != kTreeLast && after != kTreeNone) {
        QTreeWidgetItem* afterEntry = EntryOf(after);
        if (afterEntry == nullptr || afterEntry->parent() != parentEntry) return kTreeNone;
        index = (parentEntry != nullptr ? parentEntry->indexOfChild(afterEntry)
                                        : indexOfTopLevelItem(afterEntry)) +
                1;
    }
    auto* entry = new QTreeWidgetItem;
    entry->setText(0, QString::fromStdString(text));
    if (hasImages_) entry->setIcon(0, ItemImage(image));
    TreeItemHandle handle = nextHandle_++;
    entry->setData(0, kHandleRole, QVariant::fromValue(static_cast<qlonglong>(handle)));
    entry->setData(0, kItemRole, QVariant::fromValue(reinterpret_cast<quintptr>(itemData)));
    entries_[handle] = entry;
    if (parentEntry != nullptr) {
        parentEntry->insertChild(index, entry);
    } else {
        insertTopLevelItem(index, entry);
    }
    return handle;
}

void CProjectTreeCtrl::Forget(QTreeWidgetItem* entry) {
    for (int i = 0; i < entry->childCount(); ++i)
        Forget(entry->child(i));
    entries_.erase(HandleOf(entry));
}

bool CProjectTreeCtrl::DeleteItem(TreeItemHandle item) {
    QTreeWidgetItem* entry = EntryOf(item);
    if (entry == nullptr) return false;
    Forget(entry);
    delete entry;
    return true;
}

void CProjectTreeCtrl::DeleteAllItems() {
    entries_.clear();
    clear();
}

void CProjectTreeCtrl::SetItemText(TreeItemHandle item, const std::string& text) {
    if (QTreeWidgetItem* entry = EntryOf(item)) entry->setText(0, QString::fromStdString(text));
}

void CProjectTreeCtrl::SetItemImage(TreeItemHandle item, int image, int /*selectedImage*/) {
    if (QTreeWidgetItem* entry = EntryOf(item); entry != nullptr && hasImages_) {
        entry->setIcon(0, ItemImage(image));
    }
}

void CProjectTreeCtrl::SetItemBold(TreeItemHandle item, bool bold) {
    if (QTreeWidgetItem* entry = EntryOf(item)) {
        QFont font = entry->font(0);
        font.setBold(bold);
        entry->setFont(0, font);
    }
}

bool CProjectTreeCtrl::IsBold(TreeItemHandle handle) const {
    QTreeWidgetItem* entry = EntryOf(handle);
    return entry != nullptr && entry->font(0).bold();
}

TreeItemHandle CProjectTreeCtrl::GetParentItem(TreeItemHandle item) const {
    QTreeWidgetItem* entry = EntryOf(item);
    return entry != nullptr ? HandleOf(entry->parent()) : kTreeNone;
}

TreeItemHandle CProjectTreeCtrl::GetPrevSiblingItem(TreeItemHandle item) const {
    QTreeWidgetItem* entry = EntryOf(item);
    if (entry == nullptr) return kTreeNone;
    QTreeWidgetItem* parent = entry->parent();
    int index = parent != nullptr ? parent->indexOfChild(entry) : indexOfTopLevelItem(entry);
    if (index <= 0) return kTreeNone;
    return HandleOf(parent != nullptr ? parent->child(index - 1) : topLevelItem(index - 1));
}

TreeItemHandle CProjectTreeCtrl::GetNextSiblingItem(TreeItemHandle item) const {
    QTreeWidgetItem* entry = EntryOf(item);
    if (entry == nullptr) return kTreeNone;
    QTreeWidgetItem* parent = entry->parent();
    int index = parent != nullptr ? parent->indexOfChild(entry) : indexOfTopLevelItem(entry);
    return HandleOf(parent != nullptr ? parent->child(index + 1) : topLevelItem(index + 1));
}

TreeItemHandle CProjectTreeCtrl::GetChildItem(TreeItemHandle item) const {
    if (item == kTreeRoot) return HandleOf(topLevelItem(0));
    QTreeWidgetItem* entry = EntryOf(item);
    return entry != nullptr ? HandleOf(entry->child(0)) : kTreeNone;
}

CProjectTreeItem* CProjectTreeCtrl::GetItemData(TreeItemHandle item) const {
    QTreeWidgetItem* entry = EntryOf(item);
    if (entry == nullptr) return nullptr;
    return reinterpret_cast<CProjectTreeItem*>(entry->data(0, kItemRole).value<quintptr>());
}

void CProjectTreeCtrl::Expand(TreeItemHandle item) {
    if (QTreeWidgetItem* entry = EntryOf(item)) entry->setExpanded(true);
}

void CProjectTreeCtrl::Redraw() {
    viewport()->update();
    viewport()->repaint();
}

TreeItemHandle CProjectTreeCtrl::HandleOf(const QTreeWidgetItem* entry) const {
    if (entry == nullptr) return kTreeNone;
    return static_cast<TreeItemHandle>(entry->data(0, kHandleRole).toLongLong());
}

QTreeWidgetItem* CProjectTreeCtrl::EntryOf(TreeItemHandle handle) const {
    auto found = entries_.find(handle);
    return found != entries_.end() ? found->second : nullptr;
}

void CProjectTreeCtrl::OnCurrentChanged(QTreeWidgetItem* current) {
    CProjectTreeItem* item = current != nullptr ? GetItemData(HandleOf(current)) : nullptr;
    if (item != GetPropertiesItem()) SetPropertiesItem(item);
    emit currentItemShown();
}

CProjectTreeItem* CProjectTreeCtrl::EditedItem(std::string& error) const {
    // The run works through the project's commands as they are: nothing may
    // delete, add or move one under it.
    if (IsBusy()) return nullptr;
    CProjectTreeItem* item = GetPropertiesItem();
    if (item == nullptr) return nullptr;
    if (item->GetTreeCtrl() != this) {
        error = kForeignItem;
        return nullptr;
    }
    return item;
}

int CProjectTreeCtrl::DeleteCurrentItem() {
    std::string error;
    CProjectTreeItem* current = EditedItem(error);
    if (current == nullptr) {
        if (!error.empty()) Show(error);
        return 0;
    }
    CProjectTreeItem* parent = nullptr;
    CProjectTreeItem* item = nullptr;
    if (!current->GetDeleteTarget(true, &parent, &item)) return 0;
    if (parent == nullptr) {
        Show("Cannot delete item from NULL parent");
        return 0;
    }
    if (item == nullptr) {
        Show("Cannot delete NULL item");
        return 0;
    }
    SelectTreeItem(nullptr);
    CProjectTreeItem* select = nullptr;
    if (parent->DeleteChild(item, &select)) {
        SelectTreeItem(select);
        return 1;
    }
    Show(parent->TakeError());
    // The item was not deleted: show it again.
    SelectTreeItem(item);
    return 0;
}

int CProjectTreeCtrl::MoveCurrentItemUp() {
    std::string error;
    CProjectTreeItem* current = EditedItem(error);
    if (current == nullptr) {
        if (!error.empty()) Show(error);
        return 0;
    }
    CProjectTreeItem* parent = nullptr;
    CProjectTreeItem* item = nullptr;
    CProjectTreeItem* previous = nullptr;
    if (!current->GetMoveUpTarget(true, &parent, &item, &previous)) return 0;
    SelectTreeItem(nullptr);
    CProjectTreeItem* select = nullptr;
    if (parent->MoveChildUp(item, previous, &select)) {
        SelectTreeItem(select);
        return 1;
    }
    Show(parent->TakeError());
    return 0;
}

int CProjectTreeCtrl::MoveCurrentItemDown() {
    std::string error;
    CProjectTreeItem* current = EditedItem(error);
    if (current == nullptr) {
        if (!error.empty()) Show(error);
        return 0;
    }
    CProjectTreeItem* parent = nullptr;
    CProjectTreeItem* item = nullptr;
    CProjectTreeItem* next = nullptr;
    if (!current->GetMoveDownTarget(true, &parent, &item, &next)) return 0;
    SelectTreeItem(nullptr);
    CProjectTreeItem* select = nullptr;
    if (parent->MoveChildDown(item, next, &select)) {
        SelectTreeItem(select);
        return 1;
    }
    Show(parent->TakeError());
    return 0;
}

int CProjectTreeCtrl::NewCommand(int insert, bool report, std::string& error) {
    CProjectTreeItem* current = EditedItem(error);
    if (current == nullptr) {
        if (error.empty() && GetPropertiesItem() == nullptr)
            error = "No current item as an anchor for the new item";
        return 0;
    }
    CDlgNewCommand dialog(window());
    CProjectTreeItem* parent = nullptr;
    CProjectTreeItem* anchor = nullptr;
    if (insert) {
        if (!current->GetInsertTarget(report, &parent, &anchor)) {
            error = "Unable to insert before the current item";
            return 0;
        }
        dialog.SetTitle("Insert New Command");
    } else {
        if (!current->GetAddTarget(report, &parent, &anchor)) {
            error = "Unable to add past the current item";
            return 0;
        }
        dialog.SetTitle("Add New Command");
    }
    if (parent == nullptr) {
        error = "Unable to add item to NULL parent";
        return 0;
    }
    CArrayProjectTreeItem* prototypes = parent->GetChildPrototypes();
    if (prototypes == nullptr) {
        error = "Unable to add item parent from NULL list";
        return 0;
    }
    // Inserting before the first command has no anchor; the item the user
    // started from is shown again after a cancel.
    CProjectTreeItem* reselect = anchor != nullptr ? anchor : current;
    dialog.SetPrototypes(prototypes);
    SelectTreeItem(nullptr);
    SetPropertiesItem(nullptr);
    if (anchor != nullptr) anchor->SetBoldText();
    int modified = IsDocumentModified();
    int result = dialog.DoModal();
    if (anchor != nullptr) anchor->ClearBoldText();
    if (result != QDialog::Accepted) {
        SelectTreeItem(reselect);
        SetDocumentModified(modified);
        return 1;
    }
    CProjectTreeItem* command = dialog.CreateSelectedCommand();
    if (command == nullptr) {
        error = "Unable to spawn NULL selection";
        SelectTreeItem(reselect);
        return 0;
    }
    CProjectTreeItem* select = nullptr;
    int done = insert ? parent->InsertChild(command, anchor, &select)
                      : parent->AddChild(command, anchor, &select);
    if (!done) {
        error = parent->TakeError();
        command->Reset();
        delete command;
        SelectTreeItem(reselect);
        return 0;
    }
    SelectTreeItem(command);
    return 1;
}

void CProjectTreeCtrl::keyPressEvent(QKeyEvent* event) {
    const QKeyCombination pressed(event->modifiers() & ~Qt::KeypadModifier,
                                  static_cast<Qt::Key>(event->key()));
    for (const TreeKey& key : TreeKeys()) {
        if (QKeySequence(QString::fromLatin1(key.key))[0] != pressed) continue;
        RunKey(key.id);
        return;
    }
    // Ctrl with Left or Right does nothing; other keys move as in any tree.
    if ((event->key() == Qt::Key_Left || event->key() == Qt::Key_Right) &&
        (event->modifiers() & Qt::ControlModifier) != 0)
        return;
    QTreeWidget::keyPressEvent(event);
}

void CProjectTreeCtrl::RunKey(int commandId) {
    switch (commandId) {
        case ID_PROJECT_DELETE_COMMAND:
            DeleteCurrentItem();
            break;
        case ID_PROJECT_INSERT_COMMAND: {
            // From the key a failure shows nothing.
            std::string dropped;
            NewCommand(1, false, dropped);
            break;
        }
        case ID_PROJECT_ADD_COMMAND: {
            std::string dropped;
            NewCommand(0, false, dropped);
            break;
        }
        case ID_PROJECT_COMMAND_UP:
            MoveCurrentItemUp();
            break;
        case ID_PROJECT_COMMAND_DOWN:
            MoveCurrentItemDown();
            break;
        default:
            break;
    }
}

}  // namespace kv::ui
