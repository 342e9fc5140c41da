#include "kelvane/sim/pod_eem.h"

namespace kv::sim {

void PodEem::reset() {
    regs_.fill(0);
    stopped_ = false;
    triggers_ = 0;
}

void PodEem::write(uint16_t reg, uint32_t value) {
    reg &= 0xFE;
    regs_[reg] = value;
    if (reg == kGeneralControl && (value & kClearStop)) clearStop();
}

uint32_t PodEem::read(uint16_t reg) const {
    reg &= 0xFF;
    if (reg == kStatus) return (regs_[kGeneralControl] & 0x7F) | (stopped_ ? 0x80u : 0u);
    if (reg == kTriggers) return triggers_;
    return regs_[reg & 0xFE];
}

bool PodEem::armed() const {
    return (regs_[kBreakEnable] & ((1u << blocks_) - 1)) != 0;
}

uint16_t PodEem::match(uint32_t pc) const {
    uint16_t hits = 0;
    const uint32_t enabled = regs_[kBreakEnable];
    for (unsigned b = 0; b < blocks_; ++b) {
        if (!(enabled & (1u << b))) continue;
        uint32_t mask = regs_[b * 8 + 4];
        if ((mask & 0xFFFF) == 0xFFFF) mask |= 0xF0000;  // a full 16-bit mask matches anywhere
        const uint32_t care = ~mask & 0xFFFFF;
        if (((pc ^ regs_[b * 8]) & care) == 0) hits = static_cast<uint16_t>(hits | (1u << b));
    }
    return hits;
}

void PodEem::stopped(uint16_t hits) {
    stopped_ = true;
    triggers_ = static_cast<uint16_t>(triggers_ | hits);
}

void PodEem::clearStop() {
    stopped_ = false;
    triggers_ = 0;
}

}  // namespace kv::sim
