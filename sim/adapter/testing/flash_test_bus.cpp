#include "flash_test_bus.h"

#include <algorithm>

namespace kv::sim::testing {

namespace {
constexpr uint32_t kFctl1 = 0x0128, kFctl2 = 0x012A, kFctl3 = 0x012C;
constexpr uint32_t kMemorySize = 0x100000;
}  // namespace

FlashTestBus::FlashTestBus() : FlashTestBus(Layout{}) {}

FlashTestBus::FlashTestBus(Layout layout) : layout_(layout), memory_(kMemorySize, 0) {
    std::fill(memory_.begin() + layout_.infoStart, memory_.begin() + layout_.infoEnd, 0xFF);
    std::fill(memory_.begin() + layout_.mainStart, memory_.begin() + layout_.mainEnd, 0xFF);
}

bool FlashTestBus::isFlash(uint32_t a) const {
    return (a >= layout_.infoStart && a < layout_.infoEnd) ||
           (a >= layout_.mainStart && a < layout_.mainEnd);
}

bool FlashTestBus::protectedByLockA(uint32_t a) const {
    return layout_.hasLockA && lockA() && a >= layout_.infoEnd - layout_.infoSegment &&
           a < layout_.infoEnd;
}

uint8_t FlashTestBus::read8(uint32_t a) {
    a &= kMemorySize - 1;
    if (a == kFctl1 || a == kFctl2 || a == kFctl3) return static_cast<uint8_t>(read16(a));
    if (a == kFctl1 + 1 || a == kFctl2 + 1 || a == kFctl3 + 1) return 0x96;
    return memory_[a];
}

uint16_t FlashTestBus::read16(uint32_t a) {
    a &= (kMemorySize - 1) & ~1u;
    if (a == kFctl1) return 0x9600 | fctl1_;
    if (a == kFctl2) return 0x9600 | fctl2_;
    if (a == kFctl3) return 0x9600 | fctl3_;
    return static_cast<uint16_t>(memory_[a] | (memory_[a + 1] << 8));
}

bool FlashTestBus::writeRegister(uint32_t a, uint16_t value) {
    if (a != kFctl1 && a != kFctl2 && a != kFctl3) return false;
    if ((value >> 8) != 0xA5) {
        ++violations_;
        return true;
    }
    const uint16_t bits = value & 0xFF;
    if (a == kFctl1) fctl1_ = bits & (kErase | kMeras | kWrt | 0x80);
    if (a == kFctl2) fctl2_ = bits;
    if (a == kFctl3) {
        uint16_t next = static_cast<uint16_t>((bits & ~kLockA) | (fctl3_ & kLockA));
        if (bits & kLockA) next ^= kLockA;  // writing 1 toggles LOCKA
        fctl3_ = next;
    }
    return true;
}

void FlashTestBus::eraseRange(uint32_t start, uint32_t end) {
    for (uint32_t a = start; a < end; ++a)
        if (!protectedByLockA(a)) memory_[a] = 0xFF;
}

void FlashTestBus::flashWrite(uint32_t a, uint8_t value) {
    if (locked()) {
        ++violations_;
        return;
    }
    if (fctl1_ & (kErase | kMeras)) {
        ++erases_;
        if (fctl1_ & kMeras) {
            eraseRange(layout_.mainStart, layout_.mainEnd);
            if (fctl1_ & kErase) eraseRange(layout_.infoStart, layout_.infoEnd);
        } else {
            const bool info = a < layout_.infoEnd;
            const uint32_t base = info ? layout_.infoStart : layout_.mainStart;
            const uint32_t size = info ? layout_.infoSegment : layout_.mainSegment;
            const uint32_t start = base + (a - base) / size * size;
            eraseRange(start, start + size);
        }
        fctl1_ &= static_cast<uint16_t>(~(kErase | kMeras));
        return;
    }
    if (!(fctl1_ & kWrt) || protectedByLockA(a)) {
        ++violations_;
        return;
    }
    memory_[a] &= value;
}

void FlashTestBus::write8(uint32_t a, uint8_t value) {
    a &= kMemorySize - 1;
    if (isFlash(a)) return flashWrite(a, value);
    memory_[a] = value;
}

void FlashTestBus::write16(uint32_t a, uint16_t value) {
    a &= (kMemorySize - 1) & ~1u;
    if (writeRegister(a, value)) return;
    if (isFlash(a) && (fctl1_ & (kErase | kMeras))) return flashWrite(a, 0);  // one dummy write
    write8(a, static_cast<uint8_t>(value));
    write8(a + 1, static_cast<uint8_t>(value >> 8));
}

void FlashTestBus::poke(uint32_t a, const std::vector<uint8_t>& bytes) {
    for (size_t i = 0; i < bytes.size(); ++i)
        memory_[(a + i) & (kMemorySize - 1)] = bytes[i];
}

std::vector<uint8_t> FlashTestBus::peek(uint32_t a, size_t count) const {
    std::vector<uint8_t> out(count);
    for (size_t i = 0; i < count; ++i)
        out[i] = memory_[(a + i) & (kMemorySize - 1)];
    return out;
}

}  // namespace kv::sim::testing
