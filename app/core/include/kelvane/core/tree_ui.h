// What the project model needs of the user interface: the tree control that
// shows the project, the Add New Command list, the properties pane and the
// message pump. The window program implements these over its widgets; the
// console program installs none of them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace kv {

class CProjectTreeItem;

// An entry of the tree control; kTreeNone is no entry.
using TreeItemHandle = std::intptr_t;
constexpr TreeItemHandle kTreeNone = 0;
// As the parent of an insertion: the top level.
constexpr TreeItemHandle kTreeRoot = -1;
// As the entry to insert after: before all siblings, or after all of them.
constexpr TreeItemHandle kTreeFirst = -2;
constexpr TreeItemHandle kTreeLast = -3;

class TreeCtrl {
  public:
    virtual ~TreeCtrl() = default;

    // False once the control behind it is gone.
    virtual bool IsWindow() const = 0;
    // A new entry below the parent after the given sibling (or kTreeFirst /
    // kTreeLast); kTreeNone when it cannot be inserted.
    virtual TreeItemHandle InsertItem(const std::string& text, int image, int selectedImage,
                                      CProjectTreeItem* data, TreeItemHandle parent,
                                      TreeItemHandle after) = 0;
    // Deletes the entry and every entry below it.
    virtual bool DeleteItem(TreeItemHandle item) = 0;
    virtual void DeleteAllItems() = 0;
    virtual void SetItemText(TreeItemHandle item, const std::string& text) = 0;
    virtual void SetItemImage(TreeItemHandle item, int image, int selectedImage) = 0;
    virtual void SetItemBold(TreeItemHandle item, bool bold) = 0;
    virtual TreeItemHandle GetParentItem(TreeItemHandle item) const = 0;
    virtual TreeItemHandle GetPrevSiblingItem(TreeItemHandle item) const = 0;
    virtual TreeItemHandle GetNextSiblingItem(TreeItemHandle item) const = 0;
    virtual TreeItemHandle GetChildItem(TreeItemHandle item) const = 0;
    virtual CProjectTreeItem* GetItemData(TreeItemHandle item) const = 0;
    virtual void Expand(TreeItemHandle item) = 0;
    // Invalidates the control and repaints it at once.
    virtual void Redraw() = 0;
};

// The list of the Add New Command dialog.
class NewItemList {
  public:
    virtual ~NewItemList() = default;
    virtual bool AddRow(const std::string& displayName, int image, const std::string& group,
                        const std::string& description, CProjectTreeItem* item) = 0;
};

// The pane beside the tree that shows the selected item's property page.
class PropertiesPane {
  public:
    virtual ~PropertiesPane() = default;
    virtual void SetTitle(const std::string& title) = 0;
    virtual void Show(bool show) = 0;
};

// A window that property pages are children of; only the user interface
// knows what is behind it.
class UiWindow;

struct UiRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// Lets at most the given number of waiting window messages through. The
// window program installs one; without it (console mode) pumping does
// nothing. Returns the previous pump.
using MessagePump = std::function<void(int maxMessages)>;
MessagePump SetMessagePump(MessagePump pump);
void PumpWindowMessages(int maxMessages);

// The document's modified flag. The document installs the handler; without
// one, marking does nothing.
using DocumentModifiedHandler = std::function<void(int modified)>;
DocumentModifiedHandler SetDocumentModifiedHandler(DocumentModifiedHandler handler);
void SetDocumentModified(int modified);

}  // namespace kv

namespace kv {

// The property page of a class of items: one page object shows whichever item
// of its class is selected. The user interface implements it.
class PropertyPage {
  public:
    virtual ~PropertyPage() = default;
    // The item to show, or nullptr to detach.
    virtual void SetItem(CProjectTreeItem* item) = 0;
    virtual CProjectTreeItem* GetItem() const = 0;
    virtual void Show(bool show) = 0;
    // Makes the page a child of the window and moves it to the rectangle.
    virtual bool Attach(UiWindow* parent, const UiRect& rect) = 0;
    // Shows the item's values again.
    virtual void Refresh() = 0;
};

}  // namespace kv
