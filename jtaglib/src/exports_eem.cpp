// Exported functions of the enhanced emulation module: each resolves its
// target handle and calls the target's EEM.
#include "eem_jtag.h"
#include "exports_common.h"

using namespace nandrel;

namespace {

template <typename F>
int32_t onEem(NANDREL_HANDLE target, F&& body) {
    return guarded(0, [&] {
        CTargetJTAG* t = targetOf(target);
        return t ? body(t->Eem()) : 0;
    });
}

// An EEM call that reaches the chip; closing the EEM and the reads of what
// the library keeps do not.
template <typename F>
int32_t onChipEem(NANDREL_HANDLE target, F&& body) {
    return guarded(0, [&] {
        CTargetJTAG* t = targetOf(target);
        return t && chipReachable(*t) ? body(t->Eem()) : 0;
    });
}

}  // namespace

extern "C" {

int32_t Nandrel_Breakpoint(NANDREL_HANDLE target, int32_t number, uint32_t address) {
    return onChipEem(target, [&](CEemJTAG& e) { return e.SimpleBreakpoint(number, address); });
}

int32_t Nandrel_OpenEEM(NANDREL_HANDLE target) {
    return onChipEem(target, [](CEemJTAG& e) { return e.Open(); });
}

int32_t Nandrel_CloseEEM(NANDREL_HANDLE target) {
    return onEem(target, [](CEemJTAG& e) { return e.Close(); });
}

int32_t Nandrel_ReadRegisterEEM(NANDREL_HANDLE target, uint32_t number, uint32_t* value) {
    if (value) *value = 0;
    return onChipEem(target, [&](CEemJTAG& e) { return e.ReadRegister(number, value); });
}

int32_t Nandrel_WriteRegisterEEM(NANDREL_HANDLE target, uint32_t number, uint32_t value) {
    return onChipEem(target, [&](CEemJTAG& e) { return e.WriteRegister(number, value); });
}

int32_t Nandrel_Test(NANDREL_HANDLE target, int32_t flag) {
    return onChipEem(target, [&](CEemJTAG& e) { return flag ? 1 : e.Test(); });
}

int32_t Nandrel_EEM_Init(NANDREL_HANDLE target, NandrelEemCallback callback, uint32_t clientValue,
                         const EemMessageNumbers* messages) {
    return onChipEem(target, [&](CEemJTAG& e) { return e.Init(callback, clientValue, messages); });
}

int32_t Nandrel_EEM_SetBreakpoint(NANDREL_HANDLE target, uint16_t* handle,
                                  const BreakpointRecord* record) {
    return onChipEem(target, [&](CEemJTAG& e) { return e.SetBreakpoint(handle, record); });
}

int32_t Nandrel_EEM_GetBreakpoint(NANDREL_HANDLE target, uint16_t handle,
                                  BreakpointRecord* record) {
    return onEem(target, [&](CEemJTAG& e) { return e.GetBreakpoint(handle, record); });
}

int32_t Nandrel_EEM_SetCombineBreakpoint(NANDREL_HANDLE target, int32_t mode, uint16_t count,
                                         uint16_t* handle, const uint16_t* list) {
    return onChipEem(target,
                     [&](CEemJTAG& e) { return e.SetCombination(mode, count, handle, list); });
}

int32_t Nandrel_EEM_GetCombineBreakpoint(NANDREL_HANDLE target, uint16_t handle, uint16_t* count,
                                         uint16_t* list) {
    return onEem(target, [&](CEemJTAG& e) { return e.GetCombination(handle, count, list); });
}

int32_t Nandrel_EEM_SetTrace(NANDREL_HANDLE target, const EemTraceSettings* settings) {
    return onChipEem(target, [&](CEemJTAG& e) { return e.SetTrace(settings); });
}

int32_t Nandrel_EEM_GetTrace(NANDREL_HANDLE target, EemTraceSettings* settings) {
    return onEem(target, [&](CEemJTAG& e) { return e.GetTrace(settings); });
}

int32_t Nandrel_EEM_ReadTraceBuffer(NANDREL_HANDLE target, EemTraceEntry* entries) {
    return onEem(target, [&](CEemJTAG& e) { return e.ReadTraceBuffer(entries); });
}

int32_t Nandrel_EEM_RefreshTraceBuffer(NANDREL_HANDLE target) {
    return onChipEem(target, [](CEemJTAG& e) { return e.RefreshTraceBuffer(); });
}

int32_t Nandrel_EEM_SetVariableWatch(NANDREL_HANDLE target, int32_t enable) {
    return onChipEem(target, [&](CEemJTAG& e) { return e.SetVariableWatch(enable != 0); });
}

int32_t Nandrel_EEM_GetVariableWatch(NANDREL_HANDLE target, uint32_t* state,
                                     EemVariableEntry* entries) {
    return onEem(target, [&](CEemJTAG& e) { return e.GetVariableWatch(state, entries); });
}

int32_t Nandrel_EEM_SetVariable(NANDREL_HANDLE target, uint16_t* handle,
                                const EemVariableSettings* settings) {
    return onChipEem(target, [&](CEemJTAG& e) { return e.SetVariable(handle, settings); });
}

int32_t Nandrel_EEM_SetClockControl(NANDREL_HANDLE target, const EemClockControl* settings) {
    return onChipEem(target, [&](CEemJTAG& e) { return e.SetClockControl(settings); });
}

int32_t Nandrel_EEM_GetClockControl(NANDREL_HANDLE target, EemClockControl* settings) {
    return onEem(target, [&](CEemJTAG& e) { return e.GetClockControl(settings); });
}

int32_t Nandrel_EEM_SetSequencer(NANDREL_HANDLE target, const EemSequencer* settings) {
    return onChipEem(target, [&](CEemJTAG& e) { return e.SetSequencer(settings); });
}

int32_t Nandrel_EEM_GetSequencer(NANDREL_HANDLE target, EemSequencer* settings) {
    return onEem(target, [&](CEemJTAG& e) { return e.GetSequencer(settings); });
}

int32_t Nandrel_EEM_ReadSequencerState(NANDREL_HANDLE target, uint32_t* state) {
    return onChipEem(target, [&](CEemJTAG& e) { return e.ReadSequencerState(state); });
}

}  // extern "C"
