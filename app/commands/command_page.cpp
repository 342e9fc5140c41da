#include "kelvane/commands/command_page.h"

#include <utility>

namespace kv {

namespace {

CommandPageFactory& Factory() {
    static CommandPageFactory factory;
    return factory;
}

}  // namespace

CommandPageFactory SetCommandPageFactory(CommandPageFactory factory) {
    return std::exchange(Factory(), std::move(factory));
}

int CommandPage::Create(UiWindow* parent, const UiRect& rect) {
    Destroy();
    if (!Factory()) return 1;
    page_ = Factory()(elementName_);
    if (page_ == nullptr) return 1;
    if (!page_->Attach(parent, rect)) {
        page_.reset();
        return 0;
    }
    return 1;
}

int CommandPage::Destroy() {
    if (page_ == nullptr) return 0;
    page_->SetItem(nullptr);
    page_.reset();
    return 1;
}

}  // namespace kv
