#include "dlg_new_command.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <utility>

#include "kelvane/core/array_project_tree_item.h"
#include "kelvane/core/project_tree_item.h"
#include "kelvane/platform/message_box.h"
#include "new_item_list_ctrl.h"
#include "properties_pane.h"

namespace kv::ui {

namespace {

struct PageHost {
    UiWindow* window = nullptr;
    UiRect rect;
};

PageHost& Host() {
    static PageHost host;
    return host;
}

CDlgNewCommand::Runner& RunnerSlot() {
    static CDlgNewCommand::Runner runner;
    return runner;
}

}  // namespace

CDlgNewCommand::CDlgNewCommand(QWidget* parent)
    : QDialog(parent),
      list_(new CNewItemListCtrl(this)),
      pane_(new CPropertiesPane(QStringLiteral("Properties"), this)) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* row = new QHBoxLayout;
    row->addWidget(list_, 1);
    row->addWidget(pane_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    list_->setMinimumWidth(480);
    connect(list_, &QTreeWidget::itemSelectionChanged, this, &CDlgNewCommand::OnSelectionChanged);
}

CDlgNewCommand::~CDlgNewCommand() {
    Close();
}

void CDlgNewCommand::SetPrototypes(CArrayProjectTreeItem* prototypes) {
    prototypes_ = prototypes;
    if (prototypes_ != nullptr) prototypes_->ResolveFilePaths();
}

void CDlgNewCommand::SetTitle(const std::string& title) {
    title_ = title;
}

void CDlgNewCommand::SetPageHost(UiWindow* window, const UiRect& rect) {
    Host() = PageHost{window, rect};
}

void CDlgNewCommand::ClearPageHost() {
    Host() = PageHost{};
}

CDlgNewCommand::Runner CDlgNewCommand::SetRunner(Runner runner) {
    return std::exchange(RunnerSlot(), std::move(runner));
}

int CDlgNewCommand::DoModal() {
    if (!Open()) {
        Close();
        return QDialog::Rejected;
    }
    int result = RunnerSlot() ? RunnerSlot()(*this) : exec();
    Close();
    return result;
}

bool CDlgNewCommand::Open() {
    setWindowTitle(QString::fromStdString(title_));
    if (Host().window == nullptr || prototypes_ == nullptr ||
        !prototypes_->AttachDialogs(pane_->GetPageWindow(), pane_->GetPageRect())) {
        messageBox("Unable to attach item dialogs", "Kelvane", kMbOk);
        return false;
    }
    list_->SetUp();
    if (!prototypes_->AddToNewItemList(list_)) {
        messageBox(prototypes_->TakeError(), "Kelvane", kMbOk);
        return false;
    }
    previousPane_ = GetPropertiesWindow();
    paneTaken_ = true;
    SetPropertiesWindow(pane_);
    list_->SelectRow(0);
    return true;
}

void CDlgNewCommand::Close() {
    if (paneTaken_) {
        SetPropertiesWindow(previousPane_);
        paneTaken_ = false;
    }
    if (Host().window != nullptr && prototypes_ != nullptr) {
        SetPropertiesItem(nullptr);
        prototypes_->AttachDialogs(Host().window, Host().rect);
        prototypes_ = nullptr;
    }
}

void CDlgNewCommand::OnSelectionChanged() {
    CProjectTreeItem* item = list_->GetSelectedItem();
    if (item == nullptr) return;
    selected_ = item;
    SetPropertiesItem(item);
}

CProjectTreeItem* CDlgNewCommand::CreateSelectedCommand() {
    return selected_ != nullptr ? selected_->Spawn() : nullptr;
}

}  // namespace kv::ui
