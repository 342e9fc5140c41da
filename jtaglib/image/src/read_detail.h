// The detail text of the last failing detection or read.
#pragma once

#include <string>

namespace nandrel {

// Formats the detail; "Line %d: " and the line number are put in front when
// the line number is above 0.
void SetHexReadErrorDetail(int lineNumber, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
void ClearHexReadErrorDetail();
// The detail for a byte whose address an earlier record gave already.
void SetHexOverlapDetail(int lineNumber, unsigned address);
// The detail for a file that did not open.
void SetHexOpenDetail(const char* path, const std::string& reason);

}  // namespace nandrel
