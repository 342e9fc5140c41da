// An ordered, owning array of project tree items: command lists, the command
// prototypes and the analysis items. The loops run the items in order, stop at
// the first one that fails and move its error text into the array's.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "kelvane/core/tree_ui.h"

namespace kv {

class CProjectTreeItem;
class CStdioXMLFile;

class CArrayProjectTreeItem {
  public:
    CArrayProjectTreeItem() = default;
    CArrayProjectTreeItem(const CArrayProjectTreeItem&) = delete;
    CArrayProjectTreeItem& operator=(const CArrayProjectTreeItem&) = delete;
    virtual ~CArrayProjectTreeItem();

    int GetSize() const { return static_cast<int>(items_.size()); }
    CProjectTreeItem* GetAt(int index) const { return items_[static_cast<std::size_t>(index)]; }
    // Takes ownership.
    void Add(CProjectTreeItem* item) { items_.push_back(item); }
    void InsertAt(int index, CProjectTreeItem* item);
    // Resets and deletes every item, then empties the array.
    void FreeAll();
    // The item's index, or -1.
    int Find(const CProjectTreeItem* item);
    // Removes the item without deleting it; 0 when it is not in the array.
    int Remove(const CProjectTreeItem* item);
    // Swaps the item at the index with the one before, or after.
    int MoveUp(int index);
    int MoveDown(int index);
    // Appends a copy of every item of the other array.
    int SpawnFrom(const CArrayProjectTreeItem* other);

    int AttachDialogs(UiWindow* parent, const UiRect& rect);
    int AddToNewItemList(NewItemList* list);
    // Each item after the entry made for the one before, the first after the
    // given entry.
    int InsertIntoTree(TreeCtrl* tree, TreeItemHandle parent, TreeItemHandle after);
    int SaveToXML(CStdioXMLFile& file);
    int PropagateVCC(std::uint32_t vcc);
    int ResolveFilePaths();

    const std::string& GetLastError() const { return error_; }
    std::string TakeError();

  private:
    int TakeItemError(CProjectTreeItem* item);

    std::vector<CProjectTreeItem*> items_;
    std::string error_;
};

}  // namespace kv
