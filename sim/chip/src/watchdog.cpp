#include "kelvane/sim/watchdog.h"

namespace kv::sim {

namespace {
constexpr double kNever = 1e300;
constexpr double kSlack = 1e-6;
}  // namespace

void Watchdog::puc(double now) {
    control_ = 0;
    count_ = 0;
    last_ = now;
}

uint32_t Watchdog::interval() const {
    static constexpr uint32_t kIntervals[4] = {32768, 8192, 512, 64};
    return kIntervals[control_ & 3];
}

bool Watchdog::write(uint16_t value, double now) {
    if ((value >> 8) != 0x5A) return false;
    last_ = now;
    if (value & kWdtCntcl) count_ = 0;
    control_ = static_cast<uint8_t>(value & ~kWdtCntcl);
    return true;
}

void Watchdog::sync(double now, double sourceHz) {
    if (now > last_ && !held() && sourceHz > 0) count_ += (now - last_) * sourceHz;
    last_ = now;
}

double Watchdog::expiryTime(double sourceHz) const {
    if (held() || sourceHz <= 0) return kNever;
    double left = interval() - count_;
    if (left < 0) left = 0;
    return last_ + left / sourceHz;
}

bool Watchdog::takeExpiry() {
    double limit = interval();
    if (count_ + kSlack < limit) return false;
    count_ -= limit;
    if (count_ < 0 || count_ >= limit) count_ = 0;
    return true;
}

void Watchdog::restore(uint8_t control, double count, double now) {
    control_ = control;
    count_ = count;
    last_ = now;
}

}  // namespace kv::sim
