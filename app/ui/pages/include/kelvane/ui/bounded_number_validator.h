// A decimal field that takes only a number the command can keep and the
// project file can be opened with again: a keystroke or a paste that would
// make a larger one is refused, so the field never shows another value than
// the one the command keeps. An empty field is 0, and shows "0" once left.
#ifndef KELVANE_UI_BOUNDED_NUMBER_VALIDATOR_H
#define KELVANE_UI_BOUNDED_NUMBER_VALIDATOR_H

#include <QValidator>

namespace kv::ui {

class BoundedNumberValidator : public QValidator {
  public:
    BoundedNumberValidator(qulonglong most, QObject* parent) : QValidator(parent), most_(most) {}

    State validate(QString& input, int& /*position*/) const override {
        if (input.isEmpty()) return Intermediate;
        for (const QChar c : input)
            if (c < QLatin1Char('0') || c > QLatin1Char('9')) return Invalid;
        bool ok = false;
        const qulonglong value = input.toULongLong(&ok);
        return ok && value <= most_ ? Acceptable : Invalid;
    }

    void fixup(QString& input) const override {
        if (input.isEmpty()) input = QStringLiteral("0");
    }

    // The value of a text the program itself put into the field, held to the
    // same rule as typing: false when the field may not keep it.
    bool Take(const QString& text, qulonglong* value) const {
        QString shown = text;
        int position = 0;
        if (validate(shown, position) == Invalid) return false;
        *value = text.toULongLong();
        return true;
    }

  private:
    qulonglong most_;
};

}  // namespace kv::ui

#endif  // KELVANE_UI_BOUNDED_NUMBER_VALIDATOR_H
