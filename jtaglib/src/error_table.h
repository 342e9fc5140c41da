// The library's error numbers and their texts.
#pragma once

#include <cstdint>

namespace nandrel {

enum ErrorNumber : int32_t {
    kNoError = 0,
    kErrInitialize = 1,
    kErrParameter = 3,
    kErrUnknownDevice = 5,
    kErrNotSupported = 34,
    kErrInvalidNumber = 61,
};

inline constexpr int32_t kErrorCount = 62;

// The text of error `number`; numbers of 61 and more, taken unsigned, give
// "Invalid error number".
const char* errorText(int32_t number);

}  // namespace nandrel
