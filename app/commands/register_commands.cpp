#include "kelvane/commands/register_commands.h"

#include "kelvane/commands/command_class.h"
#include "kelvane/commands/dravik_blow_fuse.h"
#include "kelvane/commands/dravik_close.h"
#include "kelvane/commands/dravik_config_fuse.h"
#include "kelvane/commands/dravik_configure.h"
#include "kelvane/commands/dravik_erase.h"
#include "kelvane/commands/dravik_identify.h"
#include "kelvane/commands/dravik_lock_a.h"
#include "kelvane/commands/dravik_open.h"
#include "kelvane/commands/dravik_program_file.h"
#include "kelvane/commands/dravik_read_processor_to_file.h"
#include "kelvane/commands/dravik_read_range_to_file.h"
#include "kelvane/commands/dravik_vcc.h"
#include "kelvane/commands/dravik_verify_file.h"

namespace kv {

// One line per command class; the factory orders them itself.
void RegisterCommandClasses() {
    RegisterCommandClass(MakeCommandClass<CCommandDravik_Open>());
    RegisterCommandClass(MakeCommandClass<CCommandDravik_Close>());
    RegisterCommandClass(MakeCommandClass<CCommandDravik_VCC>());
    RegisterCommandClass(MakeCommandClass<CCommandDravik_Identify>());
    RegisterCommandClass(MakeCommandClass<CCommandDravik_Configure>());
    RegisterCommandClass(MakeCommandClass<CCommandDravik_LockA>());
    RegisterCommandClass(MakeCommandClass<CCommandDravik_ConfigFuse>());
    RegisterCommandClass(MakeCommandClass<CCommandDravik_BlowFuse>());
    RegisterCommandClass(MakeCommandClass<CCommandDravik_Erase>());
    RegisterCommandClass(MakeCommandClass<CCommandDravik_ProgramFile>());
    RegisterCommandClass(MakeCommandClass<CCommandDravik_VerifyFile>());
    RegisterCommandClass(MakeCommandClass<CCommandDravik_ReadProcessorToFile>());
    RegisterCommandClass(MakeCommandClass<CCommandDravik_ReadRangeToFile>());
}

}  // namespace kv
