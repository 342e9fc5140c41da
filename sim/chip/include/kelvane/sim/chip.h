// A simulated MSP430 chip: memory map, flash controller, clock module,
// watchdog, SFRs, supply and resets, around the CPU.
// Every CPU access and every debugger access goes through the memory map.
//
// The chip is the CPU's Bus. Other masters (a bootstrap loader model, a test)
// may use the Bus too; outside run() their accesses take effect at once, and
// idle() lets simulated time pass for them (for example while BUSY).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "kelvane/sim/bus.h"
#include "kelvane/sim/clock_system.h"
#include "kelvane/sim/cpu.h"
#include "kelvane/sim/device_profile.h"
#include "kelvane/sim/eem.h"
#include "kelvane/sim/flash_controller.h"
#include "kelvane/sim/timer_a.h"
#include "kelvane/sim/watchdog.h"

namespace kv::sim {

// SFR bits of IE1 and IFG1.
enum : uint8_t {
    kWdtIfg = 0x01,
    kOfIfg = 0x02,
    kPorIfg = 0x04,
    kRstIfg = 0x08,
    kNmiIfg = 0x10,
    kWdtIe = 0x01,
    kOfIe = 0x02,
    kNmiIe = 0x10,
    kAccvIe = 0x20,
};

enum class ResetCause {
    None,
    PowerOn,
    ResetPin,
    WatchdogTimeout,
    WatchdogPassword,
    FlashKey,
    Debugger,
};

enum class StopReason {
    CycleBudget,   // the cycle budget ran out
    Instructions,  // the instruction budget ran out
    Address,       // PC reached the run's stop address
    Breakpoint,    // PC reached a breakpoint
    Condition,     // the stop condition returned true
    Sleeping,      // CPU off with nothing left that could wake it
    NoPower,       // the chip is not powered
    EemBreak,      // a break reaction of the emulation module (see eem())
};

struct RunLimits {
    uint64_t maxCycles = UINT64_MAX;
    uint64_t maxInstructions = UINT64_MAX;
    std::optional<uint32_t> stopAddress;
    // Checked after every instruction when set.
    std::function<bool()> stopWhen;
};

struct RunResult {
    StopReason reason = StopReason::CycleBudget;
    uint64_t cycles = 0;
    uint64_t instructions = 0;
};

struct AccessCounts {
    uint64_t reads = 0;
    uint64_t writes = 0;
    uint64_t fetches = 0;
    uint64_t unmappedReads = 0;
    uint64_t unmappedWrites = 0;
};

class Chip : public Bus {
  public:
    // A new chip is unpowered, its flash erased and its RAM filled with a pattern.
    // Simulated time passes only in run(), idle() and executeFed(): a chip held by
    // a debugger stands still.
    explicit Chip(const DeviceProfile& profile);
    ~Chip() override;
    Chip(const Chip&) = delete;
    Chip& operator=(const Chip&) = delete;

    const DeviceProfile& profile() const { return profile_; }

    // --- Bus: the memory map as every master sees it.
    uint8_t read8(uint32_t address) override;
    uint16_t read16(uint32_t address) override;
    void write8(uint32_t address, uint8_t value) override;
    void write16(uint32_t address, uint16_t value) override;
    uint16_t fetch16(uint32_t address) override;
    uint8_t* directPage(uint32_t pageAddress, bool write) override;
    Bus& bus() { return *this; }
    // Plain RAM, ROM and idle flash are handed to the CPU as direct pages (fast);
    // with direct access off every access goes through the calls above and is counted.
    void setDirectAccess(bool on);
    // Value of a read from an address where nothing is mapped (bytes: its low or high half).
    static constexpr uint16_t kUnmappedWord = 0x3FFF;

    // --- Supply and resets.
    void powerOn();   // supply on (3000 mV unless set higher) and power-on reset
    void powerOff();  // RAM and register contents are lost; flash is kept
    bool powered() const { return powered_; }
    // Supply voltage: below the part's minimum the chip is off, at or above it on.
    void setSupply(uint32_t millivolts);
    uint32_t supplyMillivolts() const { return supply_; }
    void puc(ResetCause cause = ResetCause::Debugger);
    void por(ResetCause cause = ResetCause::ResetPin);
    ResetCause lastResetCause() const { return lastReset_; }
    uint64_t pucCount() const { return pucCount_; }

