// The fixed root items of a project tree (processor, project name, default
// VCC) and their base, which the command list shares. Root items refuse every
// structural edit.
#pragma once

#include <cstdint>
#include <string>

#include "kelvane/core/project_access.h"
#include "kelvane/core/project_tree_item.h"

namespace kv {

class CPrgProcessor;

class CRootTreeItem : public CProjectTreeItem {
  public:
    explicit CRootTreeItem(ProjectAccess* project) : project_(project) {}

    int GetAddTarget(bool report, CProjectTreeItem** parent, CProjectTreeItem** anchor) override;
    int AddChild(CProjectTreeItem* item, CProjectTreeItem* anchor,
                 CProjectTreeItem** select) override;
    int GetInsertTarget(bool report, CProjectTreeItem** parent, CProjectTreeItem** anchor) override;
    int InsertChild(CProjectTreeItem* item, CProjectTreeItem* anchor,
                    CProjectTreeItem** select) override;
    int GetMoveUpTarget(bool report, CProjectTreeItem** parent, CProjectTreeItem** item,
                        CProjectTreeItem** previous) override;
    int MoveChildUp(CProjectTreeItem* child, CProjectTreeItem* previous,
                    CProjectTreeItem** select) override;
    int GetMoveDownTarget(bool report, CProjectTreeItem** parent, CProjectTreeItem** item,
                          CProjectTreeItem** next) override;
    int MoveChildDown(CProjectTreeItem* child, CProjectTreeItem* next,
                      CProjectTreeItem** select) override;
    int GetDeleteTarget(bool report, CProjectTreeItem** parent, CProjectTreeItem** item) override;
    int DeleteChild(CProjectTreeItem* child, CProjectTreeItem** select) override;
    void ResetContents() override {}
    CProjectTreeItem* CreateNew() override;
    int CopyTo(CProjectTreeItem* item) override;

    ProjectAccess* GetProject() const { return project_; }

  protected:
    // Shows the text when asked to report, keeps it as the error text.
    int Refuse(bool report, const std::string& text);

    ProjectAccess* project_;
};

// A root item shown by its class's property page.
class CPagedRootTreeItem : public CRootTreeItem {
  public:
    CPagedRootTreeItem(ProjectAccess* project, PropertyPage** page)
        : CRootTreeItem(project), page_(page) {}

    int AttachDialog(UiWindow* parent, const UiRect& rect) override;
    void LoadDialog() override;
    void ClearDialog() override;
    void ShowDialog() override;
    void HideDialog() override;
    void RefreshDialog() override;

  private:
    PropertyPage** page_;
};

class CProcessorTreeItem : public CPagedRootTreeItem {
  public:
    explicit CProcessorTreeItem(ProjectAccess* project);
    // The processor page, installed by the user interface (nullptr removes it).
    static void SetPropertyPage(PropertyPage* page);
    void UpdateLabel() override;
    // Makes the processor the project's target processor.
    void SetProcessor(const CPrgProcessor* processor);
    void SetProcessorName(const std::string& name);
};

class CProjectNameTreeItem : public CPagedRootTreeItem {
  public:
    explicit CProjectNameTreeItem(ProjectAccess* project);
    static void SetPropertyPage(PropertyPage* page);
    void UpdateLabel() override;
    // "Unknown Project" without a project.
    std::string GetProjectName() const;
    void SetProjectName(const std::string& name);
};

class CProjectVccTreeItem : public CPagedRootTreeItem {
  public:
    explicit CProjectVccTreeItem(ProjectAccess* project);
    static void SetPropertyPage(PropertyPage* page);
    void UpdateLabel() override;
    // 3300 without a project.
    std::uint32_t GetVcc() const;
    void SetVcc(std::uint32_t vcc);
    // Offers the project's default VCC to every command of its command list.
    int PropagateVCC(std::uint32_t vcc) override;
};

}  // namespace kv
