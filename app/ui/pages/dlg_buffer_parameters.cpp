#include "kelvane/ui/dlg_buffer_parameters.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstdio>
#include <string>

#include "kelvane/commands/value_buffer.h"
#include "kelvane/core/map_parameter_xml.h"
#include "kelvane/core/parameter_xml.h"
#include "kelvane/platform/message_box.h"
#include "kelvane/ui/page_environment.h"
#include "kelvane/ui/parameter_pages.h"

namespace kv::ui {

namespace {

constexpr const char* kAlignHelp =
    "The buffer address should be, but is not required to be, aligned with the symbol size.  ";
constexpr const char* kSizeHelp =
    "The total amount of data allowed in the buffer is the product of both the size of the "
    "selected symbol type and the symbol count.";
constexpr const char* kPatternHelp =
    "The pattern count dictates the size of the pattern that will be repeated throughout the "
    "buffer upon execution.  The pattern count cannot be larger than the symbol count.";

QLineEdit* AddEdit(QWidget* parent, const char* id) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(id));
    return edit;
}

// Plain hexadecimal digits only; an empty or bad text does not parse.
bool ParseHex(const QString& text, std::uint32_t& value) {
    const std::string digits = text.trimmed().toStdString();
    if (digits.empty() || digits.size() > 8) return false;
    std::uint32_t result = 0;
    for (char c : digits) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        result = (result << 4) | static_cast<std::uint32_t>(digit);
    }
    value = result;
    return true;
}

QString FormatHex(std::uint32_t value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*lX", digits, static_cast<unsigned long>(value));
    return QString::fromLatin1(text);
}

}  // namespace

CDlgBufferParameters::CDlgBufferParameters(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Edit Buffer Parameters"));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    type_ = new QComboBox(this);
    type_->setObjectName(QStringLiteral("1112"));
    form->addRow(QStringLiteral("Symbol Type:"), type_);
    address_ = AddEdit(this, "1113");
    form->addRow(QStringLiteral("Buffer Address (h)"), address_);
    count_ = AddEdit(this, "1114");
    form->addRow(QStringLiteral("Symbol Count (h)"), count_);
    patternLabel_ = new QLabel(QStringLiteral("Pattern Count (h)"), this);
    patternLabel_->setObjectName(QStringLiteral("1117"));
    pattern_ = AddEdit(this, "1115");
    form->addRow(patternLabel_, pattern_);
    help_ = new QPlainTextEdit(this);
    help_->setObjectName(QStringLiteral("1060"));
    help_->setReadOnly(true);
    layout->addWidget(help_, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancel"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CDlgBufferParameters::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CDlgBufferParameters::reject);

    connect(address_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (loading_) return;
        if (!ParseHex(text, m_dwAddress)) m_dwAddress = 0x1000;
    });
    connect(count_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (loading_) return;
        if (!ParseHex(text, m_dwCount)) m_dwCount = 1;
    });
    connect(pattern_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (loading_) return;
        if (!ParseHex(text, m_dwPatternCount)) m_dwPatternCount = 1;
    });
    connect(type_, &QComboBox::currentIndexChanged, this, [this](int row) {
        if (loading_) return;
        QtComboBox adapter(type_);
        const CParameterXML* entry = adapter.GetItemData(row);
        m_wType = entry == nullptr ? 0 : static_cast<std::uint16_t>(entry->GetValue());
    });
    resize(420, 230);
}

void CDlgBufferParameters::OnInitDialog() {
    loading_ = true;
    const int digits = GetCurrentAddressDigits();
    address_->setText(FormatHex(m_dwAddress, digits));
    count_->setText(FormatHex(m_dwCount, digits));
    pattern_->setText(FormatHex(m_dwPatternCount, digits));
    std::string help = std::string(kAlignHelp) + "\r\n\r\n" + kSizeHelp;
    if (m_bFill) help += std::string("\r\n\r\n") + kPatternHelp;
    help_->setPlainText(QString::fromStdString(help));
    pattern_->setEnabled(m_bFill);
    patternLabel_->setEnabled(m_bFill);
    QtComboBox adapter(type_);
    CValueBuffer::ValueTypeMap().FillComboBox(&adapter);
    SelectComboByValue(&adapter, m_wType);
    loading_ = false;
}

int CDlgBufferParameters::exec() {
    OnInitDialog();
    return QDialog::exec();
}

void CDlgBufferParameters::accept() {
    if (m_dwPatternCount > m_dwCount) {
        messageBox("The pattern count must be less than or equal to the symbol count",
                   "Edit Buffer Parameters", kMbOk);
        pattern_->setFocus();
        return;
    }
    QDialog::accept();
}

}  // namespace kv::ui
