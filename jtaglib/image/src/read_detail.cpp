#include "read_detail.h"

#include <cstdarg>
#include <cstdio>
#include <string>

#include "kelvane/platform/terminal_text.h"
#include "nandrel/image/hex_readers.h"

namespace nandrel {

namespace {
std::string detail;
}  // namespace

const std::string& HexReadErrorDetail() {
    return detail;
}

void ClearHexReadErrorDetail() {
    detail.clear();
}

void SetHexReadErrorDetail(int lineNumber, const char* format, ...) {
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    detail = lineNumber > 0 ? "Line " + std::to_string(lineNumber) + ": " + text : text;
}

void SetHexOverlapDetail(int lineNumber, unsigned address) {
    SetHexReadErrorDetail(lineNumber, "data at %05X overlaps data of an earlier line", address);
}

void SetHexOpenDetail(const char* path, const std::string& reason) {
    // A path that names something other than a file says so in its own text.
    if (path != nullptr && reason.rfind(path, 0) == 0) {
        detail = kv::Quoted(path) + reason.substr(std::string_view(path).size());
        return;
    }
    // The system's reason on a line of its own, as for a project that cannot be opened.
    detail = "Cannot open " + (path != nullptr ? kv::Quoted(path) : std::string("(no file name)"));
    if (!reason.empty()) detail += "\n" + reason;
}

}  // namespace nandrel
