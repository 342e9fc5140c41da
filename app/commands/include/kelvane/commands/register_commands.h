// Registers every command class of the program with the command factory.
// Runs at start-up before InitCommandTypes.
#pragma once

namespace kv {

void RegisterCommandClasses();

}  // namespace kv
