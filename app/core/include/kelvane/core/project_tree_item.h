// The base of everything shown in the project tree: every command, the command
// list and the fixed root items of a project. It fixes the operations through
// which the engine runs items, the project file stores and loads them, the
// tree control edits them and the properties pane shows them.
//
// Every operation that can fail returns 1 on success and 0 on failure and
// leaves a readable text in the item's error text; callers take it from there.
#pragma once

#include <cstdint>
#include <string>

#include "kelvane/core/shared_text.h"
#include "kelvane/core/tree_ui.h"

namespace kv {

class CArrayProjectTreeItem;
class CExecuteParams;
class CMapParameterXML;
class CStdioXMLFile;

class CProjectTreeItem {
  public:
    CProjectTreeItem() = default;
    CProjectTreeItem(const CProjectTreeItem&) = delete;
    CProjectTreeItem& operator=(const CProjectTreeItem&) = delete;
    // An item shown in the properties pane leaves it empty.
    virtual ~CProjectTreeItem();

    // Logs the label, runs OnExecute, logs "OK" or "failed", pumps messages.
    virtual int Execute(CExecuteParams* params);
    // A command that needs the pod or the adapter sets its flag to 1; the
    // others leave both as they are.
    virtual int GetRequiredInterfaces(int* podNeeded, int* adapterNeeded);

    // Tree editing: the selected item names the parent that does the work and
    // the anchor; the parent then adds, inserts, moves or deletes and names
    // the item to select afterwards.
    virtual int GetAddTarget(bool report, CProjectTreeItem** parent, CProjectTreeItem** anchor);
    virtual int AddChild(CProjectTreeItem* item, CProjectTreeItem* anchor,
                         CProjectTreeItem** select);
    virtual int GetInsertTarget(bool report, CProjectTreeItem** parent, CProjectTreeItem** anchor);
    virtual int InsertChild(CProjectTreeItem* item, CProjectTreeItem* anchor,
                            CProjectTreeItem** select);
    virtual int GetMoveUpTarget(bool report, CProjectTreeItem** parent, CProjectTreeItem** item,
                                CProjectTreeItem** previous);
    virtual int MoveChildUp(CProjectTreeItem* child, CProjectTreeItem* previous,
                            CProjectTreeItem** select);
    virtual int GetMoveDownTarget(bool report, CProjectTreeItem** parent, CProjectTreeItem** item,
                                  CProjectTreeItem** next);
    virtual int MoveChildDown(CProjectTreeItem* child, CProjectTreeItem* next,
                              CProjectTreeItem** select);
    virtual int GetDeleteTarget(bool report, CProjectTreeItem** parent, CProjectTreeItem** item);
    virtual int DeleteChild(CProjectTreeItem* child, CProjectTreeItem** select);

    // Rebuilds the tree label from the parameters (nothing in the base).
    virtual void UpdateLabel() {}
    virtual void UpdateTreeText();
    virtual void UpdatePropertiesTitle();
    // Inserts the item's entry; kTreeNone (and the control forgotten) on failure.
    virtual TreeItemHandle InsertIntoTree(TreeCtrl* tree, TreeItemHandle parent,
                                          TreeItemHandle after);
    virtual int AddToNewItemList(NewItemList* list);
    virtual void OnDeselect() {}
    virtual void Select();
    virtual void Deselect();
    virtual void Reset();
    // A copy made by CreateNew and CopyTo; nullptr when either fails.
    virtual CProjectTreeItem* Spawn();
    virtual void SetTreeImage(bool redraw);
    virtual void PumpMessages(int ignored);
    virtual int GetProgressAggregate() { return progressUnits_; }
    virtual int PropagateVCC(std::uint32_t vcc);
    virtual int ResolveFilePath() { return 1; }
    virtual int AttachDialog(UiWindow* parent, const UiRect& rect) = 0;
    // The items that may be added as children; nullptr when none.
    virtual CArrayProjectTreeItem* GetChildPrototypes() { return nullptr; }
    virtual void ResetContents() = 0;
    virtual CProjectTreeItem* CreateNew() = 0;
    virtual int CopyTo(CProjectTreeItem* item);
    virtual void LoadDialog() = 0;
    virtual void ClearDialog() = 0;
    virtual void ShowDialog() = 0;
    virtual void HideDialog() = 0;
    // The item's work; the base advances the progress by the item's units.
    virtual int OnExecute(CExecuteParams* params);
    virtual void RefreshDialog() {}
    virtual void UpdateProgressAggregate() { progressUnits_ = 1; }
    virtual int WriteXMLAttributes(CStdioXMLFile& file);
    virtual int WriteXMLContent(CStdioXMLFile& file);
    virtual int ReadXMLParameters(std::int32_t element);

