#include "hex_format.h"

#include <cstdarg>
#include <cstdio>

#include "kelvane/core/hex_image_file.h"
#include "kelvane/platform/message_box.h"
#include "kelvane/platform/terminal_text.h"

namespace kv::hex {

std::string Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
    if (length > 0) std::vsnprintf(text.data(), text.size() + 1, format, args);
    va_end(args);
    return text;
}

std::string QuoteLine(std::string_view line) {
    const std::size_t longest = CHexImageFile::kMaxLineLength;
    const bool cut = line.size() > longest;
    std::string text = EscapeControlBytes(cut ? line.substr(0, longest) : line);
    if (cut) text += "...";
    return text;
}

std::string ReportCriticalError(const char* className, const char* method,
                                const std::string& message) {
    std::string text =
        Format("%s in %s::%s()\n\nContact program vendor\n", message.c_str(), className, method);
    messageBox(text, std::string(className) + " Critical Error", kMbOk | kMbIconError);
    return text;
}

}  // namespace kv::hex
