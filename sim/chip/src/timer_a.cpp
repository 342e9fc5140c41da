#include "kelvane/sim/timer_a.h"

#include <cmath>

namespace kv::sim {

namespace {
constexpr double kNever = 1e300;
constexpr int kModeStop = 0;
constexpr int kModeUp = 1;
constexpr int kModeContinuous = 2;
constexpr int kModeUpDown = 3;
}  // namespace

void TimerA::reset(double now) {
    ctl_ = 0;
    cctl_.fill(0);
    ccr_.fill(0);
    tar_ = 0;
    down_ = false;
    fraction_ = 0;
    last_ = now;
}

uint32_t TimerA::period() const {
    switch (mode()) {
        case kModeUp:
            return ccr_[0] == 0 ? 0 : ccr_[0] + 1u;
        case kModeContinuous:
            return 0x10000;
        case kModeUpDown:
            return ccr_[0] == 0 ? 0 : 2u * ccr_[0];
        default:
            return 0;
    }
}

uint32_t TimerA::position() const {
    switch (mode()) {
        case kModeUp:
            // A counter above the new period rolls over to zero on the next tick.
            return tar_ > ccr_[0] ? ccr_[0] : tar_;
        case kModeUpDown: {
            uint16_t t = tar_ > ccr_[0] ? ccr_[0] : tar_;
            return down_ && t != 0 && t != ccr_[0] ? 2u * ccr_[0] - t : t;
        }
        default:
            return tar_;
    }
}

uint16_t TimerA::tarAt(uint32_t pos) const {
    if (mode() == kModeUpDown && pos > ccr_[0]) return static_cast<uint16_t>(2u * ccr_[0] - pos);
    return static_cast<uint16_t>(pos);
}

uint64_t TimerA::ticksUntil(uint16_t value) const {
    uint32_t p = period();
    if (p == 0) return 0;
    uint32_t here = position();
    auto distance = [&](uint32_t target) -> uint64_t {
        uint32_t d = (target + p - here) % p;
        return d == 0 ? p : d;
    };
    switch (mode()) {
        case kModeUp:
            return value > ccr_[0] ? 0 : distance(value);
        case kModeUpDown: {
            if (value > ccr_[0]) return 0;
            uint64_t d = distance(value);
            if (value != 0 && value != ccr_[0]) {
                uint64_t back = distance(p - value);
                if (back < d) d = back;
            }
            return d;
        }
        default:
            return distance(value);
    }
}

uint64_t TimerA::ticksUntilOverflow() const {
    uint32_t p = period();
    if (p == 0) return 0;
    uint32_t d = (p - position()) % p;
    return d == 0 ? p : d;
}

void TimerA::advance(uint64_t ticks) {
    uint32_t p = period();
    if (p == 0 || ticks == 0) return;
    for (size_t i = 0; i < cctl_.size(); ++i) {
        if (cctl_[i] & kCcCap) continue;
        uint64_t d = ticksUntil(ccr_[i]);
        if (d != 0 && d <= ticks) cctl_[i] |= kCcIfg;
    }
    if (ticksUntilOverflow() <= ticks) ctl_ |= kTaIfg;
    uint32_t pos = static_cast<uint32_t>((position() + ticks) % p);
    tar_ = tarAt(pos);
    down_ = mode() == kModeUpDown && pos > ccr_[0];
}

void TimerA::sync(double now, double sourceHz) {
    double rate = sourceHz / (1 << ((ctl_ >> 6) & 3));
    if (period() == 0 || rate <= 0 || now <= last_) {
        last_ = now > last_ ? now : last_;
        return;
    }
    double ticks = (now - last_) * rate + fraction_;
    double whole = std::floor(ticks + 1e-9);
    fraction_ = ticks - whole > 0 ? ticks - whole : 0;
    last_ = now;
    advance(static_cast<uint64_t>(whole));
}

double TimerA::nextInterruptTime(double sourceHz) const {
    double rate = sourceHz / (1 << ((ctl_ >> 6) & 3));
    if (period() == 0 || rate <= 0) return kNever;
    uint64_t best = 0;
    auto consider = [&](uint64_t d) {
        if (d != 0 && (best == 0 || d < best)) best = d;
    };
    for (size_t i = 0; i < cctl_.size(); ++i) {
        if ((cctl_[i] & kCcIe) && !(cctl_[i] & kCcCap)) consider(ticksUntil(ccr_[i]));
    }
    if (ctl_ & kTaIe) consider(ticksUntilOverflow());
    if (best == 0) return kNever;
    return last_ + (static_cast<double>(best) - fraction_) / rate;
}

bool TimerA::interruptGroup() const {
    for (size_t i = 1; i < cctl_.size(); ++i) {
        if ((cctl_[i] & (kCcIfg | kCcIe)) == (kCcIfg | kCcIe)) return true;
    }
    return (ctl_ & (kTaIfg | kTaIe)) == (kTaIfg | kTaIe);
}

uint16_t TimerA::read(uint32_t address) {
    address &= ~1u;
    if (address == 0x012E) {
        // The highest pending source of the shared vector; reading clears its flag.
        for (size_t i = 1; i < cctl_.size(); ++i) {
            if ((cctl_[i] & (kCcIfg | kCcIe)) == (kCcIfg | kCcIe)) {
                cctl_[i] &= static_cast<uint16_t>(~kCcIfg);
                return static_cast<uint16_t>(2 * i);
            }
        }
        if ((ctl_ & (kTaIfg | kTaIe)) == (kTaIfg | kTaIe)) {
            ctl_ &= static_cast<uint16_t>(~kTaIfg);
            return 10;
        }
        return 0;
    }
    if (address == 0x0160) return ctl_;
    if (address >= 0x0162 && address <= 0x0166) return cctl_[(address - 0x0162) / 2];
    if (address == 0x0170) return tar_;
    if (address >= 0x0172 && address <= 0x0176) return ccr_[(address - 0x0172) / 2];
    return 0;
}

void TimerA::write(uint32_t address, uint16_t value, double now) {
    address &= ~1u;
    last_ = now;
    if (address == 0x012E) {
        read(address);
    } else if (address == 0x0160) {
        if (value & kTaClr) {
            tar_ = 0;
            down_ = false;
            fraction_ = 0;
        }
        ctl_ = value & static_cast<uint16_t>(~kTaClr);
    } else if (address >= 0x0162 && address <= 0x0166) {
        cctl_[(address - 0x0162) / 2] = value;
    } else if (address == 0x0170) {
        tar_ = value;
        fraction_ = 0;
    } else if (address >= 0x0172 && address <= 0x0176) {
        ccr_[(address - 0x0172) / 2] = value;
    }
}

std::array<uint16_t, 8> TimerA::state() const {
    return {ctl_, cctl_[0], cctl_[1], cctl_[2], ccr_[0], ccr_[1], ccr_[2], tar_};
}

void TimerA::restore(const std::array<uint16_t, 8>& s, double now) {
    reset(now);
    ctl_ = s[0];
    cctl_ = {s[1], s[2], s[3]};
    ccr_ = {s[4], s[5], s[6]};
    tar_ = s[7];
}

}  // namespace kv::sim
