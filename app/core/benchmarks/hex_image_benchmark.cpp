// Writes and reads a 256 KiB image in both formats and both builds and prints
// the time each takes.
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "kelvane/core/intel_hex_file.h"
#include "kelvane/core/text_hex_file.h"

namespace {

constexpr std::uint32_t kImageBytes = 256 * 1024;

std::unique_ptr<kv::CHexImageFile> makeImage(int type, const kv::HexImageBuild& build) {
    if (type == 1) return std::make_unique<kv::CTextHexFile>(build);
    return std::make_unique<kv::CIntelHexFile>(build);
}

double millisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

}  // namespace

int main() {
    std::string dir = (std::filesystem::temp_directory_path() / "kelvane-hexbench-XXXXXX").string();
    if (mkdtemp(dir.data()) == nullptr) return 1;
    std::vector<std::uint8_t> data(kImageBytes);
    for (std::uint32_t i = 0; i < kImageBytes; ++i)
        data[i] = static_cast<std::uint8_t>(i * 7);

    std::printf("%-10s %-12s %10s %10s %8s\n", "format", "build", "write ms", "read ms", "blocks");
    for (int type = 1; type <= 2; ++type) {
        for (const auto& [name, build] : {std::pair{"program", kv::kProgramHexBuild},
                                          std::pair{"bootloader", kv::kBootloaderHexBuild}}) {
            const std::string path = dir + (type == 1 ? "/image.txt" : "/image.hex");
            auto writer = makeImage(type, build);
            writer->Open(path, kv::CHexImageFile::kModeWrite);
            writer->AddBlock(data.data(), 0x4000, kImageBytes);
            auto start = std::chrono::steady_clock::now();
            const int written = writer->Write();
            const double writeMs = millisecondsSince(start);
            auto reader = makeImage(type, build);
            start = std::chrono::steady_clock::now();
            const int read = reader->Open(path, kv::CHexImageFile::kModeRead);
            const double readMs = millisecondsSince(start);
            if (!written || !read) {
                std::printf("failed: %s\n", reader->GetLastError().c_str());
                return 1;
            }
            std::printf("%-10s %-12s %10.2f %10.2f %8zu\n", type == 1 ? "TI-TXT" : "Intel HEX",
                        name, writeMs, readMs, reader->GetBlockCount());
        }
    }
    std::filesystem::remove_all(dir);
    return 0;
}
