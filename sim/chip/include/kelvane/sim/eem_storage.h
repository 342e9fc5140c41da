// State storage of the enhanced emulation module: eight entries of bus cycles
// (address, data, control), filled as the storage control register says.
// Register layout and modes: sim/chip/EEM.md.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace kv::sim {

// Control word of a stored bus cycle (and the kind of a cycle the EEM sees).
enum : uint16_t {
    kEemCycleFetch = 0x0001,   // opcode fetch of an instruction
    kEemCycleRead = 0x0002,    // data read, or a further word of the instruction
    kEemCycleWrite = 0x0004,   // data write
    kEemCycleByte = 0x0008,    // byte access
    kEemCycleStream = 0x0010,  // the read was an extension or operand word of the instruction
};

// Storage control register (written through EEM register 158).
enum : uint16_t {
    kStorEnable = 0x0001,
    kStorReset = 0x0002,         // restart: empty the buffer and start afresh (not kept)
    kStorStopWhenFull = 0x0004,  // stop after eight entries instead of wrapping
    kStorModeShift = 3,          // bits 3..5: the storage mode
    kStorModeMask = 0x0038,
    kStorAllCycles = 0x0040,  // with fetches; clear: data reads and writes only
};

// Storage modes (bits 3..5 of the control register).
enum : uint8_t {
    kStorModeOnTrigger = 1,       // store the cycles at which a storage trigger fires
    kStorModeStartOnTrigger = 3,  // from a storage trigger on, store every cycle until full
    kStorModeHistory = 4,         // store every cycle; a storage trigger stops the storage
};

// Storage status register (read through EEM register 159): bits 0..6 echo the
// control; the flags count from the last write of the control register.
enum : uint16_t {
    kStorStatusData = 0x0100,       // at least one entry stored
    kStorStatusTriggered = 0x0200,  // a storage trigger fired
    kStorStatusStopped = 0x0400,    // the storage stopped (history trigger, or full)
    kStorStatusFull = 0x0800,       // eight or more entries stored
};

struct EemTraceEntry {
    uint32_t address = 0;
    uint32_t data = 0;
    uint16_t control = 0;  // kEemCycle* bits; 0 for an entry never written
};

class EemStateStorage {
  public:
    static constexpr int kEntries = 8;

    void reset();
    void writeControl(uint16_t value);
    uint16_t control() const { return control_; }
    bool enabled() const { return (control_ & kStorEnable) != 0; }
    uint16_t status() const;
    // Register 155: bits 0..2 the slot the next cycle goes to, bits 8..15 the
    // number of entries stored since the control was last written (modulo 256).
    uint16_t indexRegister() const;
    // Register 154 selects the slot that register 157 reads next; each read of
    // 157 gives the slot's address, data and control in turn, then moves on.
    void selectEntry(uint16_t value);
    uint32_t readData();

    // A bus cycle; `trigger` when a storage trigger fired at it.
    void cycle(uint32_t address, uint32_t data, uint16_t kind, bool trigger);

    const std::array<EemTraceEntry, kEntries>& slots() const { return slots_; }
    // The stored entries, oldest first.
    std::vector<EemTraceEntry> entries() const;

  private:
    void store(uint32_t address, uint32_t data, uint16_t kind);
    uint8_t mode() const {
        return static_cast<uint8_t>((control_ & kStorModeMask) >> kStorModeShift);
    }

    uint16_t control_ = 0;
    std::array<EemTraceEntry, kEntries> slots_{};
    int next_ = 0;
    int valid_ = 0;        // slots holding an entry since the last restart
    uint32_t stored_ = 0;  // entries stored since the storage was last armed
    bool triggered_ = false;
    bool stopped_ = false;
    int readSlot_ = 0;
    int readPhase_ = 0;
};

}  // namespace kv::sim
