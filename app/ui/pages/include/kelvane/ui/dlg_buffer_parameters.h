// The modal Edit Buffer Parameters dialog of the buffer pages: address, symbol
// type, symbol count and, for fill buffers, the pattern count.
#pragma once

#include <QDialog>
#include <cstdint>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace kv::ui {

class CDlgBufferParameters : public QDialog {
    Q_OBJECT

  public:
    explicit CDlgBufferParameters(QWidget* parent = nullptr);

    // Set before exec(), read back after OK.
    std::uint32_t m_dwAddress = 0;
    std::uint32_t m_dwCount = 0;
    std::uint32_t m_dwPatternCount = 0;
    std::uint16_t m_wType = 0;
    bool m_bFill = false;

    // Shows the data in the controls; exec() calls it first.
    void OnInitDialog();
    int exec() override;
    void accept() override;

    QComboBox* TypeList() const { return type_; }
    QLineEdit* AddressEdit() const { return address_; }
    QLineEdit* CountEdit() const { return count_; }
    QLineEdit* PatternEdit() const { return pattern_; }
    QLabel* PatternLabel() const { return patternLabel_; }
    QPlainTextEdit* HelpEdit() const { return help_; }

  private:
    QComboBox* type_;
    QLineEdit* address_;
    QLineEdit* count_;
    QLabel* patternLabel_;
    QLineEdit* pattern_;
    QPlainTextEdit* help_;
    bool loading_ = false;
};

}  // namespace kv::ui
