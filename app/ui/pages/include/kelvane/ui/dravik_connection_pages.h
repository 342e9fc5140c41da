// The pages of the pod's connection and supply commands: Open, Close and VCC.
#pragma once

#include <cstdint>

#include "kelvane/ui/property_page_base.h"

class QCheckBox;
class QComboBox;

namespace kv {
class CCommandDravik_Open;
class CCommandDravik_VCC;
}  // namespace kv

namespace kv::ui {

// "VCC prior to Open:" -> the Open command's supply.
class CDlgCmdDravik_Open : public CPropertyPageBase {
    Q_OBJECT

  public:
    explicit CDlgCmdDravik_Open(QWidget* parent = nullptr);
    QComboBox* VccList() const { return vcc_; }
    // Selects the VCC when the page shows this very command.
    void SyncVcc(CProjectTreeItem* command, std::uint32_t vcc);

  protected:
    bool Accepts(CProjectTreeItem* item) const override;
    void LoadControls() override;

  private:
    QComboBox* vcc_;
};

// "VCC Off" -> whether Close switches the supply off.
class CDlgCmdDravik_Close : public CPropertyPageBase {
    Q_OBJECT

  public:
    explicit CDlgCmdDravik_Close(QWidget* parent = nullptr);
    QCheckBox* VccOff() const { return vccOff_; }

  protected:
    bool Accepts(CProjectTreeItem* item) const override;
    void LoadControls() override;

  private:
    QCheckBox* vccOff_;
};

// "VCC:" with "Off" first -> the VCC command's supply.
class CDlgCmdDravik_VCC : public CPropertyPageBase {
    Q_OBJECT

  public:
    explicit CDlgCmdDravik_VCC(QWidget* parent = nullptr);
    QComboBox* VccList() const { return vcc_; }
    void SyncVcc(CProjectTreeItem* command, std::uint32_t vcc);

  protected:
    bool Accepts(CProjectTreeItem* item) const override;
    void LoadControls() override;

  private:
    QComboBox* vcc_;
};

}  // namespace kv::ui
