// A few hand-encoded MSP430 instructions for chip programs: enough for
// register moves, absolute stores, flash controller polling and loops.
#pragma once

#include <cstdint>
#include <vector>

namespace kv::sim::test {

class ProgramWords {
  public:
    explicit ProgramWords(uint32_t origin) : origin_(origin) {}
    uint32_t here() const { return origin_ + 2 * static_cast<uint32_t>(words_.size()); }
    const std::vector<uint16_t>& words() const { return words_; }

    void movImmAbs(uint16_t value, uint16_t address) { emit({0x40B2, value, address}); }
    void movImmReg(uint16_t value, int reg) { emit({static_cast<uint16_t>(0x4030 | reg), value}); }
    void movRegIndexed(int src, int base, uint16_t offset) {
        emit({static_cast<uint16_t>(0x4080 | (src << 8) | base), offset});
    }
    void movRegAbs(int src, uint16_t address) {
        emit({static_cast<uint16_t>(0x4082 | (src << 8)), address});
    }
    void movAbsReg(uint16_t address, int dst) {
        emit({static_cast<uint16_t>(0x4210 | dst), address});
    }
    void addReg(int src, int dst) { emit({static_cast<uint16_t>(0x5000 | (src << 8) | dst)}); }
    void inc(int reg) { emit({static_cast<uint16_t>(0x5310 | reg)}); }
    void incd(int reg) { emit({static_cast<uint16_t>(0x5320 | reg)}); }
    void dec(int reg) { emit({static_cast<uint16_t>(0x8310 | reg)}); }
    void bitOneAbs(uint16_t address) { emit({0xB392, address}); }  // BIT #1, &address
    void bisSr(uint16_t bits) { emit({0xD032, bits}); }
    void bicSr(uint16_t bits) { emit({0xC032, bits}); }
    void reti() { emit({0x1300}); }
    void nop() { emit({0x4303}); }
    // Conditional jumps to an address already emitted or to here + offset.
    void jnz(uint32_t target) { jump(0x2000, target); }
    void jz(uint32_t target) { jump(0x2400, target); }
    void jmp(uint32_t target) { jump(0x3C00, target); }
    void jmpSelf() { emit({0x3FFF}); }

  private:
    void emit(std::initializer_list<uint16_t> w) { words_.insert(words_.end(), w); }
    void jump(uint16_t opcode, uint32_t target) {
        int offset = (static_cast<int>(target) - static_cast<int>(here()) - 2) / 2;
        emit({static_cast<uint16_t>(opcode | (offset & 0x3FF))});
    }

    uint32_t origin_;
    std::vector<uint16_t> words_;
};

}  // namespace kv::sim::test
