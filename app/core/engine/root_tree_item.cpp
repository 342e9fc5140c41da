#include "kelvane/core/root_tree_item.h"

#include <cstdio>

#include "kelvane/core/prg_operation.h"
#include "kelvane/core/prg_processor.h"
#include "kelvane/platform/message_box.h"

namespace kv {

namespace {

constexpr const char* kCannotAdd = "Child items cannot be added to root tree items";
constexpr const char* kCannotMoveUp = "Root tree items cannot move up";
constexpr const char* kCannotMoveDown = "Root tree items cannot move down";
constexpr const char* kCannotDelete = "Root tree items cannot be deleted";
constexpr const char* kNoChildren = "Root tree items have no children to delete";
constexpr const char* kCannotSpawn = "Spawning of root tree items is not allowed";

PropertyPage* gProcessorPage = nullptr;
PropertyPage* gProjectNamePage = nullptr;
PropertyPage* gProjectVccPage = nullptr;

template <class... T>
void ClearAll(T**... out) {
    ((out != nullptr ? (void)(*out = nullptr) : (void)0), ...);
}

}  // namespace

std::string FormatVcc(std::uint32_t millivolts) {
    char text[32];
    std::snprintf(text, sizeof text, "%01.1fv", millivolts * 0.001);
    return text;
}

int CRootTreeItem::Refuse(bool report, const std::string& text) {
    if (report) messageBox(text, "Kelvane", kMbOk);
    return Fail(text);
}

int CRootTreeItem::GetAddTarget(bool report, CProjectTreeItem** parent, CProjectTreeItem** anchor) {
    ClearAll(parent, anchor);
    return Refuse(report, kCannotAdd);
}

int CRootTreeItem::AddChild(CProjectTreeItem* /*item*/, CProjectTreeItem* /*anchor*/,
                            CProjectTreeItem** select) {
    ClearAll(select);
    return Fail(kCannotAdd);
}

int CRootTreeItem::GetInsertTarget(bool report, CProjectTreeItem** parent,
                                   CProjectTreeItem** anchor) {
    ClearAll(parent, anchor);
    return Refuse(report, kCannotAdd);
}

int CRootTreeItem::InsertChild(CProjectTreeItem* /*item*/, CProjectTreeItem* /*anchor*/,
                               CProjectTreeItem** select) {
    ClearAll(select);
    return Fail(kCannotAdd);
}

int CRootTreeItem::GetMoveUpTarget(bool report, CProjectTreeItem** parent, CProjectTreeItem** item,
                                   CProjectTreeItem** previous) {
    ClearAll(parent, item, previous);
    return Refuse(report, kCannotMoveUp);
}

int CRootTreeItem::MoveChildUp(CProjectTreeItem* /*child*/, CProjectTreeItem* /*previous*/,
                               CProjectTreeItem** select) {
    ClearAll(select);
    return Fail(kCannotMoveUp);
}

int CRootTreeItem::GetMoveDownTarget(bool report, CProjectTreeItem** parent,
                                     CProjectTreeItem** item, CProjectTreeItem** next) {
    ClearAll(parent, item, next);
    return Refuse(report, kCannotMoveDown);
}

int CRootTreeItem::MoveChildDown(CProjectTreeItem* /*child*/, CProjectTreeItem* /*next*/,
                                 CProjectTreeItem** select) {
    ClearAll(select);
    return Fail(kCannotMoveDown);
}

int CRootTreeItem::GetDeleteTarget(bool report, CProjectTreeItem** parent,
                                   CProjectTreeItem** item) {
    ClearAll(parent, item);
    return Refuse(report, kCannotDelete);
}

int CRootTreeItem::DeleteChild(CProjectTreeItem* /*child*/, CProjectTreeItem** select) {
    ClearAll(select);
    return Fail(kNoChildren);
}

CProjectTreeItem* CRootTreeItem::CreateNew() {
    Fail(kCannotSpawn);
    return nullptr;
}

int CRootTreeItem::CopyTo(CProjectTreeItem* /*item*/) {
    return Fail(kCannotSpawn);
}

int CPagedRootTreeItem::AttachDialog(UiWindow* parent, const UiRect& rect) {
    if (*page_ == nullptr || !(*page_)->Attach(parent, rect))
        return Fail("Unable to set parent of NULL dialog");
    return 1;
}

void CPagedRootTreeItem::LoadDialog() {
    if (*page_ != nullptr) (*page_)->SetItem(this);
}

void CPagedRootTreeItem::ClearDialog() {
    if (*page_ != nullptr) (*page_)->SetItem(nullptr);
}

void CPagedRootTreeItem::ShowDialog() {
    if (*page_ != nullptr) (*page_)->Show(true);
}

void CPagedRootTreeItem::HideDialog() {
    if (*page_ != nullptr) (*page_)->Show(false);
}

void CPagedRootTreeItem::RefreshDialog() {
    if (*page_ != nullptr && (*page_)->GetItem() == this) (*page_)->Refresh();
}

CProcessorTreeItem::CProcessorTreeItem(ProjectAccess* project)
    : CPagedRootTreeItem(project, &gProcessorPage) {
    treeLabel_ = "Processor";
    treeImage_ = 4;
}

void CProcessorTreeItem::SetPropertyPage(PropertyPage* page) {
    gProcessorPage = page;
}

void CProcessorTreeItem::UpdateLabel() {
    if (project_ != nullptr) treeLabel_ = project_->GetTargetProcessorName();
    UpdateTreeText();
    UpdatePropertiesTitle();
}

void CProcessorTreeItem::SetProcessor(const CPrgProcessor* processor) {
    if (processor != nullptr) SetProcessorName(processor->GetName());
}

void CProcessorTreeItem::SetProcessorName(const std::string& name) {
    if (project_ != nullptr) project_->SetTargetProcessorName(name);
    UpdateLabel();
}

CProjectNameTreeItem::CProjectNameTreeItem(ProjectAccess* project)
    : CPagedRootTreeItem(project, &gProjectNamePage) {
    treeLabel_ = "Project Name";
    treeImage_ = 1;
}

void CProjectNameTreeItem::SetPropertyPage(PropertyPage* page) {
    gProjectNamePage = page;
}

void CProjectNameTreeItem::UpdateLabel() {
    treeLabel_ = GetProjectName();
    UpdateTreeText();
    UpdatePropertiesTitle();
}

std::string CProjectNameTreeItem::GetProjectName() const {
    return project_ != nullptr ? project_->GetName() : "Unknown Project";
}

void CProjectNameTreeItem::SetProjectName(const std::string& name) {
    if (project_ != nullptr) project_->SetName(name);
    UpdateLabel();
}

CProjectVccTreeItem::CProjectVccTreeItem(ProjectAccess* project)
    : CPagedRootTreeItem(project, &gProjectVccPage) {
    treeLabel_ = "Default Project VCC";
    treeImage_ = 6;
}

void CProjectVccTreeItem::SetPropertyPage(PropertyPage* page) {
    gProjectVccPage = page;
}

void CProjectVccTreeItem::UpdateLabel() {
    treeLabel_ = "Default VCC = " + FormatVcc(GetVcc());
    UpdateTreeText();
    UpdatePropertiesTitle();
}

std::uint32_t CProjectVccTreeItem::GetVcc() const {
    return project_ != nullptr ? project_->GetVcc() : 3300;
}

void CProjectVccTreeItem::SetVcc(std::uint32_t vcc) {
    if (project_ != nullptr) project_->SetVcc(vcc);
    UpdateLabel();
}

int CProjectVccTreeItem::PropagateVCC(std::uint32_t /*vcc*/) {
    if (project_ == nullptr) return 1;
    CPrgOperation* commands = project_->GetCommandList();
    if (commands == nullptr) return 1;
    SetDocumentModified(1);
    if (!commands->PropagateVCC(project_->GetVcc())) return Fail(commands->TakeError());
    return 1;
}

}  // namespace kv
