// The pages of the commands that name a target image file: the pod's
// ProgramFile, VerifyFile, ReadProcessorToFile and ReadRangeToFile and the
// adapter's WriteFile, VerifyFile, ReadProcessorToFile and ReadRangeToFile.
// The path is read-only and changes only through "..."; "Preview File" or
// "View File" is enabled only while the command's file exists.
#pragma once

#include <cstdint>
#include <string>

#include "kelvane/ui/property_page_base.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace kv {
class CCommandTovrin_File;
}

namespace kv::ui {

// The adapter's file commands choose their file here: the open-file dialog,
// then the name, the type from the filter and the command's own check of the
// file (the password command loads its words). False when cancelled or
// refused.
bool BrowseTovrinFile(CCommandTovrin_File* command, QWidget* page, bool mustExist);

class CDlgCmdFilePage : public CPropertyPageBase {
    Q_OBJECT

  public:
    enum Features { kPlain = 0, kWithVerify = 1, kWithRange = 2 };
    CDlgCmdFilePage(int features, const QString& viewText, QWidget* parent = nullptr);

    // Shows the stored name again and re-evaluates the view button.
    void RefreshFilePath();
    void Refresh() override;

    QLineEdit* PathEdit() const { return path_; }
    QPushButton* BrowseButton() const { return browse_; }
    QPushButton* ViewButton() const { return view_; }
    QCheckBox* VerifyBox() const { return verify_; }
    CHexNumberEdit* AddressEdit() const { return address_; }
    CHexNumberEdit* SizeEdit() const { return size_; }

  protected:
    virtual std::string StoredName() const = 0;
    virtual std::string FullPath() const = 0;
    virtual bool Browse(bool mustExist) = 0;
    virtual int GetVerify() const { return 0; }
    virtual void SetVerify(int) {}
    virtual std::uint32_t GetAddress() const { return 0; }
    virtual void SetAddress(std::uint32_t) {}
    virtual std::uint32_t GetLength() const { return 0; }
    virtual void SetLength(std::uint32_t) {}

    void LoadControls() override;

  private:
    void EvaluateViewButton();

    QLineEdit* path_;
    QPushButton* browse_;
    QPushButton* view_;
    QCheckBox* verify_ = nullptr;
    CHexNumberEdit* address_ = nullptr;
    CHexNumberEdit* size_ = nullptr;
};

#define KELVANE_FILE_PAGE(Name)                              \
    class Name : public CDlgCmdFilePage {                    \
      public:                                                \
        explicit Name(QWidget* parent = nullptr);            \
                                                             \
      protected:                                             \
        bool Accepts(CProjectTreeItem* item) const override; \
        std::string StoredName() const override;             \
        std::string FullPath() const override;               \
        bool Browse(bool mustExist) override;                \
        int GetVerify() const override;                      \
        void SetVerify(int verify) override;                 \
        std::uint32_t GetAddress() const override;           \
        void SetAddress(std::uint32_t v) override;           \
        std::uint32_t GetLength() const override;            \
        void SetLength(std::uint32_t v) override;            \
    };

KELVANE_FILE_PAGE(CDlgCmdDravik_ProgramFile)
KELVANE_FILE_PAGE(CDlgCmdDravik_VerifyFile)
KELVANE_FILE_PAGE(CDlgCmdDravik_ReadProcessorToFile)
KELVANE_FILE_PAGE(CDlgCmdDravik_ReadRangeToFile)
KELVANE_FILE_PAGE(CDlgCmdTovrin_WriteFile)
KELVANE_FILE_PAGE(CDlgCmdTovrin_VerifyFile)
KELVANE_FILE_PAGE(CDlgCmdTovrin_ReadProcessorToFile)
KELVANE_FILE_PAGE(CDlgCmdTovrin_ReadRangeToFile)

#undef KELVANE_FILE_PAGE

}  // namespace kv::ui
