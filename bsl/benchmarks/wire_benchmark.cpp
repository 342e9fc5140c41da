// Throughput of the loader wire on the simulated adapter: simulated time and
// host time to write and verify an 8 KB block at 9600 baud, and to read it.
#include <chrono>
#include <cstdio>
#include <vector>

#include "bsl_bench.h"
#include "entry_sequence.h"
#include "hesmark_bootload_port.h"
#include "tovrin/tovrin.h"

int main() {
    kv::sim::testing::BslBench bench(kv::sim::LoaderProfile::f413());
    if (!Tovrin_Open(0) || !Tovrin_SetBaudRate(9600)) return 1;
    hesmark::CHesmarkBootloadPort port;
    port.SetAdapterOpen(true);
    bsltest::EnterLoader();
    const std::vector<uint8_t> blank(32, 0xFF);
    if (!port.SetPassword(blank.data(), false)) return 1;

    constexpr size_t kSize = 8192, kPiece = 128;
    std::vector<uint8_t> data(kSize);
    for (size_t i = 0; i < kSize; ++i)
        data[i] = static_cast<uint8_t>(i * 13 + 1);

    auto run = [&](const char* what, auto&& body) {
        const uint32_t simStart = bench.clock.tickCount();
        const auto wallStart = std::chrono::steady_clock::now();
        const bool ok = body();
        const double wallMs =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wallStart)
                .count();
        const uint32_t simMs = bench.clock.tickCount() - simStart;
        std::printf("%-22s %s  simulated %6u ms (%5.0f bytes/s)  host %7.1f ms\n", what,
                    ok ? "ok  " : "FAIL", simMs, simMs ? kSize * 1000.0 / simMs : 0.0, wallMs);
        return ok;
    };
    bool ok = run("write 8 KB + verify", [&] {
        for (size_t at = 0; at < kSize; at += kPiece)
            if (!port.TxDataBlock(0xC000 + at, data.data() + at, kPiece, true)) return false;
        return true;
    });
    std::vector<uint8_t> back(kSize);
    ok = run("read 8 KB",
             [&] {
                 for (size_t at = 0; at < kSize; at += kPiece)
                     if (!port.RxDataBlock(0xC000 + at, back.data() + at, kPiece)) return false;
                 return back == data;
             }) &&
         ok;
    Tovrin_Close();
    return ok ? 0 : 1;
}
