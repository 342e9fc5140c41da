#include <algorithm>
#include <cstdint>

#include "nandrel/image/hex_writers.h"
#include "output_file.h"

namespace nandrel {

namespace {

constexpr std::uint32_t kRecordBytes = 32;

struct IntelWriter {
    OutputFile file;
    std::uint32_t upper = 0;  // upper 16 address bits of the previous record
};

IntelWriter& writer() {
    static IntelWriter w;
    return w;
}

void writeExtendedLinear(IntelWriter& w, std::uint32_t upper) {
    const unsigned sum = 2 + 4 + (upper >> 8) + (upper & 0xFF);
    w.file.print(":02000004%04X%02X\n", static_cast<unsigned>(upper),
                 (0x100 - (sum & 0xFF)) & 0xFF);
}

}  // namespace

int WriteIntelHexOpen(const char* path) {
    IntelWriter& w = writer();
    w.upper = 0;
    return w.file.open(path) ? 1 : 0;
}

int WriteIntelHexRecord(std::uint32_t address, std::uint32_t wordCount, const void* data) {
    return WriteIntelHexBytes(address, 2ULL * wordCount, data);
}

int WriteIntelHexBytes(std::uint32_t address, std::uint64_t byteCount, const void* data) {
    IntelWriter& w = writer();
    if (!w.file.isOpen() || (data == nullptr && byteCount > 0)) return 0;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    std::uint64_t remaining = byteCount;
    while (remaining > 0) {
        // A record never crosses a 64 KiB boundary: its bytes must read back at
        // the addresses they came from.
        const std::uint32_t toBoundary = 0x10000 - (address & 0xFFFF);
        const auto count = static_cast<std::uint32_t>(
            std::min<std::uint64_t>({remaining, kRecordBytes, toBoundary}));
        const std::uint32_t upper = address >> 16;
        if (upper != w.upper) {
            writeExtendedLinear(w, upper);
            w.upper = upper;
        }
        unsigned sum = count + ((address >> 8) & 0xFF) + (address & 0xFF);
        w.file.print(":%02X%04X00", static_cast<unsigned>(count),
                     static_cast<unsigned>(address & 0xFFFF));
        for (std::uint32_t i = 0; i < count; ++i) {
            w.file.print("%02X", bytes[i]);
            sum += bytes[i];
        }
        w.file.print("%02X\n", (0x100 - (sum & 0xFF)) & 0xFF);
        bytes += count;
        address += count;
        remaining -= count;
    }
    return w.file.failed() ? 0 : 1;
}

int WriteIntelHexEnd() {
    IntelWriter& w = writer();
    if (!w.file.isOpen()) return 0;
    w.file.print(":00000001FF\n");
    return w.file.close() ? 1 : 0;
}

}  // namespace nandrel
