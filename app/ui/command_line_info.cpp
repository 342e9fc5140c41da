#include "command_line_info.h"

#include <strings.h>

namespace kv::ui {

void CKelvaneCommandLineInfo::Parse(const std::vector<std::string>& arguments) {
    for (const std::string& argument : arguments) {
        if (!argument.empty() && (argument[0] == '/' || argument[0] == '-')) {
            if (strcasecmp(argument.c_str() + 1, "Silent") == 0) silent_ = true;
            continue;
        }
        if (fileName_.empty()) fileName_ = argument;
    }
}

}  // namespace kv::ui
