// Prints how long loading the shipped processor list, looking processors up
// and mapping flash ranges to segments take.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "kelvane/core/array_prg_processor.h"

namespace {

double MicrosecondsSince(std::chrono::steady_clock::time_point start, int rounds) {
    const auto elapsed = std::chrono::steady_clock::now() - start;
    return std::chrono::duration<double, std::micro>(elapsed).count() / rounds;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string path = argc > 1 ? argv[1] : "ProcessorList.xml";

    constexpr int kLoads = 200;
    auto start = std::chrono::steady_clock::now();
    for (int round = 0; round < kLoads; ++round) {
        if (!kv::LoadProcessorTable(path)) return 1;
    }
    std::printf("load %s: %.1f us per load\n", path.c_str(), MicrosecondsSince(start, kLoads));

    const kv::CArrayPrgProcessor* table = kv::GetProcessorTable();
    std::vector<std::string> names;
    for (std::size_t index = 0; index < table->GetSize(); ++index)
        names.push_back(table->GetAt(index)->GetName());

    constexpr int kLookups = 100000;
    std::size_t found = 0;
    start = std::chrono::steady_clock::now();
    for (int round = 0; round < kLookups; ++round)
        found += kv::FindProcessorByName(names[static_cast<std::size_t>(round) % names.size()]) !=
                 nullptr;
    std::printf("lookup among %zu processors: %.3f us per lookup (%zu found)\n", names.size(),
                MicrosecondsSince(start, kLookups), found);

    kv::CPrgProcessor* large = kv::FindProcessorByName("MSP430FG4619");
    if (!large) return 1;
    constexpr int kMaps = 100000;
    kv::SegmentMap map;
    std::uint64_t segments = 0;
    start = std::chrono::steady_clock::now();
    for (int round = 0; round < kMaps; ++round) {
        if (!large->GetSegmentMap(large->MainStart, large->MainSize, &map)) return 1;
        segments += map.segmentCount;
    }
    std::printf("segment map of all main flash of MSP430FG4619: %.3f us per map (%u segments)\n",
                MicrosecondsSince(start, kMaps), static_cast<unsigned>(segments / kMaps));
    kv::DestroyProcessorTable();
    return 0;
}
