#include "kelvane/ui/help_only_pages.h"

#include "kelvane/commands/dravik_blow_fuse.h"
#include "kelvane/commands/dravik_run_control_commands.h"
#include "kelvane/commands/tovrin_set_password.h"
#include "kelvane/commands/tovrin_simple_commands.h"

namespace kv::ui {

namespace {

std::string Join(std::initializer_list<const char*> paragraphs) {
    std::string text;
    for (const char* p : paragraphs) {
        if (!text.empty()) text += kHelpParagraph;
        text += p;
    }
    return text;
}

constexpr const char* kJtagBroken =
    "Upon execution, any existing JTAG connection will be broken.  ";

}  // namespace

CDlgCmdHelpOnly::CDlgCmdHelpOnly(std::string elementName, const std::string& help, QWidget* parent)
    : CPropertyPageBase(parent), elementName_(std::move(elementName)) {
    SetHelpText(help);
}

bool CDlgCmdHelpOnly::Accepts(CProjectTreeItem* item) const {
    return item->GetElementName() == elementName_;
}

#define KELVANE_HELP_PAGE(Name, Element, ...) \
    const char* Name::ElementName() {         \
        return Element;                       \
    }                                         \
    Name::Name(QWidget* parent) : CDlgCmdHelpOnly(Element, Join({__VA_ARGS__}), parent) {}

KELVANE_HELP_PAGE(CDlgCmdDravik_BlowFuse, CCommandDravik_BlowFuse::kElementName,
                  "This command will irreversibly blow the JTAG security fuse.  Use with caution!  "
                  "To avoid errors, be sure the only command following the fuse blow is Close, "
                  "with Vcc Off set.")
KELVANE_HELP_PAGE(CDlgCmdDravik_SingleStep, CCommandDravik_SingleStep::kElementName,
                  "Directs the target to execute a single instruction")
KELVANE_HELP_PAGE(CDlgCmdDravik_Stop, CCommandDravik_Stop::kElementName,
                  "Directs the target to perform an unconditional stop, if running")
KELVANE_HELP_PAGE(CDlgCmdTovrin_MassErase, CCommandTovrin_MassErase::kElementName,
                  "This command unconditionally mass erases the target device via the Tovrin.  ",
                  "This is the only Erase command supported by the BSL ROM firmware prior to a "
                  "Password (BSL) command. ",
                  "Because of the protection mechanism of the BSL ROM firmware, this command will "
                  "also erase the Info A segment of F2xx/F5xx processors unless a  Password (BSL) "
                  "command and a Lock A (BSL) command precede this command.")
KELVANE_HELP_PAGE(CDlgCmdTovrin_PowerOff, CCommandTovrin_PowerOff::kElementName,
                  "This command powers down the target device via the Tovrin.  ", kJtagBroken)
KELVANE_HELP_PAGE(CDlgCmdTovrin_ResetTarget, CCommandTovrin_ResetTarget::kElementName,
                  "This command applies power and then resets the target device via the Tovrin.  ",
                  kJtagBroken)
KELVANE_HELP_PAGE(CDlgCmdTovrin_SeizeTarget, CCommandTovrin_SeizeTarget::kElementName,
                  "This command applies power and then seizes control of the target device via "
                  "the Tovrin.  ",
                  kJtagBroken)
KELVANE_HELP_PAGE(CDlgCmdTovrin_ResendPassword, CCommandTovrin_ResendPassword::kElementName,
                  "This command resends the most recently used BSL password via the Tovrin.  ",
                  kJtagBroken)

#undef KELVANE_HELP_PAGE

}  // namespace kv::ui
