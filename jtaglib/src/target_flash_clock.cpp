// The flash clock set-up: the chip's clock is brought into the range the flash
// timing generator needs by measuring it with downloaded routines.
#include <array>
#include <vector>

#include "flash_errors.h"
#include "nandrel/routines/clock_routines.h"
#include "nandrel/routines/relocation.h"
#include "target_jtag.h"
#include "text_format.h"

namespace nandrel {

namespace {

using namespace routines;

constexpr uint16_t kMeasureTimeMs = 20;
constexpr double kLoopFactor = 3.7 * 50;
constexpr double kBasicFactor = 3.3 * 50;
constexpr double kTooSlow = 1410000;
constexpr double kTooFast = 2140001;
constexpr double kLoopMin = 1285000;
constexpr double kLoopMax = 2380000;
constexpr double kNewerFlashFrequency = 2380000;
constexpr unsigned kLoopSettings = 27;
constexpr int kClockAttempts = 3;

}  // namespace

namespace {

// Runs a measurement routine and gives the count it reached.
class ClockMeter {
  public:
    ClockMeter(CTargetJTAG& target, uint16_t ramStart, bool verify)
        : target_(target), ramStart_(ramStart), verify_(verify) {}

    bool Measure(std::vector<uint16_t> words, RoutineId id, double factor, double* frequency) {
        if (!RelocateRoutine(words, id, ramStart_))
            return target_.Fail("Clock routine does not fit");
        if (!target_.ExecuteCode(words.data(), static_cast<uint32_t>(words.size()), verify_, false,
                                 kMeasureTimeMs))
            return false;
        uint32_t high = 0;
        uint32_t low = 0;
        CTargetProtocolJTAG& p = *target_.protocol();
        if (!p.ReadRegister(10, &high) || !p.ReadRegister(9, &low))
            return target_.Fail(p.errorText());
        *frequency = static_cast<double>((high & 0xFFFF) * 65536u + (low & 0xFFFF)) * factor;
        return true;
    }

  private:
    CTargetJTAG& target_;
    uint16_t ramStart_;
    bool verify_;
};

}  // namespace

int32_t CTargetJTAG::SetFlashClock() {
    const FlashDevice d = FlashDeviceFor(selectedDevice_, deviceClass_);
    const bool verify = flashOption_ != 0;
    ClockMeter meter(*this, d.ramStart, verify);
    for (int attempt = 0; attempt < kClockAttempts; ++attempt) {
        if (d.newerFlash) {
            std::vector<uint16_t> words = ClockSetNewerFlashRoutine();
            if (RelocateRoutine(words, RoutineId::ClockSetNewerFlash, d.ramStart) &&
                ExecuteCode(words.data(), static_cast<uint32_t>(words.size()), verify, false, 0))
                return 0;
            continue;
        }
        if (d.loopClock()) {
            auto measure = [&](unsigned setting, double* f) {
                std::vector<uint16_t> words = ClockMeasureLoopRoutine();
                words[ClockMeasureLoopWords::kSetting] = LoopClockSetting(setting);
                words[ClockMeasureLoopWords::kControl] = kLoopClockControl;
                words[ClockMeasureLoopWords::kCountStart] = 0;
                return meter.Measure(std::move(words), RoutineId::ClockMeasureLoop, kLoopFactor, f);
            };
            unsigned low = 0;
            unsigned high = kLoopSettings;
            double f = 0;
            bool movedHigh = false;
            bool ok = true;
            while (ok && high - low > 1) {
                const unsigned middle = (low + high) / 2;
                ok = measure(middle, &f);
                movedHigh = f >= kTooFast;
                (movedHigh ? high : low) = middle;
            }
            if (ok && movedHigh) ok = measure(low, &f);
            if (ok && f >= kLoopMin && f <= kLoopMax) return 0;
            if (ok) Fail(format("Flash clock %.0f Hz out of range", f));
            continue;
        }
        // Basic clock: walk range and tap until the clock lies in the window;
        // a setting seen twice means the walk goes round in circles.
        const unsigned maxRange = d.flashKind > 0 ? 15 : 7;
        std::array<bool, 16 * 8> seen{};
        unsigned range = 7;
        unsigned tap = 3;
        bool ok = true;
        while (ok) {
            if (seen[range * 8 + tap]) {
                ok = Fail("Flash clock search does not settle");
                break;
            }
            seen[range * 8 + tap] = true;
            double f = 0;
            std::vector<uint16_t> words = ClockMeasureBasicRoutine();
            words[ClockMeasureBasicWords::kSetting] = BasicClockSetting(range, tap);
            if (!meter.Measure(std::move(words), RoutineId::ClockMeasureBasic, kBasicFactor, &f)) {
                ok = false;
                break;
            }
            if (f >= kTooSlow && f < kTooFast) return 0;
            if (f < kTooSlow) {
                if (tap < 7) {
                    ++tap;
                } else if (range < maxRange) {
                    ++range;
                    tap = 0;
                } else {
                    ok = Fail("Flash clock too slow at the highest setting");
                }
            } else if (tap > 1) {
                --tap;
            } else if (range > 1) {
                --range;
                tap = 7;
            } else {
                ok = Fail("Flash clock too fast at the lowest setting");
            }
        }
    }
    return kErrFrequency;
}

}  // namespace nandrel
