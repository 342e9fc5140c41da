#include <string>

#include "line_reader.h"
#include "nandrel/image/hex_readers.h"
#include "read_detail.h"

namespace nandrel {

int DetectHexFileType(const char* path, int* type) {
    ClearHexReadErrorDetail();
    LineReader reader(path);
    if (!reader.isOpen()) {
        SetHexOpenDetail(path, reader.openError());
        return kErrFileOpen;
    }
    std::string line;
    while (reader.next(&line)) {
        if (reader.tooLong()) {
            SetHexReadErrorDetail(reader.lineNumber(), "line longer than %zu characters",
                                  kMaxLineLength);
            return kErrFileType;
        }
        const std::string_view trimmed = TrimHexToken(line);
        if (trimmed.empty()) continue;
        if (trimmed[0] == '@') {
            *type = kHexFileText;
            return 0;
        }
        if (trimmed[0] == ':') {
            *type = kHexFileIntel;
            return 0;
        }
        SetHexReadErrorDetail(reader.lineNumber(), "neither '@' nor ':' at the start");
        return kErrFileType;
    }
    if (reader.failed()) {
        SetHexReadErrorDetail(reader.lineNumber(), "read error");
        return kErrFileIo;
    }
    return kErrUnexpectedEnd;
}

int ReadHexFileSegments(const char* path, int type, const ImageMemoryLayout& layout) {
    if (type == kHexFileDetect) {
        const int detected = DetectHexFileType(path, &type);
        if (detected != 0) return detected;
    }
    int result = 0;
    if (type == kHexFileText) {
        result = ReadTextHexFile(path, layout);
    } else if (type == kHexFileIntel) {
        result = ReadIntelHexFile(path, layout);
    } else {
        ClearHexReadErrorDetail();
        return kErrFileType;
    }
    return result < 0 ? kErrFileData : result;
}

}  // namespace nandrel
