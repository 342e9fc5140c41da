// Exported functions of the target family that this library carries out today:
// closing, errors, notification window, supply queries, SPMA key, features.
#include <cstring>

#include "error_table.h"
#include "exports_common.h"
#include "text_format.h"

using namespace nandrel;

namespace {

constexpr int32_t kNoExternalSupply = 36;

}  // namespace

extern "C" {

void Nandrel_CloseTarget(NANDREL_HANDLE target) {
    guarded(0, [&] {
        if (CTargetJTAG* t = targetOf(target)) {
            std::lock_guard lock(t->port()->lock());
            t->Close();
        }
        return 0;
    });
}

const char* Nandrel_GetLastTargetError(NANDREL_HANDLE target) {
    CTargetJTAG* t = targetOf(target);
    return t ? t->errorText().c_str() : "Invalid target object";
}

int32_t Nandrel_GetLastTargetErrorNumber(NANDREL_HANDLE target) {
    CTargetJTAG* t = targetOf(target);
    return t ? t->TakeErrorNumber() : 0;
}

int32_t Nandrel_SetLastTargetErrorNumber(NANDREL_HANDLE target, int32_t number) {
    CTargetJTAG* t = targetOf(target);
    if (!t) return 0;
    t->SetErrorNumber(number);
    return 1;
}

const char* Nandrel_ErrorString(int32_t number) {
    return errorText(number);
}

int32_t Nandrel_RegisterHWND(NANDREL_HANDLE target, void* window, uint32_t message,
                             uint32_t userValue) {
    CTargetJTAG* t = targetOf(target);
    if (!t) return 0;
    t->RegisterWindow(window, message, userValue);
    return 1;
}

int32_t Nandrel_GetCurrentTargetVCC(NANDREL_HANDLE target, int32_t* millivolts) {
    CTargetJTAG* t = targetOf(target);
    if (!t) return 0;
    if (!millivolts) return t->SetError(kErrParameter);
    *millivolts = static_cast<int32_t>(t->lastVcc());
    return 1;
}

int32_t Nandrel_GetExternalVoltage(NANDREL_HANDLE target, int32_t* millivolts, int32_t* state) {
    CTargetJTAG* t = targetOf(target);
    if (!t) return 0;
    if (!millivolts || !state) return t->SetError(kErrParameter);
    *millivolts = static_cast<int32_t>(t->lastVcc());
    *state = kNoExternalSupply;
    return 1;
}

int32_t Nandrel_SetKeySPMA(NANDREL_HANDLE target, const uint16_t* key) {
    CTargetJTAG* t = targetOf(target);
    if (!t) return 0;
    std::lock_guard lock(t->port()->lock());
    t->SetKeySPMA(key);
    return 1;
}

int32_t Nandrel_Test(NANDREL_HANDLE target, int32_t) {
    return targetOf(target) ? 1 : 0;
}

}  // extern "C"
