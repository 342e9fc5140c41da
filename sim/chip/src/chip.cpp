#include "kelvane/sim/chip.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>

#include "kelvane/sim/rule_breaks.h"

namespace kv::sim {

Chip::Chip(const DeviceProfile& profile)
    : profile_(profile),
      memory_(new uint8_t[kMemorySize + 1]()),
      mem_(memory_.get()),
      pages_(kMemorySize >> kPageShift, kUnmapped),
      unpoweredPages_(kMemorySize >> kPageShift, kUnmapped),
      kinds_(unpoweredPages_.data()),
      clocks_(profile_),
      flash_(profile_, mem_, clocks_),
      cpu_(std::make_unique<Cpu>(*this, profile_.extended)),
      eem_(profile_),
      configFuses_(profile_.fuses),
      breakpointBits_(kMemorySize / 8, 0) {
    buildMemoryMap();
    std::fill(mem_, mem_ + kMemorySize, 0xFF);  // erased flash, blank ROM
    std::memset(mem_, 0, 0x200);
    std::array<uint8_t, 16> id = profile_.idBlock;
    if (mapped(0x0FF0)) std::memcpy(mem_ + 0x0FF0, id.data(), id.size());
    loseVolatileContents();
    mclk_ = clocks_.mclkHz();
}

Chip::~Chip() = default;

void Chip::mapRange(uint32_t start, uint32_t end, PageKind kind) {
    if (end < start) return;
    for (uint32_t page = start >> kPageShift; page <= (end >> kPageShift); ++page)
        pages_[page] = kind;
}

void Chip::buildMemoryMap() {
    mapRange(0x0000, 0x01FF, kPeripheral);
    if (profile_.ramEnd != 0) mapRange(profile_.ramStart, profile_.ramEnd, kRam);
    if (profile_.hasRam2()) mapRange(profile_.ram2Start, profile_.ram2End, kRam);
    if (profile_.bootEnd != 0) mapRange(profile_.bootStart, profile_.bootEnd, kRom);
    if (profile_.infoEnd != 0) mapRange(profile_.infoStart, profile_.infoEnd, kFlash);
    if (profile_.mainEnd != 0) mapRange(profile_.mainStart, profile_.mainEnd, kFlash);
}

bool Chip::mapped(uint32_t address) const {
    return pages_[(address & kAddressMask) >> kPageShift] != kUnmapped;
}

std::array<uint8_t, 16> Chip::idBlock() const {
    std::array<uint8_t, 16> id{};
    for (size_t i = 0; i < id.size(); ++i)
        id[i] = mem_[0x0FF0 + i];
    return id;
}

// --- Bus -----------------------------------------------------------------

uint16_t Chip::read16(uint32_t address) {
    address &= kAddressMask & ~1u;
    ++counts_.reads;
    uint8_t kind = kinds_[address >> kPageShift];
    uint16_t value = (kind == kRam || kind == kRom || (kind == kFlash && !flash_.busy()))
                         ? load16(address)
                         : slowRead16(address, false);
    if (eemActive_) eemCycle(address, value, kEemCycleRead);
    return value;
}

uint16_t Chip::fetch16(uint32_t address) {
    address &= kAddressMask & ~1u;
    ++counts_.fetches;
    uint8_t kind = kinds_[address >> kPageShift];
    uint16_t value = (kind == kRam || kind == kRom || (kind == kFlash && !flash_.busy()))
                         ? load16(address)
                         : slowRead16(address, true);
    if (eemActive_) {
        if (eemSkipFetch_)
            eemSkipFetch_ = false;  // the opcode fetch, seen before the instruction ran
        else
            eemCycle(address, value, kEemCycleRead | kEemCycleStream);
    }
    return value;
}

uint8_t Chip::read8(uint32_t address) {
    address &= kAddressMask;
    ++counts_.reads;
    uint8_t kind = kinds_[address >> kPageShift];
    uint8_t value = (kind == kRam || kind == kRom || (kind == kFlash && !flash_.busy()))
                        ? mem_[address]
                        : slowRead8(address);
    if (eemActive_) eemCycle(address, value, kEemCycleRead | kEemCycleByte);
    return value;
}

void Chip::write16(uint32_t address, uint16_t value) {
    address &= kAddressMask & ~1u;
    ++counts_.writes;
    if (eemActive_) eemCycle(address, value, kEemCycleWrite);
    if (kinds_[address >> kPageShift] == kRam) {
        mem_[address] = static_cast<uint8_t>(value);
        mem_[address + 1] = static_cast<uint8_t>(value >> 8);
        return;
    }
    slowWrite(address, value, 2);
}

void Chip::write8(uint32_t address, uint8_t value) {
    address &= kAddressMask;
    ++counts_.writes;
    if (eemActive_) eemCycle(address, value, kEemCycleWrite | kEemCycleByte);
    if (kinds_[address >> kPageShift] == kRam) {
        mem_[address] = value;
        return;
    }
    slowWrite(address, value, 1);
}

void Chip::eemCycle(uint32_t address, uint32_t data, uint16_t kind) {
    eem_.busCycle(address, data, kind);
}

uint16_t Chip::slowRead16(uint32_t address, bool fetch) {
    if (!powered_) {
        ++counts_.unmappedReads;
        return kUnmappedWord;
    }
    switch (pages_[address >> kPageShift]) {
        case kPeripheral:
            if (address >= 0x100) return peripheralRead16(address);
            return static_cast<uint16_t>(peripheralRead8(address) |
                                         (peripheralRead8(address + 1) << 8));
        case kFlash:
            // Flash is busy: the CPU fetches JMP $, a data read is an access violation.
            if (!fetch) {
                noteFlashAccessor();
                flash_.readWhileBusy(address);
                updateInterrupts();
            }
            return kUnmappedWord;
        default:
            ++counts_.unmappedReads;
            return kUnmappedWord;
    }
}

uint8_t Chip::slowRead8(uint32_t address) {
    uint8_t kind = pages_[address >> kPageShift];
    if (powered_ && kind == kPeripheral) return peripheralRead8(address);
    uint16_t word = slowRead16(address & ~1u, false);
    return static_cast<uint8_t>((address & 1) ? word >> 8 : word);
}

void Chip::slowWrite(uint32_t address, uint16_t value, int size) {
    if (!powered_) {
        ++counts_.unmappedWrites;
        return;
    }
    switch (pages_[address >> kPageShift]) {
        case kPeripheral:
            if (size == 1) {
                peripheralWrite8(address, static_cast<uint8_t>(value));
            } else if (address >= 0x100) {
                peripheralWrite16(address, value);
            } else {
                // A byte-wide module takes only the low byte of a word write.
                peripheralWrite8(address, static_cast<uint8_t>(value));
            }
            break;
        case kFlash:
            writeFlashCell(address, value, size);
            break;
        case kRom:
            break;  // read-only
        default:
            ++counts_.unmappedWrites;
            break;
    }
}

// --- Peripheral space ----------------------------------------------------

uint8_t Chip::peripheralRead8(uint32_t address) {
    if (profile_.timerA && TimerA::owns(address)) {
        uint16_t w = peripheralRead16(address & ~1u);
        return static_cast<uint8_t>(address & 1 ? w >> 8 : w);
    }
    if (address == 0x0000) return ie1_;
    if (address == 0x0002) return ifg1_;
    if (clocks_.owns(address)) return clocks_.read8(address);
    if (address == 0x0120 || address == 0x0121) {
        uint16_t w = watchdog_.read();
        return static_cast<uint8_t>(address & 1 ? w >> 8 : w);
    }
    if (address >= 0x0128 && address <= 0x012D) {
        uint16_t w = flash_.readRegister(address);
        return static_cast<uint8_t>(address & 1 ? w >> 8 : w);
    }
    return mem_[address];
}

uint16_t Chip::peripheralRead16(uint32_t address) {
    if (profile_.timerA && TimerA::owns(address)) {
        syncAll();
        uint16_t value = timer_.read(address);
        if (address == 0x012E) updateInterrupts();
        return value;
    }
    if (address == 0x0120) return watchdog_.read();
    if (address >= 0x0128 && address <= 0x012D) return flash_.readRegister(address);
    return static_cast<uint16_t>(peripheralRead8(address) | (peripheralRead8(address + 1) << 8));
}

void Chip::peripheralWrite8(uint32_t address, uint8_t value) {
    if (profile_.timerA && TimerA::owns(address)) {
        // A byte of a word register: the other byte keeps its value.
        syncAll();
        uint32_t word = address & ~1u;
        uint16_t old = word == 0x012E ? 0 : timer_.read(word);
        uint16_t merged = address & 1 ? static_cast<uint16_t>((old & 0x00FF) | (value << 8))
                                      : static_cast<uint16_t>((old & 0xFF00) | value);
        peripheralWrite16(word, merged);
        return;
    }
    if (address == 0x0000) {
        ie1_ = value;
        updateInterrupts();
        return;
    }
    if (address == 0x0002) {
        ifg1_ = value;
        if (clocks_.oscillatorFault()) ifg1_ |= kOfIfg;
        updateInterrupts();
        return;
    }
    if (clocks_.owns(address)) {
        writeClockRegister(address, value);
        return;
    }
    if (address == 0x0120 || address == 0x0121 || (address >= 0x0128 && address <= 0x012D)) {
        // Word-only registers: a byte write cannot carry the password.
        peripheralWrite16(address & ~1u, value);
        return;
    }
    mem_[address] = value;
}

void Chip::peripheralWrite16(uint32_t address, uint16_t value) {
    if (profile_.timerA && TimerA::owns(address)) {
        syncAll();
        timer_.write(address, value, seconds());
        updateInterrupts();
        scheduleEvents();
        return;
    }
    if (address == 0x0120) {
        syncAll();
        if (!watchdog_.write(value, seconds())) {
            ifg1_ |= kWdtIfg;
            requestPuc(ResetCause::WatchdogPassword);
            return;
        }
        updateInterrupts();
        scheduleEvents();
        return;
    }
    if (address >= 0x0128 && address <= 0x012D) {
        noteFlashAccessor();
        if (!flash_.writeRegister(address, value, seconds())) {
            requestPuc(ResetCause::FlashKey);
            return;
        }
        if ((flash_.fctl1() & kFctl1Wrt) == 0)
            for (uint32_t cell : leakyCells_)
                mem_[cell] = 0xFF;
        updateInterrupts();
        scheduleEvents();
        return;
    }
    peripheralWrite8(address, static_cast<uint8_t>(value));
    peripheralWrite8(address + 1, static_cast<uint8_t>(value >> 8));
}

void Chip::writeClockRegister(uint32_t address, uint8_t value) {
    syncAll();
    clocks_.write8(address, value);
    if (clocks_.hasFll() && (address == 0x50 || address == 0x51)) lastFllWrite_ = seconds();
    mclk_ = clocks_.mclkHz() > 0 ? clocks_.mclkHz() : 1.0;
    if (clocks_.oscillatorFault()) ifg1_ |= kOfIfg;
    updateInterrupts();
    scheduleEvents();
}

void Chip::noteFlashAccessor() {
    flash_.setAccessByProgrammer(!running_ || feeding_ || programmerRun_);
}

void Chip::writeFlashCell(uint32_t address, uint16_t value, int size) {
    noteFlashAccessor();
    double now = seconds();
    flash_.writeCell(address, value, size, now);
    if (flash_.busy() && running_ && !feeding_ &&
        pages_[(cpu_->pc() & kAddressMask) >> kPageShift] == kFlash) {
        // Code running from flash is held until the flash is ready again.
        double end = flash_.nextEventTime();
        if (end < FlashController::kNever) {
            uint64_t target = cycleAt(end);
            if (target > cycles_) cycles_ = target;
            flash_.complete(end);
        }
    }
    updateInterrupts();
    scheduleEvents();
}

// --- Debugger and factory access -----------------------------------------

void Chip::debugRead(uint32_t address, uint8_t* data, size_t size) {
    for (size_t i = 0; i < size; ++i)
        data[i] = read8(address + static_cast<uint32_t>(i));
}

void Chip::debugWrite(uint32_t address, const uint8_t* data, size_t size) {
    size_t i = 0;
    while (i < size) {
        uint32_t a = address + static_cast<uint32_t>(i);
        if ((a & 1) == 0 && i + 1 < size) {
            write16(a, static_cast<uint16_t>(data[i] | (data[i + 1] << 8)));
            if (flash_.busy()) idleUntilFlashReady();
            i += 2;
        } else {
            write8(a, data[i]);
            if (flash_.busy()) idleUntilFlashReady();
            i += 1;
        }
    }
}

uint16_t Chip::peek16(uint32_t address) const {
    address &= kAddressMask & ~1u;
    return load16(address);
}

void Chip::poke(uint32_t address, const uint8_t* data, size_t size) {
    for (size_t i = 0; i < size; ++i) {
        uint32_t a = (address + static_cast<uint32_t>(i)) & kAddressMask;
        if (pages_[a >> kPageShift] != kUnmapped) mem_[a] = data[i];
    }
    flash_.forgetErase(address & kAddressMask, static_cast<uint32_t>(size));
    flash_.applyStuckBits();
}

namespace {
std::atomic<uint64_t> processBreaks{0};
}  // namespace

uint64_t Chip::reportRuleBreaks() {
    flash_.endEraseRun();
    const uint64_t total = flash_.ruleBreaks().total();
    if (total != reportedBreaks_) {
        for (const std::string& line : flash_.ruleBreakLines())
            std::fprintf(stderr, "Simulated %s: %s\n", profile_.name.c_str(), line.c_str());
        if (total > reportedBreaks_) processBreaks += total - reportedBreaks_;
        reportedBreaks_ = total;
    }
    return total;
}

uint64_t ruleBreaksReported() {
    return processBreaks.load();
}

void Chip::poke16(uint32_t address, uint16_t value) {
    uint8_t bytes[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
    poke(address & ~1u, bytes, 2);
}

bool Chip::blowFuse() {
    if (profile_.fuseBlowMillivolts == 0 || !powered_) return false;
    fuseBlown_ = true;
    return true;
}

// --- Supply and resets ---------------------------------------------------

void Chip::loseVolatileContents() {
    // Unpowered RAM comes back with a pattern rather than what was left in it.
    uint32_t seed = 0x2545F491u;
    for (uint32_t a = 0; a < kMemorySize; ++a) {
        if (pages_[a >> kPageShift] != kRam) continue;
        seed = seed * 1664525u + 1013904223u;
        mem_[a] = static_cast<uint8_t>(seed >> 24);
    }
    std::memset(mem_, 0, 0x200);
}

void Chip::setSupply(uint32_t millivolts) {
    if (millivolts < profile_.vccMinMillivolts) {
        powerOff();
        supply_ = millivolts;
        flash_.setSupply(millivolts);
        return;
    }
    supply_ = millivolts;
    powerOn();
}

void Chip::powerOn() {
    if (supply_ < profile_.vccMinMillivolts)
        supply_ = std::max<uint32_t>(3000, profile_.vccMinMillivolts);
    flash_.setSupply(supply_);
    if (powered_) return;
    powered_ = true;
    kinds_ = pages_.data();
    por(ResetCause::PowerOn);
}

void Chip::powerOff() {
    supply_ = 0;
    flash_.setSupply(0);
    if (!powered_) return;
    powered_ = false;
    kinds_ = unpoweredPages_.data();
    flash_.powerOnReset();  // an operation under way is cut off
    loseVolatileContents();
    eem_.reset();
    ie1_ = 0;
    ifg1_ = 0;
    pucPending_ = false;
    cpu_->invalidateDirectPages();
    updateInterrupts();
    scheduleEvents();
}

void Chip::por(ResetCause cause) {
    if (!powered_) return;
    flash_.powerOnReset();
    ifg1_ = 0;
    if (profile_.resetFlags) ifg1_ = cause == ResetCause::PowerOn ? kPorIfg : kRstIfg;
    std::memset(mem_, 0, 0x200);
    applyPuc(cause);
}

void Chip::puc(ResetCause cause) {
    if (!powered_) return;
    applyPuc(cause);
}

void Chip::requestPuc(ResetCause cause) {
    if (!running_) {
        applyPuc(cause);
        return;
    }
    // Inside an instruction: the reset takes effect when it ends.
    pucPending_ = true;
    pucCause_ = cause;
    nextEvent_ = 0;
}

void Chip::applyPuc(ResetCause cause) {
    pucPending_ = false;
    syncTime();
    double now = seconds();
    watchdog_.puc(now);
    timer_.reset(now);
    flash_.puc();
    clocks_.reset();
    mclk_ = clocks_.mclkHz() > 0 ? clocks_.mclkHz() : 1.0;
    ie1_ = 0;
    ifg1_ = static_cast<uint8_t>((ifg1_ & (kWdtIfg | kPorIfg | kRstIfg)) | kOfIfg);
    lastFllWrite_ = now;
    nextHousekeeping_ = now;
    lastReset_ = cause;
    ++pucCount_;
    updateInterrupts();
    cpu_->reset();
    scheduleEvents();
}

void Chip::updateInterrupts() {
    noteFlashState();
    uint8_t fctl3 = flash_.fctl3();
    nmiPending_ = ((ifg1_ & kNmiIfg) && (ie1_ & kNmiIe)) || ((ifg1_ & kOfIfg) && (ie1_ & kOfIe)) ||
                  ((fctl3 & kFctl3Accvifg) && (ie1_ & kAccvIe));
    maskablePending_ = ((ifg1_ & kWdtIfg) && (ie1_ & kWdtIe) && watchdog_.intervalMode()) ||
                       timer_.interruptCcr0() || timer_.interruptGroup();
}

bool Chip::serviceInterrupt() {
    if (nmiPending_) {
        ie1_ &= static_cast<uint8_t>(~(kNmiIe | kOfIe | kAccvIe));
        updateInterrupts();
        cycles_ += static_cast<uint64_t>(cpu_->interrupt(0xFFFC));
        return true;
    }
    if (!maskablePending_ || !(cpu_->sr() & kSrGie)) return false;
    // The pending source with the highest vector address goes first.
    uint16_t vector = 0;
    if ((ifg1_ & kWdtIfg) && (ie1_ & kWdtIe) && watchdog_.intervalMode()) vector = 0xFFF4;
    if (timer_.interruptCcr0() && profile_.timerA0Vector > vector) vector = profile_.timerA0Vector;
    if (timer_.interruptGroup() && profile_.timerA1Vector > vector) vector = profile_.timerA1Vector;
    if (vector == 0xFFF4) ifg1_ &= static_cast<uint8_t>(~kWdtIfg);
    if (vector == profile_.timerA0Vector) timer_.clearCcr0Flag();
    updateInterrupts();
    cycles_ += static_cast<uint64_t>(cpu_->interrupt(vector));
    return true;
}

}  // namespace kv::sim

namespace kv::sim {

uint8_t* Chip::directPage(uint32_t pageAddress, bool write) {
    if (!directAccess_ || !powered_ || eemActive_) return nullptr;
    pageAddress &= kAddressMask;
    uint32_t first = pageAddress >> kPageShift;
    uint32_t count = kDirectPageSize >> kPageShift;
    bool busy = flash_.busy();
    for (uint32_t p = first; p < first + count && p < pages_.size(); ++p) {
        uint8_t kind = pages_[p];
        bool plain =
            write ? kind == kRam : (kind == kRam || kind == kRom || (kind == kFlash && !busy));
        if (!plain) return nullptr;
    }
    return mem_ + pageAddress;
}

void Chip::setDirectAccess(bool on) {
    directAccess_ = on;
    cpu_->invalidateDirectPages();
}

void Chip::noteFlashState() {
    bool busy = flash_.busy();
    if (busy == flashWasBusy_) return;
    flashWasBusy_ = busy;
    // Flash pages change between plain memory and busy memory.
    if (profile_.infoEnd != 0)
        cpu_->invalidateDirectPages(profile_.infoStart, profile_.infoEnd + 1u);
    if (profile_.mainEnd != 0)
        cpu_->invalidateDirectPages(profile_.mainStart, profile_.mainEnd + 1);
}

}  // namespace kv::sim
