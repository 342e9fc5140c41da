// Command dispatch through the command table, supply, lines, CPU control and
// code execution of the pod's target side. The handlers of the commands are in
// pod_target_commands.cpp, the TAP, memory and EEM parts in pod_target_jtag.cpp.
#include "kelvane/sim/pod_target.h"

#include <algorithm>

#include "kelvane/sim/pod_commands.h"

namespace kv::sim {

PodTarget::PodTarget(std::shared_ptr<Chip> chip) : chip_(std::move(chip)) {
    // The pod starts with its supply off, so the chip starts unpowered.
    if (chip_ && chip_->powered()) chip_->powerOff();
}

bool PodTarget::fused() const {
    return faults_.fused || (chip_ && chip_->fuseBlown());
}

bool PodTarget::hasEem() const {
    return chip_ && chip_->profile().eemLevel > 0;
}

bool PodTarget::present() const {
    return chip_ && chip_->powered() && link_ && !faults_.mute && enables_ >= faults_.jtagAfter &&
           (!faults_.needsEntry || entrySeen_);
}

bool PodTarget::answers() const {
    return present() && !fused();
}

uint8_t PodTarget::line(int n) const {
    switch (n) {
        case 36:
            return line36_;
        case 38:
            return line38_;
        case 40:
            return line40_;
        default:
            return 0;
    }
}

bool PodTarget::takeChanged() {
    const bool changed = changed_;
    changed_ = false;
    return changed;
}

// --- Supply and lines --------------------------------------------------------

void PodTarget::setVcc(uint16_t millivolts) {
    const bool was = vcc_ >= kPowerOnMillivolts;
    const bool now = millivolts >= kPowerOnMillivolts;
    vcc_ = millivolts;
    // The chip sees the supply the pod sets, its flash minimum checked against
    // it; a supply below the part's run minimum still powers it, at that minimum.
    if (chip_ && now)
        chip_->setSupply(std::max<uint32_t>(millivolts, chip_->profile().vccMinMillivolts));
    if (!chip_ || was == now) return;
    if (!now) chip_->powerOff();
    held_ = false;
    frame_ = false;
    transferOpen_ = false;
    entryArmed_ = false;
    entrySeen_ = false;
    bpHits_ = 0;
}

void PodTarget::setLine40(uint8_t state) {
    const uint8_t previous = line40_;
    line40_ = state;
    if (state > 2) return;
    // Letting the reset line go high again resets the chip.
    if (previous == 0 && state != 0 && chip_ && chip_->powered()) chip_->por(ResetCause::ResetPin);
    if (previous == 2 && state == 1 && entryArmed_) entrySeen_ = true;
    entryArmed_ = previous == 0 && state == 2;
}

void PodTarget::setTclk(uint8_t state) {
    const uint8_t previous = tclk_;
    tclk_ = state;
    const bool edge = (state == 1 && previous == 0) || state == 2;
    if (edge && held_ && !frame_ && answers()) stepOne();
}

// --- CPU -------------------------------------------------------------------------

void PodTarget::hold() {
    if (chip_ && chip_->powered()) held_ = true;
}

void PodTarget::release() {
    held_ = false;
    frame_ = false;
    if (hasEem()) chip_->eem().release();
}

uint8_t PodTarget::needHeld() const {
    if (!answers()) return kPodNoLink;
    return held_ ? kPodOk : kPodCpuRunning;
}

void PodTarget::stepOne() {
    chip_->step();
}

void PodTarget::settle(int cycles) {
    chip_->idle(static_cast<uint64_t>(cycles > 0 ? cycles : 1));
    if (chip_->flash().busy()) chip_->idleUntilFlashReady();
}

int PodTarget::feed(const uint16_t* words, size_t count) {
    Cpu& cpu = chip_->cpu();
    const uint32_t pc = cpu.pc();
    const uint64_t pucs = chip_->pucCount();
    const int cycles = cpu.execute(words, count);
    // A fed instruction does not move the program's PC, unless it reset the chip.
    if (chip_->pucCount() == pucs) cpu.setPc(pc);
    settle(cycles);
    return cycles;
}

uint16_t PodTarget::firmwareInstruction(const uint16_t words[3]) {
    Cpu& cpu = chip_->cpu();
    uint32_t saved[16];
    for (int n = 0; n < 16; ++n)
        saved[n] = cpu.reg(n);
    const int cycles = cpu.execute(words, 3);
    uint32_t result = 0;
    const uint16_t w = words[0];
    if (w >= 0x4000) {
        const bool byte = (w & 0x0040) != 0;
        const int dst = w & 15;
        if ((w & 0x0080) == 0) {
            result = cpu.reg(dst);
        } else {
            const int src = (w >> 8) & 15;
            const int as = (w >> 4) & 3;
            const bool sourceWord = (as == 1 && src != 3) || (as == 3 && src == 0);
            const uint16_t index = words[sourceWord ? 2 : 1];
            uint32_t address = 0;
            if (dst == 2)
                address = index;
            else if (dst == 0)
                address = saved[0] + (sourceWord ? 4u : 2u) + index;
            else
                address = saved[dst] + index;
            result = byte ? chip_->read8(address) : chip_->read16(address);
        }
        if (byte) result &= 0xFF;
    }
    for (int n = 0; n < 16; ++n)
        cpu.setReg(n, saved[n]);
    settle(cycles);
    return static_cast<uint16_t>(result);
}

uint8_t PodTarget::puc(uint16_t words[3]) {
    if (!answers()) return kPodNoLink;
    chip_->puc(ResetCause::Debugger);
    held_ = true;
    frame_ = false;
    transferOpen_ = false;
    if (hasEem()) {
        Eem& eem = chip_->eem();
        eem.writeRegister(kEemGeneralControl, words[0]);
        eem.writeRegister(kEemClockControl, words[1]);
        eem.writeRegister(kEemModuleClock0, words[2]);
    }
    return kPodOk;
}

void PodTarget::runSlice(uint64_t cycles) {
    RunLimits limits;
    limits.maxCycles = cycles;
    // The chip's emulation module stops the run itself. A simple breakpoint
    // fires on every fetch of its address: at the first instruction of a slice
    // (the CPU released at it, or armed while the CPU ran) and after each one.
    const bool simple = bpEnabled_ && bpArmed_ != 0;
    uint8_t simpleHits = 0;
    auto atSimpleBreakpoint = [&] {
        if (chip_->reg(2) & kSrCpuOff) return false;  // no fetch while the CPU is off
        const uint32_t pc = chip_->reg(0);
        for (int n = 0; n < 2; ++n)
            if ((bpArmed_ & (1u << n)) && pc == bpAddress_[n])
                simpleHits = static_cast<uint8_t>(simpleHits | (1u << n));
        return simpleHits != 0;
    };
    if (simple) {
        if (atSimpleBreakpoint()) {
            bpHits_ = static_cast<uint8_t>(bpHits_ | simpleHits);
            held_ = true;
            return;
        }
        limits.stopWhen = atSimpleBreakpoint;
    }
    const RunResult result = chip_->run(limits);
    if (result.reason == StopReason::Condition) {
        bpHits_ = static_cast<uint8_t>(bpHits_ | simpleHits);
        held_ = true;
    } else if (result.reason == StopReason::EemBreak) {
        held_ = true;
    }
}

void PodTarget::afterCommand() {
    if (chip_ && chip_->powered() && !held_ && budget_ > 0) {
        runSlice(budget_);
        changed_ = true;
    }
}

uint8_t PodTarget::routine(uint32_t entry, uint32_t exit, uint16_t time) {
    if (const uint8_t status = needHeld()) return status;
    chip_->setReg(0, entry);
    release();
    // Breakpoints do not stop a routine: the emulation module's break
    // reaction is off while it runs.
    uint32_t reaction = 0;
    if (hasEem()) {
        chip_->eem().readRegister(kEemBreakReaction + 1, &reaction);
        chip_->eem().writeRegister(kEemBreakReaction, 0);
    }
    RunLimits limits;
    uint8_t status = kPodOk;
    // What the routine does to the flash is the programmer's doing.
    chip_->setProgrammerRun(true);
    if (exit != 0) {
        limits.stopAddress = exit;
        limits.maxCycles = routineLimit_;
        if (chip_->run(limits).reason != StopReason::Address) status = kPodNotReached;
    } else {
        // `time` milliseconds of chip time, whatever the routine does to the
        // clock meanwhile.
        if (time != 0) {
            const double end = chip_->seconds() + time / 1000.0;
            limits.stopWhen = [this, end] { return chip_->seconds() >= end; };
        } else {
            limits.maxCycles = budget_;
        }
        chip_->run(limits);
    }
    chip_->setProgrammerRun(false);
    if (hasEem()) chip_->eem().writeRegister(kEemBreakReaction, reaction);
    hold();
    return status;
}

uint16_t PodTarget::psa(uint32_t start, uint16_t words) {
    uint16_t value = static_cast<uint16_t>(start - 2);
    for (uint32_t i = 0; i < words; ++i) {
        if (value & 0x8000)
            value = static_cast<uint16_t>(((value ^ 0x0805) << 1) | 1);
        else
            value = static_cast<uint16_t>(value << 1);
        value ^= chip_->read16(start + 2 * i);
    }
    return value;
}

uint8_t PodTarget::fuseCommand(uint8_t value, uint8_t* bits) {
    *bits = 0xFF;
    if (!answers()) return 1;
    const uint8_t fuses = chip_->configFuses();
    *bits = fuses;
    if (!held_) return 2;
    if (fuses & 0x80) return 3;
    if (supply2_ < 4100) return 4;
    chip_->setConfigFuses(static_cast<uint8_t>(value | 0x80));
    *bits = chip_->configFuses();
    return 0;
}

// --- Dispatch ----------------------------------------------------------------

std::vector<uint8_t> PodTarget::execute(const uint8_t* rq, size_t length) {
    (void)length;
    std::vector<uint8_t> out(podReplyLength(rq), 0);
    if (!out.empty()) out[0] = static_cast<uint8_t>(rq[0] + 1);
    changed_ = true;
    const PodCommandInfo* info = findPodCommand(rq[0]);
    if (info && info->handler) (this->*info->handler)(rq, out);
    return out;
}

}  // namespace kv::sim
