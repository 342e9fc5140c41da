#include "kelvane/plugin/error_text.h"

#include <cstdarg>
#include <cstdio>

namespace kv::plugin {

void ErrorText::format(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(text_, sizeof text_, fmt, args);
    va_end(args);
}

}  // namespace kv::plugin
