#include "kelvane/ui/dravik_connection_pages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>

#include "kelvane/commands/dravik_close.h"
#include "kelvane/commands/dravik_open.h"
#include "kelvane/commands/dravik_vcc.h"
#include "kelvane/ui/page_environment.h"

namespace kv::ui {

namespace {

QComboBox* AddVccList(CPropertyPageBase* page, QFormLayout* form, const QString& label,
                      bool withOff) {
    auto* combo = new QComboBox(page);
    combo->setObjectName(QStringLiteral("1002"));
    FillVccList(combo, withOff);
    form->addRow(label, combo);
    return combo;
}

// The selected entry's millivolts; nullopt-like -1 when nothing is selected.
long long SelectedVcc(QComboBox* combo) {
    const int row = combo->currentIndex();
    if (row < 0) return -1;
    return static_cast<long long>(combo->itemData(row).toULongLong());
}

}  // namespace

CDlgCmdDravik_Open::CDlgCmdDravik_Open(QWidget* parent) : CPropertyPageBase(parent) {
    vcc_ = AddVccList(this, Form(), QStringLiteral("VCC prior to Open:"), false);
    connect(vcc_, &QComboBox::currentIndexChanged, this, [this](int) {
        const long long vcc = SelectedVcc(vcc_);
        if (!CanWrite() || vcc < 0) return;
        Object<CCommandDravik_Open>()->SetVCC(static_cast<std::uint32_t>(vcc));
    });
    SetHelpText(
        "VCC must be turned on before the Open_JTAG command is issued.  This command allows VCC "
        "to be set without a preceding VCC command.");
}

bool CDlgCmdDravik_Open::Accepts(CProjectTreeItem* item) const {
    return dynamic_cast<CCommandDravik_Open*>(item) != nullptr;
}

void CDlgCmdDravik_Open::LoadControls() {
    SelectVccInList(vcc_, Object<CCommandDravik_Open>()->GetVCC());
}

void CDlgCmdDravik_Open::SyncVcc(CProjectTreeItem* command, std::uint32_t vcc) {
    if (command == nullptr || command != GetItem()) return;
    Quietly([&] { SelectVccInList(vcc_, vcc); });
}

CDlgCmdDravik_Close::CDlgCmdDravik_Close(QWidget* parent) : CPropertyPageBase(parent) {
    vccOff_ = new QCheckBox(QStringLiteral("VCC Off"), this);
    vccOff_->setObjectName(QStringLiteral("1022"));
    Form()->addRow(vccOff_);
    connect(vccOff_, &QCheckBox::toggled, this, [this](bool checked) {
        if (CanWrite()) Object<CCommandDravik_Close>()->SetVccOff(checked ? 1 : 0);
    });
    SetHelpText(
        std::string("If VCC Off is checked, then power will be removed from the target board "
                    "after the JTAG connection is closed") +
        kHelpParagraph +
        "If left unchecked, then power will remain as currently set when this command "
        "is executed.");
}

bool CDlgCmdDravik_Close::Accepts(CProjectTreeItem* item) const {
    return dynamic_cast<CCommandDravik_Close*>(item) != nullptr;
}

void CDlgCmdDravik_Close::LoadControls() {
    vccOff_->setChecked(Object<CCommandDravik_Close>()->GetVccOff() != 0);
}

CDlgCmdDravik_VCC::CDlgCmdDravik_VCC(QWidget* parent) : CPropertyPageBase(parent) {
    vcc_ = AddVccList(this, Form(), QStringLiteral("VCC:"), true);
    connect(vcc_, &QComboBox::currentIndexChanged, this, [this](int) {
        const long long vcc = SelectedVcc(vcc_);
        if (!CanWrite() || vcc < 0) return;
        Object<CCommandDravik_VCC>()->SetVCC(static_cast<std::uint32_t>(vcc));
    });
    std::string help = "Set or remove target VCC.  ";
    if (!GetPodVccCapability().adjustable)
        help +=
            "Because the adapter you are currently using cannot adjust VCC, the current VCC "
            "options are limited to the fixed voltage of your adapter.";
    SetHelpText(help);
}

bool CDlgCmdDravik_VCC::Accepts(CProjectTreeItem* item) const {
    return dynamic_cast<CCommandDravik_VCC*>(item) != nullptr;
}

void CDlgCmdDravik_VCC::LoadControls() {
    SelectVccInList(vcc_, Object<CCommandDravik_VCC>()->GetVCC());
}

void CDlgCmdDravik_VCC::SyncVcc(CProjectTreeItem* command, std::uint32_t vcc) {
    if (command == nullptr || command != GetItem()) return;
    Quietly([&] { SelectVccInList(vcc_, vcc); });
}

}  // namespace kv::ui
