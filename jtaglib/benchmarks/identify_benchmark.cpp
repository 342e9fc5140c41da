// Automatic identification through the exported functions against simulated
// chips: time per identification and the pod commands it takes. Waits pass
// on a manual clock, so only the work is measured.
#include <chrono>
#include <cstdio>
#include <memory>

#include "kelvane/platform/clock.h"
#include "kelvane/platform/usb_backend.h"
#include "kelvane/sim/dravik_pod.h"
#include "kelvane/sim/sim_backend.h"
#include "nandrel/nandrel.h"

namespace {

void measure(const char* chip, int runs) {
    auto backend = std::make_shared<kv::sim::SimBackend>();
    kv::usb::setBackend(backend);
    kv::sim::PodConfig config;
    config.chip = chip;
    auto pod = std::make_shared<kv::sim::DravikPod>(config);
    const uint32_t loop = pod->chip()->profile().mainStart;
    pod->chip()->poke16(0xFFFE, static_cast<uint16_t>(loop));
    pod->chip()->poke16(loop, 0x3FFF);
    backend->plug(pod);
    Nandrel_OpenModule();
    NANDREL_HANDLE port = Nandrel_OpenPort(Nandrel_OpenInterface(0), 0);
    NANDREL_HANDLE target = Nandrel_OpenTarget(port, 0);
    Nandrel_VCC(target, 3300);
    Nandrel_OpenJTAG(target);
    pod->clearLog();
    DeviceRecord record{};
    int failures = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < runs; ++i)
        failures += Nandrel_Identify(target, &record, sizeof record, 0) == 1 ? 0 : 1;
    const auto elapsed = std::chrono::steady_clock::now() - start;
    const size_t commands = pod->records().size() / static_cast<size_t>(runs);
    Nandrel_CloseModule();
    kv::usb::setBackend(nullptr);
    std::printf("identify %-22s -> %-22s %8.1f us, %3zu pod commands per identification%s\n", chip,
                record.name, std::chrono::duration<double, std::micro>(elapsed).count() / runs,
                commands, failures ? " (FAILURES)" : "");
}

}  // namespace

int main() {
    kv::ManualClock manual;
    kv::ScopedClock scope(manual);
    const int runs = 200;
    for (const char* chip :
         {"MSP430F149", "MSP430F2274", "MSP430FG4619", "MSP430F11x1-prototype", "TMS430FCAS003"})
        measure(chip, runs);
    return 0;
}
