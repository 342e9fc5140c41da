#include "kelvane/ui/property_page_factory.h"

#include <functional>
#include <map>

#include "kelvane/commands/analyze_results.h"
#include "kelvane/commands/command_page.h"
#include "kelvane/commands/comment.h"
#include "kelvane/commands/delay.h"
#include "kelvane/commands/dravik_blow_fuse.h"
#include "kelvane/commands/dravik_breakpoint_commands.h"
#include "kelvane/commands/dravik_close.h"
#include "kelvane/commands/dravik_config_fuse.h"
#include "kelvane/commands/dravik_configure.h"
#include "kelvane/commands/dravik_erase.h"
#include "kelvane/commands/dravik_identify.h"
#include "kelvane/commands/dravik_lock_a.h"
#include "kelvane/commands/dravik_memory_commands.h"
#include "kelvane/commands/dravik_open.h"
#include "kelvane/commands/dravik_program_file.h"
#include "kelvane/commands/dravik_read_processor_to_file.h"
#include "kelvane/commands/dravik_read_range_to_file.h"
#include "kelvane/commands/dravik_register_commands.h"
#include "kelvane/commands/dravik_run_control_commands.h"
#include "kelvane/commands/dravik_vcc.h"
#include "kelvane/commands/dravik_verify_file.h"
#include "kelvane/commands/overlay.h"
#include "kelvane/commands/tovrin_file_commands.h"
#include "kelvane/commands/tovrin_memory_commands.h"
#include "kelvane/commands/tovrin_set_password.h"
#include "kelvane/commands/tovrin_simple_commands.h"
#include "kelvane/commands/user_wait.h"
#include "kelvane/ui/breakpoint_pages.h"
#include "kelvane/ui/buffer_pages.h"
#include "kelvane/ui/dravik_connection_pages.h"
#include "kelvane/ui/file_pages.h"
#include "kelvane/ui/general_command_pages.h"
#include "kelvane/ui/help_only_pages.h"
#include "kelvane/ui/parameter_pages.h"
#include "kelvane/ui/password_page.h"
#include "kelvane/ui/plugin_pages.h"
#include "kelvane/ui/run_control_pages.h"

namespace kv::ui {

namespace {

using Maker = std::function<std::unique_ptr<PropertyPage>()>;

// A page is found by the element name of the command class it shows.
template <class Command, class Dialog>
std::pair<const std::string, Maker> Page() {
    return {Command::kElementName, [] { return std::make_unique<Dialog>(); }};
}

const std::map<std::string, Maker>& Makers() {
    static const std::map<std::string, Maker> makers = {
        Page<CCommandDravik_Open, CDlgCmdDravik_Open>(),
        Page<CCommandDravik_Close, CDlgCmdDravik_Close>(),
        Page<CCommandDravik_VCC, CDlgCmdDravik_VCC>(),
        Page<CCommandDravik_Identify, CDlgCmdDravik_Identify>(),
        Page<CCommandDravik_LockA, CDlgCmdDravik_LockA>(),
        Page<CCommandTovrin_LockA, CDlgCmdTovrin_LockA>(),
        Page<CCommandDravik_Erase, CDlgCmdDravik_Erase>(),
        Page<CCommandTovrin_EraseSegment, CDlgCmdTovrin_EraseSegment>(),
        Page<CCommandTovrin_LoadPC, CDlgCmdTovrin_LoadPC>(),
        Page<CCommandDravik_ReadRegister, CDlgCmdDravik_ReadRegister>(),
        Page<CCommandDravik_WriteRegister, CDlgCmdDravik_WriteRegister>(),
        Page<CCommandDravik_VerifyRegister, CDlgCmdDravik_VerifyRegister>(),
        Page<CCommandDravik_Reset, CDlgCmdDravik_Reset>(),
        Page<CCommandDravik_Run, CDlgCmdDravik_Run>(),
        Page<CCommandDravik_WaitForBreak, CDlgCmdDravik_WaitForBreak>(),
        Page<CCommandDravik_SetBreakpoint, CDlgCmdDravik_SetBreakpoint>(),
        Page<CCommandDravik_ClearBreakpoint, CDlgCmdDravik_ClearBreakpoint>(),
        Page<CCommandDravik_ReadMemory, CDlgCmdDravik_ReadMemory>(),
        Page<CCommandDravik_WriteMemory, CDlgCmdDravik_WriteMemory>(),
        Page<CCommandDravik_VerifyMemory, CDlgCmdDravik_VerifyMemory>(),
        Page<CCommandDravik_FillMemory, CDlgCmdDravik_FillMemory>(),
        Page<CCommandTovrin_ReadMemory, CDlgCmdTovrin_ReadMemory>(),
        Page<CCommandTovrin_WriteMemory, CDlgCmdTovrin_WriteMemory>(),
        Page<CCommandTovrin_VerifyMemory, CDlgCmdTovrin_VerifyMemory>(),
        Page<CCommandTovrin_FillMemory, CDlgCmdTovrin_FillMemory>(),
        Page<CCommandComment, CDlgCmdComment>(),
        Page<CCommandDelay, CDlgCmdDelay>(),
        Page<CCommandUserWait, CDlgCmdUserWait>(),
        Page<CCommandAnalyzeResults, CDlgCmdAnalyzeResults>(),
        Page<CAnalysisItem, CDlgAnalysisItem>(),
        Page<CCommandSerialize, CDlgCmdSerialize>(),
        Page<CCommandOverlay, CDlgCmdOverlay>(),
        Page<CCommandTovrin_SetPassword, CDlgCmdTovrin_SetPassword>(),
        Page<CCommandDravik_ProgramFile, CDlgCmdDravik_ProgramFile>(),
        Page<CCommandDravik_VerifyFile, CDlgCmdDravik_VerifyFile>(),
        Page<CCommandDravik_ReadProcessorToFile, CDlgCmdDravik_ReadProcessorToFile>(),
        Page<CCommandDravik_ReadRangeToFile, CDlgCmdDravik_ReadRangeToFile>(),
        Page<CCommandTovrin_WriteFile, CDlgCmdTovrin_WriteFile>(),
        Page<CCommandTovrin_VerifyFile, CDlgCmdTovrin_VerifyFile>(),
        Page<CCommandTovrin_ReadProcessorToFile, CDlgCmdTovrin_ReadProcessorToFile>(),
        Page<CCommandTovrin_ReadRangeToFile, CDlgCmdTovrin_ReadRangeToFile>(),
        Page<CCommandDravik_BlowFuse, CDlgCmdDravik_BlowFuse>(),
        Page<CCommandDravik_SingleStep, CDlgCmdDravik_SingleStep>(),
        Page<CCommandDravik_Stop, CDlgCmdDravik_Stop>(),
        Page<CCommandTovrin_MassErase, CDlgCmdTovrin_MassErase>(),
        Page<CCommandTovrin_PowerOff, CDlgCmdTovrin_PowerOff>(),
        Page<CCommandTovrin_ResetTarget, CDlgCmdTovrin_ResetTarget>(),
        Page<CCommandTovrin_SeizeTarget, CDlgCmdTovrin_SeizeTarget>(),
        Page<CCommandTovrin_ResendPassword, CDlgCmdTovrin_ResendPassword>(),
    };
    return makers;
}

}  // namespace

std::unique_ptr<PropertyPage> CreatePropertyPageFor(const std::string& elementName) {
    const auto found = Makers().find(elementName);
    if (found == Makers().end()) return nullptr;
    return found->second();
}

void InstallPropertyPageFactory() {
    SetCommandPageFactory(&CreatePropertyPageFor);
}

}  // namespace kv::ui
