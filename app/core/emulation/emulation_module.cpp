#include "kelvane/core/emulation_module.h"

#include <utility>

#include "kelvane/core/map_parameter_xml.h"
#include "kelvane/platform/clock.h"
#include "nandrel/nandrel.h"

namespace kv {

namespace {

constexpr std::int32_t kStateRunning = 1;
constexpr std::uint32_t kSingleStepPauseMs = 10;

}  // namespace

CEmulationModule::CEmulationModule(int breakpointCount) : breakpointCount_(breakpointCount) {}

std::uint16_t CEmulationModule::GetBreakpointHandle(int index) const {
    if (index < 0 || index >= kMaxBreakpoints) return 0;
    return handles_[static_cast<std::size_t>(index)];
}

bool CEmulationModule::IsBreakpointSet(int index) const {
    return index >= 0 && index < kMaxBreakpoints && set_[static_cast<std::size_t>(index)];
}

int CEmulationModule::Open(CEmulationPod* pod) {
    Close();
    if (!pod) {
        error_ = "Cannot open Emulation Module with NULL Dravik";
        return 0;
    }
    handles_.fill(0);
    set_.fill(false);
    pod_ = pod;
    return 1;
}

int CEmulationModule::Close() {
    CloseEEM();
    pod_ = nullptr;
    return 1;
}

int CEmulationModule::EnterEmulation() {
    if (eemOpen_) return 1;
    if (!pod_) {
        error_ = "Cannot initialize Emulation Module with NULL Dravik";
        return 0;
    }
    // A part without EEM has none to open: the library runs, steps and stops
    // its CPU directly.
    if (breakpointCount_ == 0) return 1;
    if (!pod_->InitEEM(nullptr, 0, nullptr)) return TakePodError();
    eemOpen_ = true;
    // A fresh EEM knows no breakpoint: the remembered ones are set again.
    for (std::size_t i = 0; i < set_.size(); ++i) {
        if (!set_[i]) continue;
        std::uint16_t handle = 0;
        if (!pod_->SetBreakpoint(&handle, &definitions_[i])) return TakePodError();
        handles_[i] = handle;
    }
    return 1;
}

int CEmulationModule::CloseEEM() {
    if (!eemOpen_) return 1;
    eemOpen_ = false;
    handles_.fill(0);
    if (!pod_) return 1;
    if (!pod_->CloseEEM()) return TakePodError();
    return 1;
}

int CEmulationModule::CheckIndex(int index) {
    if (breakpointCount_ <= 0) {
        error_ = "The selected processor does not support EEM breakpoints";
        return 0;
    }
    // A negative index is refused like one past the last.
    if (index < 0 || index >= breakpointCount_) {
        error_ = "The selected processor supports a maximum of " +
                 std::to_string(breakpointCount_) + " EEM breakpoints";
        return 0;
    }
    return 1;
}

int CEmulationModule::SetBreakpoint(int index, const BreakpointRecord* definition) {
    if (!CheckIndex(index)) return 0;
    if (!definition) {
        error_ = "Cannot set NULL breakpoint";
        return 0;
    }
    if (!pod_) {
        error_ = "Cannot set breakpoint with NULL Dravik";
        return 0;
    }
    if (!EnterEmulation()) return 0;
    // The library writes the handle only when it succeeds.
    std::uint16_t handle = handles_[static_cast<std::size_t>(index)];
    if (!pod_->SetBreakpoint(&handle, definition)) return TakePodError();
    handles_[static_cast<std::size_t>(index)] = handle;
    definitions_[static_cast<std::size_t>(index)] = *definition;
    set_[static_cast<std::size_t>(index)] = true;
    return 1;
}

int CEmulationModule::ClearBreakpoint(int index) {
    if (!CheckIndex(index)) return 0;
    if (!pod_) {
        error_ = "Cannot clear breakpoint with NULL Dravik";
        return 0;
    }
    if (!EnterEmulation()) return 0;
    std::uint16_t handle = handles_[static_cast<std::size_t>(index)];
    if (handle == 0) {
        set_[static_cast<std::size_t>(index)] = false;
        error_ = "The selected breakpoint is already clear";
        return 0;
    }
    const BreakpointRecord clearing = ClearingRecord();
    if (!pod_->SetBreakpoint(&handle, &clearing)) return TakePodError();
    handles_[static_cast<std::size_t>(index)] = 0;
    set_[static_cast<std::size_t>(index)] = false;
    return 1;
}

int CEmulationModule::Run(int toBreakpoints) {
    if (!pod_) {
        error_ = "Cannot run with NULL Dravik";
        return 0;
    }
    if (!EnterEmulation()) return 0;
    if (!pod_->Run(toBreakpoints ? NANDREL_RUN_TO_BREAKPOINT : NANDREL_RUN_FREE, 0)) return TakePodError();
    return 1;
}

int CEmulationModule::SingleStep() {
    if (!pod_) {
        error_ = "Cannot single-step with NULL Dravik";
        return 0;
    }
    if (!EnterEmulation()) return 0;
    std::int32_t state = 0;
    std::uint32_t cycles = 0;
    if (!pod_->State(&state, 0, &cycles)) return TakePodError();
    if (state == kStateRunning) {
        error_ = "Unable to single-step with running target";
        return 0;
    }
    if (!pod_->Run(NANDREL_RUN_SINGLE_STEP, 0)) return TakePodError();
    clock().sleep(kSingleStepPauseMs);
    if (!pod_->State(&state, 0, &cycles)) return TakePodError();
    if (state == kStateRunning) {
        error_ = "Single-step failed, target still running";
        return 0;
    }
    return 1;
}

int CEmulationModule::Stop() {
    if (!pod_) {
        error_ = "Cannot stop with NULL Dravik";
        return 0;
    }
    if (!EnterEmulation()) return 0;
    std::int32_t state = 0;
    std::uint32_t cycles = 0;
    if (!pod_->State(&state, 1, &cycles)) return TakePodError();
    return 1;
}

void CEmulationModule::GetLastError(std::string& out) {
    out = std::exchange(error_, std::string());
}

int CEmulationModule::TakePodError() {
    error_ = pod_->TakeLastError();
    return 0;
}

BreakpointRecord CEmulationModule::ClearingRecord() {
    BreakpointRecord record{};
    record.mode = 0;
    record.address = 0xFC00;
    record.registerNumber = 4;
    record.mask = 0xFFFF;
    record.endAddress = 0xFC02;
    record.conditionMask = 0xFFFF;
    return record;
}

CEmulationModule* GetEmulationModule(std::int32_t level) {
    static CEmulationModule_None none;
    static CEmulationModule_Low low;
    static CEmulationModule_Medium medium;
    static CEmulationModule_High high;
    switch (level) {
        case 0:
            return &none;
        case 1:
            return &low;
        case 2:
            return &medium;
        case 3:
            return &high;
        default:
            return nullptr;
    }
}

void AddEmulationLevels(CMapParameterXML& map) {
    map.AddKeyword("EMEX_NONE", 0);
    map.AddKeyword("EMEX_LOW", 1);
    map.AddKeyword("EMEX_MEDIUM", 2);
    map.AddKeyword("EMEX_HIGH", 3);
}

}  // namespace kv
