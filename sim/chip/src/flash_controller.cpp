#include "kelvane/sim/flash_controller.h"

#include <algorithm>
#include <cstdio>

namespace kv::sim {

namespace {

constexpr uint8_t kWriteKey = 0xA5;
constexpr uint8_t kReadKey = 0x96;

constexpr uint32_t kRowSize = 64;

// Bits that a badly timed program pulse leaves at 1 (deterministic per cell).
uint8_t weakBits(uint32_t address) {
    return static_cast<uint8_t>(0x11u << (address % 4));
}

void countBreak(uint64_t& count, uint64_t& lastAddress, uint32_t address) {
    ++count;
    lastAddress = address;
}

uint32_t rowOf(uint32_t address) {
    return address & ~(kRowSize - 1);
}

// Cells an incomplete erase leaves as they were.
bool keptByShortErase(uint32_t address) {
    return address % 16 == 5;
}

}  // namespace

FlashController::FlashController(const DeviceProfile& profile, uint8_t* memory,
                                 const ClockSystem& clocks)
    : profile_(profile), mem_(memory), clocks_(clocks) {
    fctl1Mask_ = kFctl1Blkwrt | kFctl1Wrt | kFctl1Meras | kFctl1Erase;
    if (profile.globalMassErase) fctl1Mask_ |= kFctl1Gmeras;
    if (profile.eraseInterruptBits) fctl1Mask_ |= 0x18;
    if (profile.fctl1TimingBits) fctl1Mask_ |= 0x30;
    powerOnReset();
}

void FlashController::powerOnReset() {
    fctl3_ = 0;
    puc();
}

void FlashController::puc() {
    abort();
    fctl1_ = 0;
    fctl2_ = 0x42;  // MCLK, divider 3
    uint8_t keep = fctl3_ & (kFctl3Keyv | kFctl3Fail);
    fctl3_ = keep | kFctl3Lock | kFctl3Wait;
    if (profile_.lockA) fctl3_ |= kFctl3LockA;
}

void FlashController::abort() {
    op_ = Operation::None;
    opEnd_ = kNever;
    blockActive_ = false;
    eraseSegments_.clear();
    fctl3_ = static_cast<uint8_t>((fctl3_ & ~kFctl3Busy) | kFctl3Wait);
}

uint16_t FlashController::readRegister(uint32_t address) const {
    switch (address & ~1u) {
        case 0x0128:
            return static_cast<uint16_t>((kReadKey << 8) | fctl1_);
        case 0x012A:
            return static_cast<uint16_t>((kReadKey << 8) | fctl2_);
        default:
            return static_cast<uint16_t>((kReadKey << 8) | fctl3_);
    }
}

void FlashController::setRegisters(uint8_t fctl1, uint8_t fctl2, uint8_t fctl3) {
    abort();
    fctl1_ = fctl1;
    fctl2_ = fctl2;
    fctl3_ = static_cast<uint8_t>((fctl3 & ~kFctl3Busy) | kFctl3Wait);
}

double FlashController::timingFrequency() const {
    double source = 0;
    switch (fctl2_ >> 6) {
        case 0:
            source = clocks_.aclkHz();
            break;
        case 1:
            source = clocks_.mclkHz();
            break;
        default:
            source = clocks_.smclkHz();
            break;
    }
    return source / ((fctl2_ & 0x3F) + 1);
}

bool FlashController::writeRegister(uint32_t address, uint16_t value, double now) {
    if ((value >> 8) != kWriteKey) {
        fctl3_ |= kFctl3Keyv;
        if (strict_ && accessByProgrammer_) countBreak(breaks_.access, lastAddress_.access, address);
        return false;
    }
    uint8_t low = static_cast<uint8_t>(value);
    switch (address & ~1u) {
        case 0x0128: {
            if (busy()) {
                // Only the end of a block write may change FCTL1 while busy.
                bool endsBlock = blockActive_ && op_ == Operation::None && (fctl3_ & kFctl3Wait) &&
                                 !(low & kFctl1Blkwrt);
                if (!endsBlock) {
                    noteAccessViolation(address);
                    return true;
                }
                fctl1_ = low & fctl1Mask_;
                startOperation(Operation::BlockEnd, profile_.timing.blockEnd, now);
                return true;
            }
            fctl1_ = low & fctl1Mask_;
            return true;
        }
        case 0x012A:
            if (busy()) {
                noteAccessViolation(address);
                return true;
            }
            fctl2_ = low;
            return true;
        default: {
            uint8_t writable = kFctl3Lock | kFctl3Emex | kFctl3Accvifg | kFctl3Keyv;
            if (profile_.failFlag) writable |= kFctl3Fail;
            uint8_t next = static_cast<uint8_t>((fctl3_ & ~writable) | (low & writable));
            if (profile_.lockA && (low & kFctl3LockA)) next ^= kFctl3LockA;
            fctl3_ = next;
            if ((low & kFctl3Emex) && busy()) abort();
            return true;
        }
    }
}

void FlashController::noteAccessViolation(uint32_t address) {
    fctl3_ |= kFctl3Accvifg;
    if (strict_ && accessByProgrammer_) countBreak(breaks_.access, lastAddress_.access, address);
}

// While LOCKA is set, segment A "cannot be written or erased" (family guides
// of the 2xx and of the 4xx parts that have the bit; the 1xx controller has
// none, its bit 6 is reserved). The guides do not count it among the access
// violations: the write or erase is simply not done, ACCVIFG stays clear and
// no rule is broken.
bool FlashController::protectedByLockA(uint32_t segmentStart) const {
    return profile_.lockA && (fctl3_ & kFctl3LockA) && segmentStart == profile_.segmentA;
}

void FlashController::noteFrequency(double ftg) {
    if (lowestFtg_ == 0 || ftg < lowestFtg_) lowestFtg_ = ftg;
    if (ftg > highestFtg_) highestFtg_ = ftg;
}

void FlashController::startOperation(Operation op, uint32_t cycles, double now) {
    double ftg = timingFrequency();
    lastFtg_ = ftg;
    if (ftg <= 0) {
        // No timing generator clock: the operation cannot run.
        if (profile_.failFlag) fctl3_ |= kFctl3Fail;
        abort();
        return;
    }
    opSeconds_ = cycles / ftg;
    if (op != Operation::BlockEnd) {
        if (op == Operation::MassErase)
            eraseRunOpen_ = true;
        else
            endEraseRun();
        noteFrequency(ftg);
        const uint32_t at = op == Operation::Write || op == Operation::BlockWord
                                ? opAddress_
                                : (eraseSegments_.empty() ? 0 : eraseSegments_.front().first);
        const bool outOfRange = ftg < profile_.ftgMinHz || ftg > profile_.ftgMaxHz;
        opCorrupt_ = strict_ && outOfRange;
        if (opCorrupt_) countBreak(breaks_.clock, lastAddress_.clock, at);
        if (strict_ && supplyMillivolts_ < profile_.flashMinMillivolts) {
            countBreak(breaks_.supply, lastAddress_.supply, at);
            opCorrupt_ = true;
        }
        if (op == Operation::Write || op == Operation::BlockWord) {
            double& programmed = rowProgram_[rowOf(opAddress_)];
            programmed += opSeconds_;
            if (strict_ && programmed > profile_.cumulativeProgramSeconds) {
                countBreak(breaks_.programTime, lastAddress_.programTime, at);
                opCorrupt_ = true;
            }
            uint32_t segment = 0;
            uint32_t size = 0;
            if (profile_.flashSegment(opAddress_, &segment, &size)) {
                fullyErased_.erase(segment);
                if (strict_ && massEraseTime_.count(segment) != 0)
                    countBreak(breaks_.massErase, lastAddress_.massErase, at);
            }
        }
        if (opCorrupt_) ++corrupted_;
    }
    if (op == Operation::SegmentErase || op == Operation::MassErase)
        eraseSeconds_ += opSeconds_;
    else
        programSeconds_ += opSeconds_;
    op_ = op;
    opEnd_ = now + opSeconds_;
    fctl3_ |= kFctl3Busy;
    if (op == Operation::BlockWord) fctl3_ &= ~kFctl3Wait;
}

double FlashController::rowProgramSeconds(uint32_t address) const {
    auto it = rowProgram_.find(rowOf(address));
    return it == rowProgram_.end() ? 0 : it->second;
}

void FlashController::writeCell(uint32_t address, uint16_t value, int size, double now) {
    bool block = (fctl1_ & (kFctl1Blkwrt | kFctl1Wrt)) == (kFctl1Blkwrt | kFctl1Wrt);
    if (busy()) {
        bool accepted = block && blockActive_ && op_ == Operation::None && (fctl3_ & kFctl3Wait);
        if (!accepted) {
            noteAccessViolation(address);
            return;
        }
    }
    if (fctl3_ & kFctl3Lock) {
        noteAccessViolation(address);
        return;
    }
    if (fctl1_ & (kFctl1Erase | kFctl1Meras)) {
        startErase(address, now);
        return;
    }
    if (!(fctl1_ & kFctl1Wrt)) {
        noteAccessViolation(address);
        return;
    }
    uint32_t segStart = 0;
    uint32_t segSize = 0;
    if (profile_.flashSegment(address, &segStart, &segSize) && protectedByLockA(segStart)) return;
    opAddress_ = address;
    opValue_ = value;
    opSize_ = size;
    if (block) {
        const FlashTiming& t = profile_.timing;
        const bool leavesRow = blockActive_ && rowOf(address) != blockRow_;
        if (!blockActive_) blockRow_ = rowOf(address);
        startOperation(Operation::BlockWord, blockActive_ ? t.blockNext : t.blockFirst, now);
        if (op_ != Operation::None) {
            blockActive_ = true;
            if (leavesRow && strict_) {
                countBreak(breaks_.blockRow, lastAddress_.blockRow, address);
                if (!opCorrupt_) ++corrupted_;
                opCorrupt_ = true;
            }
        }
    } else {
        startOperation(Operation::Write, profile_.timing.wordWrite, now);
    }
}

void FlashController::startErase(uint32_t address, double now) {
    eraseSegments_.clear();
    uint8_t mode = fctl1_ & (kFctl1Erase | kFctl1Meras | kFctl1Gmeras);
    bool infoLocked = profile_.lockA && (fctl3_ & kFctl3LockA);
    auto addInfo = [&] {
        if (infoLocked || profile_.infoEnd == 0) return;
        for (uint32_t a = profile_.infoStart; a <= profile_.infoEnd; a += profile_.infoSegment)
            eraseSegments_.emplace_back(a, profile_.infoSegment);
    };
    auto addMain = [&](uint32_t from, uint32_t to) {
        uint32_t a = std::max(from, profile_.mainStart);
        uint32_t last = std::min(to, profile_.mainEnd);
        while (a <= last && profile_.mainEnd != 0) {
            uint32_t start = 0;
            uint32_t size = 0;
            profile_.flashSegment(a, &start, &size);
            eraseSegments_.emplace_back(start, size);
            a = start + size;
        }
    };
    if (mode == kFctl1Erase) {
        uint32_t start = 0;
        uint32_t size = 0;
        if (!profile_.flashSegment(address, &start, &size) || protectedByLockA(start)) return;
        eraseSegments_.emplace_back(start, size);
        startOperation(Operation::SegmentErase, profile_.timing.segmentErase, now);
        return;
    }
    bool all = (mode & kFctl1Gmeras) || !profile_.globalMassErase || profile_.flashBankSize == 0;
    if (all) {
        addMain(profile_.mainStart, profile_.mainEnd);
    } else {
        uint32_t bank = address / profile_.flashBankSize * profile_.flashBankSize;
        addMain(bank, bank + profile_.flashBankSize - 1);
    }
    if (mode & kFctl1Erase) addInfo();
    if (eraseSegments_.empty()) return;
    startOperation(Operation::MassErase, profile_.timing.massErase, now);
}

void FlashController::complete(double now) {
    if (op_ == Operation::None || now < opEnd_) return;
    Operation op = op_;
    op_ = Operation::None;
    opEnd_ = kNever;
    switch (op) {
        case Operation::Write:
            finishWrite();
            fctl3_ = static_cast<uint8_t>((fctl3_ & ~kFctl3Busy) | kFctl3Wait);
            break;
        case Operation::BlockWord:
            finishWrite();
            fctl3_ |= kFctl3Wait;  // still busy until the block ends
            break;
        case Operation::BlockEnd:
            blockActive_ = false;
            fctl3_ = static_cast<uint8_t>((fctl3_ & ~kFctl3Busy) | kFctl3Wait);
            break;
        case Operation::SegmentErase:
        case Operation::MassErase:
            finishErase(op == Operation::MassErase);
            fctl1_ &= ~(kFctl1Erase | kFctl1Meras | kFctl1Gmeras);
            fctl3_ = static_cast<uint8_t>((fctl3_ & ~kFctl3Busy) | kFctl3Wait);
            break;
        case Operation::None:
            break;
    }
}

void FlashController::finishWrite() {
    for (int i = 0; i < opSize_; ++i) {
        uint32_t a = opAddress_ + static_cast<uint32_t>(i);
        uint8_t data = static_cast<uint8_t>(opValue_ >> (8 * i));
        if (opCorrupt_) data |= weakBits(a);
        mem_[a] &= data;
        applyStuck(a);
    }
}

void FlashController::finishErase(bool mass) {
    // A mass or main-memory erase adds its time to what earlier ones left
    // short; the cells count as erased only once the total reaches tCMErase.
    // Every erase run must reach it, whatever the cells held: only the pulses
    // of this run after its total was reached add nothing.
    for (auto [start, size] : eraseSegments_) {
        bool complete = true;
        if (mass && strict_ && completedThisRun_.count(start) == 0) {
            double& erased = massEraseTime_[start];
            erased += opSeconds_;
            complete = erased >= profile_.cumulativeMassEraseSeconds * (1 - 1e-9);
        }
        if (complete) {
            massEraseTime_.erase(start);
            eraseRange(start, start + size - 1);
            if (mass) completedThisRun_.insert(start);
            if (!opCorrupt_) fullyErased_.insert(start);
        } else if (fullyErased_.count(start) != 0) {
            // Cells erased completely before stay erased; the run's short
            // total is still counted when the run ends.
        } else {
            for (uint32_t a = start; a < start + size; ++a) {
                if (!keptByShortErase(a)) mem_[a] = 0xFF;
                applyStuck(a);
            }
        }
        ++eraseCounts_[start];
    }
    eraseSegments_.clear();
}

void FlashController::eraseRange(uint32_t start, uint32_t end) {
    for (uint32_t a = start; a <= end; ++a) {
        // A badly timed erase pulse leaves some cells as they were.
        if (!(opCorrupt_ && keptByShortErase(a))) mem_[a] = 0xFF;
        applyStuck(a);
    }
    if (opCorrupt_) return;
    for (uint32_t row = rowOf(start); row <= end; row += kRowSize)
        rowProgram_.erase(row);
}

void FlashController::addStuckBit(const StuckBit& bit) {
    stuck_.push_back(bit);
    applyStuck(bit.address);
}

void FlashController::applyStuck(uint32_t address) {
    for (const StuckBit& s : stuck_) {
        if (s.address != address) continue;
        uint8_t mask = static_cast<uint8_t>(1u << (s.bit & 7));
        if (s.value) {
            mem_[address] |= mask;
        } else {
            mem_[address] &= static_cast<uint8_t>(~mask);
        }
    }
}

void FlashController::applyStuckBits() {
    for (const StuckBit& s : stuck_)
        applyStuck(s.address);
}

std::map<uint32_t, double> FlashController::shortErasedSegments() const {
    std::map<uint32_t, double> missing;
    for (const auto& [start, erased] : massEraseTime_)
        missing[start] = profile_.cumulativeMassEraseSeconds - erased;
    return missing;
}

void FlashController::forgetErase(uint32_t address, uint32_t size) {
    if (size == 0) return;
    std::erase_if(fullyErased_, [&](uint32_t start) {
        uint32_t segment = 0;
        uint32_t length = 0;
        profile_.flashSegment(start, &segment, &length);
        return start < address + size && address < start + length;
    });
}

std::vector<std::string> FlashController::ruleBreakLines() const {
    const struct {
        uint64_t count;
        uint64_t address;
        const char* rule;
    } rules[] = {
        {breaks_.clock, lastAddress_.clock, "timing generator outside its rated range"},
        {breaks_.programTime, lastAddress_.programTime,
         "cumulative program time of a row (tCPT)"},
        {breaks_.massErase, lastAddress_.massErase,
         "write into cells short of the cumulative mass erase time"},
        {breaks_.blockRow, lastAddress_.blockRow, "block write left its 64-byte row"},
        {breaks_.eraseTime, lastAddress_.eraseTime,
         "mass or main erase short of the cumulative mass erase time (tCMErase)"},
        {breaks_.supply, lastAddress_.supply,
         "write or erase below the program and erase supply minimum"},
        {breaks_.access, lastAddress_.access,
         "access violation (write or erase while busy, into locked flash or without "
         "its mode, read while busy) or wrong key"},
    };
    std::vector<std::string> lines;
    for (const auto& r : rules) {
        if (r.count == 0) continue;
        char line[200];
        std::snprintf(line, sizeof line, "flash rule broken: %s, last at %05llX, %llu time%s",
                      r.rule, static_cast<unsigned long long>(r.address),
                      static_cast<unsigned long long>(r.count), r.count == 1 ? "" : "s");
        lines.emplace_back(line);
    }
    return lines;
}

void FlashController::endEraseRun() {
    if (!eraseRunOpen_) return;
    eraseRunOpen_ = false;
    completedThisRun_.clear();
    if (strict_ && !massEraseTime_.empty())
        countBreak(breaks_.eraseTime, lastAddress_.eraseTime, massEraseTime_.begin()->first);
}

uint32_t FlashController::eraseCount(uint32_t segmentStart) const {
    auto it = eraseCounts_.find(segmentStart);
    return it == eraseCounts_.end() ? 0 : it->second;
}

}  // namespace kv::sim
