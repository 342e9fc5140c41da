#include "kelvane/ui/tree_item_pages.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <string>

#include "kelvane/commands/current_project.h"
#include "kelvane/core/array_prg_processor.h"
#include "kelvane/core/prg_processor.h"
#include "kelvane/core/root_tree_item.h"
#include "kelvane/ui/page_environment.h"

namespace kv::ui {

namespace {

class QtProcessorComboBox : public ProcessorComboBox {
  public:
    explicit QtProcessorComboBox(QComboBox* combo) : combo_(combo) {}
    void ResetContent() override { combo_->clear(); }
    int AddString(const std::string& text) override {
        combo_->addItem(QString::fromStdString(text));
        return combo_->count() - 1;
    }
    void SetItemData(int row, const CPrgProcessor* processor) override {
        combo_->setItemData(row, QVariant::fromValue(reinterpret_cast<quintptr>(processor)));
    }
    void SetCurSel(int row) override { combo_->setCurrentIndex(row); }

  private:
    QComboBox* combo_;
};

const CPrgProcessor* ProcessorAt(QComboBox* combo, int row) {
    if (row < 0 || row >= combo->count()) return nullptr;
    return reinterpret_cast<const CPrgProcessor*>(combo->itemData(row).value<quintptr>());
}

}  // namespace

CDlgProcessor::CDlgProcessor(QWidget* parent) : CPropertyPageBase(parent) {
    list_ = new QComboBox(this);
    list_->setObjectName(QStringLiteral("1001"));
    Form()->addRow(list_);
    SetHelpText("Select the processor to be used for all subsequent operations");
    Quietly([this] {
        QtProcessorComboBox adapter(list_);
        FillComboBox(GetProcessorTable(), &adapter);
    });
    connect(list_, &QComboBox::currentIndexChanged, this, [this](int row) {
        if (!CanWrite()) return;
        const CPrgProcessor* processor = ProcessorAt(list_, row);
        if (processor != nullptr) Object<CProcessorTreeItem>()->SetProcessor(processor);
    });
}

bool CDlgProcessor::Accepts(CProjectTreeItem* item) const {
    return dynamic_cast<CProcessorTreeItem*>(item) != nullptr;
}

void CDlgProcessor::LoadControls() {
    const CPrgProcessor* current = GetCommandProjectProcessor();
    if (current == nullptr) return;
    for (int row = 0; row < list_->count(); ++row) {
        const CPrgProcessor* processor = ProcessorAt(list_, row);
        if (processor != nullptr && processor->GetName() == current->GetName()) {
            list_->setCurrentIndex(row);
            return;
        }
    }
}

CDlgProjectName::CDlgProjectName(QWidget* parent) : CPropertyPageBase(parent) {
    name_ = new QLineEdit(this);
    name_->setObjectName(QStringLiteral("1011"));
    Form()->addRow(name_);
    SetHelpText(
        "The project name is documentary only, it has no effect on the operation of the project.");
    connect(name_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (CanWrite()) Object<CProjectNameTreeItem>()->SetProjectName(text.toStdString());
    });
}

bool CDlgProjectName::Accepts(CProjectTreeItem* item) const {
    return dynamic_cast<CProjectNameTreeItem*>(item) != nullptr;
}

void CDlgProjectName::LoadControls() {
    name_->setText(QString::fromStdString(Object<CProjectNameTreeItem>()->GetProjectName()));
}

CDlgProjectVcc::CDlgProjectVcc(QWidget* parent) : CPropertyPageBase(parent) {
    vcc_ = new QComboBox(this);
    vcc_->setObjectName(QStringLiteral("1002"));
    FillVccList(vcc_, false);
    propagate_ = new QPushButton(QStringLiteral("Propogate"), this);
    propagate_->setObjectName(QStringLiteral("1088"));
    Form()->addRow(vcc_, propagate_);
    std::string help =
        "Define the default VCC for your project, which will be used in new instances of commands "
        "such as Open and SetVCC, as well as for immediate commands such as Erase, Reset, etc.  ";
    help += kHelpParagraph;
    help +=
        "Clicking 'Propogate' will update all the non-zero VCC values for all existing commands "
        "in the project to the values selected here.  ";
    if (!GetPodVccCapability().adjustable) {
        help += kHelpParagraph;
        help +=
            "Because the adapter you are currently using cannot adjust VCC, the current VCC "
            "options are limited to the fixed voltage of your adapter.  ";
    }
    SetHelpText(help);
    connect(vcc_, &QComboBox::currentIndexChanged, this, [this](int row) {
        if (!CanWrite() || row < 0) return;
        const long long vcc = vcc_->itemData(row).toLongLong();
        if (vcc != -1) Object<CProjectVccTreeItem>()->SetVcc(static_cast<std::uint32_t>(vcc));
    });
    connect(propagate_, &QPushButton::clicked, this, [this] {
        if (GetItem() != nullptr) GetItem()->PropagateVCC(0);
    });
}

bool CDlgProjectVcc::Accepts(CProjectTreeItem* item) const {
    return dynamic_cast<CProjectVccTreeItem*>(item) != nullptr;
}

void CDlgProjectVcc::LoadControls() {
    SelectVccInList(vcc_, Object<CProjectVccTreeItem>()->GetVcc());
}

}  // namespace kv::ui
