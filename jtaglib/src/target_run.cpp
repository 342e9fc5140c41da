// Run control: free runs, single steps and runs to a breakpoint, and the
// state query that sees the CPU stop and takes its context.
#include "eem_jtag.h"
#include "error_table.h"
#include "instruction_cycles.h"
#include "kelvane/platform/clock.h"
#include "target_jtag.h"

namespace nandrel {

namespace {

constexpr uint16_t kStatusCpuOff = 0x0010;
constexpr uint16_t kStatusInterruptsEnabled = 0x0008;
constexpr uint16_t kEemStopped = 0x0080;
constexpr int kInstructionLoadPolls = 10;
constexpr uint32_t kRetakeWaitMs = 20;

}  // namespace

void CTargetJTAG::CountCycles(uint32_t cycles) {
    // The first counted step, and a count that would reach the not-counted
    // mark, start afresh with the stepped instruction's own cycles.
    if (cycleCounter_ == kCyclesNotCounted || cycleCounter_ > kCyclesNotCounted - 1 - cycles)
        cycleCounter_ = cycles;
    else
        cycleCounter_ += cycles;
}

bool CTargetJTAG::ProgramBreakpoints() {
    // EEM triggers are in the EEM already and their break reaction comes
    // back into force; simple breakpoints are armed with their addresses and
    // need stopping at them enabled.
    if (HasEem()) {
        if (!RearmBreakpoints()) return false;
    } else {
        if (!protocol_->Exchange74(1, nullptr)) return Fail(protocol_->errorText());
        simpleStopsEnabled_ = true;
    }
    breakpointProgrammed_ = true;
    return true;
}

bool CTargetJTAG::DisarmBreakpoints() {
    // A free run runs past every breakpoint: the EEM's break reaction is off,
    // stopping at simple breakpoints disabled, until a run to them.
    if (HasEem()) return !eem_ || eem_->SetFreeRun(true);
    if (!simpleStopsEnabled_) return true;
    if (!protocol_->Exchange74(0, nullptr)) return Fail(protocol_->errorText());
    simpleStopsEnabled_ = false;
    return true;
}

bool CTargetJTAG::RearmBreakpoints() {
    return !HasEem() || !eem_ || eem_->SetFreeRun(false);
}

bool CTargetJTAG::StepByClock() {
    // A rising TCLK edge runs the held CPU through one instruction.
    if (!protocol_->SetTCLK(0) || !protocol_->SetTCLK(1)) return Fail(protocol_->errorText());
    for (int i = 0; i < kInstructionLoadPolls; ++i)
        if (protocol_->IsAtInstructionLoad(nullptr)) return true;
    return Fail(protocol_->errorText());
}

int32_t CTargetJTAG::Step() {
    const uint32_t sr = registers_[2];
    // A CPU that is off with interrupts disabled never takes another instruction.
    if ((sr & kStatusCpuOff) && !(sr & kStatusInterruptsEnabled)) return kErrSingleStep;
    const uint32_t pc = registers_[0];
    uint16_t words[2] = {};
    if (!protocol_->ReadWords(pc, 1, words)) return PodDetail(kErrSingleStep);
    if (class_.msp430x && IsExtensionWord(words[0]) && !protocol_->ReadWords(pc + 2, 1, words + 1))
        return PodDetail(kErrSingleStep);
    lastInstruction_ = words[0];
    if (HasEem()) {
        if (const int32_t e = StartEemStep(words[0])) return e;
    } else {
        if (!RestoreContext() || !StepByClock()) return kErrSingleStep;
    }
    CountCycles(InstructionCycles(words[0], words[1], class_.msp430x));
    return 0;
}

int32_t CTargetJTAG::StartEemStep(uint16_t firstWord) {
    // Trigger block 0 matches any fetch address and is the only one that
    // breaks. The CPU gets the instruction at the PC over the data bus, which
    // is no fetch: the trigger stops it at the fetch of the next instruction.
    if (!SaveEemRegisters() || !WriteEemRegister(0, 0) || !WriteEemRegister(2, 0) ||
        !WriteEemRegister(4, 0xFFFF) || !WriteEemRegister(6, 1) || !WriteEemRegister(128, 1))
        return kErrBreakpoint;
    if (!RestoreContext()) return kErrSingleStep;
    // A CPU that is off fetches nothing until an interrupt wakes it: released
    // as it is, it stops at the first fetch of the interrupt's handler.
    const bool cpuOff = (registers_[2] & kStatusCpuOff) != 0;
    if (cpuOff ? !protocol_->ReleaseCPU() : !protocol_->SetMDB(firstWord))
        return PodDetail(kErrSingleStep);
    return 0;
}

int32_t CTargetJTAG::StartRunOffBreakpoint() {
    // A fetch breakpoint fires whenever its address is fetched, so a run that
    // starts at one would stop there at once: the CPU steps off it first.
    uint16_t word = 0;
    if (!protocol_->ReadWords(registers_[0], 1, &word)) return PodDetail(kErrRun);
    if (HasEem()) {
        // The stop of the step releases the CPU again with the breakpoints
        // back (State): they are in force before the step borrows the EEM.
        if (!RearmBreakpoints()) return kErrBreakpoint;
        if (const int32_t e = StartEemStep(word)) return e == kErrSingleStep ? kErrRun : e;
        stepOver_ = true;
        breakpointProgrammed_ = true;
        return 0;
    }
    if (!RestoreContext() || !StepByClock()) return kErrSingleStep;
    if (!ProgramBreakpoints()) return kErrBreakpoint;
    if (!protocol_->ReleaseCPU()) return PodDetail(kErrRun);
    return 0;
}

int32_t CTargetJTAG::CompleteStepOver() {
    // Off the breakpoint: the breakpoints go back and the CPU runs on.
    if (!RestoreEemRegisters()) return kErrSingleStep;
    if (!protocol_->ReleaseCPU()) return PodDetail(kErrSingleStep);
    stepOver_ = false;
    return 0;
}

int32_t CTargetJTAG::FinishStepOverNow() {
    for (int i = 0; i < kInstructionLoadPolls; ++i) {
        uint16_t status = 0;
        if (!protocol_->EEM_ReadControl(&status)) return PodDetail(kErrSingleStep);
        if (status & kEemStopped) return CompleteStepOver();
    }
    Fail("The step off the breakpoint did not end");
    return kErrSingleStep;
}

bool CTargetJTAG::StartsAtBreakpoint() {
    // A value pending for the data bus, or a CPU that is off, fetches nothing at the PC.
    if (class_.breakpoints == 0 || mdbPending_ || !eem_ || (registers_[2] & kStatusCpuOff))
        return false;
    uint16_t word = 0;
    if (!protocol_->ReadWords(registers_[0], 1, &word)) return false;
    return eem_->BreaksAtFetch(registers_[0], word);
}

int32_t CTargetJTAG::Run(int32_t mode, bool releaseJtag) {
    if (!PausePolling(kPollingPauseMs)) return SetError(kErrThreadPause);
    if (const int32_t e = PrepareEemForRun()) return SetError(e);
    unreportedStop_ = kStopped;
    {
        auto lock = LockPort();
        if (!protocol_) {
            Fail("NULL interface");
            return SetError(kErrInitialize);
        }
        if (selectedDevice_ == 0) return SetError(kErrUnknownDevice);
        if (mode < kFreeRun || mode > kRunToBreakpoint) return SetError(kErrParameter);
        if (mode == kSingleStep) {
            if (runMode_ != kNotRunning) return RefuseWhileRunning(kErrSingleStep);
            if (const int32_t e = Step()) return SetError(e);
        } else if (runMode_ == kFreeRun || runMode_ == kRunToBreakpoint) {
            // A CPU that runs already (a reset that let it execute, an earlier run) runs on.
            if (const int32_t e = RunOn(mode, releaseJtag)) return SetError(e);
        } else if (mode == kRunToBreakpoint && StartsAtBreakpoint()) {
            cycleCounter_ = kCyclesNotCounted;
            if (const int32_t e = StartRunOffBreakpoint()) return SetError(e);
            // A link handed to the chip leaves nobody to see the step end: wait for it here.
            if (releaseJtag && stepOver_) {
                if (const int32_t e = FinishStepOverNow()) return SetError(e);
            }
            if (releaseJtag) {
                if (!protocol_->ReleaseJTAG()) return PodError(kErrRun);
                jtagReleased_ = true;
            }
        } else {
            cycleCounter_ = kCyclesNotCounted;
            if (!RestoreContext()) return SetError(kErrRun);
            if (mode == kRunToBreakpoint && class_.breakpoints > 0 && !ProgramBreakpoints())
                return SetError(kErrBreakpoint);
            if (mode == kFreeRun && !DisarmBreakpoints()) return SetError(kErrRun);
            const bool fromBus = mdbPending_;
            mdbPending_ = false;
            if (fromBus ? !protocol_->SetMDB(mdbValue_) : !protocol_->ReleaseCPU())
                return PodError(kErrRun);
            if (releaseJtag) {
                if (!protocol_->ReleaseJTAG()) return PodError(kErrRun);
                jtagReleased_ = true;
            }
        }
        runMode_ = mode;
        ClearError();
    }
    if (mode != kFreeRun && !jtagReleased_ && !WakePolling(runMode_, jtagReleased_))
        return SetError(kErrThreadWake);
    return 1;
}

bool CTargetJTAG::RetakeJtag() {
    CTargetProtocolJTAG& p = *protocol_;
    if (!p.RestartJTAG()) return false;
    kv::clock().sleep(kRetakeWaitMs);
    return p.ResetTap() && p.CheckFuse() && p.ResetTap() && p.IrShift(0xFF, nullptr) && p.SyncCPU();
}

bool CTargetJTAG::TakeBackJtag() {
    if (!jtagReleased_) return true;
    if (!RetakeJtag()) return Fail(protocol_->errorText());
    jtagReleased_ = false;
    // The sync held the CPU: its run goes on, now under the link.
    if (runMode_ != kNotRunning && !protocol_->ReleaseCPU()) return Fail(protocol_->errorText());
    return true;
}

int32_t CTargetJTAG::RunOn(int32_t mode, bool releaseJtag) {
    // The registers are the running program's, not the copy's: nothing is
    // written, only the link and what ends the run change.
    if (!TakeBackJtag()) return kErrRun;
    if (mode == kRunToBreakpoint && class_.breakpoints > 0 && !ProgramBreakpoints())
        return kErrBreakpoint;
    if (mode == kFreeRun && !DisarmBreakpoints()) return kErrRun;
    if (releaseJtag) {
        if (!protocol_->ReleaseJTAG()) return PodDetail(kErrRun);
        jtagReleased_ = true;
    }
    return 0;
}

bool CTargetJTAG::PollStopped(bool stop, int32_t* state, bool* stopped) {
    *stopped = false;
    if (runMode_ == kSingleStep || (runMode_ == kRunToBreakpoint && breakpointProgrammed_)) {
        const int32_t reached = runMode_ == kSingleStep ? kStepDone : kBreakpointHit;
        if (HasEem()) {
            uint16_t status = 0;
            if (!protocol_->EEM_ReadControl(&status)) return Fail(protocol_->errorText());
            *stopped = (status & kEemStopped) != 0;
        } else if (runMode_ == kSingleStep) {
            // Without an EEM the pod clocks the step through before Run returns.
            *stopped = true;
        } else {
            uint8_t hits = 0;
            if (!protocol_->Exchange72(0x0003, &hits)) return Fail(protocol_->errorText());
            *stopped = (hits & 0x03) != 0;
        }
        if (*stopped) *state = reached;
    }
    // A stop request stops the CPU whatever it was asked to run to.
    if (!*stopped && stop) *stopped = true;
    return true;
}

int32_t CTargetJTAG::StateWorker(int32_t* state, bool stop, uint32_t* cycles, bool polling) {
    auto lock = LockPort();
    if (!protocol_) {
        Fail("NULL interface");
        return SetError(kErrInitialize);
    }
    if (selectedDevice_ == 0) return SetError(kErrUnknownDevice);
    if (!state) return SetError(kErrParameter);
    if (cycles) *cycles = cycleCounter_;
    if (runMode_ == kNotRunning) {
        // A stop the polling thread saw is the answer of the next call.
        *state = polling || unreportedStop_ == 0 ? kStopped : unreportedStop_;
        if (!polling) unreportedStop_ = 0;
        return ClearError();
    }
    *state = kRunning;
    if (jtagReleased_ && !RetakeJtag()) return PodError(kErrState);
    bool stopped = false;
    if (!PollStopped(stop, state, &stopped)) return SetError(kErrState);
    if (stopped && stepOver_ && !stop) {
        // The step off a breakpoint is done: the run to the next one goes on.
        if (const int32_t e = CompleteStepOver()) return SetError(e);
        stopped = false;
        *state = kRunning;
    }
    if (stopped) {
        if ((runMode_ == kSingleStep || stepOver_) && HasEem() && !RestoreEemRegisters())
            return SetError(kErrSingleStep);
        if (!protocol_->SyncCPU()) return PodError(kErrState);
        if (!RearmBreakpoints() || !SaveContext()) return SetError(kErrState);
        if (cycles) *cycles = cycleCounter_;
        if (*state == kRunning) *state = kStopped;
        unreportedStop_ = polling ? *state : kStopped;
        runMode_ = kNotRunning;
        stepOver_ = false;
        jtagReleased_ = false;
        breakpointProgrammed_ = false;
    } else if (jtagReleased_ && !protocol_->ReleaseJTAG()) {
        return PodError(kErrState);
    }
    return ClearError();
}

int32_t CTargetJTAG::State(int32_t* state, bool stop, uint32_t* cycles) {
    const bool wasPolling = pollingActive();
    if (!PausePolling(kPollingPauseMs)) return SetError(kErrThreadPause);
    if (!StateWorker(state, stop, cycles, false)) return 0;
    if (wasPolling && !stop && !WakePolling(runMode_, jtagReleased_))
        return SetError(kErrThreadWake);
    if (stop) NotifyCpuStopped(cycleCounter_);
    return 1;
}

}  // namespace nandrel
