#include "kelvane/core/project_tree_item.h"

#include <utility>

#include "engine/element_name.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/map_parameter_xml.h"
#include "kelvane/core/run_stop.h"
#include "kelvane/core/stdio_xml_file.h"
#include "kelvane/platform/terminal_text.h"

namespace kv {

namespace {

PropertiesPane* gPropertiesPane = nullptr;
CProjectTreeItem* gPropertiesItem = nullptr;

CProjectTreeItem* ItemAt(TreeCtrl* tree, TreeItemHandle handle) {
    if (tree == nullptr || handle == kTreeNone) return nullptr;
    return tree->GetItemData(handle);
}

template <class T>
void Clear(T** out) {
    if (out != nullptr) *out = nullptr;
}

template <class T>
void Put(T** out, T* value) {
    if (out != nullptr) *out = value;
}

}  // namespace

CProjectTreeItem::~CProjectTreeItem() {
    if (gPropertiesItem == this) gPropertiesItem = nullptr;
}

int CProjectTreeItem::Execute(CExecuteParams* params) {
    if (params == nullptr) return Fail("Unable to execute NULL parameters");
    if (printLabel_) params->Log(Quoted(treeLabel_) + ": ", false);
    int result = OnExecute(params);
    if (printResult_) params->Log(result ? "OK" : "failed", true);
    PumpMessages(0);
    return result;
}

int CProjectTreeItem::GetRequiredInterfaces(int* /*podNeeded*/, int* /*adapterNeeded*/) {
    return 1;
}

int CProjectTreeItem::GetAddTarget(bool /*report*/, CProjectTreeItem** parent,
                                   CProjectTreeItem** anchor) {
    CProjectTreeItem* up = GetParentItem();
    Put(parent, up);
    Put(anchor, up != nullptr ? this : nullptr);
    return up != nullptr;
}

int CProjectTreeItem::AddChild(CProjectTreeItem* /*item*/, CProjectTreeItem* /*anchor*/,
                               CProjectTreeItem** select) {
    Put(select, static_cast<CProjectTreeItem*>(this));
    return Fail("Default implementation of CProjectTreeItem cannot add children");
}

int CProjectTreeItem::GetInsertTarget(bool /*report*/, CProjectTreeItem** parent,
                                      CProjectTreeItem** anchor) {
    CProjectTreeItem* up = GetParentItem();
    Put(parent, up);
    Put(anchor, up != nullptr ? GetPrevSiblingItem() : nullptr);
    return up != nullptr;
}

int CProjectTreeItem::InsertChild(CProjectTreeItem* /*item*/, CProjectTreeItem* /*anchor*/,
                                  CProjectTreeItem** select) {
    Put(select, static_cast<CProjectTreeItem*>(this));
    return Fail("Default implementation of CProjectTreeItem cannot insert children");
}

int CProjectTreeItem::GetMoveUpTarget(bool /*report*/, CProjectTreeItem** parent,
                                      CProjectTreeItem** item, CProjectTreeItem** previous) {
    Clear(parent);
    Clear(item);
    Clear(previous);
    CProjectTreeItem* up = GetParentItem();
    CProjectTreeItem* before = GetPrevSiblingItem();
    if (up == nullptr || before == nullptr) return 0;
    Put(parent, up);
    Put(item, static_cast<CProjectTreeItem*>(this));
    Put(previous, before);
    return 1;
}

int CProjectTreeItem::MoveChildUp(CProjectTreeItem* /*child*/, CProjectTreeItem* /*previous*/,
                                  CProjectTreeItem** /*select*/) {
    return 0;
}

int CProjectTreeItem::GetMoveDownTarget(bool /*report*/, CProjectTreeItem** parent,
                                        CProjectTreeItem** item, CProjectTreeItem** next) {
    Clear(parent);
    Clear(item);
    Clear(next);
    CProjectTreeItem* up = GetParentItem();
    CProjectTreeItem* after = GetNextSiblingItem();
    if (up == nullptr || after == nullptr) return 0;
    Put(parent, up);
    Put(item, static_cast<CProjectTreeItem*>(this));
    Put(next, after);
    return 1;
}

int CProjectTreeItem::MoveChildDown(CProjectTreeItem* /*child*/, CProjectTreeItem* /*next*/,
                                    CProjectTreeItem** /*select*/) {
    return 0;
}

int CProjectTreeItem::GetDeleteTarget(bool /*report*/, CProjectTreeItem** parent,
                                      CProjectTreeItem** item) {
    Put(parent, GetParentItem());
    Put(item, static_cast<CProjectTreeItem*>(this));
    return 1;
}

int CProjectTreeItem::DeleteChild(CProjectTreeItem* /*child*/, CProjectTreeItem** select) {
    Put(select, static_cast<CProjectTreeItem*>(this));
    return Fail("Default implementation of CProjectTreeItem cannot delete children");
}

void CProjectTreeItem::UpdateTreeText() {
    if (tree_ != nullptr && treeHandle_ != kTreeNone) tree_->SetItemText(treeHandle_, treeLabel_);
}

void CProjectTreeItem::UpdatePropertiesTitle() {
    if (gPropertiesPane != nullptr) gPropertiesPane->SetTitle(treeLabel_ + " Properties");
}

TreeItemHandle CProjectTreeItem::InsertIntoTree(TreeCtrl* tree, TreeItemHandle parent,
                                                TreeItemHandle after) {
    if (tree == nullptr) {
        Fail("Unable to insert item into NULL tree");
        tree_ = nullptr;
        treeHandle_ = kTreeNone;
        return kTreeNone;
    }
    tree_ = tree;
    treeHandle_ = tree->InsertItem(treeLabel_, treeImage_, treeImage_, this, parent, after);
    if (treeHandle_ == kTreeNone) {
        Fail("Unable to insert '" + treeLabel_ + "' into the tree");
        tree_ = nullptr;
    }
    return treeHandle_;
}

int CProjectTreeItem::AddToNewItemList(NewItemList* list) {
    if (list == nullptr) return Fail("Unable to add item to NULL list control");
    if (!list->AddRow(displayName_, treeImage_, group_, description_, this))
        return Fail("Unable to add '" + displayName_ + "' to the list");
    return 1;
}

void CProjectTreeItem::Select() {
    LoadDialog();
    ShowDialog();
    SetBoldText();
}

void CProjectTreeItem::Deselect() {
    HideDialog();
    OnDeselect();
    ClearDialog();
    ClearBoldText();
}

void CProjectTreeItem::Reset() {
    ResetContents();
}

CProjectTreeItem* CProjectTreeItem::Spawn() {
    CProjectTreeItem* item = CreateNew();
    if (item == nullptr) return nullptr;
    if (!CopyTo(item)) {
        delete item;
        return nullptr;
    }
    return item;
}

void CProjectTreeItem::SetTreeImage(bool redraw) {
    if (tree_ == nullptr || treeHandle_ == kTreeNone) return;
    tree_->SetItemImage(treeHandle_, treeImage_, treeImage_);
    if (redraw) tree_->Redraw();
}

bool CProjectTreeItem::StopRequested(const CExecuteParams* params) {
    if (params == nullptr || !params->IsStopRequested()) return false;
    error_ = RunStopText();
    return true;
}

void CProjectTreeItem::PumpMessages(int /*ignored*/) {
    PumpWindowMessages(100);
}

int CProjectTreeItem::PropagateVCC(std::uint32_t /*vcc*/) {
    return 1;
}

int CProjectTreeItem::CopyTo(CProjectTreeItem* item) {
    if (item == nullptr) return Fail("Unable to spawn NULL new item");
    item->printLabel_ = printLabel_;
    item->printResult_ = printResult_;
    item->treeLabel_ = treeLabel_;
    item->treeImage_ = treeImage_;
    item->tree_ = tree_;
    item->treeHandle_ = treeHandle_;
    item->displayName_ = displayName_;
    item->description_ = description_;
    item->elementName_ = elementName_;
    item->error_.clear();
    return 1;
}

int CProjectTreeItem::OnExecute(CExecuteParams* params) {
    if (params == nullptr) return Fail("Unable to execute NULL parameters");
    params->AdvanceProgress(progressUnits_);
    return 1;
}

int CProjectTreeItem::WriteXMLAttributes(CStdioXMLFile& /*file*/) {
    return 1;
}

int CProjectTreeItem::WriteXMLContent(CStdioXMLFile& /*file*/) {
    return 1;
}

int CProjectTreeItem::ReadXMLParameters(std::int32_t /*element*/) {
    return 1;
}

int CProjectTreeItem::ReadXML(std::int32_t element) {
    Reset();
    if (!CheckElementName(element)) return 0;
    return ReadXMLParameters(element);
}

int CProjectTreeItem::CheckElementName(std::int32_t element) {
    if (element == -1) return Fail("Cannot open NULL command");
    std::string name;
    if (!ReadElementName(element, name, error_)) return 0;
    if (name != elementName_) return Fail("Cannot open command named '" + Quoted(name) + "'");
    return 1;
}

int CProjectTreeItem::WriteXML(CStdioXMLFile& file) {
    file.OpenElement(elementName_, true);
    if (!WriteXMLAttributes(file)) return 0;
    file.EndStartTag(false);
    if (!WriteXMLContent(file)) return 0;
    file.CloseElement(elementName_, true);
    return 1;
}

CProjectTreeItem* CProjectTreeItem::GetParentItem() const {
    if (tree_ == nullptr || treeHandle_ == kTreeNone) return nullptr;
    return ItemAt(tree_, tree_->GetParentItem(treeHandle_));
}

CProjectTreeItem* CProjectTreeItem::GetPrevSiblingItem() const {
    if (tree_ == nullptr || treeHandle_ == kTreeNone) return nullptr;
    return ItemAt(tree_, tree_->GetPrevSiblingItem(treeHandle_));
}

CProjectTreeItem* CProjectTreeItem::GetNextSiblingItem() const {
    if (tree_ == nullptr || treeHandle_ == kTreeNone) return nullptr;
    return ItemAt(tree_, tree_->GetNextSiblingItem(treeHandle_));
}

CProjectTreeItem* CProjectTreeItem::GetLastSiblingItem() const {
    if (tree_ == nullptr || treeHandle_ == kTreeNone) return nullptr;
    TreeItemHandle last = kTreeNone;
    for (TreeItemHandle h = tree_->GetNextSiblingItem(treeHandle_); h != kTreeNone;
         h = tree_->GetNextSiblingItem(h)) {
        last = h;
    }
    return ItemAt(tree_, last);
}

CProjectTreeItem* CProjectTreeItem::GetFirstChildItem() const {
    if (tree_ == nullptr || treeHandle_ == kTreeNone) return nullptr;
    return ItemAt(tree_, tree_->GetChildItem(treeHandle_));
}

CProjectTreeItem* CProjectTreeItem::GetLastChildItem() const {
    CProjectTreeItem* first = GetFirstChildItem();
    if (first == nullptr) return nullptr;
    CProjectTreeItem* last = first->GetLastSiblingItem();
    return last != nullptr ? last : first;
}

void CProjectTreeItem::DetachFromTree() {
    tree_ = nullptr;
    treeHandle_ = kTreeNone;
}

void CProjectTreeItem::SetBoldText() {
    if (tree_ != nullptr && treeHandle_ != kTreeNone) tree_->SetItemBold(treeHandle_, true);
}

void CProjectTreeItem::ClearBoldText() {
    if (tree_ != nullptr && treeHandle_ != kTreeNone) tree_->SetItemBold(treeHandle_, false);
}

std::string CProjectTreeItem::TakeError() {
    return std::exchange(error_, std::string());
}

CMapParameterXML& CProjectTreeItem::GetBooleanMap() {
    static CMapParameterXML map;
    return map;
}

int CProjectTreeItem::InitBooleanMap() {
    CMapParameterXML& map = GetBooleanMap();
    map.RemoveAll();
    map.AddBoolean();
    return 1;
}

void SetPropertiesWindow(PropertiesPane* pane) {
    gPropertiesPane = pane;
}

PropertiesPane* GetPropertiesWindow() {
    return gPropertiesPane;
}

void SetPropertiesItem(CProjectTreeItem* item) {
    if (gPropertiesItem != nullptr) gPropertiesItem->Deselect();
    gPropertiesItem = item;
    if (item == nullptr) {
        if (gPropertiesPane != nullptr) {
            gPropertiesPane->SetTitle("");
            gPropertiesPane->Show(false);
        }
        return;
    }
    item->Select();
    item->UpdatePropertiesTitle();
    if (gPropertiesPane != nullptr) gPropertiesPane->Show(true);
}

CProjectTreeItem* GetPropertiesItem() {
    return gPropertiesItem;
}

}  // namespace kv
