// Texts the command classes build: printf-style formatting, file titles and
// file names relative to the project file.
#pragma once

#include <cstdint>
#include <string>

namespace kv {

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The file name without folder and without everything from its last ".".
std::string FileTitleNoExtension(const std::string& path);

}  // namespace kv

namespace kv {

// Why the current project has no processor record: "Unable to get NULL
// current project", or "Unable to find processor '<name>'".
std::string CommandProjectProcessorReason();

}  // namespace kv
