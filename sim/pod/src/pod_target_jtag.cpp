// The pod's target side: the JTAG TAP and its data registers, memory
// transfers with block flags, and the emulation module commands.
#include "kelvane/sim/pod_commands.h"
#include "kelvane/sim/pod_target.h"

namespace kv::sim {

namespace {

// JTAG instructions the chip knows.
enum : uint8_t {
    kIrBreakStatus = 0x09,
    kIrBreak0 = 0x0B,
    kIrBreak1 = 0x0D,
    kIrControlWrite = 0x13,
    kIrControlCapture = 0x14,
    kIrControlRelease = 0x15,
    kIrConfigFuses = 0x29,
    kIrDataWrite = 0x41,
    kIrDataCapture = 0x42,
    kIrAddressWrite = 0x83,
    kIrAddressCapture = 0x84,
    kIrDataToAddress = 0x85,
    kIrBypass = 0xFF,
};

// Control signal register bits.
enum : uint16_t {
    kCtrlRead = 0x0001,
    kCtrlInstructionLoad = 0x0080,
    kCtrlSynchronised = 0x0200,
    kCtrlJtagControl = 0x0400,
    kCtrlPuc = 0x0800,
};

constexpr uint32_t kFirstBlock = 0x01000000;
constexpr uint32_t kLastBlock = 0x02000000;

void putWord(std::vector<uint8_t>& out, size_t at, uint32_t value) {
    out[at] = static_cast<uint8_t>(value >> 8);
    out[at + 1] = static_cast<uint8_t>(value);
}

}  // namespace

uint16_t PodTarget::controlSignal() const {
    const uint16_t live = kCtrlJtagControl | kCtrlSynchronised | kCtrlInstructionLoad;
    return static_cast<uint16_t>((control_ & ~live) | (held_ ? live : 0));
}

uint16_t PodTarget::writeControl(uint16_t value) {
    const uint16_t previous = controlSignal();
    control_ = value;
    if (value & kCtrlPuc) chip_->puc(ResetCause::Debugger);
    if (value & kCtrlJtagControl)
        hold();
    else
        release();
    return previous;
}

uint8_t PodTarget::irShift(uint8_t instruction) {
    if (!present()) return 0xFF;
    ir_ = instruction;
    if (fused()) return 0xFF;
    if (instruction == kIrControlRelease) release();
    return chip_->jtagId();
}

uint32_t PodTarget::drShift(uint32_t value, int bits) {
    const uint32_t ones = bits == 8 ? 0xFFu : 0xFFFFu;
    value &= ones;
    if (!present()) return ones;
    if (fused() || ir_ == kIrBypass) return value >> 1;
    uint32_t previous = 0;
    switch (ir_) {
        case kIrControlWrite:
            return writeControl(static_cast<uint16_t>(value)) & ones;
        case kIrControlCapture:
            return controlSignal() & ones;
        case kIrControlRelease:
            return 0;
        case kIrConfigFuses:
            return chip_->configFuses();
        case kIrAddressWrite:
            previous = addressLatch_;
            addressLatch_ = value;
            return previous & ones;
        case kIrAddressCapture:
            return (held_ ? addressLatch_ : chip_->reg(0)) & ones;
        case kIrDataWrite:
            previous = dataLatch_;
            dataLatch_ = static_cast<uint16_t>(value);
            return previous & ones;
        case kIrDataCapture:
            return dataLatch_ & ones;
        case kIrDataToAddress:
            if (!held_) return 0;
            if (control_ & kCtrlRead) {
                dataLatch_ = chip_->read16(addressLatch_);
            } else {
                writeMemory(addressLatch_, static_cast<uint16_t>(value), true);
                dataLatch_ = static_cast<uint16_t>(value);
            }
            return dataLatch_ & ones;
        case kIrBreakStatus:
            previous = bpHits_;
            bpHits_ = static_cast<uint8_t>(bpHits_ & ~value);
            return previous;
        case kIrBreak0:
        case kIrBreak1: {
            const int n = ir_ == kIrBreak0 ? 0 : 1;
            previous = bpAddress_[n];
            bpAddress_[n] = value;
            bpArmed_ = static_cast<uint8_t>(bpArmed_ | (1u << n));
            return previous & ones;
        }
        default:
            scratch_ = static_cast<uint16_t>(value);
            return 0;
    }
}

// --- Memory ------------------------------------------------------------------

void PodTarget::writeMemory(uint32_t address, uint16_t value, bool word) {
    if (word)
        chip_->write16(address, value);
    else
        chip_->write8(address, static_cast<uint8_t>(value));
    // A flash write the controller took runs to its end before the next access.
    if (chip_->flash().busy()) chip_->idleUntilFlashReady();
}

void PodTarget::memoryCommand(const uint8_t* rq, std::vector<uint8_t>& out) {
    const uint8_t cmd = rq[0];
    const bool words = cmd == 102 || cmd == 106;
    const bool reading = cmd == 96 || cmd == 102;
    const uint32_t field = wireLong(rq + 1);
    const uint16_t count = wireWord(rq + 5);
    const uint32_t address = field & 0xFFFFF;
    const uint32_t bytes = words ? 2u * count : count;
    if (reading) putWord(out, 2, count);

    uint8_t status = needHeld();
    if (status == kPodOk && ((field & ~(kFirstBlock | kLastBlock | 0xFFFFFu)) != 0 ||
                             count > (words ? 512 : 1024) || (words && (address & 1)))) {
        status = kPodBadArgument;
    }
    if (status == kPodOk && !(field & kFirstBlock) &&
        (!transferOpen_ || transferCommand_ != cmd || address != transferNext_)) {
        transferOpen_ = false;
        status = kPodOutOfSequence;
    }
    out[1] = status;
    if (status != kPodOk) return;

    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t a = address + (words ? 2 * i : i);
        if (reading) {
            if (words)
                putWord(out, 4 + 2 * i, chip_->read16(a));
            else
                out[4 + i] = chip_->read8(a);
        } else {
            const uint16_t v = words ? wireWord(rq + 7 + 2 * i) : rq[7 + i];
            writeMemory(a, v, words);
        }
    }
    transferOpen_ = (field & kLastBlock) == 0;
    transferCommand_ = cmd;
    transferNext_ = address + bytes;
}

