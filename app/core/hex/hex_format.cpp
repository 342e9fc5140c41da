#include "hex_format.h"

#include "kelvane/core/hex_image_file.h"
#include "kelvane/platform/message_box.h"
#include "kelvane/platform/terminal_text.h"

namespace kv::hex {

std::string QuoteLine(std::string_view line) {
    const bool cut = line.size() > kQuotedLineLength;
    std::string text = EscapeControlBytes(cut ? line.substr(0, kQuotedLineLength) : line);
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
