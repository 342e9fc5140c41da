// What the pod does to the chip for each command, one handler per command or
// family of commands; the command table (pod_commands.cpp) names the handler
// of every command byte.
#include "kelvane/sim/pod_commands.h"
#include "kelvane/sim/pod_target.h"

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

void words3(const uint8_t* rq, uint16_t w[3]) {
    for (int i = 0; i < 3; ++i)
        w[i] = wireWord(rq + 1 + 2 * i);
}

}  // namespace

void PodTarget::onFuseCommand(const uint8_t* rq, std::vector<uint8_t>& out) {
    uint8_t bits = 0;
    out[1] = fuseCommand(rq[1], &bits);
    out[2] = bits;
}

void PodTarget::onFirmwareInstruction(const uint8_t* rq, std::vector<uint8_t>& out) {
    uint16_t w[3];
    words3(rq, w);
    out[1] = needHeld();
    if (out[1] == kPodOk) putWord(out, 2, firmwareInstruction(w));
}

void PodTarget::onEnableJtag(const uint8_t*, std::vector<uint8_t>&) {
    link_ = true;
    ++enables_;
    ir_ = 0xFF;
}

void PodTarget::onReleaseJtag(const uint8_t*, std::vector<uint8_t>&) {
    link_ = false;
    if (held_) release();
}

void PodTarget::onLineMode(const uint8_t* rq, std::vector<uint8_t>&) {
    lineMode_ = rq[0] == 34 ? 1 : 0;
}

void PodTarget::onLine36(const uint8_t* rq, std::vector<uint8_t>&) {
    line36_ = rq[0] == 36;
}

void PodTarget::onLine38(const uint8_t* rq, std::vector<uint8_t>&) {
    line38_ = rq[0] == 38;
}

void PodTarget::onLine40(const uint8_t* rq, std::vector<uint8_t>&) {
    setLine40(rq[1]);
}

// Commands 44 to 47 and 48 to 51 set states 1, 0, 2 and 3.
void PodTarget::onTck(const uint8_t* rq, std::vector<uint8_t>&) {
    const uint8_t cmd = rq[0];
    tck_ = cmd == 44 ? 1 : cmd == 45 ? 0 : static_cast<uint8_t>(cmd - 44);
}

void PodTarget::onTclk(const uint8_t* rq, std::vector<uint8_t>&) {
    const uint8_t cmd = rq[0];
    setTclk(cmd == 48 ? 1 : cmd == 49 ? 0 : static_cast<uint8_t>(cmd - 48));
}

void PodTarget::onVcc(const uint8_t* rq, std::vector<uint8_t>&) {
    setVcc(rq[0] == 52 ? wireWord(rq + 1) : 0);
}

void PodTarget::onSupply2(const uint8_t* rq, std::vector<uint8_t>&) {
    supply2_ = rq[0] == 54 ? wireWord(rq + 1) : 0;
}

void PodTarget::onIrShift(const uint8_t* rq, std::vector<uint8_t>& out) {
    out[1] = irShift(kv::BitReverseByte[rq[1]]);
}

void PodTarget::onDrShift8(const uint8_t* rq, std::vector<uint8_t>& out) {
    out[1] = static_cast<uint8_t>(drShift(rq[1], 8));
}

void PodTarget::onDrShift16(const uint8_t* rq, std::vector<uint8_t>& out) {
    putWord(out, 1, drShift(wireWord(rq + 1), 16));
}

void PodTarget::onIrDrShift16(const uint8_t* rq, std::vector<uint8_t>& out) {
    irShift(kv::BitReverseByte[rq[1]]);
    putWord(out, 1, drShift(wireWord(rq + 2), 16));
}

void PodTarget::onNeedHeld(const uint8_t*, std::vector<uint8_t>& out) {
    out[1] = needHeld();
}

void PodTarget::onReadLong(const uint8_t*, std::vector<uint8_t>& out) {
    putLong(out, 1, answers() ? chip_->reg(0) : 0);
}

void PodTarget::onControl(const uint8_t* rq, std::vector<uint8_t>& out) {
    putWord(out, 1,
            answers()   ? writeControl(wireWord(rq + 1))
            : present() ? wireWord(rq + 1) >> 1
                        : 0xFFFF);
}

void PodTarget::onBreakpointHits(const uint8_t* rq, std::vector<uint8_t>& out) {
    out[1] = answers() ? bpHits_ : 0;
    bpHits_ = static_cast<uint8_t>(bpHits_ & ~wireWord(rq + 1));
}

void PodTarget::onBreakpointEnable(const uint8_t* rq, std::vector<uint8_t>& out) {
    out[1] = bpEnabled_ ? 1 : 0;
    bpEnabled_ = (wireWord(rq + 1) & 1) != 0;
}

