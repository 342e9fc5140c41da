// State storage of the enhanced emulation module.
#include "kelvane/sim/eem_storage.h"

#include <cstddef>

namespace kv::sim {

void EemStateStorage::reset() {
    control_ = 0;
    slots_.fill(EemTraceEntry{});
    next_ = 0;
    valid_ = 0;
    stored_ = 0;
    triggered_ = stopped_ = false;
    readSlot_ = readPhase_ = 0;
}

void EemStateStorage::writeControl(uint16_t value) {
    // Every write arms the storage afresh; a restart also empties the slots.
    stored_ = 0;
    triggered_ = stopped_ = false;
    if (value & kStorReset) {
        slots_.fill(EemTraceEntry{});
        next_ = 0;
        valid_ = 0;
        readSlot_ = readPhase_ = 0;
    }
    control_ = static_cast<uint16_t>(value & 0x7F & ~kStorReset);
}

uint16_t EemStateStorage::status() const {
    uint16_t s = control_;
    if (stored_ > 0) s |= kStorStatusData;
    if (triggered_) s |= kStorStatusTriggered;
    if (stopped_) s |= kStorStatusStopped;
    if (stored_ >= kEntries) s |= kStorStatusFull;
    return s;
}

uint16_t EemStateStorage::indexRegister() const {
    return static_cast<uint16_t>(next_ | ((stored_ & 0xFF) << 8));
}

void EemStateStorage::selectEntry(uint16_t value) {
    readSlot_ = value % kEntries;
    readPhase_ = 0;
}

uint32_t EemStateStorage::readData() {
    const EemTraceEntry& e = slots_[static_cast<std::size_t>(readSlot_)];
    uint32_t v;
    switch (readPhase_) {
        case 0:
            v = e.address;
            break;
        case 1:
            v = e.data;
            break;
        default:
            v = e.control;
            break;
    }
    if (++readPhase_ == 3) {
        readPhase_ = 0;
        readSlot_ = (readSlot_ + 1) % kEntries;
    }
    return v;
}

void EemStateStorage::store(uint32_t address, uint32_t data, uint16_t kind) {
    slots_[static_cast<std::size_t>(next_)] = EemTraceEntry{address, data, kind};
    next_ = (next_ + 1) % kEntries;
    ++stored_;
    if (valid_ < kEntries) ++valid_;
    if ((control_ & kStorStopWhenFull) && stored_ >= kEntries) stopped_ = true;
}

void EemStateStorage::cycle(uint32_t address, uint32_t data, uint16_t kind, bool trigger) {
    if (!enabled() || stopped_) return;
    const bool qualifies =
        (control_ & kStorAllCycles) || !(kind & (kEemCycleFetch | kEemCycleStream));
    switch (mode()) {
        case kStorModeHistory:
            if (qualifies || trigger) store(address, data, kind);
            if (trigger) triggered_ = stopped_ = true;
            break;
        case kStorModeStartOnTrigger:
            if (!triggered_) {
                if (!trigger) return;
                triggered_ = true;
                store(address, data, kind);
            } else if (qualifies) {
                store(address, data, kind);
            }
            if (stored_ >= kEntries) stopped_ = true;
            break;
        default:
            if (!trigger) return;
            triggered_ = true;
            store(address, data, kind);
            break;
    }
}

std::vector<EemTraceEntry> EemStateStorage::entries() const {
    std::vector<EemTraceEntry> out;
    const int first = valid_ == kEntries ? next_ : 0;
    for (int i = 0; i < valid_; ++i)
        out.push_back(slots_[static_cast<std::size_t>((first + i) % kEntries)]);
    return out;
}

}  // namespace kv::sim
