// Prints how long loading and unloading the shipped plug-in lists takes and
// how fast a loaded serializer renders serial numbers through the host.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

#include "kelvane/core/plugin_lists.h"

namespace {

double MicrosecondsSince(std::chrono::steady_clock::time_point start, int rounds) {
    const auto elapsed = std::chrono::steady_clock::now() - start;
    return std::chrono::duration<double, std::micro>(elapsed).count() / rounds;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string directory = argc > 1 ? std::string(argv[1]) + "/" : std::string();

    constexpr int kLoads = 200;
    auto start = std::chrono::steady_clock::now();
    for (int round = 0; round < kLoads; ++round) {
        if (!kv::CSerializerPlugins::LoadSerializerModules(directory + "Serializers.xml") ||
            !kv::COverlayPlugins::LoadOverlayModules(directory + "Overlays.xml"))
            return 1;
        kv::COverlayPlugins::UnloadOverlayModules();
        kv::CSerializerPlugins::UnloadSerializerModules();
    }
    std::printf("load and unload both plug-in lists: %.1f us per cycle\n",
                MicrosecondsSince(start, kLoads));

    if (!kv::CSerializerPlugins::LoadSerializerModules(directory + "Serializers.xml")) return 1;
    kv::CSerializerAlgorithm* dword =
        kv::CSerializerPlugins::GetSerializerAlgorithms()->Find("libvossil.so", "DWORD");
    if (!dword) return 1;
    constexpr int kRenders = 100000;
    std::string value = "1";
    std::uint8_t buffer[4];
    start = std::chrono::steady_clock::now();
    for (int round = 0; round < kRenders; ++round) {
        if (!dword->Parse(value) || dword->GetOverlaySize() != 4 ||
            !dword->Render(buffer, sizeof buffer) || !dword->GetNextValue(value))
            return 1;
    }
    std::printf("serial number step (parse, size, render, next): %.3f us, last %s\n",
                MicrosecondsSince(start, kRenders), value.c_str());
    kv::CSerializerPlugins::UnloadSerializerModules();
    return 0;
}
