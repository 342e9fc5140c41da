#include "kelvane/commands/paged_command.h"

namespace kv {

int CPagedCommand::AttachDialog(UiWindow* parent, const UiRect& rect) {
    if (page_ == nullptr) return 1;
    PropertyPage* page = GetPage();
    if (page == nullptr || !page->Attach(parent, rect))
        return Fail("Unable to set parent of NULL dialog");
    return 1;
}

void CPagedCommand::LoadDialog() {
    if (PropertyPage* page = GetPage()) page->SetItem(this);
}

void CPagedCommand::ClearDialog() {
    if (PropertyPage* page = GetPage()) page->SetItem(nullptr);
}

void CPagedCommand::ShowDialog() {
    if (PropertyPage* page = GetPage()) page->Show(true);
}

void CPagedCommand::HideDialog() {
    if (PropertyPage* page = GetPage()) page->Show(false);
}

void CPagedCommand::RefreshPage() {
    PropertyPage* page = GetPage();
    if (page != nullptr && page->GetItem() == this) page->Refresh();
}

void CPagedCommand::ShowLabel() {
    UpdateTreeText();
    if (GetPropertiesItem() == this) UpdatePropertiesTitle();
}

}  // namespace kv
