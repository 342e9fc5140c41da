// Pages of the pod and adapter commands whose parameters are check boxes,
// lists and numbers: Identify, Lock A, the erase pages, the register pages and
// Load PC.
#pragma once

#include <cstdint>

#include "kelvane/core/combo_box.h"
#include "kelvane/ui/property_page_base.h"
#include "nandrel/nandrel.h"

class QCheckBox;
class QComboBox;

namespace kv {
class CMapParameterXML;
class CPrgProcessor;
}  // namespace kv

namespace kv::ui {

// A keyword map's rows in a Qt drop-down list.
class QtComboBox : public ComboBox {
  public:
    explicit QtComboBox(QComboBox* combo) : combo_(combo) {}
    bool IsWindow() const override { return combo_ != nullptr; }
    void ResetContent() override;
    int AddString(const std::string& text) override;
    bool SetItemData(int row, const CParameterXML* entry) override;
    const CParameterXML* GetItemData(int row) const override;
    int GetCount() const override;
    int GetCurSel() const override;
    void SetCurSel(int row) override;

  private:
    QComboBox* combo_;
};

// The erase segment list of a processor: info segments, then main segments
// (an unaligned main start first); "None" (0) when empty. Nothing happens
// without a processor.
void FillSegmentList(QComboBox* combo, const CPrgProcessor* processor);
// The first entry at or above the value; 0 or a value above every entry
// selects the first.
void SelectSegment(QComboBox* combo, std::uint32_t segment);

// A check box page: one flag of one command class.
class CDlgCmdCheckPage : public CPropertyPageBase {
    Q_OBJECT

  public:
    CDlgCmdCheckPage(const QString& text, const char* id, QWidget* parent);
    QCheckBox* Check() const { return check_; }

  protected:
    virtual int GetFlag() const = 0;
    virtual void SetFlag(int flag) = 0;
    void LoadControls() override;

  private:
    QCheckBox* check_;
};

class CDlgCmdDravik_Identify : public CDlgCmdCheckPage {
    Q_OBJECT
  public:
    explicit CDlgCmdDravik_Identify(QWidget* parent = nullptr);

  protected:
    bool Accepts(CProjectTreeItem* item) const override;
    int GetFlag() const override;
    void SetFlag(int flag) override;
    void LoadControls() override;

  private:
    void BuildHelp();
};

class CDlgCmdDravik_LockA : public CDlgCmdCheckPage {
    Q_OBJECT
  public:
    explicit CDlgCmdDravik_LockA(QWidget* parent = nullptr);

  protected:
    bool Accepts(CProjectTreeItem* item) const override;
    int GetFlag() const override;
    void SetFlag(int flag) override;
};

class CDlgCmdTovrin_LockA : public CDlgCmdCheckPage {
    Q_OBJECT
  public:
    explicit CDlgCmdTovrin_LockA(QWidget* parent = nullptr);

  protected:
    bool Accepts(CProjectTreeItem* item) const override;
    int GetFlag() const override;
    void SetFlag(int flag) override;
};

class CDlgCmdDravik_Erase : public CPropertyPageBase {
    Q_OBJECT
  public:
    explicit CDlgCmdDravik_Erase(QWidget* parent = nullptr);
    QComboBox* TypeList() const { return type_; }
    QComboBox* SegmentList() const { return segment_; }
    CHexNumberEdit* LengthEdit() const { return length_; }

  protected:
    bool Accepts(CProjectTreeItem* item) const override;
    void LoadControls() override;

  private:
    void ApplyEraseType();

    QComboBox* type_;
    QComboBox* segment_;
    CHexNumberEdit* length_;
    std::uint32_t eraseType_ = NANDREL_ERASE_ALL;
};

class CDlgCmdTovrin_EraseSegment : public CPropertyPageBase {
    Q_OBJECT
  public:
    explicit CDlgCmdTovrin_EraseSegment(QWidget* parent = nullptr);
    QComboBox* SegmentList() const { return segment_; }
    CHexNumberEdit* LengthEdit() const { return length_; }

  protected:
    bool Accepts(CProjectTreeItem* item) const override;
    void LoadControls() override;

  private:
    QComboBox* segment_;
    CHexNumberEdit* length_;
};

class CDlgCmdTovrin_LoadPC : public CPropertyPageBase {
    Q_OBJECT
  public:
    explicit CDlgCmdTovrin_LoadPC(QWidget* parent = nullptr);
    CHexNumberEdit* ValueEdit() const { return value_; }

  protected:
    bool Accepts(CProjectTreeItem* item) const override;
    void LoadControls() override;

  private:
    CHexNumberEdit* value_;
};

// The register pages: read (no value), write and verify (with a value).
class CDlgCmdRegisterPage : public CPropertyPageBase {
    Q_OBJECT
  public:
    CDlgCmdRegisterPage(bool withValue, const std::string& help, QWidget* parent);
    QComboBox* RegisterList() const { return register_; }
    CHexNumberEdit* ValueEdit() const { return value_; }

  protected:
    void LoadControls() override;

  private:
    QComboBox* register_;
    CHexNumberEdit* value_ = nullptr;
};

class CDlgCmdDravik_ReadRegister : public CDlgCmdRegisterPage {
    Q_OBJECT
  public:
    explicit CDlgCmdDravik_ReadRegister(QWidget* parent = nullptr);

  protected:
    bool Accepts(CProjectTreeItem* item) const override;
};

class CDlgCmdDravik_WriteRegister : public CDlgCmdRegisterPage {
    Q_OBJECT
  public:
    explicit CDlgCmdDravik_WriteRegister(QWidget* parent = nullptr);

  protected:
    bool Accepts(CProjectTreeItem* item) const override;
};

class CDlgCmdDravik_VerifyRegister : public CDlgCmdRegisterPage {
    Q_OBJECT
  public:
    explicit CDlgCmdDravik_VerifyRegister(QWidget* parent = nullptr);

  protected:
    bool Accepts(CProjectTreeItem* item) const override;
};

}  // namespace kv::ui
