// What the Dravik pod does to the chip at the end of its cable: supply, lines,
// the JTAG TAP and its data registers, CPU control, memory and register
// transfers, code execution, fuses and the emulation module. One object per
// pod; it carries out every command of POD_COMMANDS.md that is not a pod-level
// query and runs a released CPU for a fixed cycle budget after every command.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "kelvane/sim/chip.h"

namespace kv::sim {

// Status bytes of the pod's replies.
enum PodStatus : uint8_t {
    kPodOk = 0,
    kPodNoLink = 1,
    kPodCpuRunning = 2,
    kPodBadArgument = 3,
    kPodNotReached = 4,
    kPodNoFuse = 5,
    kPodOutOfSequence = 6,
    kPodNotSupported = 0xFE,
};

struct TargetFaults {
    uint32_t jtagAfter = 0;   // JTAG answers only from this EnableJTAG on (0, 1: always)
    bool needsEntry = false;  // JTAG answers only after the entry sequence
    bool mute = false;        // JTAG never answers
    bool fused = false;       // the security fuse is blown
};

// Class settings of command 170.
struct ClassSettings {
    uint8_t deviceClass = 0;
    uint8_t flags1 = 0;
    uint8_t flags2 = 0;
    uint8_t jtagId = 0;
    uint16_t item1 = 0;  // value & 0x7000
    uint8_t emulationLevel = 0;
    uint16_t ramStart = 0;
    uint16_t ramEnd = 0;
    bool received = false;
};

class PodTarget {
  public:
    static constexpr uint16_t kPowerOnMillivolts = 1800;
    static constexpr uint64_t kRoutineCycleLimit = 20000000;

    // `chip` may be null: a pod with nothing attached.
    explicit PodTarget(std::shared_ptr<Chip> chip);

    void setFaults(const TargetFaults& faults) { faults_ = faults; }
    void setBudget(uint64_t cycles) { budget_ = cycles; }
    // Cycles a routine may run before ExecuteCode_Release gives up on its exit.
    void setRoutineLimit(uint64_t cycles) { routineLimit_ = cycles; }
    // The host opened the pod: connect attempts count from here.
    void hostOpened() { enables_ = 0; }

    // Carries out one complete command and returns its reply (id first; empty
    // for commands without a reply).
    std::vector<uint8_t> execute(const uint8_t* request, size_t length);
    // Lets a released CPU run its slice; called after every command.
    void afterCommand();
    // Something on the chip may have changed since the last call.
    bool takeChanged();

    // Observation.
    Chip* chip() const { return chip_.get(); }
    uint16_t vcc() const { return vcc_; }
    uint16_t supply2() const { return supply2_; }
    bool linkEnabled() const { return link_; }
    bool answers() const;  // the TAP answers with the chip's id
    bool held() const { return held_; }
    uint8_t line(int n) const;  // 36, 38: 0/1; 40: state
    uint8_t lineMode() const { return lineMode_; }
    uint8_t tck() const { return tck_; }
    uint8_t tclk() const { return tclk_; }
    uint8_t jtagMode() const { return jtagMode_; }
    uint8_t instruction() const { return ir_; }
    uint16_t controlSignal() const;
    uint32_t connectAttempts() const { return enables_; }
    bool entrySeen() const { return entrySeen_; }
    uint32_t fuseChecks() const { return fuseChecks_; }
    const ClassSettings& classSettings() const { return settings_; }
    uint32_t breakpointAddress(int n) const { return bpAddress_[n & 1]; }

