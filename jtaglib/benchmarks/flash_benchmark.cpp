// Programming and verifying 60 KB of main flash through the exported functions
// against the simulated pod and chip: wall time, pod commands and bytes on
// the wire per KB, the time the same work would take on real hardware (the
// chip's simulated time plus 1 ms for every pod command round trip), the
// flash timing generator frequency the library chose, and that modelled time
// against the physical limit of programming: 35 generator cycles a word.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "kelvane/platform/clock.h"
#include "kelvane/platform/usb_backend.h"
#include "kelvane/sim/chip.h"
#include "kelvane/sim/dravik_pod.h"
#include "kelvane/sim/sim_backend.h"
#include "nandrel/nandrel.h"

namespace {

struct Case {
    const char* chip;
    uint32_t start;
};

constexpr uint32_t kImageBytes = 60 * 1024;
constexpr double kCyclesPerWord = 35;

// 60 KB of flash from `start` as one TI-TXT image.
std::string writeImage(const Case& c, const std::filesystem::path& file, uint32_t* bytes) {
    std::ofstream out(file);
    char text[16];
    *bytes = 0;
    auto segment = [&](uint32_t from, uint32_t to) {
        std::snprintf(text, sizeof text, "@%04X\n", from);
        out << text;
        for (uint32_t a = from, n = 0; a <= to; ++a, ++n) {
            const auto v = static_cast<unsigned>((a * 31 + (a >> 8)) & 0xFF);
            std::snprintf(text, sizeof text, "%02X%c", v, (n % 16 == 15 || a == to) ? '\n' : ' ');
            out << text;
            ++*bytes;
        }
    };
    segment(c.start, c.start + kImageBytes - 1);
    out << "q\n";
    return file.string();
}

void run(const Case& c) {
    auto backend = std::make_shared<kv::sim::SimBackend>();
    kv::usb::setBackend(backend);
    kv::sim::PodConfig config;
    config.chip = c.chip;
    auto pod = std::make_shared<kv::sim::DravikPod>(config);
    backend->plug(pod);
    const auto file = std::filesystem::temp_directory_path() / "nandrel_flash_benchmark.txt";
    uint32_t bytes = 0;
    const std::string path = writeImage(c, file, &bytes);

    Nandrel_OpenModule();
    NANDREL_HANDLE port = Nandrel_OpenPort(Nandrel_OpenInterface(0), 0);
    NANDREL_HANDLE target = port ? Nandrel_OpenTarget(port, 0) : nullptr;
    DeviceRecord record{};
    if (!target || !Nandrel_VCC(target, 3000) || !Nandrel_OpenJTAG(target) ||
        !Nandrel_Identify(target, &record, sizeof record, 0)) {
        std::printf("%s: could not open the chip\n", c.chip);
        return;
    }
    pod->clearLog();
    const double chipStart = pod->chip()->seconds();
    const auto start = std::chrono::steady_clock::now();
    const int32_t ok = Nandrel_ProgramFile(target, path.c_str(), NANDREL_PROGRAM_ERASE_MAIN, 1);
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!ok)
        std::printf("%s: programming failed: %s\n", c.chip, Nandrel_GetLastTargetError(target));
    const double chipSeconds = pod->chip()->seconds() - chipStart;
    const double commands = static_cast<double>(pod->commands().size());
    const double kb = bytes / 1024.0;
    const double modelled = chipSeconds + commands * 0.001;
    const double ftg = pod->chip()->flash().lastTimingFrequency();
    const double limit = bytes / 2.0 * kCyclesPerWord / ftg;
    std::printf(
        "%-13s %6.1f KB erase+program+verify: wall %.3f s; per KB: %.2f pod commands, "
        "%.0f bytes to the pod, %.0f bytes back; modelled on hardware %.2f s "
        "(chip %.2f s + %.0f round trips)\n",
        c.chip, kb, wall, commands / kb, pod->hostBytes().size() / kb, pod->podBytes().size() / kb,
        modelled, chipSeconds, commands);
    std::printf(
        "%-13s f_FTG %.1f kHz (%.1f..%.1f kHz over all erases and writes); physical limit "
        "%.2f s (35 f_FTG cycles a word); modelled / limit %.2f\n",
        c.chip, ftg / 1e3, pod->chip()->flash().lowestTimingFrequency() / 1e3,
        pod->chip()->flash().highestTimingFrequency() / 1e3, limit, modelled / limit);
    Nandrel_CloseModule();
    kv::usb::setBackend(nullptr);
    std::filesystem::remove(file);
}

}  // namespace

int main() {
    kv::ManualClock manual;
    kv::ScopedClock scope(manual);
    run({"MSP430F149", 0x1000});  // information memory and main flash: 60 KB
    run({"MSP430FG4619", 0x2100});
    return 0;
}
