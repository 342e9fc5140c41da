#include "register_commands.h"

#ifdef KELVANE_HAVE_COMMANDS
#include "kelvane/commands/current_project.h"
#include "kelvane/commands/register_commands.h"
#include "kelvane/project/prg_project.h"
#endif

namespace kv {

void RegisterConsoleCommands() {
#ifdef KELVANE_HAVE_COMMANDS
    RegisterCommandClasses();
    // The commands resolve their files against the current project's file.
    SetCurrentProjectHandler([](CPrgProject* project) {
        SetCommandProject(project, project != nullptr ? project->GetPath() : std::string());
    });
#endif
}

}  // namespace kv
