#include "kelvane/ui/run_control_pages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>

#include "kelvane/commands/dravik_run_control_commands.h"
#include "kelvane/core/map_parameter_xml.h"
#include "kelvane/core/parameter_xml.h"
#include "kelvane/core/xml_reading.h"
#include "kelvane/ui/bounded_number_validator.h"
#include "kelvane/ui/parameter_pages.h"

namespace kv::ui {

namespace {

QLineEdit* AddDecimalField(QWidget* page, QFormLayout* form, const QString& label, const char* id,
                           qulonglong most) {
    auto* edit = new QLineEdit(page);
    edit->setObjectName(QString::fromLatin1(id));
    edit->setValidator(new BoundedNumberValidator(most, edit));
    form->addRow(label, edit);
    return edit;
}

// The field's value when it may keep its text.
bool FieldValue(const QLineEdit* edit, const QString& text, qulonglong* value) {
    return static_cast<const BoundedNumberValidator*>(edit->validator())->Take(text, value);
}

}  // namespace

CDlgCmdDravik_Reset::CDlgCmdDravik_Reset(QWidget* parent) : CPropertyPageBase(parent) {
    type_ = new QComboBox(this);
    type_->setObjectName(QStringLiteral("1032"));
    QtComboBox adapter(type_);
    CCommandDravik_Reset::MethodMap().FillComboBox(&adapter);
    Form()->addRow(QStringLiteral("Reset Type:"), type_);
    execute_ = new QCheckBox(QStringLiteral("Allow Execute"), this);
    execute_->setObjectName(QStringLiteral("1031"));
    Form()->addRow(execute_);
    release_ = new QCheckBox(QStringLiteral("Release JTAG"), this);
    release_->setObjectName(QStringLiteral("1033"));
    Form()->addRow(release_);
    connect(type_, &QComboBox::currentIndexChanged, this, [this](int) {
        if (!CanWrite()) return;
        QtComboBox combo(type_);
        const CParameterXML* entry = GetComboSelection(&combo);
        Object<CCommandDravik_Reset>()->SetMethod(entry != nullptr ? entry->GetValue() : 7);
    });
    connect(execute_, &QCheckBox::toggled, this, [this](bool on) {
        if (CanWrite()) Object<CCommandDravik_Reset>()->SetExecute(on ? 1 : 0);
    });
    connect(release_, &QCheckBox::toggled, this, [this](bool on) {
        if (CanWrite()) Object<CCommandDravik_Reset>()->SetReleaseJTAG(on ? 1 : 0);
    });
    SetHelpText(std::string("Checking Allow Execute allows the target to execute after the reset, "
                            "even if the JTAG port is not released.  Checking Release JTAG "
                            "releases the JTAG port connection after the reset.  ") +
                kHelpParagraph +
                "If later single stepping or running to breakpoints is to be used, choose RST "
                "only and uncheck both options.");
}

bool CDlgCmdDravik_Reset::Accepts(CProjectTreeItem* item) const {
    return dynamic_cast<CCommandDravik_Reset*>(item) != nullptr;
}

void CDlgCmdDravik_Reset::LoadControls() {
    const CCommandDravik_Reset* reset = Object<CCommandDravik_Reset>();
    QtComboBox combo(type_);
    SelectComboByValue(&combo, reset->GetMethod());
    execute_->setChecked(reset->GetExecute() != 0);
    release_->setChecked(reset->GetReleaseJTAG() != 0);
}

CDlgCmdDravik_WaitForBreak::CDlgCmdDravik_WaitForBreak(QWidget* parent)
    : CPropertyPageBase(parent) {
    dwell_ = AddDecimalField(this, Form(), QStringLiteral("Dwell (msec)"), "1099",
                             kMostMilliseconds);
    repeat_ = AddDecimalField(this, Form(), QStringLiteral("Repeat (msec)"), "1100",
                              kMostMilliseconds);
    count_ = AddDecimalField(this, Form(), QStringLiteral("Repeat Count"), "1101", 0xFFFF);
    connect(dwell_, &QLineEdit::textChanged, this, [this](const QString& text) {
        qulonglong value = 0;
        if (CanWrite() && FieldValue(dwell_, text, &value))
            Object<CCommandDravik_WaitForBreak>()->SetDwell(static_cast<std::uint32_t>(value));
    });
    connect(repeat_, &QLineEdit::textChanged, this, [this](const QString& text) {
        qulonglong value = 0;
        if (CanWrite() && FieldValue(repeat_, text, &value))
            Object<CCommandDravik_WaitForBreak>()->SetRepeat(static_cast<std::uint32_t>(value));
    });
    connect(count_, &QLineEdit::textChanged, this, [this](const QString& text) {
        qulonglong value = 0;
        if (CanWrite() && FieldValue(count_, text, &value))
            Object<CCommandDravik_WaitForBreak>()->SetRepeatCount(
                static_cast<std::uint16_t>(value));
    });
}

bool CDlgCmdDravik_WaitForBreak::Accepts(CProjectTreeItem* item) const {
    return dynamic_cast<CCommandDravik_WaitForBreak*>(item) != nullptr;
}

void CDlgCmdDravik_WaitForBreak::LoadControls() {
    const CCommandDravik_WaitForBreak* wait = Object<CCommandDravik_WaitForBreak>();
    dwell_->setText(QString::number(static_cast<long>(wait->GetDwell())));
    repeat_->setText(QString::number(static_cast<long>(wait->GetRepeat())));
    count_->setText(QString::number(wait->GetRepeatCount()));
}

void CDlgCmdDravik_WaitForBreak::SetTimingVisible(bool visible) {
    for (QLineEdit* edit : {dwell_, repeat_, count_}) {
        edit->setVisible(visible);
        if (QWidget* label = Form()->labelForField(edit)) label->setVisible(visible);
    }
}

CDlgCmdDravik_Run::CDlgCmdDravik_Run(QWidget* parent) : CDlgCmdDravik_WaitForBreak(parent) {
    runTo_ = new QCheckBox(QStringLiteral("Run to Breakpoint"), this);
    runTo_->setObjectName(QStringLiteral("1092"));
    wait_ = new QCheckBox(QStringLiteral("Wait for Break"), this);
    wait_->setObjectName(QStringLiteral("1093"));
    Form()->insertRow(0, runTo_);
    Form()->insertRow(1, wait_);
    connect(runTo_, &QCheckBox::toggled, this, [this](bool on) {
        if (CanWrite()) Object<CCommandDravik_Run>()->SetRunToBreakpoint(on ? 1 : 0);
        ApplyVisibility();
    });
    connect(wait_, &QCheckBox::toggled, this, [this](bool on) {
        if (CanWrite()) Object<CCommandDravik_Run>()->SetWaitForBreak(on ? 1 : 0);
        ApplyVisibility();
    });
    SetHelpText(std::string("If Run To Breakpoint is checked, then the target will run until a "
                            "breakpoint is hit, or a Stop command is isused. ") +
                kHelpParagraph +
                "If left unchecked, then the target will not halt on breakpoints.");
    ApplyVisibility();
}

bool CDlgCmdDravik_Run::Accepts(CProjectTreeItem* item) const {
    return dynamic_cast<CCommandDravik_Run*>(item) != nullptr;
}

void CDlgCmdDravik_Run::LoadControls() {
    const CCommandDravik_Run* run = Object<CCommandDravik_Run>();
    runTo_->setChecked(run->GetRunToBreakpoint() != 0);
    wait_->setChecked(run->GetWaitForBreak() != 0);
    CDlgCmdDravik_WaitForBreak::LoadControls();
    ApplyVisibility();
}

void CDlgCmdDravik_Run::ApplyVisibility() {
    const bool runTo = runTo_->isChecked();
    wait_->setVisible(runTo);
    SetTimingVisible(runTo && wait_->isChecked());
}

}  // namespace kv::ui
