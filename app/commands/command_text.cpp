#include "kelvane/commands/command_text.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

#include "kelvane/platform/terminal_text.h"

namespace kv {

std::string Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int size = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string out;
    if (size > 0) {
        std::vector<char> buffer(static_cast<std::size_t>(size) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), format, args);
        out.assign(buffer.data(), static_cast<std::size_t>(size));
    }
    va_end(args);
    return out;
}

std::string FileTitleNoExtension(const std::string& path) {
    std::size_t slash = path.find_last_of("/\\");
    std::string title = slash == std::string::npos ? path : path.substr(slash + 1);
    std::size_t dot = title.rfind('.');
    if (dot != std::string::npos) title.erase(dot);
    return title;
}

}  // namespace kv

#include "kelvane/commands/current_project.h"

namespace kv {

std::string CommandProjectProcessorReason() {
    ProjectAccess* project = GetCommandProject();
    if (project == nullptr) return "Unable to get NULL current project";
    return "Unable to find processor '" + Quoted(project->GetTargetProcessorName()) + "'";
}

}  // namespace kv
