// The detail text of the last failing detection or read.
#pragma once

namespace nandrel {

// Formats the detail; "Line %d: " and the line number are put in front when
// the line number is above 0.
void SetHexReadErrorDetail(int lineNumber, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
void ClearHexReadErrorDetail();

}  // namespace nandrel
