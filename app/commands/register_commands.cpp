#include "kelvane/commands/register_commands.h"

#include "kelvane/commands/analyze_results.h"
#include "kelvane/commands/command_class.h"
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

namespace kv {

// One line per command class, in the order of the CommandList declaration:
// the factory declares, initialises and pages the classes in this order.
void RegisterCommandClasses() {
    RegisterCommandClass(MakeCommandClass<CCommandComment>());
    RegisterCommandClass(MakeCommandClass<CCommandDravik_ConfigFuse>());
    RegisterCommandClass(MakeCommandClass<CCommandDelay>());
    RegisterCommandClass(MakeCommandClass<CCommandOverlay>());
    RegisterCommandClass(MakeCommandClass<CCommandAnalyzeResults>());
    RegisterCommandClass(MakeCommandClass<CCommandSerialize>());
    RegisterCommandClass(MakeCommandClass<CCommandUserWait>());
    RegisterCommandClass(MakeCommandClass<CCommandDravik_BlowFuse>());
    RegisterCommandClass(MakeCommandClass<CCommandDravik_ClearBreakpoint>());
    RegisterCommandClass(MakeCommandClass<CCommandDravik_Close>({.required = true}));
    RegisterCommandClass(MakeCommandClass<CCommandDravik_Configure>());
    RegisterCommandClass(MakeCommandClass<CCommandDravik_Erase>());
    RegisterCommandClass(MakeCommandClass<CCommandDravik_FillMemory>());
    RegisterCommandClass(MakeCommandClass<CCommandDravik_Identify>());
    RegisterCommandClass(MakeCommandClass<CCommandDravik_LockA>());
    RegisterCommandClass(MakeCommandClass<CCommandDravik_Open>({.required = true}));
    RegisterCommandClass(MakeCommandClass<CCommandDravik_ReadRangeToFile>());
    RegisterCommandClass(MakeCommandClass<CCommandDravik_ReadProcessorToFile>());
    // The program-file command is declared before the pod read-to-file commands.
    RegisterCommandClass(MakeCommandClass<CCommandDravik_ProgramFile>(
        {.declaredBefore = CCommandDravik_ReadRangeToFile::kElementName}));
    RegisterCommandClass(MakeCommandClass<CCommandDravik_ReadMemory>());
    RegisterCommandClass(MakeCommandClass<CCommandDravik_ReadRegister>());
    RegisterCommandClass(MakeCommandClass<CCommandDravik_Reset>());
    RegisterCommandClass(MakeCommandClass<CCommandDravik_Run>());
    RegisterCommandClass(MakeCommandClass<CCommandDravik_SetBreakpoint>());
    RegisterCommandClass(MakeCommandClass<CCommandDravik_SingleStep>());
    RegisterCommandClass(MakeCommandClass<CCommandDravik_State>());
    RegisterCommandClass(MakeCommandClass<CCommandDravik_Stop>());
    RegisterCommandClass(MakeCommandClass<CCommandDravik_VCC>());
    RegisterCommandClass(MakeCommandClass<CCommandDravik_VerifyFile>());
    RegisterCommandClass(MakeCommandClass<CCommandDravik_VerifyMemory>());
    RegisterCommandClass(MakeCommandClass<CCommandDravik_VerifyRegister>());
    RegisterCommandClass(MakeCommandClass<CCommandDravik_WaitForBreak>());
    RegisterCommandClass(MakeCommandClass<CCommandDravik_WriteMemory>());
    RegisterCommandClass(MakeCommandClass<CCommandDravik_WriteRegister>());
    RegisterCommandClass(MakeCommandClass<CCommandTovrin_EraseSegment>());
    RegisterCommandClass(MakeCommandClass<CCommandTovrin_FillMemory>());
    RegisterCommandClass(MakeCommandClass<CCommandTovrin_LoadPC>());
    RegisterCommandClass(MakeCommandClass<CCommandTovrin_LockA>());
    RegisterCommandClass(MakeCommandClass<CCommandTovrin_MassErase>());
    RegisterCommandClass(MakeCommandClass<CCommandTovrin_PowerOff>());
    RegisterCommandClass(MakeCommandClass<CCommandTovrin_ReadMemory>());
    RegisterCommandClass(MakeCommandClass<CCommandTovrin_ReadRangeToFile>());
    RegisterCommandClass(MakeCommandClass<CCommandTovrin_ReadProcessorToFile>());
    RegisterCommandClass(MakeCommandClass<CCommandTovrin_ResendPassword>());
    RegisterCommandClass(MakeCommandClass<CCommandTovrin_ResetTarget>());
    RegisterCommandClass(MakeCommandClass<CCommandTovrin_SeizeTarget>());
    RegisterCommandClass(MakeCommandClass<CCommandTovrin_SetPassword>());
    RegisterCommandClass(MakeCommandClass<CCommandTovrin_VerifyFile>());
    RegisterCommandClass(MakeCommandClass<CCommandTovrin_VerifyMemory>());
    RegisterCommandClass(MakeCommandClass<CCommandTovrin_WriteFile>());
    RegisterCommandClass(MakeCommandClass<CCommandTovrin_WriteMemory>());
}

}  // namespace kv
