// The chip's clock module: DCO, crystal oscillators and the MCLK, SMCLK and
// ACLK dividers, for the basic clock, basic clock+, FLL+ and the clock module
// at 0x0140. The DCO frequency is a deterministic, monotonic function of the
// register settings, scaled per chip.
#pragma once

#include <array>
#include <cstdint>

#include "kelvane/sim/device_profile.h"

namespace kv::sim {

class ClockSystem {
  public:
    explicit ClockSystem(const DeviceProfile& profile);

    // Register values after a PUC.
    void reset();
    // True when `address` is one of this module's registers.
    bool owns(uint32_t address) const;
    uint8_t read8(uint32_t address) const;
    void write8(uint32_t address, uint8_t value);

    double mclkHz() const { return mclk_; }
    double smclkHz() const { return smclk_; }
    double aclkHz() const { return aclk_; }
    double dcoHz() const { return dco_; }

    // Per-chip scale of the DCO (1.0 nominal); a part running slow or fast.
    void setScale(double scale);
    double scale() const { return scale_; }
    // Fault injection: the DCO never goes above `maxHz` (0: no limit) nor below `minHz`.
    void setDcoLimits(double minHz, double maxHz);
    double dcoMinHz() const { return minHz_; }
    double dcoMaxHz() const { return maxHz_; }
    // Crystal frequencies on LFXT1 and XT2 (0: no crystal fitted).
    void setCrystals(double lfxt1Hz, double xt2Hz);
    double lfxt1Hz() const { return lfxt1_; }
    double xt2Hz() const { return xt2_; }

    // True when a selected or enabled crystal has no oscillation (raises OFIFG).
    bool oscillatorFault() const;

    // FLL+ loop: moves the DCO integrator up to `steps` modulation steps toward
    // the target frequency; returns true when it changed anything.
    bool fllAdjust(int steps);
    bool hasFll() const { return kind_ == ClockKind::FllPlus; }
    // Target DCO frequency of the FLL+ loop.
    double fllTargetHz() const;

    // Raw register file (for saving and restoring chip state).
    const std::array<uint8_t, 8>& registers() const { return regs_; }
    void setRegisters(const std::array<uint8_t, 8>& regs);

  private:
    uint32_t base() const;
    void update();
    double basicDco() const;
    double fllDco(int integrator) const;
    double clockModuleDco() const;
    double clamp(double hz) const;

    ClockKind kind_;
    std::array<uint8_t, 8> regs_{};
    double scale_;
    double minHz_ = 0;
    double maxHz_ = 0;
    double lfxt1_ = 32768.0;
    double xt2_ = 0;
    double dco_ = 0;
    double mclk_ = 0;
    double smclk_ = 0;
    double aclk_ = 0;
};

}  // namespace kv::sim
