// Exported target functions whose work (EEM)
// the library does not carry out yet: each checks its handle and the
// arguments it can, then fails with error 34.
#include "error_table.h"
#include "exports_common.h"

using namespace nandrel;

namespace {

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

int32_t Nandrel_Breakpoint(NANDREL_HANDLE target, int32_t, uint32_t) {
    return NANDREL_NOT_AVAILABLE(Nandrel_Breakpoint);
}

int32_t Nandrel_OpenEEM(NANDREL_HANDLE target) {
    return NANDREL_NOT_AVAILABLE(Nandrel_OpenEEM);
}

int32_t Nandrel_CloseEEM(NANDREL_HANDLE target) {
    return NANDREL_NOT_AVAILABLE(Nandrel_CloseEEM);
}

int32_t Nandrel_ReadRegisterEEM(NANDREL_HANDLE target, uint32_t, uint32_t* value) {
    if (value) *value = 0;
    if (!value) return badParameter(target);
    return NANDREL_NOT_AVAILABLE(Nandrel_ReadRegisterEEM);
}

int32_t Nandrel_WriteRegisterEEM(NANDREL_HANDLE target, uint32_t, uint32_t) {
    return NANDREL_NOT_AVAILABLE(Nandrel_WriteRegisterEEM);
}

int32_t Nandrel_EEM_Init(NANDREL_HANDLE target, NandrelEemCallback, uint32_t,
                         const EemMessageNumbers*) {
    return NANDREL_NOT_AVAILABLE(Nandrel_EEM_Init);
}

int32_t Nandrel_EEM_SetBreakpoint(NANDREL_HANDLE target, uint16_t*, const BreakpointRecord*) {
    return NANDREL_NOT_AVAILABLE(Nandrel_EEM_SetBreakpoint);
}

int32_t Nandrel_EEM_GetBreakpoint(NANDREL_HANDLE target, uint16_t, BreakpointRecord*) {
    return NANDREL_NOT_AVAILABLE(Nandrel_EEM_GetBreakpoint);
}

int32_t Nandrel_EEM_SetCombineBreakpoint(NANDREL_HANDLE target, int32_t, uint16_t, uint16_t*,
                                         const uint16_t*) {
    return NANDREL_NOT_AVAILABLE(Nandrel_EEM_SetCombineBreakpoint);
}

int32_t Nandrel_EEM_GetCombineBreakpoint(NANDREL_HANDLE target, uint16_t, uint16_t*, uint16_t*) {
    return NANDREL_NOT_AVAILABLE(Nandrel_EEM_GetCombineBreakpoint);
}

int32_t Nandrel_EEM_SetTrace(NANDREL_HANDLE target, const EemTraceSettings*) {
    return NANDREL_NOT_AVAILABLE(Nandrel_EEM_SetTrace);
}

int32_t Nandrel_EEM_GetTrace(NANDREL_HANDLE target, EemTraceSettings*) {
    return NANDREL_NOT_AVAILABLE(Nandrel_EEM_GetTrace);
}

int32_t Nandrel_EEM_ReadTraceBuffer(NANDREL_HANDLE target, EemTraceEntry*) {
    return NANDREL_NOT_AVAILABLE(Nandrel_EEM_ReadTraceBuffer);
}

int32_t Nandrel_EEM_RefreshTraceBuffer(NANDREL_HANDLE target) {
    return NANDREL_NOT_AVAILABLE(Nandrel_EEM_RefreshTraceBuffer);
}

int32_t Nandrel_EEM_SetVariableWatch(NANDREL_HANDLE target, int32_t) {
    return NANDREL_NOT_AVAILABLE(Nandrel_EEM_SetVariableWatch);
}

int32_t Nandrel_EEM_GetVariableWatch(NANDREL_HANDLE target, uint32_t*, EemVariableEntry*) {
    return NANDREL_NOT_AVAILABLE(Nandrel_EEM_GetVariableWatch);
}

int32_t Nandrel_EEM_SetVariable(NANDREL_HANDLE target, uint16_t*, const EemVariableSettings*) {
    return NANDREL_NOT_AVAILABLE(Nandrel_EEM_SetVariable);
}

int32_t Nandrel_EEM_SetClockControl(NANDREL_HANDLE target, const EemClockControl*) {
    return NANDREL_NOT_AVAILABLE(Nandrel_EEM_SetClockControl);
}

int32_t Nandrel_EEM_GetClockControl(NANDREL_HANDLE target, EemClockControl*) {
    return NANDREL_NOT_AVAILABLE(Nandrel_EEM_GetClockControl);
}

int32_t Nandrel_EEM_SetSequencer(NANDREL_HANDLE target, const EemSequencer*) {
    return NANDREL_NOT_AVAILABLE(Nandrel_EEM_SetSequencer);
}

int32_t Nandrel_EEM_GetSequencer(NANDREL_HANDLE target, EemSequencer*) {
    return NANDREL_NOT_AVAILABLE(Nandrel_EEM_GetSequencer);
}

int32_t Nandrel_EEM_ReadSequencerState(NANDREL_HANDLE target, uint32_t*) {
    return NANDREL_NOT_AVAILABLE(Nandrel_EEM_ReadSequencerState);
}

}  // extern "C"
