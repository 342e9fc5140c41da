#include "kelvane/ui/hex_number_edit.h"

#include <QFocusEvent>
#include <QValidator>

namespace kv::ui {

namespace {

int HexDigitValue(QChar c) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9') return u - '0';
    if (u >= 'A' && u <= 'F') return u - 'A' + 10;
    if (u >= 'a' && u <= 'f') return u - 'a' + 10;
    return -1;
}

// Lets the user type hexadecimal digits only (raised to upper case), and no
// more of them than the field's digit count; a longer text a program showed
// may still be shortened.
class HexDigitsValidator : public QValidator {
  public:
    explicit HexDigitsValidator(CHexNumberEdit* edit) : QValidator(edit), edit_(edit) {}

    State validate(QString& input, int&) const override {
        for (QChar& c : input) {
            if (HexDigitValue(c) < 0) return Invalid;
            c = c.toUpper();
        }
        if (input.size() > edit_->GetDigits() && input.size() > edit_->ShownLength())
            return Invalid;
        return Acceptable;
    }

  private:
    CHexNumberEdit* edit_;
};

}  // namespace

CHexNumberEdit::CHexNumberEdit(QWidget* parent) : QLineEdit(parent) {
    connect(this, &QLineEdit::textChanged, this,
            [this](const QString& text) { shownLength_ = static_cast<int>(text.size()); });
    connect(this, &QLineEdit::textEdited, this, [this] { edited_ = true; });
    setValidator(new HexDigitsValidator(this));
}

QString CHexNumberEdit::Format(std::uint32_t value, int digits) {
    return QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
}

bool CHexNumberEdit::Parse(const QString& text, int digits, std::uint32_t* value) {
    std::uint32_t ignored = 0;
    if (value == nullptr) value = &ignored;
    *value = 0;
    qsizetype i = 0;
    while (i < text.size() && text[i].isSpace())
        ++i;
    std::uint32_t result = 0;
    int count = 0;
    for (; i < text.size() && count < digits; ++i, ++count) {
        const int digit = HexDigitValue(text[i]);
        if (digit < 0) break;
        result = (result << 4) | static_cast<std::uint32_t>(digit);
    }
    if (count == 0) return false;
    *value = result;
    return true;
}

int CHexNumberEdit::SetDigits(int digits) {
    if (digits < 1 || digits > 8) return 0;
    // The shown value is read with the old count, then shown with the new one.
    // A text without a number keeps the new count all the same, so the next
    // value shown gets it.
    std::uint32_t value = 0;
    const bool shown = GetValue(&value);
    digits_ = digits;
    if (!shown) return 0;
    SetValue(value);
    return 1;
}

void CHexNumberEdit::SetValue(std::uint32_t value) {
    setText(Format(value, digits_));
    edited_ = false;
}

bool CHexNumberEdit::GetValue(std::uint32_t* value) const {
    return Parse(text(), digits_, value);
}

void CHexNumberEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    emit focusLost();
}

}  // namespace kv::ui
