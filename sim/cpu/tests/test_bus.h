// A flat 1 MiB memory for the CPU tests, with optional direct pages.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "kelvane/sim/bus.h"

namespace kv::sim::test {

class FlatBus : public Bus {
public:
    explicit FlatBus(bool direct = false) : direct_(direct), mem_(0x100000, 0) {}

    uint8_t read8(uint32_t a) override {
        ++reads;
        return mem_[a & 0xFFFFF];
    }
    uint16_t read16(uint32_t a) override {
        ++reads;
        a &= 0xFFFFE;
        return static_cast<uint16_t>(mem_[a] | (mem_[a + 1] << 8));
    }
    void write8(uint32_t a, uint8_t v) override {
        ++writes;
        mem_[a & 0xFFFFF] = v;
    }
    void write16(uint32_t a, uint16_t v) override {
        ++writes;
        a &= 0xFFFFE;
        mem_[a] = static_cast<uint8_t>(v);
        mem_[a + 1] = static_cast<uint8_t>(v >> 8);
    }
    uint8_t* directPage(uint32_t page, bool) override {
        ++pagesAsked;
        return direct_ ? mem_.data() + page : nullptr;
    }

    // Test access that is not counted.
    uint16_t word(uint32_t a) const {
        return static_cast<uint16_t>(mem_[a & 0xFFFFE] | (mem_[(a & 0xFFFFE) + 1] << 8));
    }
    uint8_t byte(uint32_t a) const { return mem_[a & 0xFFFFF]; }
    void setWord(uint32_t a, uint16_t v) {
        mem_[a & 0xFFFFE] = static_cast<uint8_t>(v);
        mem_[(a & 0xFFFFE) + 1] = static_cast<uint8_t>(v >> 8);
    }
    void setByte(uint32_t a, uint8_t v) { mem_[a & 0xFFFFF] = v; }
    void load(uint32_t a, const std::vector<uint16_t>& words) {
        for (uint16_t w : words) {
            setWord(a, w);
            a += 2;
        }
    }

    void setDirect(bool direct) { direct_ = direct; }

    uint64_t reads = 0;
    uint64_t writes = 0;
    uint64_t pagesAsked = 0;

private:
    bool direct_;
    std::vector<uint8_t> mem_;
};

}  // namespace kv::sim::test
