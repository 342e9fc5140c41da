// Error numbers of the memory, flash and file operations (besides those of
// error_table.h).
#pragma once

#include <cstdint>

#include "error_table.h"

namespace nandrel {

inline constexpr int32_t kErrWriteMemory = 7;
inline constexpr int32_t kErrPreserve = 12;
inline constexpr int32_t kErrFrequency = 13;
inline constexpr int32_t kErrEraseMemory = 14;
inline constexpr int32_t kErrVerification = 28;

}  // namespace nandrel
