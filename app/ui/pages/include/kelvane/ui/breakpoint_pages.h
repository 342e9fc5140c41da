// Pages of the pod's SetBreakpoint and ClearBreakpoint commands.
#pragma once

#include "kelvane/ui/property_page_base.h"

class QComboBox;

namespace kv::ui {

class CHexNumberEdit;

// The breakpoint number list of both pages: "Bkpt 0" to "Bkpt 7", the number
// as item data.
void FillBreakpointList(QComboBox* combo);
// The entry holding the number, else the first entry.
void SelectBreakpointInList(QComboBox* combo, int breakpoint);

class CDlgCmdDravik_SetBreakpoint : public CPropertyPageBase {
    Q_OBJECT
  public:
    explicit CDlgCmdDravik_SetBreakpoint(QWidget* parent = nullptr);
    QComboBox* BreakpointList() const { return number_; }
    QComboBox* ModeList() const { return mode_; }
    CHexNumberEdit* AddressEdit() const { return address_; }

  protected:
    bool Accepts(CProjectTreeItem* item) const override;
    void LoadControls() override;

  private:
    QComboBox* number_;
    QComboBox* mode_;
    CHexNumberEdit* address_;
};

class CDlgCmdDravik_ClearBreakpoint : public CPropertyPageBase {
    Q_OBJECT
  public:
    explicit CDlgCmdDravik_ClearBreakpoint(QWidget* parent = nullptr);
    QComboBox* BreakpointList() const { return number_; }

  protected:
    bool Accepts(CProjectTreeItem* item) const override;
    void LoadControls() override;

  private:
    QComboBox* number_;
};

}  // namespace kv::ui
