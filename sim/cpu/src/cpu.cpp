// The MSP430 / MSP430X CPU: public entry points.
#include "kelvane/sim/cpu.h"

#include "cpu_executor.h"

namespace kv::sim {

Cpu::Cpu(Bus& bus, bool extended) : bus_(bus), extended_(extended) {}

void Cpu::setReg(int n, uint32_t value) {
    n &= 15;
    const uint32_t mask = extended_ ? 0xFFFFF : 0xFFFF;
    switch (n) {
        case 0:
        case 1:
            r_[n] = value & mask & ~1u;
            break;
        case 2:
            r_[n] = value & 0xFFFF;
            break;
        case 3:
            break;  // the constant generator holds no value
        default:
            r_[n] = value & mask;
            break;
    }
}

int Cpu::step() {
    if (r_[2] & kSrCpuOff) return 0;
    const int c = extended_ ? CpuExecutor<true, false>(*this).instruction()
                            : CpuExecutor<false, false>(*this).instruction();
    cycles_ += static_cast<uint64_t>(c);
    ++instructions_;
    return c;
}

uint64_t Cpu::run(uint64_t cycles) {
    return extended_ ? CpuExecutor<true, false>(*this).run(cycles)
                     : CpuExecutor<false, false>(*this).run(cycles);
}

int Cpu::execute(const uint16_t* words, size_t count, size_t* used) {
    feed_ = words;
    feedCount_ = words ? count : 0;
    feedUsed_ = 0;
    const int c = extended_ ? CpuExecutor<true, true>(*this).instruction()
                            : CpuExecutor<false, true>(*this).instruction();
    if (used) *used = feedUsed_;
    feed_ = nullptr;
    feedCount_ = feedUsed_ = 0;
    cycles_ += static_cast<uint64_t>(c);
    ++instructions_;
    return c;
}

int Cpu::interrupt(uint32_t vectorAddress) {
    const int c = extended_ ? CpuExecutor<true, false>(*this).interrupt(vectorAddress)
                            : CpuExecutor<false, false>(*this).interrupt(vectorAddress);
    cycles_ += static_cast<uint64_t>(c);
    return c;
}

void Cpu::reset() {
    invalidateDirectPages();
    r_[2] = 0;
    const uint16_t vector = extended_ ? CpuExecutor<true, false>(*this).read16(0xFFFE)
                                      : CpuExecutor<false, false>(*this).read16(0xFFFE);
    r_[0] = vector & ~1u;
}

void Cpu::invalidateDirectPages() {
    invalidateDirectPages(0, 0x100000);
}

void Cpu::invalidateDirectPages(uint32_t begin, uint32_t end) {
    if (end > 0x100000) end = 0x100000;
    if (begin >= end) return;
    const uint32_t first = begin >> Bus::kDirectPageBits;
    const uint32_t last = (end - 1) >> Bus::kDirectPageBits;
    for (uint32_t p = first; p <= last; ++p) {
        readPages_[p] = nullptr;
        writePages_[p] = nullptr;
        pageAsked_[p] = 0;
    }
}

}  // namespace kv::sim
