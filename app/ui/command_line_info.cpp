#include "command_line_info.h"

#include <strings.h>

namespace kv::ui {

void CKelvaneCommandLineInfo::Parse(const std::vector<std::string>& arguments) {
    for (const std::string& argument : arguments) {
        const bool silentSwitch = argument.size() > 1 &&
                                  (argument[0] == '/' || argument[0] == '-') &&
                                  strcasecmp(argument.c_str() + 1, "Silent") == 0;
        if (silentSwitch) {
            silent_ = true;
            continue;
        }
        // "/" also starts every absolute path, so only "-" marks other switches.
        if (!argument.empty() && argument[0] == '-') continue;
        if (fileName_.empty()) fileName_ = argument;
    }
}

}  // namespace kv::ui
