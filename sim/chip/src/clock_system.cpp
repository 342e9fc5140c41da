#include "kelvane/sim/clock_system.h"

#include <algorithm>
#include <cmath>

namespace kv::sim {

namespace {

// Step ratios between neighbouring resistor settings; uneven like a real part
// but every one above 1, so the frequency rises with every setting.
constexpr double kRsel1xx[8] = {1.0, 1.66, 1.58, 1.70, 1.61, 1.64, 1.57, 1.68};
constexpr double kRsel2xx[16] = {1.0,  1.41, 1.37, 1.44, 1.36, 1.42, 1.38, 1.40,
                                 1.43, 1.35, 1.41, 1.39, 1.42, 1.37, 1.40, 1.38};
constexpr double kTap1xx = 1.12;
constexpr double kTap2xx = 1.08;
constexpr double kFllTap = 1.10;
// FLL+ DCO at tap 0 for no FN bit, FN_2, FN_3, FN_4 and FN_8.
constexpr double kFllRangeBase[5] = {0.45e6, 0.90e6, 1.45e6, 2.10e6, 3.20e6};

double rselBase(const double* ratios, int rsel, double base) {
    double f = base;
    for (int i = 1; i <= rsel; ++i)
        f *= ratios[i];
    return f;
}

// Mixes two neighbouring DCO frequencies the way the modulator does: `mod` of
// 32 periods at the higher one.
double modulate(double low, double high, int mod) {
    double period = ((32 - mod) / low + mod / high) / 32.0;
    return 1.0 / period;
}

}  // namespace

ClockSystem::ClockSystem(const DeviceProfile& profile)
    : kind_(profile.clock), scale_(profile.dcoScale) {
    reset();
}

uint32_t ClockSystem::base() const {
    switch (kind_) {
        case ClockKind::FllPlus:
            return 0x0050;
        case ClockKind::ClockModule140:
            return 0x0140;
        default:
            return 0x0056;
    }
}

bool ClockSystem::owns(uint32_t address) const {
    switch (kind_) {
        case ClockKind::BasicClock:
            return address >= 0x56 && address <= 0x58;
        case ClockKind::BasicClockPlus:
            return address == 0x53 || (address >= 0x56 && address <= 0x58);
        case ClockKind::FllPlus:
            return address >= 0x50 && address <= 0x54;
        case ClockKind::ClockModule140:
            return address >= 0x140 && address <= 0x147;
    }
    return false;
}

static size_t indexOf(ClockKind kind, uint32_t address, uint32_t base) {
    if (kind == ClockKind::BasicClockPlus && address == 0x53) return 3;
    return address - base;
}

uint8_t ClockSystem::read8(uint32_t address) const {
    return regs_[indexOf(kind_, address, base())];
}

void ClockSystem::write8(uint32_t address, uint8_t value) {
    regs_[indexOf(kind_, address, base())] = value;
    update();
}

void ClockSystem::reset() {
    regs_.fill(0);
    switch (kind_) {
        case ClockKind::BasicClock:
            regs_[0] = 0x60;  // DCO 3
            regs_[1] = 0x84;  // XT2OFF, RSEL 4
            break;
        case ClockKind::BasicClockPlus:
            regs_[0] = 0x60;
            regs_[1] = 0x87;  // XT2OFF, RSEL 7
            regs_[3] = 0x05;  // LFXT1OF, XT2OF
            break;
        case ClockKind::FllPlus:
            regs_[2] = 0x1F;  // N = 31
            regs_[3] = 0x03;
            regs_[4] = 0x20;  // XT2OFF
            update();
            fllAdjust(1024);  // the loop settles long before software looks
            break;
        case ClockKind::ClockModule140:
            regs_[1] = 0x06;  // range 6, tap 0
            break;
    }
    update();
}

void ClockSystem::setRegisters(const std::array<uint8_t, 8>& regs) {
    regs_ = regs;
    update();
}

void ClockSystem::setScale(double scale) {
    scale_ = scale;
    update();
}

void ClockSystem::setDcoLimits(double minHz, double maxHz) {
    minHz_ = minHz;
    maxHz_ = maxHz;
    update();
}

void ClockSystem::setCrystals(double lfxt1Hz, double xt2Hz) {
    lfxt1_ = lfxt1Hz;
    xt2_ = xt2Hz;
    update();
}

double ClockSystem::clamp(double hz) const {
    hz *= scale_;
    if (maxHz_ > 0 && hz > maxHz_) hz = maxHz_;
    if (minHz_ > 0 && hz < minHz_) hz = minHz_;
    return hz;
}

double ClockSystem::basicDco() const {
    bool plus = kind_ == ClockKind::BasicClockPlus;
    int dco = regs_[0] >> 5;
    int mod = regs_[0] & 0x1F;
    int rsel = regs_[1] & (plus ? 0x0F : 0x07);
    const double* ratios = plus ? kRsel2xx : kRsel1xx;
    double tap = plus ? kTap2xx : kTap1xx;
    double r = rselBase(ratios, rsel, plus ? 0.095e6 : 0.135e6);
    double low = r * std::pow(tap, dco - 3);
    if (dco == 7 || mod == 0) return clamp(low);
    return clamp(modulate(low, low * tap, mod));
}

double ClockSystem::fllDco(int integrator) const {
    uint8_t fn = (regs_[0] >> 2) & 0x0F;
    int range = fn & 0x08 ? 4 : fn & 0x04 ? 3 : fn & 0x02 ? 2 : fn & 0x01 ? 1 : 0;
    int tap = integrator >> 5;
    int mod = (regs_[2] & 0x80) ? 0 : integrator & 0x1F;
    double low = kFllRangeBase[range] * std::pow(kFllTap, tap);
    if (tap == 31 || mod == 0) return clamp(low);
    return clamp(modulate(low, low * kFllTap, mod));
}

double ClockSystem::clockModuleDco() const {
    int tap = regs_[0];
    int range = regs_[1] & 0x0F;
    return clamp(0.265e6 * std::pow(1.25, range) * (1.0 + tap / 256.0));
}

double ClockSystem::fllTargetHz() const {
    if (kind_ != ClockKind::FllPlus) return 0;
    int d = 1 << (regs_[0] >> 6);
    int n = regs_[2] & 0x7F;
    return d * (n + 1) * lfxt1_;
}

bool ClockSystem::fllAdjust(int steps) {
    if (kind_ != ClockKind::FllPlus || lfxt1_ <= 0) return false;
    int v = (regs_[1] << 2) | (regs_[0] & 0x03);  // tap in bits 9..5, modulation in 4..0
    double target = fllTargetHz();
    int start = v;
    for (int i = 0; i < steps; ++i) {
        double f = fllDco(v);
        if (f < target && v < 1023) {
            if (fllDco(v + 1) > target && target - f < fllDco(v + 1) - target) break;
            ++v;
        } else if (f > target && v > 0) {
            if (fllDco(v - 1) < target && f - target < target - fllDco(v - 1)) break;
            --v;
        } else {
            break;
        }
    }
    if (v == start) return false;
    regs_[1] = static_cast<uint8_t>(v >> 2);
    regs_[0] = static_cast<uint8_t>((regs_[0] & 0xFC) | (v & 0x03));
    update();
    return true;
}

bool ClockSystem::oscillatorFault() const {
    switch (kind_) {
        case ClockKind::BasicClock:
        case ClockKind::BasicClockPlus: {
            bool xt2On = (regs_[1] & 0x80) == 0;
            bool lfxt1Used = true;
            return (xt2On && xt2_ <= 0) ||
                   (lfxt1Used && lfxt1_ <= 0 &&
                    !(kind_ == ClockKind::BasicClockPlus && ((regs_[3] >> 4) & 3) == 2));
        }
        case ClockKind::FllPlus:
            return ((regs_[4] & 0x20) == 0 && xt2_ <= 0) || lfxt1_ <= 0;
        case ClockKind::ClockModule140:
            return lfxt1_ <= 0;
    }
    return false;
}

void ClockSystem::update() {
    switch (kind_) {
        case ClockKind::BasicClock:
        case ClockKind::BasicClockPlus: {
            dco_ = basicDco();
            double lf = lfxt1_;
            if (kind_ == ClockKind::BasicClockPlus && ((regs_[3] >> 4) & 3) == 2) lf = 12000.0;
            double xt2 = xt2_ > 0 && (regs_[1] & 0x80) == 0 ? xt2_ : 0;
            aclk_ = lf / (1 << ((regs_[1] >> 4) & 3));
            uint8_t bcs2 = regs_[2];
            int selm = bcs2 >> 6;
            double msrc = dco_;
            if (selm == 2)
                msrc = xt2 > 0 ? xt2 : (kind_ == ClockKind::BasicClockPlus && lf > 0 ? lf : dco_);
            if (selm == 3) msrc = lf > 0 ? lf : dco_;
            mclk_ = msrc / (1 << ((bcs2 >> 4) & 3));
            double ssrc = dco_;
            if (bcs2 & 0x08) ssrc = xt2 > 0 ? xt2 : (kind_ == ClockKind::BasicClockPlus ? lf : 0);
            smclk_ = ssrc / (1 << ((bcs2 >> 1) & 3));
            break;
        }
        case ClockKind::FllPlus: {
            int d = 1 << (regs_[0] >> 6);
            int integrator = (regs_[1] << 2) | (regs_[0] & 0x03);
            dco_ = fllDco(integrator);
            double out = (regs_[3] & 0x80) ? dco_ : dco_ / d;
            aclk_ = lfxt1_;
            uint8_t ctl1 = regs_[4];
            double xt2 = xt2_ > 0 && (ctl1 & 0x20) == 0 ? xt2_ : 0;
            int selm = (ctl1 >> 3) & 3;
            mclk_ = out;
            if (selm == 2 && xt2 > 0) mclk_ = xt2;
            if (selm == 3 && lfxt1_ > 0) mclk_ = lfxt1_;
            smclk_ = (ctl1 & 0x40) ? 0 : ((ctl1 & 0x04) ? xt2 : out);
            break;
        }
        case ClockKind::ClockModule140: {
            dco_ = clockModuleDco();
            aclk_ = lfxt1_;
            mclk_ = dco_ / (1 << (regs_[2] & 3));
            smclk_ = dco_ / (1 << ((regs_[2] >> 4) & 3));
            break;
        }
    }
}

}  // namespace kv::sim
