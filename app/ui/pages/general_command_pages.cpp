#include "kelvane/ui/general_command_pages.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QValidator>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <typeinfo>

#include "kelvane/commands/analyze_results.h"
#include "kelvane/commands/comment.h"
#include "kelvane/commands/delay.h"
#include "kelvane/commands/user_wait.h"
#include "kelvane/core/map_parameter_xml.h"
#include "kelvane/core/parameter_xml.h"
#include "kelvane/core/xml_reading.h"
#include "kelvane/ui/hex_number_edit.h"
#include "kelvane/ui/bounded_number_validator.h"
#include "kelvane/ui/parameter_pages.h"

namespace kv::ui {


CDlgCmdCommentPageBase::CDlgCmdCommentPageBase(QWidget* parent) : CPropertyPageBase(parent) {}

void CDlgCmdCommentPageBase::AddCommentEdit(const QString& label, bool labelAbove) {
    comment_ = new QPlainTextEdit(this);
    comment_->setObjectName(QStringLiteral("1091"));
    comment_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    comment_->setTabChangesFocus(true);
    // At least two lines show, however many rows the page has above it.
    comment_->setMinimumHeight(2 * comment_->fontMetrics().lineSpacing() +
                               2 * (comment_->frameWidth() +
                                    static_cast<int>(comment_->document()->documentMargin())) +
                               2);
    if (labelAbove) {
        Form()->addRow(new QLabel(label, this));
        Form()->addRow(comment_);
    } else {
        Form()->addRow(label, comment_);
    }
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
    delay_->setValidator(new BoundedNumberValidator(kMostMilliseconds, delay_));
    Form()->addRow(QStringLiteral("Delay in milliseconds"), delay_);
    AddCommentEdit();
    SetHelpText(
        "Specify the unconditional delay in milliseconds to pause execution at this point.  Also, "
        "the comment will appear in the execution log during the delay.");
    connect(delay_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!CanWrite()) return;
        qulonglong value = 0;
        if (!static_cast<const BoundedNumberValidator*>(delay_->validator())->Take(text, &value))
            return;
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

namespace kv::ui {

namespace {

// Controls side by side in one row of the form; the fields share the room.
QHBoxLayout* Row(std::initializer_list<QWidget*> widgets) {
    auto* row = new QHBoxLayout;
    for (QWidget* widget : widgets)
        row->addWidget(widget, qobject_cast<QLineEdit*>(widget) != nullptr ? 1 : 0);
    return row;
}

// "%ld": leading blanks, a sign and digits; anything else gives 0.
std::uint32_t ParseLong(const QString& text) {
    long value = 0;
    if (std::sscanf(text.toLatin1().constData(), "%ld", &value) != 1) return 0;
    return static_cast<std::uint32_t>(value);
}

QString FormatLong(std::uint32_t value) {
    return QString::number(static_cast<std::int32_t>(value));
}

}  // namespace

CDlgAnalysisItem::CDlgAnalysisItem(QWidget* parent) : CDlgCmdCommentPageBase(parent) {
    key_ = AddHexField(QStringLiteral("Key (h):"), {0u, false, 4}, [this](std::uint32_t v) {
        Object<CAnalysisItem>()->SetKey(static_cast<std::uint16_t>(v));
    });
    key_->setObjectName(QStringLiteral("1120"));
    type_ = new QComboBox(this);
    type_->setObjectName(QStringLiteral("1122"));
    QtComboBox adapter(type_);
    CAnalysisItem::GetTypeMap().FillComboBox(&adapter);
    Form()->addRow(QStringLiteral("Analysis Type:"), type_);
    // The limits and the range share their rows, so the page keeps room for
    // the comment and the whole help text.
    memoryMin_ = MakeHexField({0u, false, 4}, [this](std::uint32_t v) {
        Object<CAnalysisItem>()->SetMemoryMin(static_cast<std::uint16_t>(v));
        RefreshSamples();
    });
    memoryMin_->setObjectName(QStringLiteral("1121"));
    memoryMax_ = MakeHexField({0u, false, 4}, [this](std::uint32_t v) {
        Object<CAnalysisItem>()->SetMemoryMax(static_cast<std::uint16_t>(v));
        RefreshSamples();
    });
    memoryMax_->setObjectName(QStringLiteral("1123"));
    Form()->addRow(
        QStringLiteral("Memory:"),
        Row({new QLabel(QStringLiteral("Min"), this), memoryMin_,
             new QLabel(QStringLiteral("to"), this), new QLabel(QStringLiteral("Max"), this),
             memoryMax_, new QLabel(QStringLiteral("(h)"), this)}));
    rangeMin_ = new QLineEdit(this);
    rangeMin_->setObjectName(QStringLiteral("1126"));
    rangeMax_ = new QLineEdit(this);
    rangeMax_->setObjectName(QStringLiteral("1127"));
    units_ = new QLabel(this);
    units_->setObjectName(QStringLiteral("1128"));
    Form()->addRow(QStringLiteral("Range:"),
                   Row({rangeMin_, new QLabel(QStringLiteral("to"), this), rangeMax_, units_}));
    sampleMin_ = new QLabel(this);
    sampleMin_->setObjectName(QStringLiteral("1125"));
    sampleMax_ = new QLabel(this);
    sampleMax_->setObjectName(QStringLiteral("1124"));
    Form()->addRow(QString(), Row({sampleMin_, sampleMax_}));
    // The long label stands above the comment, which takes the whole width
    // and two lines; the help text below keeps the rest.
    AddCommentEdit(QStringLiteral("User comment on match:"), true);
    CommentEdit()->setMaximumHeight(CommentEdit()->minimumHeight());
    SetHelpText(
        "If an analysis entry matches the key above, then these parameters determine the scaling "
        "and format of the value.  Also, the user comment will be displayed in the execution log "
        "to assist debugging.");
    Quietly([this] {
        ShowHexField(key_, 0);
        ShowHexField(memoryMin_, 0);
        ShowHexField(memoryMax_, 0);
    });
    connect(type_, &QComboBox::currentIndexChanged, this, [this] {
        if (!CanWrite()) return;
        QtComboBox combo(type_);
        const CParameterXML* entry = GetComboSelection(&combo);
        if (entry == nullptr) return;
        Object<CAnalysisItem>()->SetType(static_cast<std::uint16_t>(entry->GetValue()));
        ApplyTypeRule();
        RefreshSamples();
    });
    connect(rangeMin_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!CanWrite()) return;
        Object<CAnalysisItem>()->SetScaleMin(ParseLong(text));
        RefreshSamples();
    });
    connect(rangeMax_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!CanWrite()) return;
        Object<CAnalysisItem>()->SetScaleMax(ParseLong(text));
        RefreshSamples();
    });
}

