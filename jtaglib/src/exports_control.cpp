// Exported target functions of the JTAG link, supply, reset, registers and
// run control: each resolves its handle and calls the target's operation.
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

// A call that always reaches the chip. The link, the supply, the register
// copy and a reset (which tells a blown fuse itself) need no chip that answers.
template <typename F>
int32_t onChip(NANDREL_HANDLE target, F&& body) {
    return guarded(0, [&] {
        CTargetJTAG* t = targetOf(target);
        return t && chipReachable(*t) ? body(*t) : 0;
    });
}

}  // namespace

extern "C" {

int32_t Nandrel_OpenJTAG(NANDREL_HANDLE target) {
    return onTarget(target, [](CTargetJTAG& t) { return t.OpenJTAG(); });
}

int32_t Nandrel_CloseJTAG(NANDREL_HANDLE target, int32_t mode) {
    return onTarget(target, [&](CTargetJTAG& t) { return t.CloseJTAG(mode); });
}

int32_t Nandrel_ResetJTAGTAP(NANDREL_HANDLE target) {
    return onTarget(target, [](CTargetJTAG& t) { return t.ResetJTAGTAP(); });
}

int32_t Nandrel_Configure(NANDREL_HANDLE target, int32_t item, int32_t value) {
    return onTarget(target, [&](CTargetJTAG& t) { return t.Configure(item, value); });
}

int32_t Nandrel_VCC(NANDREL_HANDLE target, int32_t millivolts) {
    return onTarget(target, [&](CTargetJTAG& t) { return t.VCC(millivolts); });
}

int32_t Nandrel_Reset(NANDREL_HANDLE target, int32_t method, int32_t execute, int32_t releaseJtag) {
    return onTarget(
        target, [&](CTargetJTAG& t) { return t.Reset(method, execute != 0, releaseJtag != 0); });
}

int32_t Nandrel_ReadRegisters(NANDREL_HANDLE target, uint32_t* registers, int32_t mask) {
    return onTarget(target, [&](CTargetJTAG& t) { return t.ReadRegisters(registers, mask); });
}

int32_t Nandrel_WriteRegisters(NANDREL_HANDLE target, const uint32_t* registers, int32_t mask) {
    return onChip(target, [&](CTargetJTAG& t) { return t.WriteRegisters(registers, mask); });
}

int32_t Nandrel_ReadRegister(NANDREL_HANDLE target, int32_t number, uint32_t* value) {
    return onTarget(target, [&](CTargetJTAG& t) { return t.ReadRegister(number, value); });
}

int32_t Nandrel_WriteRegister(NANDREL_HANDLE target, int32_t number, uint32_t value) {
    return onChip(target, [&](CTargetJTAG& t) { return t.WriteRegister(number, value); });
}

int32_t Nandrel_Run(NANDREL_HANDLE target, int32_t mode, int32_t releaseJtag) {
    return onChip(target, [&](CTargetJTAG& t) { return t.Run(mode, releaseJtag != 0); });
}

int32_t Nandrel_State(NANDREL_HANDLE target, int32_t* state, int32_t stop, uint32_t* cycles) {
    return onTarget(target, [&](CTargetJTAG& t) { return t.State(state, stop != 0, cycles); });
}

int32_t Nandrel_Secure(NANDREL_HANDLE target) {
    return onChip(target, [](CTargetJTAG& t) { return t.Secure(); });
}

}  // extern "C"
