// The base every command class shares below CProjectTreeItem: it forwards the
// properties-pane operations to the class's one property page.
#pragma once

#include "kelvane/commands/command_page.h"
#include "kelvane/core/project_tree_item.h"

namespace kv {

class CPagedCommand : public CProjectTreeItem {
  public:
    // The page slot belongs to the class and outlives every command; nullptr
    // for a class without a page.
    explicit CPagedCommand(CommandPage* page) : page_(page) {}

    // Re-parents the class page; "Unable to set parent of NULL dialog" when
    // the page does not exist. A class without a page succeeds.
    int AttachDialog(UiWindow* parent, const UiRect& rect) override;
    void LoadDialog() override;
    void ClearDialog() override;
    void ShowDialog() override;
    void HideDialog() override;
    void ResetContents() override {}

  protected:
    // Redisplays the class page when it shows this command.
    void RefreshPage();
    // Shows a rebuilt tree label: the tree text and, when this command is the
    // one in the properties pane, the pane's title.
    void ShowLabel();

  private:
    PropertyPage* GetPage() const { return page_ != nullptr ? page_->Get() : nullptr; }

    CommandPage* page_;
};

}  // namespace kv
