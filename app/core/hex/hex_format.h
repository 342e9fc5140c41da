// Formatting and critical-error helpers of the hex image classes.
#pragma once

#include <string>

namespace kv::hex {

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Shows the critical-error message box of a class ("<class> Critical Error",
// error icon) and returns the formatted text.
std::string ReportCriticalError(const char* className, const char* method,
                                const std::string& message);

}  // namespace kv::hex