void PodTarget::onSetPc(const uint8_t* rq, std::vector<uint8_t>& out) {
    const uint32_t pc = wireLong(rq + 1);
    out[1] = needHeld();
    if (out[1] == kPodOk && pc > 0xFFFFF) out[1] = kPodBadArgument;
    if (out[1] == kPodOk) chip_->setReg(0, pc);
}

void PodTarget::onCycleStart(const uint8_t*, std::vector<uint8_t>& out) {
    out[1] = needHeld();
    if (out[1] == kPodOk) {
        frame_ = true;
        framePc_ = chip_->reg(0);
    }
}

void PodTarget::onSetInstruction(const uint8_t* rq, std::vector<uint8_t>&) {
    if (needHeld() == kPodOk) {
        const uint16_t w = wireWord(rq + 1);
        feed(&w, 1);
    }
}

void PodTarget::onCycleEnd(const uint8_t*, std::vector<uint8_t>&) {
    if (frame_ && answers()) chip_->setReg(0, framePc_);
    frame_ = false;
}

void PodTarget::onVerifyPsa(const uint8_t* rq, std::vector<uint8_t>& out) {
    const uint32_t start = static_cast<uint32_t>(wireWord(rq + 1)) << 16 | wireWord(rq + 3);
    out[1] = needHeld();
    if (out[1] == kPodOk && ((start & 1) || start > 0xFFFFF)) out[1] = kPodBadArgument;
    if (out[1] == kPodOk) putWord(out, 2, psa(start, wireWord(rq + 5)));
}

void PodTarget::onFuseBlow(const uint8_t*, std::vector<uint8_t>& out) {
    out[1] = !answers() ? kPodNoLink : chip_->blowFuse() ? kPodOk : kPodNoFuse;
}

void PodTarget::onPuc(const uint8_t* rq, std::vector<uint8_t>& out) {
    uint16_t w[3];
    words3(rq, w);
    out[1] = puc(w);
    for (int i = 0; i < 3; ++i)
        putWord(out, 2 + 2 * static_cast<size_t>(i), w[i]);
}

void PodTarget::onReleaseCpu(const uint8_t*, std::vector<uint8_t>& out) {
    out[1] = answers() ? kPodOk : kPodNoLink;
    if (out[1] == kPodOk) release();
}

void PodTarget::onSyncCpu(const uint8_t*, std::vector<uint8_t>& out) {
    out[1] = answers() ? kPodOk : kPodNoLink;
    if (out[1] == kPodOk) hold();
}

void PodTarget::onSetMdb(const uint8_t* rq, std::vector<uint8_t>& out) {
    out[1] = needHeld();
    if (out[1] == kPodOk) {
        const uint16_t w = wireWord(rq + 1);
        chip_->cpu().execute(&w, 1);
        release();
    }
}

void PodTarget::onExecuteInstruction3(const uint8_t* rq, std::vector<uint8_t>&) {
    if (needHeld() == kPodOk) {
        uint16_t w[3];
        words3(rq, w);
        feed(w, 3);
    }
}

void PodTarget::onResetTap(const uint8_t*, std::vector<uint8_t>&) {
    ir_ = 0xFF;
}

void PodTarget::onCheckFuse(const uint8_t*, std::vector<uint8_t>&) {
    ++fuseChecks_;
}

void PodTarget::onConfiguration(const uint8_t* rq, std::vector<uint8_t>&) {
    settings_.deviceClass = rq[1];
    settings_.flags1 = rq[2];
    settings_.flags2 = rq[3];
    settings_.jtagId = rq[4];
    settings_.item1 = wireWord(rq + 5) & 0x7000;
    settings_.emulationLevel = wireWord(rq + 5) & 0x000F;
    settings_.ramStart = wireWord(rq + 7);
    settings_.ramEnd = wireWord(rq + 9);
    settings_.received = true;
}

void PodTarget::onJtagMode(const uint8_t* rq, std::vector<uint8_t>&) {
    jtagMode_ = rq[1];
}

void PodTarget::onCommandInstruction(const uint8_t* rq, std::vector<uint8_t>& out) {
    // A fused chip is there (in bypass): the instruction is taken.
    irShift(kv::BitReverseByte[rq[1]]);
    out[1] = present() ? kPodOk : kPodNoLink;
}

void PodTarget::onRegister(const uint8_t* rq, std::vector<uint8_t>& out) {
    const uint8_t n = rq[1];
    out[1] = needHeld();
    if (out[1] == kPodOk && n > 15) out[1] = kPodBadArgument;
    if (out[1] != kPodOk) return;
    if (rq[0] == 176)
        putLong(out, 2, chip_->reg(n));
    else
        chip_->setReg(n, wireLong(rq + 2));
}

void PodTarget::onRoutine(const uint8_t* rq, std::vector<uint8_t>& out) {
    out[1] = routine(wireLong(rq + 1), wireLong(rq + 5), wireWord(rq + 9));
}

}  // namespace kv::sim
