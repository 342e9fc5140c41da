// State storage: the trace of bus cycles and the variable watch, set up by
// the client and read out by the polling thread.
#include "eem_operation.h"

namespace nandrel {

namespace {

constexpr uint16_t kStorageIndex = 154;
constexpr uint16_t kStorageData = 157;
constexpr uint16_t kStorageControl = 158;
constexpr uint32_t kStatusData = 0x0100;
constexpr uint32_t kStatusTriggered = 0x0200;
constexpr uint32_t kStatusStopped = 0x0400;
constexpr uint16_t kWatchControl = 73;  // store on trigger, every cycle, on
constexpr uint32_t kWarningWatch = 5;
constexpr uint32_t kCpuOff = 0x0010;

}  // namespace

uint16_t CEemJTAG::TraceControl() const {
    // The storage control by what to store; values above 3 keep the base.
    uint16_t value = 65;
    if (trace_.store == 0)
        value = 97;
    else if (trace_.store == 1)
        value = 89;
    else if (trace_.store <= 3)
        value = 73;
    if (trace_.store != 3) value = static_cast<uint16_t>(value + (trace_.option ? 6 : 2));
    return value;
}

int32_t CEemJTAG::SetTrace(const EemTraceSettings* settings) {
    return Operation([&] {
        if (!settings) return t_.SetError(kErrParameter);
        if (t_.selectedDevice() == 0) return t_.SetError(kErrUnknownDevice);
        if (t_.classValues().emulationLevel < 3) return t_.SetError(kErrResources);
        if (storageUse_ == 2 && settings->mode != 1) return t_.SetError(kErrResources);
        uint16_t value = 0;
        if (settings->mode == 0) {
            trace_ = *settings;
            value = TraceControl();
        } else if (settings->mode == 2) {
            if (storageUse_ != 1) return t_.ClearError();
            value = TraceControl();
        } else if (storageUse_ == 2) {
            return t_.ClearError();  // the storage belongs to the variable watch
        } else {
            trace_.mode = settings->mode;
        }
        if (!WriteReg(kStorageControl, value)) return t_.SetError(kErrBreakpoint);
        storageUse_ = value ? 1 : 0;
        traceReported_ = false;
        sameIndexPolls_ = 0;
        lastReportedIndex_ = 0;
        return t_.ClearError();
    });
}

int32_t CEemJTAG::GetTrace(EemTraceSettings* settings) {
    if (!settings) return t_.SetError(kErrParameter);
    *settings = trace_;
    return t_.ClearError();
}

int32_t CEemJTAG::ReadTraceBuffer(EemTraceEntry* entries) {
    // The thread fills the copy: it is read while the thread is paused.
    return Operation([&] {
        if (!entries) return t_.SetError(kErrParameter);
        for (size_t i = 0; i < traceBuffer_.size(); ++i)
            entries[i] = traceBuffer_[i];
        return t_.ClearError();
    });
}

int32_t CEemJTAG::RefreshTraceBuffer() {
    return Operation([&] {
        if (t_.selectedDevice() == 0) return t_.SetError(kErrUnknownDevice);
        if (storageUse_ == 1) {
            if (!WriteReg(kStorageControl, TraceControl())) return t_.SetError(kErrBreakpoint);
            traceReported_ = false;
            sameIndexPolls_ = 0;
        }
        return t_.ClearError();
    });
}

bool CEemJTAG::ReadStorageEntry(int slot, EemTraceEntry* entry, bool withControl) {
    uint32_t control = 0;
    if (!WriteReg(kStorageIndex, static_cast<uint32_t>(slot)) ||
        !ReadReg(kStorageData, &entry->address) || !ReadReg(kStorageData, &entry->data) ||
        (withControl && !ReadReg(kStorageData, &control)))
        return false;
    entry->control = static_cast<uint16_t>(control);
    return true;
}

bool CEemJTAG::ReadTrace() {
    uint32_t index = 0;
    if (!ReadReg(kStorageIndex + 1, &index)) return false;
    // Oldest first: behind the next slot once all eight hold an entry.
    const int first = ((index >> 8) & 0xFF) >= 8 ? static_cast<int>(index & 7) : 0;
    for (int i = 0; i < 8; ++i)
        if (!ReadStorageEntry((first + i) % 8, &traceBuffer_[static_cast<size_t>(i)], true))
            return false;
    return true;
}

void CEemJTAG::HandleTrace(int32_t state, std::vector<EemMessage>* out) {
    uint32_t status = 0;
    // Something to report once a storage trigger fired, or once the storage
    // stopped by itself (eight entries stored with "stop after eight").
    if (!ReadReg(kStorageControl + 1, &status) || !(status & (kStatusTriggered | kStatusStopped)))
        return;
    bool report = false;
    uint32_t index = 0;
    if (trace_.store == 0) {
        if (!ReadReg(kStorageIndex + 1, &index)) return;
        const uint32_t count = (index >> 8) & 0xFF;
        sameIndexPolls_ = count == lastIndex_ ? sameIndexPolls_ + 1 : 0;
        lastIndex_ = count;
        // Settled: three polls without a new entry, or a CPU that stopped.
        const bool settled = sameIndexPolls_ >= 3 || state != kRunning;
        if (settled) sameIndexPolls_ = 0;
        const uint32_t sr = t_.registerCopy(2);
        report = settled && !traceReported_ && !(sr & kCpuOff);
    } else if (trace_.store <= 2) {
        report = !traceReported_;
    } else {
        if (!ReadReg(kStorageIndex + 1, &index)) return;
        report = (index >> 10) != (lastReportedIndex_ >> 10);
        if (report) lastReportedIndex_ = index;
    }
    if (!report) return;
    ReadTrace();
    if (trace_.store <= 2) traceReported_ = true;
    out->push_back({messages_.stateStorage, 0, 0});
}

int32_t CEemJTAG::SetVariableWatch(bool enable) {
    bool warn = false;
    const int32_t result = Operation([&] {
        if (t_.selectedDevice() == 0) return t_.SetError(kErrUnknownDevice);
        if (t_.classValues().emulationLevel < 3) return t_.SetError(kErrNoStateStorage);
        if (storageUse_ == 1) return t_.SetError(kErrResources);
        storageUse_ = enable ? 2 : 0;
        if (!WriteReg(kStorageControl, enable ? kWatchControl | 2u : 0u) || !UpdateReactions())
            return t_.SetError(kErrBreakpoint);
        warn = enable;
        return t_.ClearError();
    });
    if (warn) NotifyWarning(kWarningWatch);
    return result;
}

int32_t CEemJTAG::SetVariable(uint16_t* handle, const EemVariableSettings* settings) {
    return Operation([&] { return SetVariableLocked(handle, settings); });
}

int32_t CEemJTAG::SetVariableLocked(uint16_t* handle, const EemVariableSettings* settings) {
    if (!handle || !settings) return t_.SetError(kErrParameter);
    if (storageUse_ != 2) return t_.SetError(kErrVariableWatchOff);
    if (settings->remove == 1) {
        auto it = variables_.begin();
        while (it != variables_.end() && it->handle != *handle)
            ++it;
        if (it == variables_.end()) return t_.SetError(kErrParameter);
        BreakpointRecord clear{};
        for (uint16_t h : {it->handle, it->upper}) {
            uint16_t hh = h;
            if (h && !SetBreakpoint(&hh, &clear)) return 0;
        }
        variables_.erase(it);
        *handle = 0;
        return t_.ClearError();
    }
    if (variables_.size() >= static_cast<size_t>(BusBlocks()) || settings->size > 2)
        return t_.SetError(settings->size > 2 ? kErrParameter : kErrResources);
    BreakpointRecord r{};
    r.mode = 3;
    r.access = 7;  // write
    r.action = 2;  // state storage
    r.mask = 0xFFFFF;
    r.address = settings->address;
    EemVariable v;
    v.address = settings->address;
    v.size = settings->size;
    if (!SetBreakpoint(&v.handle, &r)) return 0;
    if (settings->size == 2) {
        r.address = settings->address + 2;
        if (!SetBreakpoint(&v.upper, &r)) {
            uint16_t h = v.handle;
            BreakpointRecord clear{};
            SetBreakpoint(&h, &clear);
            return t_.SetError(kErrResources);
        }
    }
    variables_.push_back(v);
    *handle = v.handle;
    return t_.ClearError();
}

int32_t CEemJTAG::GetVariableWatch(uint32_t* state, EemVariableEntry* entries) {
    return Operation([&] { return GetVariableWatchLocked(state, entries); });
}

int32_t CEemJTAG::GetVariableWatchLocked(uint32_t* state, EemVariableEntry* entries) {
    if (!state || !entries) return t_.SetError(kErrParameter);
    *state = storageUse_ == 2 ? 0 : 1;
    for (int i = 0; i < BusBlocks(); ++i) {
        EemVariableEntry e{};
        if (static_cast<size_t>(i) < variables_.size()) {
            const EemVariable& v = variables_[static_cast<size_t>(i)];
            e = {v.handle, static_cast<uint16_t>(v.address), v.reported};
        }
        entries[i] = e;
    }
    return t_.ClearError();
}

void CEemJTAG::HandleWatch(std::vector<EemMessage>* out) {
    uint32_t status = 0, index = 0;
    if (!ReadReg(kStorageControl + 1, &status) || !(status & kStatusData)) return;
    if (!ReadReg(kStorageIndex + 1, &index)) return;
    // The entries stored since the storage was last armed, oldest first.
    const int count = std::min<int>(8, static_cast<int>((index >> 8) & 0xFF));
    const int next = static_cast<int>(index & 7);
    for (int i = 0; i < count; ++i) {
        EemTraceEntry e{};
        if (!ReadStorageEntry((next - count + i + 8) % 8, &e, false)) return;
        for (EemVariable& v : variables_) {
            if (e.address == v.address) {
                v.value = v.size == 0   ? (e.data & 0xFF)
                          : v.size == 1 ? (e.data & 0xFFFF)
                                        : ((v.value & 0xFFFF0000u) | (e.data & 0xFFFF));
                v.halves |= 1;
            } else if (v.size == 2 && e.address == v.address + 2) {
                v.value = (v.value & 0xFFFF) | (e.data & 0xFFFF) << 16;
                v.halves |= 2;
            } else {
                continue;
            }
            if (v.size != 2 || v.halves == 3) {
                v.halves = 0;
                v.reported = 1;
                out->push_back({messages_.stateStorage, v.address, static_cast<intptr_t>(v.value)});
            }
        }
    }
    WriteReg(kStorageControl, kWatchControl);
}

}  // namespace nandrel
