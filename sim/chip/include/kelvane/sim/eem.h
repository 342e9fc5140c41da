// Enhanced emulation module (EEM) of the simulated chip: trigger blocks on the
// memory address bus, the memory data bus and the CPU registers, combination
// triggers with break and storage reactions, state storage, the trigger
// sequencer and clock control. A debugger reaches it through numbered
// registers (even numbers written, the odd number above read); the layout is
// described in sim/chip/EEM.md.
//
// The chip feeds it the CPU's bus cycles while it runs (only while armed(), so
// an idle EEM costs nothing) and stops the run when a break reaction fires:
// before the instruction whose opcode fetch fired it, after the instruction
// whose read, write or register change fired it.
#pragma once

#include <cstdint>
#include <vector>

#include "kelvane/sim/device_profile.h"
#include "kelvane/sim/eem_sequencer.h"
#include "kelvane/sim/eem_storage.h"

namespace kv::sim {

class Cpu;

// Access kinds of a trigger block (control word bits 0..3).
enum class EemAccess : uint8_t {
    Fetch = 0,
    FetchHold = 1,
    NoFetch = 2,
    DontCare = 3,
    NoFetchRead = 4,
    NoFetchWrite = 5,
    Read = 6,
    Write = 7,
    NoFetchNoDma = 8,
    Dma = 9,
    NoDma = 10,
    WriteNoDma = 11,
    NoFetchReadNoDma = 12,
    ReadNoDma = 13,
    ReadDma = 14,
    WriteDma = 15,
};

// Comparison of a trigger block (control word bits 4..5); the bounds are inclusive.
enum class EemOperator : uint8_t { Equal = 0, GreaterEqual = 1, LessEqual = 2, NotEqual = 3 };

// What a trigger block compares (control word bits 6..7).
enum class EemSource : uint8_t { AddressBus = 0, DataBus = 1, Register = 2 };

// Register numbers (the write number; the read number is one above).
enum : uint16_t {
    kEemBlockStride = 8,         // block b: b*8 value, +2 control, +4 mask, +6 combination
    kEemBreakReaction = 128,     // 129 reads it back
    kEemGeneralControl = 130,    // write: general control; 131 reads control and status
    kEemControl = 131,           // read: bits 0..6 of 130, bit 7 stopped by the EEM
    kEemClockControl = 136,      // 137 reads it back: clock control
    kEemModuleClock0 = 138,      // 139 reads it back: module clock control, modules 0..15
    kEemModuleClock1 = 140,      // 141 reads it back: modules 16..31
    kEemTriggerFlags = 143,      // read: combination triggers fired since the last clear
    kEemStorageReaction = 152,   // 153 reads it back
    kEemStorageIndex = 154,      // write: slot to read; 155 read: write slot and count
    kEemStorageData = 157,       // read: next word of the selected slot
    kEemStorageControl = 158,    // 159 read: storage status
    kEemSequence01 = 160,        // 161 reads it back
    kEemSequence23 = 162,        // 163 reads it back
    kEemSequencerControl = 166,  // 167 read: sequencer state
};

// Control word of a trigger block.
enum : uint16_t {
    kEemCtlAccessMask = 0x000F,
    kEemCtlOperatorShift = 4,
    kEemCtlOperatorMask = 0x0030,
    kEemCtlSourceShift = 6,
    kEemCtlSourceMask = 0x00C0,
    kEemCtlRegisterShift = 8,  // bits 8..11: CPU register of a register trigger
    kEemCtlRegisterMask = 0x0F00,
};

// Combination register bit 15: fire when any member block matches instead of all.
constexpr uint32_t kEemCombineAny = 0x8000;
// Reaction and trigger-flag bit of the sequencer's final state.
constexpr uint32_t kEemSequencerTrigger = 0x8000;

// General control (register 130) and its read-back with the status (131).
enum : uint16_t {
    kEemControlClear = 0x0002,  // written: clears the break status and the trigger flags
    kEemStatusBreak = 0x0080,   // read: the CPU was stopped by a break reaction
};

// Clock control (register 136).
enum : uint16_t {
    kEemClkAclkStop = 0x0002,       // ACLK stops while the CPU is halted
    kEemClkSmclkStop = 0x0004,      // SMCLK stops while the CPU is halted
    kEemClkModuleControl = 0x0008,  // module clock control registers 136/138 are in force
    kEemClkMclkStop = 0x0020,       // MCLK stops while the CPU is halted
};

class Eem {
  public:
    explicit Eem(const DeviceProfile& profile);

    // What this part's EEM level offers.
    uint8_t level() const { return level_; }
    bool present() const { return level_ != 0; }
    int busTriggerBlocks() const { return busBlocks_; }
    int registerTriggerBlocks() const { return regBlocks_; }
    int triggerBlocks() const { return busBlocks_ + regBlocks_; }
    bool hasStateStorage() const { return level_ >= 3; }
    bool hasSequencer() const { return level_ >= 3; }
    // 0 none, 1 general clock control, 2 also per-module clock control.
    uint8_t clockControlLevel() const { return clockLevel_; }

