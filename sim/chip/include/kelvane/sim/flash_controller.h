// The flash memory controller (FCTL1 0x0128, FCTL2 0x012A, FCTL3 0x012C) and
// the flash cells it programs and erases. Times are simulated seconds; the
// chip asks for the next completion time and calls complete() when it comes.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "kelvane/sim/clock_system.h"
#include "kelvane/sim/device_profile.h"

namespace kv::sim {

// FCTL1 bits.
enum : uint8_t {
    kFctl1Erase = 0x02,
    kFctl1Meras = 0x04,
    kFctl1Gmeras = 0x08,
    kFctl1Wrt = 0x40,
    kFctl1Blkwrt = 0x80,
};
// FCTL3 bits.
enum : uint8_t {
    kFctl3Busy = 0x01,
    kFctl3Keyv = 0x02,
    kFctl3Accvifg = 0x04,
    kFctl3Wait = 0x08,
    kFctl3Lock = 0x10,
    kFctl3Emex = 0x20,
    kFctl3LockA = 0x40,
    kFctl3Fail = 0x80,
};

// How often each of the flash's rules was broken.
struct FlashRuleBreaks {
    uint64_t clock = 0;        // timing generator outside the rated range
    uint64_t programTime = 0;  // a row programmed longer than tCPT since its erase
    uint64_t massErase = 0;    // a write into cells whose mass erase fell short of tCMErase
    uint64_t blockRow = 0;     // a block write that left its 64-byte row
    uint64_t eraseTime = 0;    // a run of mass or main erases that ended short of tCMErase
    uint64_t supply = 0;       // a write or erase below the program and erase supply minimum
    uint64_t access = 0;       // a flash access violation (ACCVIFG) or a wrong key (KEYV)

    uint64_t total() const {
        return clock + programTime + massErase + blockRow + eraseTime + supply + access;
    }
};

// A flash cell bit that no longer follows programming (stuck at 1) or erasing (stuck at 0).
struct StuckBit {
    uint32_t address = 0;
    uint8_t bit = 0;
    bool value = false;
};

class FlashController {
  public:
    enum class Operation { None, Write, BlockWord, BlockEnd, SegmentErase, MassErase };

    FlashController(const DeviceProfile& profile, uint8_t* memory, const ClockSystem& clocks);

    void powerOnReset();
    void puc();

    // Register access (word registers; the key byte is checked on writes).
    uint16_t readRegister(uint32_t address) const;
    // Returns false on a wrong key: KEYV is set and the caller raises a PUC.
    bool writeRegister(uint32_t address, uint16_t value, double now);

    // A write of the flash array by the CPU or a debugger; `size` is 1 or 2.
    void writeCell(uint32_t address, uint16_t value, int size, double now);
    // A data read of the flash array while BUSY: sets ACCVIFG.
    void readWhileBusy(uint32_t address) { noteAccessViolation(address); }
    // The chip's supply (mV): below the profile's flash minimum a write or
    // erase is a break and leaves its cells as a badly timed one does.
    void setSupply(uint32_t millivolts) { supplyMillivolts_ = millivolts; }
    // Whether access violations and wrong keys from now on are the
    // programmer's (a debugger, a loader, routines it runs outside the flash)
    // and count as breaks; a user program's own from flash are not counted.
    void setAccessByProgrammer(bool programmer) { accessByProgrammer_ = programmer; }

    bool busy() const { return (fctl3_ & kFctl3Busy) != 0; }
    // Simulated time of the next step of the running operation (infinity when none).
    double nextEventTime() const { return op_ == Operation::None ? kNever : opEnd_; }
    // Finishes the running step when its time has come.
    void complete(double now);

    // Inspection.
    uint8_t fctl1() const { return fctl1_; }
    uint8_t fctl2() const { return fctl2_; }
    uint8_t fctl3() const { return fctl3_; }
    bool accessViolation() const { return (fctl3_ & kFctl3Accvifg) != 0; }
    Operation operation() const { return op_; }
    // Timing generator frequency of the last started operation (Hz).
    double lastTimingFrequency() const { return lastFtg_; }
    double timingFrequency() const;
    uint32_t eraseCount(uint32_t segmentStart) const;
    const std::map<uint32_t, uint32_t>& eraseCounts() const { return eraseCounts_; }
    uint64_t corruptedOperations() const { return corrupted_; }
    // Time the flash has spent programming (word and block writes) and erasing (s).
    double programSeconds() const { return programSeconds_; }
    double eraseSeconds() const { return eraseSeconds_; }
    const FlashRuleBreaks& ruleBreaks() const { return breaks_; }
    // Where each kind of break last happened (0 before one).
    const FlashRuleBreaks& lastBreakAddresses() const { return lastAddress_; }
    void setRuleBreaks(const FlashRuleBreaks& counts, const FlashRuleBreaks& addresses) {
        breaks_ = counts;
        lastAddress_ = addresses;
    }
    // Segments whose mass or main erases have not yet added up to tCMErase,
    // with the erase time they still miss (s).
    std::map<uint32_t, double> shortErasedSegments() const;
    // Ends a run of mass or main erases: one that stopped short of tCMErase
    // counts as an eraseTime break (the chip calls this when another flash
    // operation starts and when its session closes).
    void endEraseRun();
    // One line for each rule broken: the rule, the address of its last break
    // and how often it was broken.
    std::vector<std::string> ruleBreakLines() const;
    // State transfer of the erase history for saved chips: the erase time
    // each short-erased segment has had, and the segments erased completely.
    const std::map<uint32_t, double>& eraseTimes() const { return massEraseTime_; }
    const std::set<uint32_t>& fullyErasedSegments() const { return fullyErased_; }
    // Cells changed behind the controller's back (a debugger's poke): their
    // segments no longer count as erased completely.
    void forgetErase(uint32_t address, uint32_t size);
    bool eraseRunOpen() const { return eraseRunOpen_; }
    void setEraseHistory(std::map<uint32_t, double> times, std::set<uint32_t> erased,
                         bool runOpen) {
        massEraseTime_ = std::move(times);
        fullyErased_ = std::move(erased);
        eraseRunOpen_ = runOpen;
    }
    // Program time of the 64-byte row holding `address` since its last erase (s).
    double rowProgramSeconds(uint32_t address) const;
    const std::map<uint32_t, double>& rowProgramTimes() const { return rowProgram_; }
    void setRowProgramTimes(std::map<uint32_t, double> times) { rowProgram_ = std::move(times); }
    // Timing generator frequencies seen: lowest and highest of any operation (0 before one).
    double lowestTimingFrequency() const { return lowestFtg_; }
    double highestTimingFrequency() const { return highestFtg_; }

