// Pages of the pod's Reset, Run and WaitForBreak commands.
#pragma once

#include "kelvane/ui/property_page_base.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace kv::ui {

class CDlgCmdDravik_Reset : public CPropertyPageBase {
    Q_OBJECT
  public:
    explicit CDlgCmdDravik_Reset(QWidget* parent = nullptr);
    QComboBox* TypeList() const { return type_; }
    QCheckBox* ExecuteBox() const { return execute_; }
    QCheckBox* ReleaseBox() const { return release_; }

  protected:
    bool Accepts(CProjectTreeItem* item) const override;
    void LoadControls() override;

  private:
    QComboBox* type_;
    QCheckBox* execute_;
    QCheckBox* release_;
};

// The three timing fields of waiting for a break: dwell, repeat, count.
class CDlgCmdDravik_WaitForBreak : public CPropertyPageBase {
    Q_OBJECT
  public:
    explicit CDlgCmdDravik_WaitForBreak(QWidget* parent = nullptr);
    QLineEdit* DwellEdit() const { return dwell_; }
    QLineEdit* RepeatEdit() const { return repeat_; }
    QLineEdit* CountEdit() const { return count_; }

  protected:
    bool Accepts(CProjectTreeItem* item) const override;
    void LoadControls() override;
    void SetTimingVisible(bool visible);

  private:
    QLineEdit* dwell_;
    QLineEdit* repeat_;
    QLineEdit* count_;
};

class CDlgCmdDravik_Run : public CDlgCmdDravik_WaitForBreak {
    Q_OBJECT
  public:
    explicit CDlgCmdDravik_Run(QWidget* parent = nullptr);
    QCheckBox* RunToBreakpointBox() const { return runTo_; }
    QCheckBox* WaitForBreakBox() const { return wait_; }

  protected:
    bool Accepts(CProjectTreeItem* item) const override;
    void LoadControls() override;

  private:
    void ApplyVisibility();

    QCheckBox* runTo_;
    QCheckBox* wait_;
};

}  // namespace kv::ui
