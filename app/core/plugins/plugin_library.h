// Loading a plug-in library file. A name without a "/" is looked up in the
// program's directory (where the plug-ins ship); a name with one is used as
// written, relative to the current directory.
#pragma once

#include <cstdint>
#include <string>

namespace kv::plugin {

// The library handle, or nullptr with a system error code (ENOENT when the
// file is not there, ENOEXEC when it is but cannot be loaded) and the reason
// in words.
void* LoadLibrary(const std::string& name, std::uint32_t* code, std::string* reason);
void FreeLibrary(void* library);

// The directory of the running program, without a trailing "/".
std::string GetProgramDirectory();

}  // namespace kv::plugin
