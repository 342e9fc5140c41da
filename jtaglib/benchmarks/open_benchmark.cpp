// Time to open the pod chain through the exported functions against the
// simulated pod: a pod with current firmware, and one that gets the whole
// firmware image. Waits pass on a manual clock, so only the work is measured.
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "kelvane/platform/clock.h"
#include "kelvane/platform/usb_backend.h"
#include "kelvane/sim/dravik_pod.h"
#include "kelvane/sim/sim_backend.h"
#include "nandrel/nandrel.h"

namespace {

double openMicroseconds(const char* firmware, int runs) {
    auto backend = std::make_shared<kv::sim::SimBackend>();
    kv::usb::setBackend(backend);
    // The pods are built beforehand: only the library's work is timed.
    std::vector<std::shared_ptr<kv::sim::DravikPod>> pods;
    kv::sim::PodConfig config;
    config.firmware = firmware;
    for (int i = 0; i < runs; ++i)
        pods.push_back(std::make_shared<kv::sim::DravikPod>(config));
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < runs; ++i) {
        backend->plug(pods[static_cast<size_t>(i)]);
        Nandrel_OpenModule();
        NANDREL_HANDLE port = Nandrel_OpenPort(Nandrel_OpenInterface(0), 0);
        if (!port) std::printf("open failed\n");
        Nandrel_CloseModule();
    }
    const auto elapsed = std::chrono::steady_clock::now() - start;
    kv::usb::setBackend(nullptr);
    return std::chrono::duration<double, std::micro>(elapsed).count() / runs;
}

}  // namespace

int main() {
    kv::ManualClock manual;
    kv::ScopedClock scope(manual);
    const int runs = 200;
    std::printf("open, firmware current: %8.1f us per open (%d runs)\n",
                openMicroseconds("02.03.03", runs), runs);
    std::printf("open, firmware update:  %8.1f us per open (%d runs)\n",
                openMicroseconds("02.01.00", runs), runs);
    return 0;
}
