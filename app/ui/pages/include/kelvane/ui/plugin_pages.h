// Pages of the Serialize and Overlay commands: the step's name, the plug-in
// algorithm that renders its value ("Serialization Method" or "Overlay
// Method"), the next value and the target address; Serialize adds the count
// and its direction. The method list shows every algorithm of the loaded
// plug-ins in list order.
#pragma once

#include <string>
#include <vector>

#include "kelvane/ui/property_page_base.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace kv {
class CCommandOverlay;
class CPluginAlgorithm;
}  // namespace kv

namespace kv::ui {

class CHexNumberEdit;

// What the two pages share; the overlay command is the base of both commands.
class CDlgCmdPluginPage : public CPropertyPageBase {
    Q_OBJECT
  public:
    QLineEdit* NameEdit() const { return name_; }
    QComboBox* MethodList() const { return method_; }
    QLineEdit* ValueEdit() const { return value_; }
    CHexNumberEdit* AddressEdit() const { return address_; }

  protected:
    // The words that differ between the two pages.
    struct Texts {
        const char* kind;           // "serializer" or "overlay"
        const char* missingMethod;  // shown when a method is chosen without an algorithm
        const char* nameId;
        const char* methodLabel;
        const char* methodId;
        const char* valueLabel;
        const char* valueId;
        const char* addressId;
        // The loaded algorithms of the page's kind, in list order; empty when
        // none are loaded.
        std::vector<CPluginAlgorithm*> (*algorithms)();
    };
    CDlgCmdPluginPage(const Texts& texts, QWidget* parent);

    void LoadControls() override;

  private:
    // One entry per algorithm with its label, or "None"; the first selected.
    void FillMethodList();
    // The algorithm of a list entry; nullptr for "None" or one no longer
    // loaded.
    CPluginAlgorithm* AlgorithmOfRow(int row) const;
    void SelectMethod(CCommandOverlay* command);
    void OnMethodChanged(int row);

    Texts texts_;
    QLineEdit* name_;
    QComboBox* method_;
    QLineEdit* value_;
    CHexNumberEdit* address_;
};

class CDlgCmdSerialize : public CDlgCmdPluginPage {
    Q_OBJECT
  public:
    explicit CDlgCmdSerialize(QWidget* parent = nullptr);
    QLineEdit* CountEdit() const { return count_; }
    QCheckBox* CountUpBox() const { return countUp_; }

    // Shows the command's next value and count again (after a run).
    void RefreshSerialNumber();
    void Refresh() override { RefreshSerialNumber(); }

  protected:
    bool Accepts(CProjectTreeItem* item) const override;
    void LoadControls() override;

  private:
    QLineEdit* count_;
    QCheckBox* countUp_;
};

class CDlgCmdOverlay : public CDlgCmdPluginPage {
    Q_OBJECT
  public:
    explicit CDlgCmdOverlay(QWidget* parent = nullptr);

  protected:
    bool Accepts(CProjectTreeItem* item) const override;
};

}  // namespace kv::ui
