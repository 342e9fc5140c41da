// The library's error numbers and their texts.
#pragma once

#include <cstdint>

namespace nandrel {

enum ErrorNumber : int32_t {
    kNoError = 0,
    kErrInitialize = 1,
    kErrClose = 2,
    kErrParameter = 3,
    kErrFindDevice = 4,
    kErrUnknownDevice = 5,
    kErrReadMemory = 6,
    kErrReadFuses = 8,
    kErrConfigureDevice = 9,
    kErrVcc = 10,
    kErrReset = 11,
    kErrBreakpoint = 15,
    kErrSingleStep = 16,
    kErrRun = 17,
    kErrState = 18,
    kErrFuseBlow = 29,
    kErrFuseBlown = 30,
    kErrWriteRegister = 32,
    kErrReadRegister = 33,
    kErrNotSupported = 34,
    kErrOpenEem = 19,
    kErrReadEemRegister = 20,
    kErrWriteEemRegister = 21,
    kErrThreadWake = 42,
    kErrEemInit = 43,
    kErrResources = 44,
    kErrNoClockControl = 45,
    kErrNoStateStorage = 46,
    kErrTraceBuffer = 47,
    kErrVariableWatchOff = 48,
    kErrNoSequencer = 49,
    kErrSequencerOff = 50,
    kErrTriggerInSequencer = 51,
    kErrCombinationInSequencer = 52,
    kErrThreadActive = 59,
    kErrThreadPause = 60,
    kErrInvalidNumber = 61,
};

inline constexpr int32_t kErrorCount = 62;

// The text of error `number`; numbers of 61 and more, taken unsigned, give
// "Invalid error number".
const char* errorText(int32_t number);

}  // namespace nandrel
