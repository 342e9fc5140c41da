#include "kelvane/ui/general_command_pages.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpressionValidator>
#include <cstdint>
#include <string>
#include <typeinfo>

#include "kelvane/commands/analyze_results.h"
#include "kelvane/commands/comment.h"
#include "kelvane/commands/delay.h"
#include "kelvane/commands/user_wait.h"
#include "kelvane/core/map_parameter_xml.h"
#include "kelvane/core/parameter_xml.h"
#include "kelvane/ui/hex_number_edit.h"
#include "kelvane/ui/parameter_pages.h"

namespace kv::ui {

CDlgCmdCommentPageBase::CDlgCmdCommentPageBase(QWidget* parent) : CPropertyPageBase(parent) {}

void CDlgCmdCommentPageBase::AddCommentEdit() {
    comment_ = new QPlainTextEdit(this);
    comment_->setObjectName(QStringLiteral("1091"));
    comment_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    comment_->setTabChangesFocus(true);
    Form()->addRow(QStringLiteral("Execution comment:"), comment_);
    connect(comment_, &QPlainTextEdit::textChanged, this, [this] {
        if (!CanWrite()) return;
        Object<CCommandComment>()->SetCommentText(comment_->toPlainText().toStdString());
    });
}

void CDlgCmdCommentPageBase::LoadControls() {
    comment_->setPlainText(QString::fromStdString(Object<CCommandComment>()->GetText()));
}

CDlgCmdComment::CDlgCmdComment(QWidget* parent) : CDlgCmdCommentPageBase(parent) {
    AddCommentEdit();
    SetHelpText("Defines a comment to be presented to the user during execution.");
}

bool CDlgCmdComment::Accepts(CProjectTreeItem* item) const {
    // The delay, user wait and analysis items carry a comment too but have
    // pages of their own.
    return item != nullptr && typeid(*item) == typeid(CCommandComment);
}

CDlgCmdDelay::CDlgCmdDelay(QWidget* parent) : CDlgCmdCommentPageBase(parent) {
    delay_ = new QLineEdit(this);
    delay_->setObjectName(QStringLiteral("1090"));
    delay_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), delay_));
    Form()->addRow(QStringLiteral("Delay in milliseconds"), delay_);
    AddCommentEdit();
    SetHelpText(
        "Specify the unconditional delay in milliseconds to pause execution at this point.  Also, "
        "the comment will appear in the execution log during the delay.");
    connect(delay_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!CanWrite()) return;
        bool ok = false;
        const qulonglong value = text.toULongLong(&ok);
        // Only a number that fits the stored delay is taken.
        if (!ok || value > 0xFFFFFFFFull) return;
        Object<CCommandDelay>()->SetDelay(static_cast<std::uint32_t>(value));
    });
}

bool CDlgCmdDelay::Accepts(CProjectTreeItem* item) const {
    return dynamic_cast<CCommandDelay*>(item) != nullptr;
}

void CDlgCmdDelay::LoadControls() {
    CDlgCmdCommentPageBase::LoadControls();
    delay_->setText(QString::number(Object<CCommandDelay>()->GetDelay()));
}

CDlgCmdUserWait::CDlgCmdUserWait(QWidget* parent) : CDlgCmdCommentPageBase(parent) {
    options_ = new QComboBox(this);
    options_->setObjectName(QStringLiteral("1105"));
    QtComboBox adapter(options_);
    CCommandUserWait::ButtonMap().FillComboBox(&adapter);
    Form()->addRow(QStringLiteral("Select available user options"), options_);
    AddCommentEdit();
    SetHelpText(
        "A Windows-style message box will be displayed to the user during this step.  The "
        "execution comment will be presented to the user on this message box.");
    connect(options_, &QComboBox::currentIndexChanged, this, [this] {
        if (!CanWrite()) return;
        QtComboBox combo(options_);
        const CParameterXML* entry = GetComboSelection(&combo);
        if (entry == nullptr) return;
        Object<CCommandUserWait>()->SetType(static_cast<std::uint16_t>(entry->GetValue()));
    });
}

bool CDlgCmdUserWait::Accepts(CProjectTreeItem* item) const {
    return dynamic_cast<CCommandUserWait*>(item) != nullptr;
}

void CDlgCmdUserWait::LoadControls() {
    CDlgCmdCommentPageBase::LoadControls();
    QtComboBox adapter(options_);
    SelectComboByValue(&adapter, Object<CCommandUserWait>()->GetType());
}

CDlgCmdAnalyzeResults::CDlgCmdAnalyzeResults(QWidget* parent) : CPropertyPageBase(parent) {
    header_ = AddHexField(
        QStringLiteral("Header Address (h):"), {0x200u, false, 0},
        [this](std::uint32_t v) { Object<CCommandAnalyzeResults>()->SetHeaderAddress(v); });
    header_->setObjectName(QStringLiteral("1118"));
    result_ = AddHexField(
        QStringLiteral("Result Address (h):"), {0x200u, false, 0},
        [this](std::uint32_t v) { Object<CCommandAnalyzeResults>()->SetResultAddress(v); });
    result_->setObjectName(QStringLiteral("1119"));
    SetHelpText(
        "Defines the location of the analysis header and results table.  Add one or more Analysis "
        "Items as children to this command.");
    Quietly([this] {
        ShowHexField(header_, 0);
        ShowHexField(result_, 0);
    });
}

bool CDlgCmdAnalyzeResults::Accepts(CProjectTreeItem* item) const {
    return dynamic_cast<CCommandAnalyzeResults*>(item) != nullptr;
}

void CDlgCmdAnalyzeResults::LoadControls() {
    auto* command = Object<CCommandAnalyzeResults>();
    ShowHexField(header_, command->GetHeaderAddress());
    ShowHexField(result_, command->GetResultAddress());
}

}  // namespace kv::ui