bool CDlgAnalysisItem::Accepts(CProjectTreeItem* item) const {
    return dynamic_cast<CAnalysisItem*>(item) != nullptr;
}

void CDlgAnalysisItem::LoadControls() {
    auto* item = Object<CAnalysisItem>();
    ShowHexField(key_, item->GetKey());
    QtComboBox adapter(type_);
    SelectComboByValue(&adapter, item->GetType());
    ShowHexField(memoryMax_, item->GetMemoryMax());
    ShowHexField(memoryMin_, item->GetMemoryMin());
    rangeMax_->setText(FormatLong(item->GetScaleMax()));
    rangeMin_->setText(FormatLong(item->GetScaleMin()));
    ApplyTypeRule();
    RefreshSamples();
    CDlgCmdCommentPageBase::LoadControls();
}

void CDlgAnalysisItem::ApplyTypeRule() {
    const std::uint16_t type = Object<CAnalysisItem>()->GetType();
    // Counts, messages and comparisons show the raw value: no scaling.
    const bool scaled = type < 12 || type > 16;
    memoryMin_->setEnabled(scaled);
    memoryMax_->setEnabled(scaled);
    rangeMin_->setEnabled(scaled);
    rangeMax_->setEnabled(scaled);
    sampleMin_->setVisible(scaled);
    sampleMax_->setVisible(scaled);
}

void CDlgAnalysisItem::RefreshSamples() {
    auto* item = Object<CAnalysisItem>();
    if (item == nullptr) return;
    std::string unit;
    item->GetUnitText(unit);
    units_->setText(QString::fromStdString("(d) " + unit));
    std::string text;
    item->FormatValue(item->GetMemoryMax(), text);
    sampleMax_->setText(QString::fromStdString(text));
    text.clear();
    item->FormatValue(item->GetMemoryMin(), text);
    sampleMin_->setText(QString::fromStdString(text));
}

}  // namespace kv::ui
