// Throughput of the simulated pod: memory commands as the JTAG library sends
// them (1024-byte blocks) and commands that give a released CPU its slice.
#include <chrono>
#include <cstdio>
#include <vector>

#include "kelvane/sim/dravik_pod.h"

using kv::sim::DravikPod;
using Bytes = std::vector<uint8_t>;

namespace {

void send(DravikPod& pod, const Bytes& command) {
    size_t written = 0;
    pod.write(command.data(), command.size(), &written);
    Bytes reply(pod.rxAvailable());
    pod.read(reply.data(), reply.size());
}

double seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main() {
    DravikPod pod;
    send(pod, {52, 0x0B, 0xB8});                              // VCC 3000 mV
    send(pod, {32});                                          // JTAG on
    send(pod, {64, 0xC8, 0x24, 0x01});                        // CPU held
    send(pod, {106, 0x03, 0, 0x01, 0x20, 0, 1, 0x5A, 0x80});  // watchdog held

    // 2 KiB of RAM written and read back in 1024-byte blocks, many times.
    const int rounds = 2000;
    Bytes write{98, 0, 0, 0, 0, 0x04, 0x00};
    write.resize(7 + 1024, 0x55);
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < rounds; ++i) {
        for (uint32_t block = 0; block < 2; ++block) {
            const uint32_t field = (0x0200 + block * 1024) | (block == 0 ? 0x01000000 : 0x02000000);
            write[0] = 98;
            write[1] = static_cast<uint8_t>(field >> 24);
            write[2] = static_cast<uint8_t>(field >> 16);
            write[3] = static_cast<uint8_t>(field >> 8);
            write[4] = static_cast<uint8_t>(field);
            send(pod, write);
            Bytes read(write.begin(), write.begin() + 7);
            read[0] = 96;
            send(pod, read);
        }
    }
    double wall = seconds(start);
    std::printf("memory commands      %8d commands %8.3f s %10.0f commands/s %7.1f MB/s\n",
                4 * rounds, wall, 4 * rounds / wall, 4.0 * rounds * 1024 / wall / 1e6);

    // A released CPU in a loop: every ping gives it 10000 cycles.
    const uint16_t loop[] = {0x4034, 0x0000, 0x5314, 0x3FFE};  // MOV #0,R4; INC R4; JMP -1
    Bytes program{106, 0x03, 0, 0x02, 0x00, 0, 4};
    for (uint16_t w : loop) {
        program.push_back(static_cast<uint8_t>(w >> 8));
        program.push_back(static_cast<uint8_t>(w));
    }
    send(pod, program);
    send(pod, {76, 0, 0, 0x02, 0x00});  // PC
    send(pod, {114});                   // release
    const int pings = 20000;
    const uint64_t before = pod.chip()->cycles();
    start = std::chrono::steady_clock::now();
    for (int i = 0; i < pings; ++i)
        send(pod, {18});
    wall = seconds(start);
    const double cycles = static_cast<double>(pod.chip()->cycles() - before);
    std::printf("released CPU slices  %8d commands %8.3f s %10.0f commands/s %7.1f M cycles/s\n",
                pings, wall, pings / wall, cycles / wall / 1e6);
    return 0;
}
