// The flash clock set-up: the chip's clock is brought into the range the flash
// timing generator needs by measuring it with downloaded routines.
//
// The generator runs at MCLK / 5 (MCLK / 14 on newer-flash devices) and the
// flash is rated for 257 to 476 kHz. Every search accepts only a clock that
// puts the generator at 282 to 428 kHz, a tenth inside either end, so that
// the error of a 20 ms count never carries it out of the rated range. When no
// setting gets there the set-up fails rather than flash out of range.
#include <array>
#include <vector>

#include "flash/flash_jtag.h"
#include "flash_errors.h"
#include "nandrel/routines/clock_routines.h"
#include "nandrel/routines/relocation.h"
#include "text_format.h"

namespace nandrel {

namespace {

using namespace routines;

// Counts per second of a 20 ms measurement.
constexpr double kCountsPerSecond = 50;
constexpr double kLoopFactor = kLoopClockCyclesPerCount * kCountsPerSecond;
constexpr double kBasicFactor = kBasicClockCyclesPerCount * kCountsPerSecond;
constexpr double kModuleFactor = kModuleClockCyclesPerCount * kCountsPerSecond;
// MCLK window for the generator at MCLK / 5.
constexpr double kTooSlow = 1410000;
constexpr double kTooFast = 2140001;
constexpr double kStandardDivider = kFlashTimingDivider;
constexpr double kNewerFlashDivider = 14;
constexpr unsigned kLoopSettings = 27;
constexpr unsigned kModuleRanges = 15;
constexpr int kClockAttempts = 3;

// The MCLK window for a generator dividing by `divider`.
struct ClockWindow {
    double low;
    double high;  // exclusive
    bool holds(double f) const { return f >= low && f < high; }
};

constexpr ClockWindow WindowFor(double divider) {
    return {kTooSlow * divider / kStandardDivider, kTooFast * divider / kStandardDivider};
}

}  // namespace

int32_t CFlashJTAG::SetFlashClock() {
    const FlashDevice d = target_.Device();
    measuredClockHz_ = 0;
    // Runs a measurement routine and gives the MCLK frequency it counted.
    auto measure = [&](std::vector<uint16_t> words, RoutineId id, double factor, double* f) {
        if (!RelocateRoutine(words, id, d.ramStart))
            return target_.Fail("Clock routine does not fit");
        uint32_t count = 0;
        if (!RunRoutine(id, words, &count)) return false;
        *f = static_cast<double>(count) * factor;
        return true;
    };
    for (int attempt = 0; attempt < kClockAttempts; ++attempt) {
        if (d.newerFlash) {
            // Walk the clock module's range at the routine's tap until the
            // clock lies in the window, then set it there.
            const ClockWindow window = WindowFor(kNewerFlashDivider);
            const uint16_t standard = kNewerFlashClockSettings[0];
            const unsigned tap = standard & 0xFF;
            unsigned range = standard >> 8;
            std::array<bool, kModuleRanges + 1> seen{};
            bool ok = true;
            bool found = false;
            while (ok && !found) {
                if (seen[range]) {
                    ok = target_.Fail("Flash clock search does not settle");
                    break;
                }
                seen[range] = true;
                std::vector<uint16_t> words = ClockMeasureModuleRoutine();
                words[ClockMeasureModuleWords::kRegisters] = ModuleClockSetting(range, tap);
                double f = 0;
                ok = measure(std::move(words), RoutineId::ClockMeasureModule, kModuleFactor, &f);
                if (!ok) break;
                if (window.holds(f)) {
                    found = true;
                } else if (f < window.low) {
                    if (range < kModuleRanges)
                        ++range;
                    else
                        ok = target_.Fail(
                            format("Flash clock too slow at the highest setting (%.0f Hz)", f));
                } else if (range > 0) {
                    --range;
                } else {
                    ok = target_.Fail(
                        format("Flash clock too fast at the lowest setting (%.0f Hz)", f));
                }
            }
            if (!found) continue;
            std::vector<uint16_t> words = ClockSetNewerFlashRoutine();
            words[ClockSetNewerFlashWords::kRegisters] = ModuleClockSetting(range, tap);
            if (RelocateRoutine(words, RoutineId::ClockSetNewerFlash, d.ramStart) &&
                RunRoutine(RoutineId::ClockSetNewerFlash, words, nullptr))
                return 0;
            continue;
        }
        const ClockWindow window = WindowFor(kStandardDivider);
        if (d.loopClock()) {
            // Bisection for the fastest setting below the window's top.
            auto measureLoop = [&](unsigned setting, double* f) {
                std::vector<uint16_t> words = ClockMeasureLoopRoutine();
                words[ClockMeasureLoopWords::kSetting] = LoopClockSetting(setting);
                words[ClockMeasureLoopWords::kControl] = kLoopClockControl;
                words[ClockMeasureLoopWords::kCountStart] = 0;
                return measure(std::move(words), RoutineId::ClockMeasureLoop, kLoopFactor, f);
            };
            unsigned low = 0;
            unsigned high = kLoopSettings;
            double f = 0;
            bool movedHigh = false;
            bool ok = true;
            while (ok && high - low > 1) {
                const unsigned middle = (low + high) / 2;
                ok = measureLoop(middle, &f);
                movedHigh = f >= window.high;
                (movedHigh ? high : low) = middle;
            }
            if (ok && movedHigh) ok = measureLoop(low, &f);
            if (ok && window.holds(f)) {
                measuredClockHz_ = f;
                return 0;
            }
            if (ok) target_.Fail(format("Flash clock %.0f Hz out of range", f));
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
                ok = target_.Fail("Flash clock search does not settle");
                break;
            }
            seen[range * 8 + tap] = true;
            double f = 0;
            std::vector<uint16_t> words = ClockMeasureBasicRoutine();
            words[ClockMeasureBasicWords::kSetting] = BasicClockSetting(range, tap);
            if (!measure(std::move(words), RoutineId::ClockMeasureBasic, kBasicFactor, &f)) {
                ok = false;
                break;
            }
            if (window.holds(f)) {
                measuredClockHz_ = f;
                return 0;
            }
            if (f < window.low) {
                if (tap < 7) {
                    ++tap;
                } else if (range < maxRange) {
                    ++range;
                    tap = 0;
                } else {
                    ok = target_.Fail("Flash clock too slow at the highest setting");
                }
            } else if (tap > 1) {
                --tap;
            } else if (range > 1) {
                --range;
                tap = 7;
            } else {
                ok = target_.Fail("Flash clock too fast at the lowest setting");
            }
        }
    }
    return kErrFrequency;
}

}  // namespace nandrel
