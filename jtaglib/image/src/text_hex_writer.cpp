#include <cstdint>

#include "nandrel/image/hex_writers.h"
#include "output_file.h"

namespace nandrel {

namespace {

struct TextWriter {
    OutputFile file;
    std::uint32_t nextAddress = 0;
    bool haveAddress = false;  // false until the first record
    int lineBytes = 0;
};

TextWriter& writer() {
    static TextWriter w;
    return w;
}

}  // namespace

int WriteTextHexOpen(const char* path) {
    TextWriter& w = writer();
    w.haveAddress = false;
    w.lineBytes = 0;
    return w.file.open(path) ? 1 : 0;
}

int WriteTextHexRecord(std::uint32_t address, std::uint32_t wordCount, const void* data) {
    return WriteTextHexBytes(address, 2ULL * wordCount, data);
}

int WriteTextHexBytes(std::uint32_t address, std::uint64_t count, const void* data) {
    TextWriter& w = writer();
    if (!w.file.isOpen() || (data == nullptr && count > 0)) return 0;
    if (!w.haveAddress || address != w.nextAddress) {
        if (w.lineBytes > 0) w.file.print("\n");
        w.file.print("@%04X\n", static_cast<unsigned>(address));
        w.lineBytes = 0;
    }
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    for (std::uint64_t i = 0; i < count; ++i) {
        ++w.lineBytes;
        const bool lineFull = w.lineBytes == 16;
        w.file.print("%02X%c", bytes[i], lineFull ? '\n' : ' ');
        if (lineFull) w.lineBytes = 0;
    }
    w.nextAddress = address + static_cast<std::uint32_t>(count);
    w.haveAddress = true;
    return w.file.failed() ? 0 : 1;
}

int WriteTextHexEnd() {
    TextWriter& w = writer();
    if (!w.file.isOpen()) return 0;
    if (w.lineBytes > 0) w.file.print("\n");
    w.file.print("q\n");
    w.lineBytes = 0;
    return w.file.close() ? 1 : 0;
}

}  // namespace nandrel