    // Register access by number. Writes take even numbers, reads odd ones;
    // false for a number this part does not have (or a part without EEM).
    bool writeRegister(uint16_t number, uint32_t value);
    bool readRegister(uint16_t number, uint32_t* value);
    // General control (register 130) and its read-back with the status (131),
    // as the EEM control commands reach them; and the trigger flags (143).
    bool writeControl(uint16_t value);
    uint16_t readControl() const;
    uint16_t readTriggerFlags() const { return static_cast<uint16_t>(triggerFlags_); }

    // Power-on state: every register 0, storage and sequencer off.
    void reset();

    // --- Typed views for tests and the simulated pod.
    bool breakHit() const { return breakHit_; }
    // The CPU is released: the break status and the trigger flags start afresh.
    void release();
    uint32_t triggerFlags() const { return triggerFlags_; }
    uint32_t breakReaction() const { return breakMask_; }
    uint32_t storageReaction() const { return storageMask_; }
    const EemStateStorage& storage() const { return storage_; }
    std::vector<EemTraceEntry> trace() const { return storage_.entries(); }
    const EemSequencer& sequencer() const { return sequencer_; }
    int sequencerState() const { return sequencer_.state(); }
    uint16_t generalControl() const { return control_; }
    uint16_t clockControl() const { return clockControl_; }
    uint32_t moduleClockControl() const { return moduleClock_; }
    // Whether a clock, or module `bit` (0..31 of the module clock control),
    // is stopped while the CPU is halted, as this part's clock control level allows.
    bool aclkStopped() const;
    bool smclkStopped() const;
    bool mclkStopped() const;
    bool moduleClockStopped(int bit) const;

    // --- Called by the chip's run loop.
    // Something to watch: a combination trigger or the storage is on.
    bool armed() const { return armed_; }
    void beginRun(const Cpu& cpu);
    // The opcode fetch of the instruction at `address`; true to stop before it
    // executes. Every fetch counts, the first of a run included.
    bool fetchCycle(uint32_t address, uint16_t word);
    // A further bus cycle of the running instruction (kEemCycle* kind).
    void busCycle(uint32_t address, uint32_t data, uint16_t kind);
    // The instruction finished: register triggers look at what it changed.
    void instructionDone(const Cpu& cpu);
    // A read, write or register break fired during the instruction.
    bool breakPending() const { return breakPending_; }
    // The run stopped on a break reaction.
    void noteBreakStop();
    // A run starts: the CPU is no longer stopped by the EEM (the trigger
    // flags stay, as a run may be one of several slices of chip time).
    void cpuRunning() {
        breakHit_ = false;
        breakPending_ = false;
    }

  private:
    struct Block {
        uint32_t value = 0;
        uint16_t control = 0;
        uint32_t mask = 0;
        uint32_t combination = 0;
    };

    void writeBlock(int block, int field, uint32_t value);
    uint32_t readBlock(int block, int field) const;
    void updateArmed();
    bool busMatch(const Block& b, uint32_t address, uint32_t data, uint16_t kind) const;
    bool valueMatch(const Block& b, uint32_t value, uint32_t width) const;
    // Combination triggers fired by the member hits of one event.
    uint32_t combine(uint32_t hits, bool busEvent) const;
    // Bus blocks in use that match one cycle.
    uint32_t busHits(uint32_t address, uint32_t data, uint16_t kind) const;
    // Applies the reactions; true when a break reaction fired.
    bool react(uint32_t fired, uint32_t address, uint32_t data, uint16_t kind, bool cycle);

    uint8_t level_ = 0;
    int busBlocks_ = 0;
    int regBlocks_ = 0;
    uint8_t clockLevel_ = 0;
    uint32_t widthMask_ = 0xFFFF;
    std::vector<Block> blocks_;
    uint32_t breakMask_ = 0;
    uint32_t storageMask_ = 0;
    uint16_t clockControl_ = 0;
    uint32_t moduleClock_ = 0;
    uint16_t control_ = 0;
    uint32_t triggerFlags_ = 0;
    bool breakHit_ = false;
    bool breakPending_ = false;
    bool armed_ = false;
    bool registerWatch_ = false;
    uint32_t liveBus_ = 0;         // bus blocks that some combination uses
    uint32_t busCombos_ = 0;       // combinations with bus members
    uint32_t regCombos_ = 0;       // combinations of register blocks only
    uint32_t registerLevels_ = 0;  // register blocks whose condition holds now
    uint32_t regs_[16] = {};
    EemStateStorage storage_;
    EemSequencer sequencer_;
};

}  // namespace kv::sim
