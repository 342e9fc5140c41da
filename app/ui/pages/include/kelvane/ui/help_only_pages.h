// The pages that only explain their command: they show a help text and edit
// nothing.
#pragma once

#include <string>

#include "kelvane/ui/property_page_base.h"

namespace kv::ui {

class CDlgCmdHelpOnly : public CPropertyPageBase {
    Q_OBJECT

  public:
    CDlgCmdHelpOnly(std::string elementName, const std::string& help, QWidget* parent = nullptr);

  protected:
    bool Accepts(CProjectTreeItem* item) const override;

  private:
    std::string elementName_;
};

#define KELVANE_HELP_ONLY_PAGE(Name)              \
    class Name : public CDlgCmdHelpOnly {         \
      public:                                     \
        explicit Name(QWidget* parent = nullptr); \
        static const char* ElementName();         \
    };

KELVANE_HELP_ONLY_PAGE(CDlgCmdDravik_BlowFuse)
KELVANE_HELP_ONLY_PAGE(CDlgCmdDravik_SingleStep)
KELVANE_HELP_ONLY_PAGE(CDlgCmdDravik_Stop)
KELVANE_HELP_ONLY_PAGE(CDlgCmdTovrin_MassErase)
KELVANE_HELP_ONLY_PAGE(CDlgCmdTovrin_PowerOff)
KELVANE_HELP_ONLY_PAGE(CDlgCmdTovrin_ResetTarget)
KELVANE_HELP_ONLY_PAGE(CDlgCmdTovrin_SeizeTarget)
KELVANE_HELP_ONLY_PAGE(CDlgCmdTovrin_ResendPassword)

#undef KELVANE_HELP_ONLY_PAGE

}  // namespace kv::ui
