// Exported functions of the port family.
#include "exports_common.h"

using namespace nandrel;

extern "C" {

void Nandrel_ClosePort(NANDREL_HANDLE portHandle) {
    guarded(0, [&] {
        if (CPortJTAG* p = portOf(portHandle)) p->Close();
        return 0;
    });
}

const char* Nandrel_GetLastPortError(NANDREL_HANDLE portHandle) {
    CPortJTAG* p = portOf(portHandle);
    return p ? p->errorText().c_str() : "NULL port";
}

int32_t Nandrel_QueryPortFeature(NANDREL_HANDLE portHandle, uint32_t featureId, void* buffer,
                                 uint32_t bufferSize, uint32_t* length) {
    if (length) *length = 0;
    CPortJTAG* p = portOf(portHandle);
    if (!p) return 0;
    return p->QueryFeature(featureId, buffer, bufferSize, length) ? 1 : 0;
}

const char* Nandrel_GetPortHardwareVersion(NANDREL_HANDLE portHandle) {
    CPortJTAG* p = portOf(portHandle);
    return p ? p->hardwareVersion().c_str() : nullptr;
}

const char* Nandrel_GetPortFirmwareVersion(NANDREL_HANDLE portHandle) {
    CPortJTAG* p = portOf(portHandle);
    return p ? p->firmwareVersion().c_str() : nullptr;
}

const char* Nandrel_GetPortSerialNumber(NANDREL_HANDLE portHandle) {
    CPortJTAG* p = portOf(portHandle);
    return p ? p->serialNumber().c_str() : nullptr;
}

int32_t Nandrel_GetTargetCount(NANDREL_HANDLE portHandle) {
    CPortJTAG* p = portOf(portHandle);
    return p ? p->targetCount() : 0;
}

const char* Nandrel_GetTargetName(NANDREL_HANDLE portHandle, int32_t index) {
    CPortJTAG* p = portOf(portHandle);
    if (!p) return nullptr;
    CTargetJTAG* t = p->GetTargetByIndex(index);
    return t ? t->name().c_str() : nullptr;
}

NANDREL_HANDLE Nandrel_OpenTarget(NANDREL_HANDLE portHandle, int32_t index) {
    CPortJTAG* p = portOf(portHandle);
    if (!p) return nullptr;
    CTargetJTAG* t = p->GetTargetByIndex(index);
    return t ? t->handle() : nullptr;
}

}  // extern "C"