    // Reset, check the element's name, then read the parameters.
    int ReadXML(std::int32_t element);
    int CheckElementName(std::int32_t element);
    // The item as one element: start tag and attributes, content, end tag.
    int WriteXML(CStdioXMLFile& file);

    // Neighbours in the tree; nullptr when the item is not in a tree or the
    // neighbour does not exist.
    CProjectTreeItem* GetParentItem() const;
    CProjectTreeItem* GetPrevSiblingItem() const;
    CProjectTreeItem* GetNextSiblingItem() const;
    // The last sibling after this one; nullptr when this item is last.
    CProjectTreeItem* GetLastSiblingItem() const;
    CProjectTreeItem* GetFirstChildItem() const;
    CProjectTreeItem* GetLastChildItem() const;

    TreeCtrl* GetTreeCtrl() const { return tree_; }
    TreeItemHandle GetTreeHandle() const { return treeHandle_; }
    // Forgets the tree entry (after the tree deleted it).
    void DetachFromTree();
    int GetImage() const { return treeImage_; }
    void SetBoldText();
    void ClearBoldText();

    const std::string& GetLastError() const { return error_; }
    void SetLastError(std::string text) { error_ = std::move(text); }
    // Moves the error text out and leaves it empty.
    std::string TakeError();
    const std::string& GetElementName() const { return elementName_; }
    const std::string& GetDisplayName() const { return displayName_; }
    const std::string& GetDescription() const { return description_; }
    const std::string& GetGroup() const { return group_; }
    const std::string& GetTreeLabel() const { return treeLabel_; }
    int GetPrintLabel() const { return printLabel_; }
    int GetPrintResult() const { return printResult_; }
    int GetProgressUnits() const { return progressUnits_; }

    // Fills the shared TRUE/FALSE keyword map; runs first at start-up.
    static int InitBooleanMap();
    static CMapParameterXML& GetBooleanMap();

  protected:
    int Fail(std::string text) {
        error_ = std::move(text);
        return 0;
    }
    // At a stopping point inside a long command (a slice of a wait, a piece
    // of a transfer): true, with the stop's text as the error, when the run
    // was asked to stop.
    bool StopRequested(const CExecuteParams* params);

    std::string error_ = "No error";
    // The same for every item of a class: one copy for all of them.
    SharedText elementName_;
    SharedText displayName_;
    SharedText description_;
    SharedText group_ = "System";
    int printLabel_ = 1;
    int printResult_ = 1;
    std::string treeLabel_;
    int treeImage_ = 0;
    TreeCtrl* tree_ = nullptr;
    TreeItemHandle treeHandle_ = kTreeNone;
    int progressUnits_ = 1;
};

// The one properties pane of the program and the item it shows.
void SetPropertiesWindow(PropertiesPane* pane);
PropertiesPane* GetPropertiesWindow();
// Deselects the item shown so far and shows the new one; nullptr empties the
// pane's title and hides it.
void SetPropertiesItem(CProjectTreeItem* item);
CProjectTreeItem* GetPropertiesItem();

}  // namespace kv
