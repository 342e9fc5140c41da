// Image files through the exported interface on the simulated chip at 9600
// baud: simulated and host time to write (with verify), verify and read back
// an 8 KB image, once on a manual clock and once on the wall clock with the
// adapter's line on modelled time (as console and window runs have it).
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "bsl_bench.h"
#include "hesmark/hesmark.h"
#include "kelvane/sim/chip.h"
#include "kelvane/sim/rom_bootloader.h"
#include "kelvane/sim/tovrin_adapter.h"

namespace {

// One pass: write with verify, verify and read back. On a manual clock the
// host's waits move the clock; on the wall clock with modelled time the line
// runs on whenever the host waits. Simulated time is the adapter's own.
bool Pass(const char* title, bool wallClock) {
    kv::ManualClock manual(1000);
    std::optional<kv::ScopedClock> scope;
    if (!wallClock) scope.emplace(manual);
    const kv::sim::DeviceProfile device = *kv::sim::findProfile("MSP430F2274");
    kv::sim::Chip chip(device);
    kv::sim::RomBootLoader loader(chip, kv::sim::LoaderProfile::forChip(device, true));
    kv::sim::TovrinAdapter::Config config;
    config.modelledTime = wallClock;
    auto adapter = std::make_shared<kv::sim::TovrinAdapter>(config);
    adapter->attachTarget(&loader);
    kv::usb::setBackend(std::make_shared<kv::sim::testing::SingleDeviceBackend>(adapter));

    constexpr uint32_t kSize = 8192, kStart = 0xC000;
    const std::string path =
        (std::filesystem::temp_directory_path() / "hesmark_file_benchmark.txt").string();
    {
        std::ofstream out(path);
        out << "@C000\n";
        for (uint32_t i = 0; i < kSize; ++i) {
            char text[4];
            std::snprintf(text, sizeof text, "%02X", static_cast<unsigned>((i * 13 + 1) & 0xFF));
            out << text << ((i % 16 == 15) ? "\n" : " ");
        }
        out << "q\n";
    }
    std::printf("%s\n", title);
    const std::vector<uint8_t> blank(32, 0xFF);
    if (!Open_Hesmark(0, 9600) || !InitializeAdapter_Hesmark() || !InitializeTarget_Hesmark(0) ||
        !SetPasswordData_Hesmark(blank.data()))
        return false;

    bool ok = true;
    auto run = [&](const char* what, auto&& body) {
        const uint64_t simStart = adapter->nowUs();
        const auto wallStart = std::chrono::steady_clock::now();
        const bool done = body() == 1;
        const double wallMs =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wallStart)
                .count();
        const double simMs = static_cast<double>(adapter->nowUs() - simStart) / 1000.0;
        std::printf("  %-24s %s  simulated %8.1f ms (%5.0f bytes/s)  host %7.1f ms\n", what,
                    done ? "ok  " : "FAIL", simMs, simMs > 0 ? kSize * 1000.0 / simMs : 0.0,
                    wallMs);
        if (!done) {
            char error[1024];
            GetLastError_Hesmark(error, sizeof error);
            std::printf("    %s\n", error);
        }
        ok = ok && done;
    };
    run("write 8 KB with verify", [&] { return WriteFile_Hesmark(path.c_str(), 1, 1); });
    run("verify 8 KB", [&] { return VerifyFile_Hesmark(path.c_str(), 1); });
    const std::string back = path + ".back.hex";
    run("read 8 KB to a file", [&] { return ReadFile_Hesmark(back.c_str(), 2, kStart, kSize); });
    Close_Hesmark();
    kv::usb::setBackend(nullptr);
    adapter->attachTarget(nullptr);
    std::filesystem::remove(path);
    std::filesystem::remove(back);
    return ok;
}

}  // namespace

int main() {
    const bool manual = Pass("F2274 at 9600 baud, manual clock:", false);
    const bool modelled = Pass("F2274 at 9600 baud, wall clock, line on modelled time:", true);
    return manual && modelled ? 0 : 1;
}
