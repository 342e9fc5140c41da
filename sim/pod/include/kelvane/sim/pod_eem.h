// The emulation module as the pod reaches it: a file of 256 registers (even
// numbers written, the odd number above reads them back), trigger blocks that
// compare the fetch address and stop the CPU, and the stop and trigger flags.
#pragma once

#include <array>
#include <cstdint>

namespace kv::sim {

class PodEem {
  public:
    static constexpr uint16_t kBreakEnable = 128;  // bit b: trigger block b stops the CPU
    static constexpr uint16_t kGeneralControl = 130;
    static constexpr uint16_t kStatus = 131;  // bits 0-6 from 130, bit 7 stopped
    static constexpr uint16_t kClockControl = 136;
    static constexpr uint16_t kModuleClockControl0 = 138;
    static constexpr uint16_t kTriggers = 143;      // bit b: block b matched
    static constexpr uint16_t kClearStop = 0x0002;  // bit of 130 that clears the stop flags

    // Trigger blocks that exist on the part.
    void setBlocks(unsigned blocks) { blocks_ = blocks > 16 ? 16 : blocks; }
    void reset();

    void write(uint16_t reg, uint32_t value);
    uint32_t read(uint16_t reg) const;
    uint32_t written(uint16_t reg) const { return regs_[reg & 0xFF]; }

    // Any block enabled to stop the CPU.
    bool armed() const;
    // Blocks whose comparison matches a fetch from `pc`; 0 when none.
    uint16_t match(uint32_t pc) const;
    // The CPU stopped because of the blocks in `hits`.
    void stopped(uint16_t hits);
    void clearStop();
    bool isStopped() const { return stopped_; }

  private:
    std::array<uint32_t, 256> regs_{};
    unsigned blocks_ = 0;
    bool stopped_ = false;
    uint16_t triggers_ = 0;
};

}  // namespace kv::sim
