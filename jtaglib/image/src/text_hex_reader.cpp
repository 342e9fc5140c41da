#include <cstdint>
#include <string>

#include "line_reader.h"
#include "nandrel/image/hex_readers.h"
#include "read_detail.h"
#include "segment_builder.h"

namespace nandrel {

int ReadTextHexFile(const char* path, const ImageMemoryLayout& layout) {
    FreeHexBlockLists();
    ClearHexReadErrorDetail();
    LineReader reader(path);
    if (!reader.isOpen()) {
        SetHexOpenDetail(path, reader.openError());
        return kErrFileOpen;
    }
    SegmentBuilder segment(layout, kSegmentWorkBufferSize);
    bool lastWasEnd = false;
    std::string line;
    while (reader.next(&line)) {
        const int n = reader.lineNumber();
        if (reader.tooLong()) {
            SetHexReadErrorDetail(n, "line longer than %zu characters", kMaxLineLength);
            return -1;
        }
        const std::string_view text = TrimHexToken(line);
        if (text.empty()) continue;
        if (text == "q" || text == "Q") {
            // The end mark closes the segment: data after it need a new address.
            segment.close();
            lastWasEnd = true;
            continue;
        }
        lastWasEnd = false;
        if (text[0] == '@') {
            std::uint32_t address = 0;
            if (!ParseTextHexAddress(text, &address)) {
                SetHexReadErrorDetail(n, "invalid address line");
                return -1;
            }
            if (!segment.isOpen() || address != segment.end()) segment.start(address);
            continue;
        }
        if (!segment.isOpen()) {
            SetHexReadErrorDetail(n, "data before the first address line");
            return -1;
        }
        std::uint8_t bytes[kMaxTextDataTokens];
        const int count = ParseTextHexData(text, bytes);
        if (count < 0) {
            SetHexReadErrorDetail(n, "invalid data line");
            return -1;
        }
        for (int i = 0; i < count; ++i) {
            if (segment.size() + 1 >= kMaxTextSegment) {
                SetHexReadErrorDetail(n, "segment at %05X too long", segment.start());
                return -1;
            }
            if (segment.end() > kMaxImageAddress) {
                SetHexReadErrorDetail(n, "data above %05X", kMaxImageAddress);
                return -1;
            }
            if (segment.given(segment.end())) {
                SetHexOverlapDetail(n, segment.end());
                return kErrFileData;
            }
            if (!segment.append(bytes[i])) {
                SetHexReadErrorDetail(n, "segment at %05X larger than the work buffer",
                                      segment.start());
                return kErrFileData;
            }
        }
    }
    if (reader.failed()) {
        SetHexReadErrorDetail(reader.lineNumber(), "read error");
        return -1;
    }
    if (!lastWasEnd) {
        SetHexReadErrorDetail(0, "No end mark \"q\" at the end of the file");
        return -1;
    }
    return 0;
}

}  // namespace nandrel
