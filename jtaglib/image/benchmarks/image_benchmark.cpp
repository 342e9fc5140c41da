// Writes a 256 KiB read-out in both formats, reads it back into the segment
// lists and prints the time each takes.
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "nandrel/image/hex_readers.h"
#include "nandrel/image/hex_writers.h"

namespace {

constexpr std::uint32_t kBytes = 0x40000;

double millisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

}  // namespace

int main() {
    std::string dir =
        (std::filesystem::temp_directory_path() / "nandrel-imagebench-XXXXXX").string();
    if (mkdtemp(dir.data()) == nullptr) return 1;
    std::vector<std::uint8_t> data(kBytes);
    for (std::uint32_t i = 0; i < kBytes; ++i)
        data[i] = static_cast<std::uint8_t>(i * 7);
    const nandrel::ImageMemoryLayout layout{0x1000, 0x10FF, 0x1100, 0x3FFFF};

    std::printf("%-10s %10s %10s %10s\n", "format", "write ms", "read ms", "segments");
    for (int type : {nandrel::kHexFileText, nandrel::kHexFileIntel}) {
        const bool text = type == nandrel::kHexFileText;
        const std::string path = dir + (text ? "/image.txt" : "/image.hex");
        auto start = std::chrono::steady_clock::now();
        int ok = text ? nandrel::WriteTextHexOpen(path.c_str())
                      : nandrel::WriteIntelHexOpen(path.c_str());
        ok &= text ? nandrel::WriteTextHexRecord(0, kBytes / 2 - 8, data.data())
                   : nandrel::WriteIntelHexRecord(0, kBytes / 2, data.data());
        ok &= text ? nandrel::WriteTextHexEnd() : nandrel::WriteIntelHexEnd();
        const double writeMs = millisecondsSince(start);
        start = std::chrono::steady_clock::now();
        const int result =
            nandrel::ReadHexFileSegments(path.c_str(), nandrel::kHexFileDetect, layout);
        const double readMs = millisecondsSince(start);
        if (!ok || result != 0) {
            std::printf("failed: %d %s\n", result, nandrel::HexReadErrorDetail().c_str());
            return 1;
        }
        std::printf("%-10s %10.2f %10.2f %10zu\n", text ? "TI-TXT" : "Intel HEX", writeMs, readMs,
                    nandrel::FlashSegments().size() + nandrel::OtherSegments().size());
        nandrel::FreeHexBlockLists();
    }
    std::filesystem::remove_all(dir);
    return 0;
}
