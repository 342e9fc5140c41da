// A one-line field for one hexadecimal number: shown upper-case and
// zero-padded to its digit count, typed as hexadecimal digits only, read as the
// hexadecimal number at the start of its text.
#pragma once

#include <QLineEdit>
#include <QString>
#include <cstdint>

namespace kv::ui {

class CHexNumberEdit : public QLineEdit {
    Q_OBJECT

  public:
    explicit CHexNumberEdit(QWidget* parent = nullptr);

    // Stores the digit count (1 to 8) and shows the value again with it; 0
    // when the text holds no number (the text is then left as it is) or the
    // count is out of range (nothing changes).
    int SetDigits(int digits);
    int GetDigits() const { return digits_; }
    // True once the user changed the text since the program last showed a
    // value.
    bool IsEdited() const { return edited_; }
    // The length of the text shown before the edit being checked.
    int ShownLength() const { return shownLength_; }
    // Shows the value upper-case, zero-padded to the digit count; a value
    // with more digits is shown in full.
    void SetValue(std::uint32_t value);
    // The number at the start of the text, at most the digit count long; false
    // with the value 0 when the text does not begin with one.
    bool GetValue(std::uint32_t* value) const;

    static QString Format(std::uint32_t value, int digits);
    static bool Parse(const QString& text, int digits, std::uint32_t* value);

  signals:
    // The field lost the keyboard focus.
    void focusLost();

  protected:
    void focusOutEvent(QFocusEvent* event) override;

  private:
    int digits_ = 8;
    int shownLength_ = 0;
    bool edited_ = false;
};

}  // namespace kv::ui
