// A hexadecimal number field: upper-case, zero-padded to its digit count, and
// accepting at most that many hexadecimal digits.
#pragma once

#include <QLineEdit>
#include <cstdint>

namespace kv::ui {

class CHexNumberEdit : public QLineEdit {
    Q_OBJECT

  public:
    explicit CHexNumberEdit(QWidget* parent = nullptr);

    void SetDigits(int digits);
    int GetDigits() const { return digits_; }
    // Shows the value with the digit count (all of it when it has more digits).
    void SetValue(std::uint32_t value);
    // The hexadecimal number at the start of the text, at most the digit count
    // long; false when the text does not begin with one.
    bool GetValue(std::uint32_t* value) const;

  private:
    int digits_ = 4;
};

}  // namespace kv::ui