    // Strict mode (the default) enforces the flash's documented rules, each
    // break counted in ruleBreaks() and leaving cells that verify tells apart:
    // - the timing generator inside the part's rated range on every erase and
    //   write, else the write leaves weak bits and the erase leaves cells;
    // - at most tCPT of program time on a 64-byte row between erases, else
    //   that write leaves weak bits;
    // - a mass or main-memory erase completes only once erases of that kind
    //   add up to tCMErase, else some cells keep their old value;
    // - a block write stays inside its 64-byte row, else the word leaves weak bits;
    // - the supply at or above the part's program and erase minimum on every
    //   erase and write, else the write leaves weak bits and the erase cells;
    // - no access violation (a write or erase while BUSY, into locked flash or
    //   without WRT or ERASE, a data read while BUSY) and no wrong key: the
    //   write or erase does not happen.
    // Lenient mode keeps only the timing.
    void setStrict(bool strict) { strict_ = strict; }
    bool strict() const { return strict_; }
    void addStuckBit(const StuckBit& bit);
    void clearStuckBits() { stuck_.clear(); }
    const std::vector<StuckBit>& stuckBits() const { return stuck_; }
    // Applies the stuck bits to the cells (after loading an image).
    void applyStuckBits();

    // State transfer for saved chips.
    void setRegisters(uint8_t fctl1, uint8_t fctl2, uint8_t fctl3);
    void setEraseCounts(std::map<uint32_t, uint32_t> counts) { eraseCounts_ = std::move(counts); }

    static constexpr double kNever = 1e300;

  private:
    void noteAccessViolation(uint32_t address);
    bool protectedByLockA(uint32_t segmentStart) const;
    void startOperation(Operation op, uint32_t cycles, double now);
    void startErase(uint32_t address, double now);
    void finishWrite();
    void finishErase(bool mass);
    void eraseRange(uint32_t start, uint32_t end);
    void applyStuck(uint32_t address);
    void abort();
    void noteFrequency(double ftg);

    const DeviceProfile& profile_;
    uint8_t* mem_;
    const ClockSystem& clocks_;
    uint8_t fctl1_ = 0;
    uint8_t fctl2_ = 0x42;
    uint8_t fctl3_ = kFctl3Lock | kFctl3Wait;
    uint8_t fctl1Mask_;

    Operation op_ = Operation::None;
    double opEnd_ = kNever;
    bool opCorrupt_ = false;
    bool blockActive_ = false;
    uint32_t opAddress_ = 0;
    uint16_t opValue_ = 0;
    int opSize_ = 0;
    std::vector<std::pair<uint32_t, uint32_t>> eraseSegments_;  // start, size
    double lastFtg_ = 0;

    bool strict_ = true;
    uint32_t supplyMillivolts_ = 0;
    bool accessByProgrammer_ = true;
    uint64_t corrupted_ = 0;
    FlashRuleBreaks breaks_;
    FlashRuleBreaks lastAddress_;
    bool eraseRunOpen_ = false;
    std::map<uint32_t, double> rowProgram_;     // row start, program seconds since erase
    std::map<uint32_t, double> massEraseTime_;  // segment start, erase seconds short of complete
    // Segments erased completely and not written since: a further erase pulse
    // leaves them erased.
    std::set<uint32_t> fullyErased_;
    // Segments whose mass erase time the open erase run has reached.
    std::set<uint32_t> completedThisRun_;
    uint32_t blockRow_ = 0;
    double opSeconds_ = 0;
    double programSeconds_ = 0;
    double eraseSeconds_ = 0;
    double lowestFtg_ = 0;
    double highestFtg_ = 0;
    std::vector<StuckBit> stuck_;
    std::map<uint32_t, uint32_t> eraseCounts_;
};

}  // namespace kv::sim
