// Pages of the memory buffer commands of the pod and of the adapter: a summary
// line of the buffer, "..." to open the Edit Buffer Parameters dialog, and the
// values in a hex editor. Each command keeps where its editor stood.
#pragma once

#include <cstdint>
#include <string>

#include "kelvane/ui/property_page_base.h"

class QLineEdit;
class QPushButton;

namespace kv {
class CValueBuffer;
struct CEditHexBufferState;
}  // namespace kv

namespace kv::ui {

class CHexEditCtrl;

class CDlgCmdBufferPage : public CPropertyPageBase {
    Q_OBJECT

  public:
    enum class Kind { kRead, kWrite, kVerify, kFill };

    void SetItem(CProjectTreeItem* item) override;
    // Redisplays the summary and the values after a read.
    void RefreshData();
    // The "..." button: edits the buffer's parameters in the modal dialog.
    void OnEditParameters();

    QLineEdit* SummaryEdit() const { return summary_; }
    QPushButton* EditButton() const { return edit_; }
    CHexEditCtrl* HexEdit() const { return hex_; }

  protected:
    CDlgCmdBufferPage(Kind kind, bool tovrin, QWidget* parent);
    bool Accepts(CProjectTreeItem* item) const override;
    void LoadControls() override;

  private:
    // The attached command's buffer, whichever family it belongs to.
    struct Access;
    Access Buffer() const;
    void SaveEditorState(CProjectTreeItem* item);
    void ShowBuffer();

    Kind kind_;
    bool tovrin_;
    QLineEdit* summary_;
    QPushButton* edit_;
    CHexEditCtrl* hex_;
};

#define KV_BUFFER_PAGE(Name, kind, tovrin)                     \
    class Name : public CDlgCmdBufferPage {                    \
      public:                                                  \
        explicit Name(QWidget* parent = nullptr)               \
            : CDlgCmdBufferPage(Kind::kind, tovrin, parent) {} \
    };

KV_BUFFER_PAGE(CDlgCmdDravik_ReadMemory, kRead, false)
KV_BUFFER_PAGE(CDlgCmdDravik_WriteMemory, kWrite, false)
KV_BUFFER_PAGE(CDlgCmdDravik_VerifyMemory, kVerify, false)
KV_BUFFER_PAGE(CDlgCmdDravik_FillMemory, kFill, false)
KV_BUFFER_PAGE(CDlgCmdTovrin_ReadMemory, kRead, true)
KV_BUFFER_PAGE(CDlgCmdTovrin_WriteMemory, kWrite, true)
KV_BUFFER_PAGE(CDlgCmdTovrin_VerifyMemory, kVerify, true)
KV_BUFFER_PAGE(CDlgCmdTovrin_FillMemory, kFill, true)

#undef KV_BUFFER_PAGE

}  // namespace kv::ui
