// Simulated time, scheduled events and the run loop of the chip.
#include <algorithm>
#include <cmath>

#include "kelvane/sim/chip.h"

namespace kv::sim {

namespace {
constexpr double kHousekeepingPeriod = 1e-3;  // FLL loop steps are applied this often
constexpr int kFllStepsPerPeriod = 32;
constexpr double kTimeSlack = 1e-9;
}  // namespace

double Chip::seconds() const {
    return syncSeconds_ + static_cast<double>(cycles_ - syncCycles_) / mclk_;
}

void Chip::syncTime() {
    syncSeconds_ = seconds();
    syncCycles_ = cycles_;
}

double Chip::watchdogSourceHz() const {
    return watchdog_.fromAclk() ? clocks_.aclkHz() : clocks_.smclkHz();
}

double Chip::timerSourceHz() const {
    if (!profile_.timerA) return 0;
    switch (timer_.source()) {
        case 1:
            return clocks_.aclkHz();
        case 2:
            return clocks_.smclkHz();
        default:
            return 0;
    }
}

void Chip::syncAll() {
    syncTime();
    watchdog_.sync(syncSeconds_, watchdogSourceHz());
    timer_.sync(syncSeconds_, timerSourceHz());
}

uint64_t Chip::cycleAt(double time) const {
    if (time >= 1e299) return kNoEvent;
    double delta = (time - syncSeconds_) * mclk_;
    if (delta <= 0) return syncCycles_;
    if (delta > 1e18) return kNoEvent;
    return syncCycles_ + static_cast<uint64_t>(std::ceil(delta));
}

void Chip::scheduleEvents() {
    if (pucPending_) {
        nextEvent_ = 0;
        return;
    }
    uint64_t next = budgetEnd_;
    if (powered_) {
        next = std::min(next, cycleAt(flash_.nextEventTime()));
        next = std::min(next, cycleAt(watchdog_.expiryTime(watchdogSourceHz())));
        next = std::min(next, cycleAt(timer_.nextInterruptTime(timerSourceHz())));
        if (clocks_.hasFll()) next = std::min(next, cycleAt(nextHousekeeping_));
        next = std::min(next, watchdogFaultAt_);
    }
    // Something due now was handled already; never schedule into the past.
    if (next <= cycles_ && next != budgetEnd_) next = cycles_ + 1;
    nextEvent_ = next;
}

void Chip::handleEvents() {
    if (pucPending_) applyPuc(pucCause_);
    if (!powered_) {
        scheduleEvents();
        return;
    }
    syncAll();
    double now = syncSeconds_ + kTimeSlack;

    while (flash_.nextEventTime() <= now)
        flash_.complete(now);

    if (watchdog_.takeExpiry()) {
        ifg1_ |= kWdtIfg;
        if (!watchdog_.intervalMode()) {
            applyPuc(ResetCause::WatchdogTimeout);
            return;
        }
    }
    if (cycles_ >= watchdogFaultAt_) {
        watchdogFaultAt_ = kNoEvent;
        ifg1_ |= kWdtIfg;
        applyPuc(ResetCause::WatchdogTimeout);
        return;
    }
    if (clocks_.hasFll() && now >= nextHousekeeping_) {
        nextHousekeeping_ = syncSeconds_ + kHousekeepingPeriod;
        bool loopOn = (cpu_->sr() & kSrScg0) == 0;
        if (loopOn && syncSeconds_ - lastFllWrite_ >= kHousekeepingPeriod &&
            clocks_.fllAdjust(kFllStepsPerPeriod)) {
            mclk_ = clocks_.mclkHz() > 0 ? clocks_.mclkHz() : 1.0;
        }
    }
    updateInterrupts();
    scheduleEvents();
}

void Chip::idle(uint64_t count) {
    if (!powered_) {
        cycles_ += count;
        return;
    }
    uint64_t end = cycles_ + count;
    while (nextEvent_ <= end) {
        cycles_ = std::max(cycles_, nextEvent_);
        handleEvents();
    }
    cycles_ = end;
}

void Chip::idleUntilFlashReady() {
    for (int guard = 0; guard < 1000 && powered_ && flash_.busy(); ++guard) {
        double end = flash_.nextEventTime();
        if (end >= FlashController::kNever) break;  // a block write waits for software
        uint64_t target = cycleAt(end);
        idle(target > cycles_ ? target - cycles_ : 1);
    }
}

void Chip::addBreakpoint(uint32_t address) {
    address &= kAddressMask;
    uint8_t bit = static_cast<uint8_t>(1u << (address & 7));
    if (!(breakpointBits_[address >> 3] & bit)) {
        breakpointBits_[address >> 3] |= bit;
        ++breakpointCount_;
    }
}

void Chip::removeBreakpoint(uint32_t address) {
    address &= kAddressMask;
    uint8_t bit = static_cast<uint8_t>(1u << (address & 7));
    if (breakpointBits_[address >> 3] & bit) {
        breakpointBits_[address >> 3] &= static_cast<uint8_t>(~bit);
        --breakpointCount_;
    }
}

void Chip::clearBreakpoints() {
    std::fill(breakpointBits_.begin(), breakpointBits_.end(), 0);
    breakpointCount_ = 0;
}

void Chip::fireWatchdog() {
    if (!powered_) return;
    ifg1_ |= kWdtIfg;
    requestPuc(ResetCause::WatchdogTimeout);
}

void Chip::fireWatchdogAfter(uint64_t count) {
    watchdogFaultAt_ = cycles_ + count;
    scheduleEvents();
}

RunResult Chip::step() {
    RunLimits limits;
    limits.maxInstructions = 1;
    return run(limits);
}

int Chip::executeFed(const uint16_t* words, size_t count, size_t* used) {
    if (used) *used = 0;
    if (!powered_) return 0;
    running_ = true;
    feeding_ = true;
    int spent = cpu_->execute(words, count, used);
    running_ = false;
    feeding_ = false;
    cycles_ += static_cast<uint64_t>(spent);
    ++instructions_;
    if (pucPending_ || cycles_ >= nextEvent_) handleEvents();
    return spent;
}

RunResult Chip::run(const RunLimits& limits) {
    RunResult result;
    eem_.cpuRunning();
    if (!powered_) {
        result.reason = StopReason::NoPower;
        return result;
    }
    const uint64_t startCycles = cycles_;
    const uint64_t startInstructions = instructions_;
    const uint64_t instructionEnd = limits.maxInstructions == UINT64_MAX
                                        ? UINT64_MAX
                                        : startInstructions + limits.maxInstructions;
    budgetEnd_ = limits.maxCycles == UINT64_MAX ? kNoEvent : cycles_ + limits.maxCycles;
    running_ = true;
    scheduleEvents();

    StopReason reason;
    if (eem_.armed()) {
        // The EEM watches every bus cycle: no direct pages while it does.
        eemActive_ = true;
        cpu_->invalidateDirectPages();
        eem_.beginRun(*cpu_);
        reason = runLoop<true>(limits, instructionEnd);
        eemActive_ = false;
        eemSkipFetch_ = false;
        cpu_->invalidateDirectPages();
        if (reason == StopReason::EemBreak) eem_.noteBreakStop();
    } else {
        reason = runLoop<false>(limits, instructionEnd);
    }

    running_ = false;
    if (pucPending_) applyPuc(pucCause_);
    budgetEnd_ = kNoEvent;
    scheduleEvents();
    result.reason = reason;
    result.cycles = cycles_ - startCycles;
    result.instructions = instructions_ - startInstructions;
    return result;
}

template <bool kEem>
StopReason Chip::runLoop(const RunLimits& limits, uint64_t instructionEnd) {
    const bool haveStop = limits.stopAddress.has_value();
    const uint32_t stopAddress = haveStop ? (*limits.stopAddress & kAddressMask) : 0;
    Cpu& cpu = *cpu_;
    bool first = true;
    for (;;) {
        if (nmiPending_ || maskablePending_) serviceInterrupt();
        {
            uint32_t pc = cpu.pc() & kAddressMask;
            // A run to an address leaves its start; a breakpoint fires on every
            // fetch of its address, the first of a run included.
            if (!first && haveStop && pc == stopAddress) return StopReason::Address;
            if (breakpointCount_ && (breakpointBits_[pc >> 3] & (1u << (pc & 7))) &&
                !(cpu.sr() & kSrCpuOff))
                return StopReason::Breakpoint;
        }
        if constexpr (kEem) {
            // A break fired by the interrupt entry's stack writes.
            if (eem_.breakPending()) return StopReason::EemBreak;
            if (!(cpu.sr() & kSrCpuOff)) {
                // The opcode fetch: a break here stops before the instruction runs.
                uint32_t pc = cpu.pc() & kAddressMask;
                if (eem_.fetchCycle(pc, peek16(pc))) return StopReason::EemBreak;
                eemSkipFetch_ = true;
            }
        }
        first = false;
        int used = cpu.step();
        if (used > 0) {
            cycles_ += static_cast<uint64_t>(used);
            ++instructions_;
            if constexpr (kEem) eem_.instructionDone(cpu);
        } else {
            // CPU off: time runs on to whatever can wake it.
            if (nextEvent_ == kNoEvent) return StopReason::Sleeping;
            cycles_ = std::max(cycles_, nextEvent_);
        }
        if (cycles_ >= nextEvent_) {
            handleEvents();
            if (!powered_) return StopReason::NoPower;
            if constexpr (kEem) {
                if (eem_.breakPending()) return StopReason::EemBreak;
            }
            if (cycles_ >= budgetEnd_) return StopReason::CycleBudget;
        }
        if constexpr (kEem) {
            // Read, write and register breaks stop after the instruction.
            if (eem_.breakPending()) return StopReason::EemBreak;
        }
        if (instructions_ >= instructionEnd) return StopReason::Instructions;
        if (limits.stopWhen && limits.stopWhen()) return StopReason::Condition;
    }
}

}  // namespace kv::sim

namespace kv::sim {

void Chip::setDcoScale(double scale) {
    syncAll();
    clocks_.setScale(scale > 0 ? scale : 1e-6);
    mclk_ = clocks_.mclkHz() > 0 ? clocks_.mclkHz() : 1.0;
    scheduleEvents();
}

void Chip::setDcoLimits(double minHz, double maxHz) {
    syncAll();
    clocks_.setDcoLimits(minHz, maxHz);
    mclk_ = clocks_.mclkHz() > 0 ? clocks_.mclkHz() : 1.0;
    scheduleEvents();
}

void Chip::setCrystals(double lfxt1Hz, double xt2Hz) {
    syncAll();
    clocks_.setCrystals(lfxt1Hz, xt2Hz);
    mclk_ = clocks_.mclkHz() > 0 ? clocks_.mclkHz() : 1.0;
    if (clocks_.oscillatorFault()) ifg1_ |= kOfIfg;
    updateInterrupts();
    scheduleEvents();
}

}  // namespace kv::sim
