// Pages of the three fixed root items of the project tree: the target
// processor, the project name and the project's default VCC.
#pragma once

#include "kelvane/ui/property_page_base.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace kv::ui {

class CDlgProcessor : public CPropertyPageBase {
    Q_OBJECT
  public:
    explicit CDlgProcessor(QWidget* parent = nullptr);
    QComboBox* ProcessorList() const { return list_; }

  protected:
    bool Accepts(CProjectTreeItem* item) const override;
    void LoadControls() override;

  private:
    QComboBox* list_;
};

class CDlgProjectName : public CPropertyPageBase {
    Q_OBJECT
  public:
    explicit CDlgProjectName(QWidget* parent = nullptr);
    QLineEdit* NameEdit() const { return name_; }

  protected:
    bool Accepts(CProjectTreeItem* item) const override;
    void LoadControls() override;

  private:
    QLineEdit* name_;
};

class CDlgProjectVcc : public CPropertyPageBase {
    Q_OBJECT
  public:
    explicit CDlgProjectVcc(QWidget* parent = nullptr);
    QComboBox* VccList() const { return vcc_; }
    QPushButton* PropagateButton() const { return propagate_; }

  protected:
    bool Accepts(CProjectTreeItem* item) const override;
    void LoadControls() override;

  private:
    QComboBox* vcc_;
    QPushButton* propagate_;
};

}  // namespace kv::ui
