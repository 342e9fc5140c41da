#include "kelvane/core/array_project_tree_item.h"

#include <algorithm>
#include <utility>

#include "kelvane/core/project_tree_item.h"

namespace kv {

CArrayProjectTreeItem::~CArrayProjectTreeItem() {
    FreeAll();
}

void CArrayProjectTreeItem::InsertAt(int index, CProjectTreeItem* item) {
    index = std::clamp(index, 0, GetSize());
    items_.insert(items_.begin() + index, item);
}

void CArrayProjectTreeItem::FreeAll() {
    // Emptied first, so that an item's reset never sees a half-freed array.
    std::vector<CProjectTreeItem*> items = std::exchange(items_, {});
    for (CProjectTreeItem* item : items) {
        if (item == nullptr) continue;
        item->Reset();
        delete item;
    }
}

int CArrayProjectTreeItem::Find(const CProjectTreeItem* item) {
    if (item == nullptr) {
        error_ = "Cannot find NULL item";
        return -1;
    }
    auto it = std::find(items_.begin(), items_.end(), item);
    if (it == items_.end()) {
        error_ = "Could not find item in array";
        return -1;
    }
    return static_cast<int>(it - items_.begin());
}

int CArrayProjectTreeItem::Remove(const CProjectTreeItem* item) {
    int index = Find(item);
    if (index < 0) return 0;
    items_.erase(items_.begin() + index);
    return 1;
}

int CArrayProjectTreeItem::MoveUp(int index) {
    if (index <= 0 || index >= GetSize()) {
        error_ = "Cannot move first item up";
        return 0;
    }
    std::swap(items_[static_cast<std::size_t>(index)], items_[static_cast<std::size_t>(index - 1)]);
    return 1;
}

int CArrayProjectTreeItem::MoveDown(int index) {
    if (index < 0 || index + 1 >= GetSize()) {
        error_ = "Cannot move last item down";
        return 0;
    }
    std::swap(items_[static_cast<std::size_t>(index)], items_[static_cast<std::size_t>(index + 1)]);
    return 1;
}

int CArrayProjectTreeItem::SpawnFrom(const CArrayProjectTreeItem* other) {
    if (other == nullptr) {
        error_ = "Cannot spawn from NULL array";
        return 0;
    }
    for (CProjectTreeItem* item : other->items_) {
        CProjectTreeItem* copy = item->Spawn();
        if (copy == nullptr) return TakeItemError(item);
        items_.push_back(copy);
    }
    return 1;
}

int CArrayProjectTreeItem::AttachDialogs(UiWindow* parent, const UiRect& rect) {
    for (CProjectTreeItem* item : items_)
        if (!item->AttachDialog(parent, rect)) return TakeItemError(item);
    return 1;
}

int CArrayProjectTreeItem::AddToNewItemList(NewItemList* list) {
    for (CProjectTreeItem* item : items_)
        if (!item->AddToNewItemList(list)) return TakeItemError(item);
    return 1;
}

int CArrayProjectTreeItem::InsertIntoTree(TreeCtrl* tree, TreeItemHandle parent,
                                          TreeItemHandle after) {
    for (CProjectTreeItem* item : items_) {
        after = item->InsertIntoTree(tree, parent, after);
        if (after == kTreeNone) return TakeItemError(item);
    }
    return 1;
}

int CArrayProjectTreeItem::SaveToXML(CStdioXMLFile& file) {
    for (CProjectTreeItem* item : items_)
        if (!item->WriteXML(file)) return TakeItemError(item);
    return 1;
}

int CArrayProjectTreeItem::PropagateVCC(std::uint32_t vcc) {
    for (CProjectTreeItem* item : items_)
        if (!item->PropagateVCC(vcc)) return TakeItemError(item);
    return 1;
}

int CArrayProjectTreeItem::ResolveFilePaths() {
    for (CProjectTreeItem* item : items_)
        if (!item->ResolveFilePath()) return TakeItemError(item);
    return 1;
}

std::string CArrayProjectTreeItem::TakeError() {
    return std::exchange(error_, std::string());
}

int CArrayProjectTreeItem::TakeItemError(CProjectTreeItem* item) {
    error_ = item->TakeError();
    return 0;
}

}  // namespace kv
