// Pod command throughput of the library against the simulated pod and chip:
// memory block reads and writes, register round trips and single steps. The
// figures include the simulated pod's own work; waits pass on a manual clock.
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "handles.h"
#include "kelvane/platform/clock.h"
#include "kelvane/platform/usb_backend.h"
#include "kelvane/sim/chip.h"
#include "kelvane/sim/dravik_pod.h"
#include "kelvane/sim/sim_backend.h"
#include "nandrel/nandrel.h"
#include "target_jtag.h"

namespace {

using Clock = std::chrono::steady_clock;

double microseconds(Clock::time_point start, int count) {
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count() / count;
}

}  // namespace

int main() {
    kv::ManualClock manual;
    kv::ScopedClock scope(manual);
    auto backend = std::make_shared<kv::sim::SimBackend>();
    kv::usb::setBackend(backend);
    auto pod = std::make_shared<kv::sim::DravikPod>();
    pod->chip()->poke16(0xFFFE, 0xF000);
    pod->chip()->poke16(0xF000, 0x3FFF);
    backend->plug(pod);
    Nandrel_OpenModule();
    NANDREL_HANDLE port = Nandrel_OpenPort(Nandrel_OpenInterface(0), 0);
    NANDREL_HANDLE target = Nandrel_OpenTarget(port, 0);
    auto* t =
        static_cast<nandrel::CTargetJTAG*>(nandrel::resolveHandle(target, NANDREL_KIND_TARGET));
    if (!t || !Nandrel_VCC(target, 3000) || !Nandrel_OpenJTAG(target)) {
        std::printf("open failed\n");
        return 1;
    }
    nandrel::TargetClassValues f149;
    f149.breakpoints = 3;
    f149.emulationLevel = 2;
    t->SelectDevice(7, 7, f149);
    Nandrel_Reset(target, 1, 0, 0);
    nandrel::CTargetProtocolJTAG& p = *t->protocol();

    const int reads = 200;
    std::vector<uint8_t> buffer(0xF000);
    auto start = Clock::now();
    for (int i = 0; i < reads; ++i)
        p.ReadBytes(0x1000, 0xF000, buffer.data());
    const double readUs = microseconds(start, reads);
    std::printf("read 60 KB in 1024-byte blocks: %8.1f us per read (%.1f MB/s)\n", readUs,
                0xF000 / readUs);

    const int writes = 2000;
    std::vector<uint16_t> words(512, 0x1234);
    start = Clock::now();
    for (int i = 0; i < writes; ++i)
        p.WriteWords(0x0200, 512, words.data());
    std::printf("write 512 RAM words in one block: %8.1f us per write\n",
                microseconds(start, writes));

    const int registerCalls = 20000;
    start = Clock::now();
    for (int i = 0; i < registerCalls; ++i)
        Nandrel_WriteRegister(target, 5, static_cast<uint32_t>(i));
    std::printf("register write through the pod: %8.2f us per write\n",
                microseconds(start, registerCalls));

    const int steps = 5000;
    pod->chip()->poke16(0x0200, 0x3FFF);
    Nandrel_WriteRegister(target, 0, 0x0200);
    start = Clock::now();
    for (int i = 0; i < steps; ++i) {
        int32_t state = 0;
        Nandrel_Run(target, NANDREL_RUN_SINGLE_STEP, 0);
        Nandrel_State(target, &state, 0, nullptr);
    }
    std::printf("single step and state (EEM):    %8.1f us per step\n", microseconds(start, steps));

    Nandrel_CloseModule();
    kv::usb::setBackend(nullptr);
    return 0;
}
