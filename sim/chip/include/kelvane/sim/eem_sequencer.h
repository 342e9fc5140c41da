// Trigger sequencer of the enhanced emulation module: four states, two
// transitions (X and Y) out of each, driven by combination triggers; entering
// the final state 3 is a trigger of its own. Register layout: sim/chip/EEM.md.
#pragma once

#include <cstdint>

namespace kv::sim {

// Sequencer control register (written through EEM register 166).
enum : uint16_t {
    kSeqEnable = 0x0001,
    kSeqResetTrigger = 0x0002,  // bits 8..11 name the combination that resets it to state 0
    kSeqRestart = 0x0004,       // back to state 0 now (not kept)
    kSeqResetShift = 8,
};

class EemSequencer {
  public:
    static constexpr int kFinalState = 3;

    void reset();
    void writeControl(uint16_t value);
    uint16_t control() const { return control_; }
    // Registers 160 (states 0 and 1) and 162 (states 2 and 3).
    void writeTransitions(int pair, uint32_t value);
    uint32_t transitions(int pair) const { return transitions_[pair & 1]; }
    bool enabled() const { return (control_ & kSeqEnable) != 0; }
    int state() const { return state_; }
    // Register 167: bits 0..7 the control, bits 8..9 the state.
    uint16_t stateRegister() const;

    // Combination triggers that fired at one bus cycle or instruction end;
    // true when the sequencer entered its final state.
    bool advance(uint32_t fired);

  private:
    uint16_t control_ = 0;
    uint32_t transitions_[2] = {};
    int state_ = 0;
};

}  // namespace kv::sim
