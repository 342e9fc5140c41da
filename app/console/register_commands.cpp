#include "register_commands.h"

#if defined(KELVANE_HAVE_COMMANDS) && __has_include("kelvane/commands/register_commands.h")
#include "kelvane/commands/register_commands.h"
#define KELVANE_REGISTER_COMMANDS 1
#endif

namespace kv {

void RegisterConsoleCommands() {
#ifdef KELVANE_REGISTER_COMMANDS
    RegisterAllCommandClasses();
#endif
}

}  // namespace kv