    // --- Debugger access through the memory map (flash goes through the controller).
    void debugRead(uint32_t address, uint8_t* data, size_t size);
    void debugWrite(uint32_t address, const uint8_t* data, size_t size);
    // Cell contents without side effects; and a factory write of any mapped
    // memory (RAM, flash, boot ROM) that bypasses the flash controller.
    uint8_t peek8(uint32_t address) const { return mem_[address & kAddressMask]; }
    uint16_t peek16(uint32_t address) const;
    void poke(uint32_t address, const uint8_t* data, size_t size);
    void poke16(uint32_t address, uint16_t value);
    bool mapped(uint32_t address) const;

    // --- CPU registers as a debugger sees them. Execute through run(), step() and
    // executeFed(), not on the CPU directly, so that time and peripherals follow.
    Cpu& cpu() { return *cpu_; }
    uint32_t reg(int n) const { return cpu_->reg(n); }
    void setReg(int n, uint32_t value) { cpu_->setReg(n, value); }

    // --- Execution. Stop addresses and breakpoints are not checked before the
    // first instruction of a run, so a run can leave the address it stopped at.
    RunResult run(const RunLimits& limits);
    RunResult step();
    // One instruction whose words come from the debugger instead of memory (the
    // JTAG instruction feed); time and peripherals advance as in a run.
    int executeFed(const uint16_t* words, size_t count, size_t* used = nullptr);
    // Lets `cycles` MCLK cycles pass without executing instructions.
    void idle(uint64_t cycles);
    // Lets time pass until the flash controller is no longer busy.
    void idleUntilFlashReady();
    void addBreakpoint(uint32_t address);
    void removeBreakpoint(uint32_t address);
    void clearBreakpoints();

    // --- Enhanced emulation module (none on parts with EEM level 0). Its status
    // bit "stopped by the EEM" is cleared whenever run() or step() starts.
    Eem& eem() { return eem_; }
    const Eem& eem() const { return eem_; }

    // --- Time.
    uint64_t cycles() const { return cycles_; }
    uint64_t instructions() const { return instructions_; }
    double seconds() const;

    // --- Peripherals.
    // Read-only views: changes go through the bus and the calls of this class,
    // which keep time and events in step.
    const FlashController& flash() const { return flash_; }
    const ClockSystem& clocks() const { return clocks_; }
    // Counters of the watchdog and the timer are brought up to date on register
    // access and at events; read TAR or save the chip for their current value.
    const Watchdog& watchdog() const { return watchdog_; }
    const TimerA& timerA() const { return timer_; }
    uint8_t ie1() const { return ie1_; }
    uint8_t ifg1() const { return ifg1_; }
    const AccessCounts& accessCounts() const { return counts_; }

    // --- What JTAG sees.
    uint8_t jtagId() const { return profile_.jtagId; }
    bool fuseBlown() const { return fuseBlown_; }
    // Blows the security fuse; false when this part has none.
    bool blowFuse();
    // JTAG answers only on a powered chip with an intact fuse.
    bool jtagAccessible() const { return powered_ && !fuseBlown_; }
    uint8_t configFuses() const { return configFuses_; }
    void setConfigFuses(uint8_t value) { configFuses_ = value; }
    std::array<uint8_t, 16> idBlock() const;

    // --- Faults and chip-to-chip spread.
    void setDcoScale(double scale);
    void setDcoLimits(double minHz, double maxHz);
    void setCrystals(double lfxt1Hz, double xt2Hz);
    void setStrictFlashTiming(bool strict) { flash_.setStrict(strict); }
    void addStuckBit(const StuckBit& bit) { flash_.addStuckBit(bit); }
    // A flash byte that holds no charge: it takes a write and reads back as
    // written while the flash is in write mode, then reads erased once the
    // write mode ends.
    void addLeakyCell(uint32_t address) { leakyCells_.push_back(address & kAddressMask); }
    // The watchdog fires (PUC) now, or after `cycles` more cycles, whatever its settings.
    void fireWatchdog();
    void fireWatchdogAfter(uint64_t cycles);

    // --- Rule breaks.
    // Runs of the programmer's own code (a debugger's routines): the flash
    // access violations they make count as breaks; a user program's do not.
    void setProgrammerRun(bool on) { programmerRun_ = on; }
    // Ends the flash's open erase run (it is counted when short) and writes
    // one line on standard error for each flash rule broken since the last
    // report, naming the chip, the rule, the address and the count. Called
    // when a session with the chip closes; returns the breaks in all.
    uint64_t reportRuleBreaks();

