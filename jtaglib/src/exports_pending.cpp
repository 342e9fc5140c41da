// Exported target functions whose work (identification, memory, flash, EEM)
// the library does not carry out yet: each checks its handle and the
// arguments it can, then fails with error 34.
#include "error_table.h"
#include "exports_common.h"

using namespace nandrel;

namespace {

constexpr uint32_t kDeviceTableSize = 92;

int32_t notAvailable(NANDREL_HANDLE target, const char* name) {
    return guarded(0, [&] {
        CTargetJTAG* t = targetOf(target);
        if (!t) return 0;
        t->Fail(std::string(name) + " not implemented");
        return t->SetError(kErrNotSupported);
    });
}

int32_t badParameter(NANDREL_HANDLE target) {
    CTargetJTAG* t = targetOf(target);
    return t ? t->SetError(kErrParameter) : 0;
}

}  // namespace

#define NANDREL_NOT_AVAILABLE(name) notAvailable(target, #name)

extern "C" {

int32_t Nandrel_Identify(NANDREL_HANDLE target, DeviceRecord* record, uint32_t recordSize,
                         int32_t) {
    if (!record || recordSize < sizeof(DeviceRecord)) return badParameter(target);
    return NANDREL_NOT_AVAILABLE(Nandrel_Identify);
}

int32_t Nandrel_Device(NANDREL_HANDLE target, int32_t deviceIndex, DeviceRecord* record,
                       uint32_t recordSize) {
    if (deviceIndex < 1 || static_cast<uint32_t>(deviceIndex) >= kDeviceTableSize || !record ||
        recordSize < sizeof(DeviceRecord))
        return badParameter(target);
    return NANDREL_NOT_AVAILABLE(Nandrel_Device);
}

int32_t Nandrel_Erase(NANDREL_HANDLE target, int32_t, uint32_t, uint32_t) {
    return NANDREL_NOT_AVAILABLE(Nandrel_Erase);
}

int32_t Nandrel_ReadMemory(NANDREL_HANDLE target, uint32_t, uint8_t*, uint32_t) {
    return NANDREL_NOT_AVAILABLE(Nandrel_ReadMemory);
}

int32_t Nandrel_WriteMemory(NANDREL_HANDLE target, uint32_t, const uint8_t*, uint32_t) {
    return NANDREL_NOT_AVAILABLE(Nandrel_WriteMemory);
}

int32_t Nandrel_VerifyMem(NANDREL_HANDLE target, uint32_t, uint32_t, const uint8_t*) {
    return NANDREL_NOT_AVAILABLE(Nandrel_VerifyMem);
}

int32_t Nandrel_EraseCheck(NANDREL_HANDLE target, uint32_t, uint32_t) {
    return NANDREL_NOT_AVAILABLE(Nandrel_EraseCheck);
}

int32_t Nandrel_ProgramFile(NANDREL_HANDLE target, const char*, int32_t, int32_t) {
    return NANDREL_NOT_AVAILABLE(Nandrel_ProgramFile);
}

int32_t Nandrel_VerifyFile(NANDREL_HANDLE target, const char*) {
    return NANDREL_NOT_AVAILABLE(Nandrel_VerifyFile);
}

int32_t Nandrel_ReadOutFile(NANDREL_HANDLE target, const char*, int32_t fileType, uint32_t,
                            uint32_t) {
    if (fileType != 1 && fileType != 2) {
        targetOf(target);
        return 0;
    }
    return NANDREL_NOT_AVAILABLE(Nandrel_ReadOutFile);
}

int32_t Nandrel_GetClockControlModuleNames(NANDREL_HANDLE target, int32_t deviceIndex,
                                           void** names) {
    if (!names || !*names || deviceIndex < 0 ||
        static_cast<uint32_t>(deviceIndex) >= kDeviceTableSize)
        return badParameter(target);
    return NANDREL_NOT_AVAILABLE(Nandrel_GetClockControlModuleNames);
}

}  // extern "C"
