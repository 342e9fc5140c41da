#include <cstdint>
#include <string>
#include <vector>

#include "line_reader.h"
#include "nandrel/image/hex_readers.h"
#include "read_detail.h"
#include "segment_builder.h"

namespace nandrel {

int ReadIntelHexFile(const char* path, const ImageMemoryLayout& layout) {
    FreeHexBlockLists();
    ClearHexReadErrorDetail();
    LineReader reader(path);
    if (!reader.isOpen()) {
        SetHexOpenDetail(path, reader.openError());
        return kErrFileOpen;
    }
    SegmentBuilder segment(layout, kSegmentWorkBufferSize);
    std::uint32_t base = 0;
    // Under linear addressing (the default, and after a type 04 record) a
    // record's bytes run on past a 64 KiB boundary; only under segment
    // addressing (after a type 02 record) does the offset wrap within 16 bits.
    bool linear = true;
    std::vector<std::uint8_t> record;
    std::string line;
    while (reader.next(&line)) {
        const int n = reader.lineNumber();
        if (reader.tooLong()) {
            SetHexReadErrorDetail(n, "line longer than %zu characters", kMaxLineLength);
            return kErrIntelHex;
        }
        const std::string_view text = TrimHexToken(line);
        if (text.empty()) continue;
        if (!CheckHexRecord(text, &record)) {
            SetHexReadErrorDetail(n, "invalid record");
            return kErrIntelHex;
        }
        const std::uint32_t count = record[0];
        const std::uint32_t offset = (record[1] << 8) | record[2];
        const std::uint8_t type = record[3];
        const std::uint8_t* data = record.data() + 4;
        switch (type) {
            case 0:
                for (std::uint32_t i = 0; i < count; ++i) {
                    // A wrapped byte lies at a different address and so starts a
                    // segment of its own.
                    const std::uint32_t address =
                        linear ? base + offset + i : base + ((offset + i) & 0xFFFF);
                    if (address > kMaxImageAddress) {
                        SetHexReadErrorDetail(n, "data above %05X", kMaxImageAddress);
                        return -1;
                    }
                    if (!segment.isOpen() || address != segment.end()) segment.start(address);
                    if (segment.given(address)) {
                        SetHexOverlapDetail(n, address);
                        return kErrFileData;
                    }
                    if (!segment.append(data[i])) {
                        SetHexReadErrorDetail(n, "segment at %05X larger than the work buffer",
                                              segment.start());
                        return kErrFileData;
                    }
                }
                break;
            case 1:
                segment.close();
                return 0;
            case 2:
            case 4: {
                if (count != 2) {
                    SetHexReadErrorDetail(n, "extended address record without 2 data bytes");
                    return -1;
                }
                const std::uint32_t value = (static_cast<std::uint32_t>(data[0]) << 8) | data[1];
                base = type == 2 ? value << 4 : value << 16;
                linear = type == 4;
                if (base > kMaxImageAddress) {
                    SetHexReadErrorDetail(n, "base address above %05X", kMaxImageAddress);
                    return -1;
                }
                break;
            }
            default:
                break;
        }
    }
    if (reader.failed()) {
        SetHexReadErrorDetail(reader.lineNumber(), "read error");
        return kErrFileIo;
    }
    SetHexReadErrorDetail(0, "No end of file record");
    return -1;
}

}  // namespace nandrel
