#include "kelvane/commands/register_commands.h"

#include "kelvane/commands/command_class.h"
#include "kelvane/commands/dravik_close.h"
#include "kelvane/commands/dravik_open.h"
#include "kelvane/commands/dravik_vcc.h"

namespace kv {

// One line per command class; the factory orders them itself.
void RegisterCommandClasses() {
    RegisterCommandClass(MakeCommandClass<CCommandDravik_Open>());
    RegisterCommandClass(MakeCommandClass<CCommandDravik_Close>());
    RegisterCommandClass(MakeCommandClass<CCommandDravik_VCC>());
}

}  // namespace kv