// --- Emulation module ----------------------------------------------------------

void PodTarget::eemCommand(const uint8_t* rq, std::vector<uint8_t>& out) {
    if (!hasEem()) {
        out[1] = kPodNotSupported;
        return;
    }
    if (!answers()) {
        out[1] = kPodNoLink;
        return;
    }
    Eem& eem = chip_->eem();
    switch (rq[0]) {
        case 224:
            putWord(out, 2, eem.readControl());
            break;
        case 226:
            eem.writeControl(wireWord(rq + 1));
            break;
        case 230: {
            const uint16_t reg = wireWord(rq + 1);
            const uint32_t value = static_cast<uint32_t>(wireWord(rq + 3)) << 16 | wireWord(rq + 5);
            uint16_t clock = wireWord(rq + 7);
            uint16_t module = wireWord(rq + 9);
            if (!eem.writeRegister(reg, value)) {
                out[1] = kPodBadArgument;
                break;
            }
            if (reg == kEemClockControl) clock = static_cast<uint16_t>(value);
            if (reg == kEemModuleClock0) module = static_cast<uint16_t>(value);
            putWord(out, 2, clock);
            putWord(out, 4, module);
            break;
        }
        case 232:
            putWord(out, 2, eem.readTriggerFlags());
            break;
        case 234: {
            const uint16_t reg = wireWord(rq + 1);
            uint32_t value = static_cast<uint32_t>(wireWord(rq + 3)) << 16 | wireWord(rq + 5);
            const bool ok =
                (reg & 1) ? eem.readRegister(reg, &value) : eem.writeRegister(reg, value);
            if (!ok) {
                out[1] = kPodBadArgument;
                break;
            }
            putWord(out, 2, value >> 16);
            putWord(out, 4, value);
            break;
        }
        default:
            break;
    }
}

}  // namespace kv::sim