    // --- Saved chips: contents, registers and state in a versioned file.
    bool save(const std::string& path, std::string* error) const;
    // The file must have been saved from a chip of the same profile.
    bool load(const std::string& path, std::string* error);

  private:
    uint64_t reportedBreaks_ = 0;
    enum PageKind : uint8_t { kUnmapped, kPeripheral, kRam, kRom, kFlash };
    static constexpr uint32_t kAddressMask = 0xFFFFF;
    static constexpr uint32_t kMemorySize = 0x100000;
    static constexpr int kPageShift = 6;
    static constexpr uint64_t kNoEvent = UINT64_MAX;

    void buildMemoryMap();
    void mapRange(uint32_t start, uint32_t end, PageKind kind);
    uint16_t load16(uint32_t a) const {
        return static_cast<uint16_t>(mem_[a] | (mem_[a + 1] << 8));
    }

    uint16_t slowRead16(uint32_t address, bool fetch);
    uint8_t slowRead8(uint32_t address);
    void slowWrite(uint32_t address, uint16_t value, int size);
    uint8_t peripheralRead8(uint32_t address);
    uint16_t peripheralRead16(uint32_t address);
    void peripheralWrite8(uint32_t address, uint8_t value);
    void peripheralWrite16(uint32_t address, uint16_t value);
    void writeFlashCell(uint32_t address, uint16_t value, int size);
    // Tells the flash whose access comes next: the programmer's (outside a
    // run, instructions fed over JTAG, the programmer's routines) or a user
    // program's.
    void noteFlashAccessor();
    bool programmerRun_ = false;
    void writeClockRegister(uint32_t address, uint8_t value);

    template <bool kEem>
    StopReason runLoop(const RunLimits& limits, uint64_t instructionEnd);
    void eemCycle(uint32_t address, uint32_t data, uint16_t kind);

    void noteFlashState();
    void requestPuc(ResetCause cause);
    void applyPuc(ResetCause cause);
    void loseVolatileContents();
    void updateInterrupts();
    bool serviceInterrupt();

    double watchdogSourceHz() const;
    double timerSourceHz() const;
    void syncTime();
    void syncAll();
    void handleEvents();
    void scheduleEvents();
    uint64_t cycleAt(double time) const;

    const DeviceProfile profile_;
    std::unique_ptr<uint8_t[]> memory_;
    uint8_t* mem_;
    std::vector<uint32_t> leakyCells_;
    std::vector<uint8_t> pages_;
    std::vector<uint8_t> unpoweredPages_;  // all vacant: what an unpowered chip answers
    const uint8_t* kinds_;                 // pages_ or unpoweredPages_
    ClockSystem clocks_;
    FlashController flash_;
    Watchdog watchdog_;
    TimerA timer_;
    std::unique_ptr<Cpu> cpu_;
    Eem eem_;

    bool powered_ = false;
    uint32_t supply_ = 0;
    bool running_ = false;
    bool feeding_ = false;
    bool directAccess_ = true;
    bool eemActive_ = false;      // a run is feeding the armed EEM its bus cycles
    bool eemSkipFetch_ = false;   // the next fetch is the opcode the EEM saw already
    bool flashWasBusy_ = false;
    bool fuseBlown_ = false;
    uint8_t configFuses_ = 0;
    uint8_t ie1_ = 0;
    uint8_t ifg1_ = 0;
    bool nmiPending_ = false;
    bool maskablePending_ = false;
    bool pucPending_ = false;
    ResetCause pucCause_ = ResetCause::None;
    ResetCause lastReset_ = ResetCause::None;
    uint64_t pucCount_ = 0;

    uint64_t cycles_ = 0;
    uint64_t instructions_ = 0;
    uint64_t syncCycles_ = 0;
    double syncSeconds_ = 0;
    double mclk_ = 1e6;
    uint64_t nextEvent_ = kNoEvent;
    uint64_t budgetEnd_ = kNoEvent;
    uint64_t watchdogFaultAt_ = kNoEvent;
    double nextHousekeeping_ = 0;
    double lastFllWrite_ = 0;

    std::vector<uint8_t> breakpointBits_;
    size_t breakpointCount_ = 0;
    AccessCounts counts_;
};

}  // namespace kv::sim
