// Registers the command classes of the command library with the factory
// before the application starts.
#pragma once

namespace kv {
void RegisterConsoleCommands();
}
