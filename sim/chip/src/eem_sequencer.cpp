// Trigger sequencer of the enhanced emulation module.
#include "kelvane/sim/eem_sequencer.h"

namespace kv::sim {

void EemSequencer::reset() {
    control_ = 0;
    transitions_[0] = transitions_[1] = 0;
    state_ = 0;
}

void EemSequencer::writeControl(uint16_t value) {
    const bool wasOn = enabled();
    control_ = static_cast<uint16_t>(value & (kSeqEnable | kSeqResetTrigger | 0x0F00));
    if (!enabled() || !wasOn || (value & kSeqRestart)) state_ = 0;
}

void EemSequencer::writeTransitions(int pair, uint32_t value) {
    transitions_[pair & 1] = value;
}

uint16_t EemSequencer::stateRegister() const {
    return static_cast<uint16_t>((control_ & 0xFF) | (state_ << 8));
}

bool EemSequencer::advance(uint32_t fired) {
    if (!enabled() || !fired) return false;
    // A trigger field holds 0 for none, or the combination trigger number plus one.
    auto fires = [fired](uint32_t field) { return field != 0 && ((fired >> (field - 1)) & 1u); };
    if ((control_ & kSeqResetTrigger) && fires(((control_ >> kSeqResetShift) & 0xF) + 1u)) {
        state_ = 0;
        return false;
    }
    const uint32_t word = transitions_[state_ >> 1];
    const int base = (state_ & 1) * 8;
    int next;
    if (fires((word >> (16 + base)) & 0xF))
        next = static_cast<int>((word >> base) & 3);
    else if (fires((word >> (20 + base)) & 0xF))
        next = static_cast<int>((word >> (base + 4)) & 3);
    else
        return false;
    const bool entered = next == kFinalState && state_ != kFinalState;
    state_ = next;
    return entered;
}

}  // namespace kv::sim
