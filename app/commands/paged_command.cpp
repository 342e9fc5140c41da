#include "kelvane/commands/paged_command.h"

namespace kv {

int CPagedCommand::AttachDialog(UiWindow* parent, const UiRect& rect) {
    PropertyPage* page = page_.Get();
    if (page == nullptr || !page->Attach(parent, rect))
        return Fail("Unable to set parent of NULL dialog");
    return 1;
}

void CPagedCommand::LoadDialog() {
    if (PropertyPage* page = page_.Get()) page->SetItem(this);
}

void CPagedCommand::ClearDialog() {
    if (PropertyPage* page = page_.Get()) page->SetItem(nullptr);
}

void CPagedCommand::ShowDialog() {
    if (PropertyPage* page = page_.Get()) page->Show(true);
}

void CPagedCommand::HideDialog() {
    if (PropertyPage* page = page_.Get()) page->Show(false);
}

void CPagedCommand::RefreshPage() {
    PropertyPage* page = page_.Get();
    if (page != nullptr && page->GetItem() == this) page->Refresh();
}

void CPagedCommand::ShowLabel() {
    UpdateTreeText();
    if (GetPropertiesItem() == this) UpdatePropertiesTitle();
}

}  // namespace kv
