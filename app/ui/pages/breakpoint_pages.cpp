#include "kelvane/ui/breakpoint_pages.h"

#include <QComboBox>
#include <QFormLayout>

#include "kelvane/commands/dravik_breakpoint_commands.h"
#include "kelvane/core/map_parameter_xml.h"
#include "kelvane/core/parameter_xml.h"
#include "kelvane/ui/hex_number_edit.h"
#include "kelvane/ui/parameter_pages.h"

namespace kv::ui {

void FillBreakpointList(QComboBox* combo) {
    combo->clear();
    for (int i = 0; i < 8; ++i)
        combo->addItem(QStringLiteral("Bkpt %1").arg(i), i);
}

void SelectBreakpointInList(QComboBox* combo, int breakpoint) {
    if (combo->count() == 0) return;
    const int found = combo->findData(breakpoint);
    combo->setCurrentIndex(found >= 0 ? found : 0);
}

CDlgCmdDravik_SetBreakpoint::CDlgCmdDravik_SetBreakpoint(QWidget* parent)
    : CPropertyPageBase(parent) {
    number_ = new QComboBox(this);
    number_->setObjectName(QStringLiteral("1095"));
    FillBreakpointList(number_);
    Form()->addRow(QStringLiteral("Breakpoint"), number_);
    mode_ = new QComboBox(this);
    mode_->setObjectName(QStringLiteral("1096"));
    QtComboBox modes(mode_);
    BreakpointMaps::Mode().FillComboBox(&modes);
    Form()->addRow(QStringLiteral("Mode"), mode_);
    // An address that does not parse is not stored; the field keeps the text.
    address_ = AddHexField(QStringLiteral("Addr (h)"), HexFieldRule{}, [this](std::uint32_t value) {
        Object<CCommandDravik_SetBreakpoint>()->SetAddress(value);
    });
    address_->setObjectName(QStringLiteral("1097"));
    connect(number_, &QComboBox::currentIndexChanged, this, [this](int row) {
        if (CanWrite() && row >= 0)
            Object<CCommandDravik_SetBreakpoint>()->SetBreakpointIndex(
                number_->itemData(row).toInt());
    });
    connect(mode_, &QComboBox::currentIndexChanged, this, [this](int) {
        if (!CanWrite()) return;
        QtComboBox combo(mode_);
        const CParameterXML* entry = GetComboSelection(&combo);
        if (entry != nullptr)
            Object<CCommandDravik_SetBreakpoint>()->SetMode(
                static_cast<std::uint16_t>(entry->GetValue()));
    });
    SetHelpText(
        "Sets the indicated breakpoint.  The selected processor may not support all displayed "
        "breakpoints.");
}

bool CDlgCmdDravik_SetBreakpoint::Accepts(CProjectTreeItem* item) const {
    return dynamic_cast<CCommandDravik_SetBreakpoint*>(item) != nullptr;
}

void CDlgCmdDravik_SetBreakpoint::LoadControls() {
    const CCommandDravik_SetBreakpoint* command = Object<CCommandDravik_SetBreakpoint>();
    SelectBreakpointInList(number_, command->GetBreakpointIndex());
    QtComboBox combo(mode_);
    SelectComboByValue(&combo, command->GetMode());
    ShowHexField(address_, command->GetAddress());
}

CDlgCmdDravik_ClearBreakpoint::CDlgCmdDravik_ClearBreakpoint(QWidget* parent)
    : CPropertyPageBase(parent) {
    number_ = new QComboBox(this);
    number_->setObjectName(QStringLiteral("1095"));
    FillBreakpointList(number_);
    Form()->addRow(QStringLiteral("Breakpoint"), number_);
    connect(number_, &QComboBox::currentIndexChanged, this, [this](int row) {
        if (CanWrite() && row >= 0)
            Object<CCommandDravik_ClearBreakpoint>()->SetBreakpoint(number_->itemData(row).toInt());
    });
    SetHelpText(
        "Clears the indicated breakpoint.  The selected processor may not support all displayed "
        "breakpoints.");
}

bool CDlgCmdDravik_ClearBreakpoint::Accepts(CProjectTreeItem* item) const {
    return dynamic_cast<CCommandDravik_ClearBreakpoint*>(item) != nullptr;
}

void CDlgCmdDravik_ClearBreakpoint::LoadControls() {
    SelectBreakpointInList(number_, Object<CCommandDravik_ClearBreakpoint>()->GetBreakpoint());
}

}  // namespace kv::ui
