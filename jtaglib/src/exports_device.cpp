// Exported functions of the device database: identification, device records,
// clock-control module names, and the target features (configuration fuses).
#include "exports_common.h"

using namespace nandrel;

namespace {

template <typename F>
int32_t onTarget(NANDREL_HANDLE target, F&& body) {
    return guarded(0, [&] {
        CTargetJTAG* t = targetOf(target);
        return t ? body(*t) : 0;
    });
}

}  // namespace

extern "C" {

int32_t Nandrel_Identify(NANDREL_HANDLE target, DeviceRecord* record, uint32_t recordSize,
                         int32_t deviceIndex) {
    return onTarget(target,
                    [&](CTargetJTAG& t) { return t.Identify(record, recordSize, deviceIndex); });
}

int32_t Nandrel_Device(NANDREL_HANDLE target, int32_t deviceIndex, DeviceRecord* record,
                       uint32_t recordSize) {
    return onTarget(target,
                    [&](CTargetJTAG& t) { return t.Device(deviceIndex, record, recordSize); });
}

int32_t Nandrel_GetClockControlModuleNames(NANDREL_HANDLE target, int32_t deviceIndex,
                                           void** names) {
    return onTarget(
        target, [&](CTargetJTAG& t) { return t.GetClockControlModuleNames(deviceIndex, names); });
}

int32_t Nandrel_QueryTargetFeature(NANDREL_HANDLE target, uint32_t featureId, void*, uint32_t,
                                   uint32_t* length) {
    if (length) *length = 0;
    return onTarget(target, [&](CTargetJTAG& t) {
        return chipReachable(t) ? t.QueryTargetFeature(featureId, length) : 0;
    });
}

}  // extern "C"
