// Exported target functions of memory, flash and image files; each reaches
// the chip.
#include "error_table.h"
#include "exports_common.h"

using namespace nandrel;

namespace {

template <typename F>
int32_t onTarget(NANDREL_HANDLE target, F&& body) {
    return guarded(0, [&] {
        CTargetJTAG* t = targetOf(target);
        return t && chipReachable(*t) ? body(*t) : 0;
    });
}

}  // namespace

extern "C" {

int32_t Nandrel_Erase(NANDREL_HANDLE target, int32_t type, uint32_t address, uint32_t length) {
    return onTarget(target, [&](CTargetJTAG& t) { return t.Erase(type, address, length); });
}

int32_t Nandrel_ReadMemory(NANDREL_HANDLE target, uint32_t address, uint8_t* buffer,
                           uint32_t count) {
    return onTarget(target, [&](CTargetJTAG& t) { return t.ReadMemory(address, buffer, count); });
}

int32_t Nandrel_WriteMemory(NANDREL_HANDLE target, uint32_t address, const uint8_t* buffer,
                            uint32_t count) {
    return onTarget(target, [&](CTargetJTAG& t) { return t.WriteMemory(address, buffer, count); });
}

int32_t Nandrel_VerifyMem(NANDREL_HANDLE target, uint32_t address, uint32_t count,
                          const uint8_t* buffer) {
    return onTarget(target, [&](CTargetJTAG& t) {
        if (!buffer) return t.SetError(kErrParameter);
        return t.VerifyMemory(address, count, buffer);
    });
}

int32_t Nandrel_EraseCheck(NANDREL_HANDLE target, uint32_t address, uint32_t count) {
    return onTarget(target,
                    [&](CTargetJTAG& t) { return t.VerifyMemory(address, count, nullptr); });
}

int32_t Nandrel_ProgramFile(NANDREL_HANDLE target, const char* path, int32_t eraseType,
                            int32_t verify) {
    return onTarget(target,
                    [&](CTargetJTAG& t) { return t.ProgramFile(path, eraseType, verify == 1); });
}

int32_t Nandrel_VerifyFile(NANDREL_HANDLE target, const char* path) {
    return onTarget(target, [&](CTargetJTAG& t) { return t.VerifyFile(path); });
}

int32_t Nandrel_ReadOutFile(NANDREL_HANDLE target, const char* path, int32_t fileType,
                            uint32_t address, uint32_t length) {
    return onTarget(target, [&](CTargetJTAG& t) {
        if (fileType == 1) return t.ReadOutFileText(path, address, length);
        if (fileType == 2) return t.ReadOutFileIntel(path, address, length);
        return 0;
    });
}

}  // extern "C"