    // The commands, reached through the command table (pod_commands.cpp): each
    // reads its request and fills its reply, whose id is already in place.
    void onFuseCommand(const uint8_t* request, std::vector<uint8_t>& reply);
    void onFirmwareInstruction(const uint8_t* request, std::vector<uint8_t>& reply);
    void onEnableJtag(const uint8_t* request, std::vector<uint8_t>& reply);
    void onReleaseJtag(const uint8_t* request, std::vector<uint8_t>& reply);
    void onLineMode(const uint8_t* request, std::vector<uint8_t>& reply);
    void onLine36(const uint8_t* request, std::vector<uint8_t>& reply);
    void onLine38(const uint8_t* request, std::vector<uint8_t>& reply);
    void onLine40(const uint8_t* request, std::vector<uint8_t>& reply);
    void onTck(const uint8_t* request, std::vector<uint8_t>& reply);
    void onTclk(const uint8_t* request, std::vector<uint8_t>& reply);
    void onVcc(const uint8_t* request, std::vector<uint8_t>& reply);
    void onSupply2(const uint8_t* request, std::vector<uint8_t>& reply);
    void onIrShift(const uint8_t* request, std::vector<uint8_t>& reply);
    void onDrShift8(const uint8_t* request, std::vector<uint8_t>& reply);
    void onDrShift16(const uint8_t* request, std::vector<uint8_t>& reply);
    void onIrDrShift16(const uint8_t* request, std::vector<uint8_t>& reply);
    void onNeedHeld(const uint8_t* request, std::vector<uint8_t>& reply);
    void onReadLong(const uint8_t* request, std::vector<uint8_t>& reply);
    void onControl(const uint8_t* request, std::vector<uint8_t>& reply);
    void onBreakpointHits(const uint8_t* request, std::vector<uint8_t>& reply);
    void onBreakpointEnable(const uint8_t* request, std::vector<uint8_t>& reply);
    void onSetPc(const uint8_t* request, std::vector<uint8_t>& reply);
    void onCycleStart(const uint8_t* request, std::vector<uint8_t>& reply);
    void onSetInstruction(const uint8_t* request, std::vector<uint8_t>& reply);
    void onCycleEnd(const uint8_t* request, std::vector<uint8_t>& reply);
    void onVerifyPsa(const uint8_t* request, std::vector<uint8_t>& reply);
    void onFuseBlow(const uint8_t* request, std::vector<uint8_t>& reply);
    void onPuc(const uint8_t* request, std::vector<uint8_t>& reply);
    void onReleaseCpu(const uint8_t* request, std::vector<uint8_t>& reply);
    void onSyncCpu(const uint8_t* request, std::vector<uint8_t>& reply);
    void onSetMdb(const uint8_t* request, std::vector<uint8_t>& reply);
    void onExecuteInstruction3(const uint8_t* request, std::vector<uint8_t>& reply);
    void onResetTap(const uint8_t* request, std::vector<uint8_t>& reply);
    void onCheckFuse(const uint8_t* request, std::vector<uint8_t>& reply);
    void onConfiguration(const uint8_t* request, std::vector<uint8_t>& reply);
    void onJtagMode(const uint8_t* request, std::vector<uint8_t>& reply);
    void onCommandInstruction(const uint8_t* request, std::vector<uint8_t>& reply);
    void onRegister(const uint8_t* request, std::vector<uint8_t>& reply);
    void onRoutine(const uint8_t* request, std::vector<uint8_t>& reply);
    void memoryCommand(const uint8_t* request, std::vector<uint8_t>& reply);
    void eemCommand(const uint8_t* request, std::vector<uint8_t>& reply);

  private:
    bool fused() const;
    bool hasEem() const;
    // The TAP is there (powered, link on, the chip willing); a fused chip is
    // there but answers as bypass only.
    bool present() const;

    // Supply, lines and clocks.
    void setVcc(uint16_t millivolts);
    void setLine40(uint8_t state);
    void setTclk(uint8_t state);

    // TAP.
    uint8_t irShift(uint8_t instruction);
    uint32_t drShift(uint32_t value, int bits);
    uint16_t writeControl(uint16_t value);

    // CPU.
    void hold();
    void release();
    uint8_t needHeld() const;
    void stepOne();
    void settle(int cycles);
    int feed(const uint16_t* words, size_t count);
    uint16_t firmwareInstruction(const uint16_t words[3]);
    uint8_t puc(uint16_t words[3]);
    uint8_t routine(uint32_t entry, uint32_t exit, uint16_t time);
    void runSlice(uint64_t cycles);
    uint16_t psa(uint32_t start, uint16_t words);
    uint8_t fuseCommand(uint8_t value, uint8_t* bits);

    void writeMemory(uint32_t address, uint16_t value, bool word);

    std::shared_ptr<Chip> chip_;
    TargetFaults faults_;
    uint64_t budget_ = 10000;
    uint64_t routineLimit_ = kRoutineCycleLimit;

    uint16_t vcc_ = 0;
    uint16_t supply2_ = 0;
    bool link_ = false;
    uint8_t lineMode_ = 1;
    uint8_t line36_ = 0;
    uint8_t line38_ = 0;
    uint8_t line40_ = 1;
    bool entryArmed_ = false;
    bool entrySeen_ = false;
    uint8_t tck_ = 0;
    uint8_t tclk_ = 0;
    uint8_t jtagMode_ = 0;
    uint32_t enables_ = 0;
    uint32_t fuseChecks_ = 0;
    ClassSettings settings_;

    uint8_t ir_ = 0xFF;
    uint16_t control_ = 0;
    uint32_t addressLatch_ = 0;
    uint16_t dataLatch_ = 0;
    uint16_t scratch_ = 0;

    bool held_ = false;
    bool frame_ = false;
    uint32_t framePc_ = 0;

    std::array<uint32_t, 2> bpAddress_{};
    uint8_t bpArmed_ = 0;
    uint8_t bpHits_ = 0;
    bool bpEnabled_ = false;

    bool transferOpen_ = false;
    uint8_t transferCommand_ = 0;
    uint32_t transferNext_ = 0;

    bool changed_ = false;
};

}  // namespace kv::sim
