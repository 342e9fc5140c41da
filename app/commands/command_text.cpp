#include "kelvane/commands/command_text.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

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

bool ScanHexPrefixed(const std::string& token, std::uint32_t& value) {
    if (token.size() < 3 || token[0] != '0' || token[1] != 'x') return false;
    std::uint32_t result = 0;
    std::size_t digits = 0;
    for (std::size_t i = 2; i < token.size(); ++i, ++digits) {
        char c = token[i];
        std::uint32_t digit = 0;
        if (c >= '0' && c <= '9')
            digit = static_cast<std::uint32_t>(c - '0');
        else if (c >= 'a' && c <= 'f')
            digit = static_cast<std::uint32_t>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            digit = static_cast<std::uint32_t>(c - 'A' + 10);
        else
            break;
        result = (result << 4) | digit;
    }
    if (digits == 0) return false;
    value = result;
    return true;
}

}  // namespace kv

#include "kelvane/commands/current_project.h"

namespace kv {

std::string CommandProjectProcessorReason() {
    ProjectAccess* project = GetCommandProject();
    if (project == nullptr) return "Unable to get NULL current project";
    return "Unable to find processor '" + project->GetTargetProcessorName() + "'";
}

}  // namespace kv
