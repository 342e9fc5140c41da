// Command dispatch, supply, lines, CPU control and code execution of the pod's
// target side. The TAP, memory and EEM parts are in pod_target_jtag.cpp.
#include "kelvane/sim/pod_target.h"

#include "kelvane/sim/pod_commands.h"

namespace kv::sim {

namespace {

void putWord(std::vector<uint8_t>& out, size_t at, uint32_t value) {
    out[at] = static_cast<uint8_t>(value >> 8);
    out[at + 1] = static_cast<uint8_t>(value);
}

void putLong(std::vector<uint8_t>& out, size_t at, uint32_t value) {
    putWord(out, at, value >> 16);
    putWord(out, at + 2, value);
}

}  // namespace

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
    if (!chip_ || was == now) return;
    if (now)
        chip_->powerOn();
    else
        chip_->powerOff();
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
    const uint8_t cmd = rq[0];
    std::vector<uint8_t> out(podReplyLength(rq), 0);
    if (!out.empty()) out[0] = static_cast<uint8_t>(cmd + 1);
    changed_ = true;
    auto words3 = [&](uint16_t w[3]) {
        for (int i = 0; i < 3; ++i)
            w[i] = wireWord(rq + 1 + 2 * i);
    };
    switch (cmd) {
        case 26: {
            uint8_t bits = 0;
            out[1] = fuseCommand(rq[1], &bits);
            out[2] = bits;
            break;
        }
        case 28: {
            uint16_t w[3];
            words3(w);
            out[1] = needHeld();
            if (out[1] == kPodOk) putWord(out, 2, firmwareInstruction(w));
            break;
        }
        case 32:
            link_ = true;
            ++enables_;
            ir_ = 0xFF;
            break;
        case 33:
            link_ = false;
            if (held_) release();
            break;
        case 34:
        case 35:
            lineMode_ = cmd == 34 ? 1 : 0;
            break;
        case 36:
        case 37:
            line36_ = cmd == 36;
            break;
        case 38:
        case 39:
            line38_ = cmd == 38;
            break;
        case 40:
            setLine40(rq[1]);
            break;
        case 44:
        case 45:
        case 46:
        case 47:
            tck_ = cmd == 44 ? 1 : cmd == 45 ? 0 : static_cast<uint8_t>(cmd - 44);
            break;
        case 48:
        case 49:
        case 50:
        case 51:
            setTclk(cmd == 48 ? 1 : cmd == 49 ? 0 : static_cast<uint8_t>(cmd - 48));
            break;
        case 52:
            setVcc(wireWord(rq + 1));
            break;
        case 53:
            setVcc(0);
            break;
        case 54:
            supply2_ = wireWord(rq + 1);
            break;
        case 55:
            supply2_ = 0;
            break;
        case 56:
            out[1] = irShift(reverseBits(rq[1]));
            break;
        case 58:
            out[1] = static_cast<uint8_t>(drShift(rq[1], 8));
            break;
        case 60:
            putWord(out, 1, drShift(wireWord(rq + 1), 16));
            break;
        case 64:
        case 86:
            irShift(reverseBits(rq[1]));
            putWord(out, 1, drShift(wireWord(rq + 2), 16));
            break;
        case 66:
        case 78:
            out[1] = needHeld();
            break;
        case 68:
            putLong(out, 1, answers() ? chip_->reg(0) : 0);
            break;
        case 70:
            putWord(out, 1,
                    answers()   ? writeControl(wireWord(rq + 1))
                    : present() ? wireWord(rq + 1) >> 1
                                : 0xFFFF);
            break;
        case 72:
            out[1] = answers() ? bpHits_ : 0;
            bpHits_ = static_cast<uint8_t>(bpHits_ & ~wireWord(rq + 1));
            break;
        case 74:
            out[1] = bpEnabled_ ? 1 : 0;
            bpEnabled_ = (wireWord(rq + 1) & 1) != 0;
            break;
        case 76: {
            const uint32_t pc = wireLong(rq + 1);
            out[1] = needHeld();
            if (out[1] == kPodOk && pc > 0xFFFFF) out[1] = kPodBadArgument;
            if (out[1] == kPodOk) chip_->setReg(0, pc);
            break;
        }
        case 80:
            out[1] = needHeld();
            if (out[1] == kPodOk) {
                frame_ = true;
                framePc_ = chip_->reg(0);
            }
            break;
        case 82:
            if (needHeld() == kPodOk) {
                const uint16_t w = wireWord(rq + 1);
                feed(&w, 1);
            }
            break;
        case 84:
            if (frame_ && answers()) chip_->setReg(0, framePc_);
            frame_ = false;
            break;
        case 92: {
            const uint32_t start = static_cast<uint32_t>(wireWord(rq + 1)) << 16 | wireWord(rq + 3);
            out[1] = needHeld();
            if (out[1] == kPodOk && ((start & 1) || start > 0xFFFFF)) out[1] = kPodBadArgument;
            if (out[1] == kPodOk) putWord(out, 2, psa(start, wireWord(rq + 5)));
            break;
        }
        case 94:
            out[1] = !answers() ? kPodNoLink : chip_->blowFuse() ? kPodOk : kPodNoFuse;
            break;
        case 96:
        case 98:
        case 102:
        case 106:
            memoryCommand(rq, out);
            break;
        case 112: {
            uint16_t w[3];
            words3(w);
            out[1] = puc(w);
            for (int i = 0; i < 3; ++i)
                putWord(out, 2 + 2 * static_cast<size_t>(i), w[i]);
            break;
        }
        case 114:
            out[1] = answers() ? kPodOk : kPodNoLink;
            if (out[1] == kPodOk) release();
            break;
        case 116:
            out[1] = answers() ? kPodOk : kPodNoLink;
            if (out[1] == kPodOk) hold();
            break;
        case 118:
            out[1] = needHeld();
            if (out[1] == kPodOk) {
                const uint16_t w = wireWord(rq + 1);
                chip_->cpu().execute(&w, 1);
                release();
            }
            break;
        case 162:
            if (needHeld() == kPodOk) {
                uint16_t w[3];
                words3(w);
                feed(w, 3);
            }
            break;
        case 166:
            ir_ = 0xFF;
            break;
        case 168:
            ++fuseChecks_;
            break;
        case 170:
            settings_.deviceClass = rq[1];
            settings_.flags1 = rq[2];
            settings_.flags2 = rq[3];
            settings_.jtagId = rq[4];
            settings_.item1 = wireWord(rq + 5) & 0x7000;
            settings_.emulationLevel = wireWord(rq + 5) & 0x000F;
            settings_.ramStart = wireWord(rq + 7);
            settings_.ramEnd = wireWord(rq + 9);
            settings_.received = true;
            break;
        case 172:
            jtagMode_ = rq[1];
            break;
        case 174:
            // A fused chip is there (in bypass): the instruction is taken.
            irShift(reverseBits(rq[1]));
            out[1] = present() ? kPodOk : kPodNoLink;
            break;
        case 176:
        case 178: {
            const uint8_t n = rq[1];
            out[1] = needHeld();
            if (out[1] == kPodOk && n > 15) out[1] = kPodBadArgument;
            if (out[1] != kPodOk) break;
            if (cmd == 176)
                putLong(out, 2, chip_->reg(n));
            else
                chip_->setReg(n, wireLong(rq + 2));
            break;
        }
        case 192:
            out[1] = needHeld();
            break;
        case 194:
            out[1] = routine(wireLong(rq + 1), wireLong(rq + 5), wireWord(rq + 9));
            break;
        case 224:
        case 226:
        case 230:
        case 232:
        case 234:
            eemCommand(rq, out);
            break;
        default:
            break;
    }
    return out;
}

}  // namespace kv::sim
