// Enhanced emulation module: registers, trigger blocks, combinations and reactions.
#include "kelvane/sim/eem.h"

#include <bit>

#include "kelvane/sim/cpu.h"

namespace kv::sim {

namespace {

// Cycle kinds (fetch 1, read 2, write 4) each access code of a trigger block
// matches. The chip has no DMA: the DMA-only codes never match.
constexpr uint8_t kF = 1, kR = 2, kW = 4;
constexpr uint8_t kAccessCycles[16] = {
    kF,      kF, kR | kW,      kF | kR | kW, kR, kW,      kF | kR, kW,
    kR | kW, 0,  kF | kR | kW, kW,           kR, kF | kR, 0,       0,
};

uint8_t cycleBits(uint16_t kind) {
    if (kind & kEemCycleFetch) return kF;
    if (kind & kEemCycleWrite) return kW;
    return kR;
}

}  // namespace

Eem::Eem(const DeviceProfile& profile) {
    level_ = profile.eemLevel > 3 ? 3 : profile.eemLevel;
    if (level_ != 0) {
        busBlocks_ = profile.breakpoints;
        regBlocks_ = level_ >= 3 ? 2 : 0;
        clockLevel_ = profile.clockControl;
    }
    widthMask_ = profile.extended ? 0xFFFFF : 0xFFFF;
    blocks_.resize(static_cast<size_t>(busBlocks_ + regBlocks_));
    reset();
}

void Eem::reset() {
    for (Block& b : blocks_)
        b = Block{};
    for (int i = busBlocks_; i < triggerBlocks(); ++i)
        blocks_[static_cast<size_t>(i)].control =
            static_cast<uint16_t>(static_cast<uint16_t>(EemSource::Register) << kEemCtlSourceShift);
    breakMask_ = storageMask_ = 0;
    clockControl_ = 0;
    moduleClock_ = 0;
    control_ = 0;
    triggerFlags_ = 0;
    breakHit_ = breakPending_ = false;
    registerLevels_ = 0;
    storage_.reset();
    sequencer_.reset();
    updateArmed();
}

// --- Registers -------------------------------------------------------------

bool Eem::writeRegister(uint16_t number, uint32_t value) {
    if (!present() || (number & 1)) return false;
    const uint32_t reactionBits =
        ((1u << triggerBlocks()) - 1) | (hasSequencer() ? kEemSequencerTrigger : 0u);
    if (number < triggerBlocks() * kEemBlockStride) {
        writeBlock(number / kEemBlockStride, (number % kEemBlockStride) / 2, value);
        updateArmed();
        return true;
    }
    switch (number) {
        case kEemBreakReaction:
            breakMask_ = value & reactionBits;
            return true;
        case kEemGeneralControl:
            return writeControl(static_cast<uint16_t>(value));
        case kEemClockControl:
            clockControl_ = static_cast<uint16_t>(value);
            return true;
        case kEemModuleClock0:
        case kEemModuleClock1:
            if (number == kEemModuleClock0)
                moduleClock_ = (moduleClock_ & 0xFFFF0000u) | (value & 0xFFFF);
            else
                moduleClock_ = (moduleClock_ & 0xFFFFu) | ((value & 0xFFFF) << 16);
            return true;
        default:
            break;
    }
    if (level_ < 3) return false;
    switch (number) {
        case kEemStorageReaction:
            storageMask_ = value & reactionBits;
            return true;
        case kEemStorageIndex:
            storage_.selectEntry(static_cast<uint16_t>(value));
            return true;
        case kEemStorageControl:
            storage_.writeControl(static_cast<uint16_t>(value));
            updateArmed();
            return true;
        case kEemSequence01:
        case kEemSequence23:
            sequencer_.writeTransitions(number == kEemSequence01 ? 0 : 1, value);
            return true;
        case kEemSequencerControl:
            sequencer_.writeControl(static_cast<uint16_t>(value));
            return true;
        default:
            return false;
    }
}

bool Eem::readRegister(uint16_t number, uint32_t* value) {
    if (!present() || !(number & 1) || value == nullptr) return false;
    const uint16_t base = static_cast<uint16_t>(number - 1);
    if (base < triggerBlocks() * kEemBlockStride) {
        *value = readBlock(base / kEemBlockStride, (base % kEemBlockStride) / 2);
        return true;
    }
    switch (number) {
        case kEemBreakReaction + 1:
            *value = breakMask_;
            return true;
        case kEemControl:
            *value = readControl();
            return true;
        case kEemClockControl + 1:
            *value = clockControl_;
            return true;
        case kEemModuleClock0 + 1:
        case kEemModuleClock1 + 1:
            *value =
                number == kEemModuleClock0 + 1 ? (moduleClock_ & 0xFFFF) : (moduleClock_ >> 16);
            return true;
        case kEemTriggerFlags:
            *value = triggerFlags_;
            return true;
        default:
            break;
    }
    if (level_ < 3) return false;
    switch (number) {
        case kEemStorageReaction + 1:
            *value = storageMask_;
            return true;
        case kEemStorageIndex + 1:
            *value = storage_.indexRegister();
            return true;
        case kEemStorageData:
            *value = storage_.readData();
            return true;
        case kEemStorageControl + 1:
            *value = storage_.status();
            return true;
        case kEemSequence01 + 1:
        case kEemSequence23 + 1:
            *value = sequencer_.transitions(number == kEemSequence01 + 1 ? 0 : 1);
            return true;
        case kEemSequencerControl + 1:
            *value = sequencer_.stateRegister();
            return true;
        default:
            return false;
    }
}

bool Eem::writeControl(uint16_t value) {
    if (!present()) return false;
    if (value & kEemControlClear) {
        breakHit_ = false;
        triggerFlags_ = 0;
    }
    control_ = value;
    return true;
}

uint16_t Eem::readControl() const {
    return static_cast<uint16_t>((control_ & 0x7F) | (breakHit_ ? kEemStatusBreak : 0));
}

void Eem::release() {
    breakHit_ = false;
    breakPending_ = false;
    triggerFlags_ = 0;
}

bool Eem::aclkStopped() const {
    return clockLevel_ >= 1 && (clockControl_ & kEemClkAclkStop);
}

bool Eem::smclkStopped() const {
    return clockLevel_ >= 1 && (clockControl_ & kEemClkSmclkStop);
}

bool Eem::mclkStopped() const {
    return clockLevel_ >= 1 && (clockControl_ & kEemClkMclkStop);
}

bool Eem::moduleClockStopped(int bit) const {
    if (clockLevel_ < 2 || bit < 0 || bit > 31) return false;
    return (clockControl_ & kEemClkModuleControl) && ((moduleClock_ >> bit) & 1u);
}

void Eem::writeBlock(int block, int field, uint32_t value) {
    Block& b = blocks_[static_cast<size_t>(block)];
    const bool registerBlock = block >= busBlocks_;
    switch (field) {
        case 0:
            b.value = value & 0xFFFFF;
            break;
        case 1: {
            uint16_t access = value & kEemCtlAccessMask;
            uint16_t op = (value & kEemCtlOperatorMask) >> kEemCtlOperatorShift;
            uint16_t source = (value & kEemCtlSourceMask) >> kEemCtlSourceShift;
            uint16_t reg = registerBlock ? (value & kEemCtlRegisterMask) : 0;
            // The smaller levels compare for equality and inequality only.
            if (level_ < 3 && op != static_cast<uint16_t>(EemOperator::NotEqual)) op = 0;
            source = registerBlock ? static_cast<uint16_t>(EemSource::Register) : (source & 1);
            b.control = static_cast<uint16_t>(access | (op << kEemCtlOperatorShift) |
                                              (source << kEemCtlSourceShift) | reg);
            break;
        }
        case 2:
            if (level_ < 3) {
                // Whole bytes only: a mask byte counts when all its bits are set.
                uint32_t m = 0;
                if ((value & 0x00FF) == 0x00FF) m |= 0x00FF;
                if ((value & 0xFF00) == 0xFF00) m |= 0xFF00;
                value = m;
            }
            // A 16-bit mask with bit 15 set also ignores address bits 16..19,
            // so that a mask written for a 16-bit part means the same on a 20-bit one.
            b.mask = value & widthMask_;
            if (value <= 0xFFFF && (value & 0x8000)) b.mask |= widthMask_ & 0xF0000;
            break;
        default:
            b.combination = (value & ((1u << triggerBlocks()) - 1)) | (value & kEemCombineAny);
            break;
    }
}

uint32_t Eem::readBlock(int block, int field) const {
    const Block& b = blocks_[static_cast<size_t>(block)];
    switch (field) {
        case 0:
            return b.value;
        case 1:
            return b.control;
        case 2:
            return b.mask;
        default:
            return b.combination;
    }
}

void Eem::updateArmed() {
    const uint32_t busBits = (1u << busBlocks_) - 1;
    liveBus_ = busCombos_ = regCombos_ = 0;
    for (int c = 0; c < triggerBlocks(); ++c) {
        const uint32_t members = blocks_[static_cast<size_t>(c)].combination & ~kEemCombineAny;
        if (!members) continue;
        // Bus members fire at bus cycles; a combination of register blocks
        // alone fires at the end of the instruction that changed a register.
        if (members & busBits) {
            busCombos_ |= 1u << c;
            liveBus_ |= members & busBits;
        } else {
            regCombos_ |= 1u << c;
        }
    }
    const uint32_t regBits = ((1u << triggerBlocks()) - 1) & ~busBits;
    registerWatch_ = false;
    for (int c = 0; c < triggerBlocks(); ++c)
        if (blocks_[static_cast<size_t>(c)].combination & regBits) registerWatch_ = true;
    armed_ = present() && (busCombos_ || regCombos_ || storage_.enabled());
}

// --- Matching --------------------------------------------------------------

bool Eem::valueMatch(const Block& b, uint32_t value, uint32_t width) const {
    const uint32_t keep = ~b.mask & width;
    const uint32_t v = value & keep;
    const uint32_t ref = b.value & keep;
    switch (static_cast<EemOperator>((b.control & kEemCtlOperatorMask) >> kEemCtlOperatorShift)) {
        case EemOperator::Equal:
            return v == ref;
        case EemOperator::GreaterEqual:
            return v >= ref;
        case EemOperator::LessEqual:
            return v <= ref;
        default:
            return v != ref;
    }
}

bool Eem::busMatch(const Block& b, uint32_t address, uint32_t data, uint16_t kind) const {
    if (!(kAccessCycles[b.control & kEemCtlAccessMask] & cycleBits(kind))) return false;
    if ((b.control & kEemCtlSourceMask) >> kEemCtlSourceShift ==
        static_cast<uint16_t>(EemSource::DataBus))
        return valueMatch(b, data, 0xFFFF);
    return valueMatch(b, address, widthMask_);
}

uint32_t Eem::combine(uint32_t hits, bool busEvent) const {
    const uint32_t busBits = (1u << busBlocks_) - 1;
    uint32_t fired = 0;
    for (uint32_t left = busEvent ? busCombos_ : regCombos_; left; left &= left - 1) {
        const int c = std::countr_zero(left);
        const uint32_t word = blocks_[static_cast<size_t>(c)].combination;
        const uint32_t members = word & ~kEemCombineAny;
        bool hit;
        if (word & kEemCombineAny)
            hit = (hits & (busEvent ? (members & busBits) : members)) != 0;
        else
            hit = (hits & members) == members;
        if (hit) fired |= 1u << c;
    }
    return fired;
}

bool Eem::react(uint32_t fired, uint32_t address, uint32_t data, uint16_t kind, bool cycle) {
    if (sequencer_.enabled() && sequencer_.advance(fired)) fired |= kEemSequencerTrigger;
    triggerFlags_ |= fired;
    if (cycle && storage_.enabled())
        storage_.cycle(address, data, kind, (fired & storageMask_) != 0);
    return (fired & breakMask_) != 0;
}

// --- Run-loop side ---------------------------------------------------------

void Eem::beginRun(const Cpu& cpu) {
    breakPending_ = false;
    registerLevels_ = 0;
    for (int r = 0; r < 16; ++r)
        regs_[r] = cpu.reg(r);
    for (int i = busBlocks_; i < triggerBlocks(); ++i) {
        const Block& b = blocks_[static_cast<size_t>(i)];
        const int reg = (b.control & kEemCtlRegisterMask) >> kEemCtlRegisterShift;
        if (valueMatch(b, regs_[reg], widthMask_)) registerLevels_ |= 1u << i;
    }
}

uint32_t Eem::busHits(uint32_t address, uint32_t data, uint16_t kind) const {
    uint32_t hits = 0;
    for (uint32_t left = liveBus_; left; left &= left - 1) {
        const int i = std::countr_zero(left);
        if (busMatch(blocks_[static_cast<size_t>(i)], address, data, kind)) hits |= 1u << i;
    }
    return hits;
}

bool Eem::fetchCycle(uint32_t address, uint16_t word) {
    const uint32_t hits = busHits(address, word, kEemCycleFetch);
    if (!hits && !storage_.enabled()) return false;  // nothing can fire
    const uint32_t fired = hits ? combine(hits | registerLevels_, true) : 0;
    const bool brk = react(fired, address, word, kEemCycleFetch, true);
    return brk;
}

void Eem::busCycle(uint32_t address, uint32_t data, uint16_t kind) {
    const uint32_t hits = busHits(address, data, kind);
    if (!hits && !storage_.enabled()) return;
    const uint32_t fired = hits ? combine(hits | registerLevels_, true) : 0;
    if (react(fired, address, data, kind, true)) breakPending_ = true;
}

void Eem::instructionDone(const Cpu& cpu) {
    if (!registerWatch_) return;
    uint32_t changed = 0;
    for (int r = 0; r < 16; ++r) {
        const uint32_t v = cpu.reg(r);
        if (v != regs_[r]) changed |= 1u << r;
        regs_[r] = v;
    }
    uint32_t hits = 0;
    registerLevels_ = 0;
    for (int i = busBlocks_; i < triggerBlocks(); ++i) {
        const Block& b = blocks_[static_cast<size_t>(i)];
        const int reg = (b.control & kEemCtlRegisterMask) >> kEemCtlRegisterShift;
        if (!valueMatch(b, regs_[reg], widthMask_)) continue;
        registerLevels_ |= 1u << i;
        if (changed & (1u << reg)) hits |= 1u << i;
    }
    if (!hits) return;
    if (react(combine(hits, false), 0, 0, 0, false)) breakPending_ = true;
}

void Eem::noteBreakStop() {
    breakHit_ = true;
    breakPending_ = false;
}

}  // namespace kv::sim
