#include "hex_number_edit.h"

#include <QRegularExpressionValidator>
#include <cstdio>

namespace kv::ui {

CHexNumberEdit::CHexNumberEdit(QWidget* parent) : QLineEdit(parent) {
    SetDigits(4);
}

void CHexNumberEdit::SetDigits(int digits) {
    digits_ = digits < 1 ? 1 : (digits > 8 ? 8 : digits);
    std::uint32_t value = 0;
    bool had = GetValue(&value);
    setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9A-Fa-f]{0,%1}").arg(digits_)), this));
    setMaxLength(digits_);
    if (had) SetValue(value);
}

void CHexNumberEdit::SetValue(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits_, static_cast<unsigned>(value));
    QString shown = QString::fromLatin1(text);
    if (shown.size() > maxLength()) setMaxLength(static_cast<int>(shown.size()));
    setText(shown);
}

bool CHexNumberEdit::GetValue(std::uint32_t* value) const {
    const QString shown = text();
    std::uint32_t result = 0;
    int count = 0;
    for (QChar c : shown) {
        int digit = QStringLiteral("0123456789ABCDEF").indexOf(c.toUpper());
        if (digit < 0 || count == digits_) break;
        result = result * 16 + static_cast<std::uint32_t>(digit);
        ++count;
    }
    if (count == 0) return false;
    if (value != nullptr) *value = result;
    return true;
}

}  // namespace kv::ui
