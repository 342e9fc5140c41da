// The JTAG library's image reader: the first byte chooses the file type given
// to the reader (0 detect, 1 TI-TXT, 2 Intel HEX), the rest is the file.
// Segments read must lie inside the address space and each list must hold
// segments of its own kind only. A file the reader accepts is read a second
// time here, independently and in the plainest way, and the two readings must
// agree byte for byte: no byte lost or moved, and no address given twice.
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "input_file.h"
#include "nandrel/image/hex_readers.h"
#include "nandrel/image/segment_list.h"

namespace {

using Bytes = std::map<std::uint32_t, std::uint8_t>;

const nandrel::ImageMemoryLayout kLayout{0x1000, 0x10FF, 0xC000, 0xFFFF};

void Check(bool condition) {
    if (!condition) std::abort();
}

void CheckList(const nandrel::SegmentList& list, bool flash, Bytes* bytes) {
    for (const nandrel::HexSegment* s = list.head(); s != nullptr; s = s->next) {
        Check(!s->data.empty());
        Check(static_cast<std::uint64_t>(s->address) + s->length() <=
              nandrel::kMaxImageAddress + 1);
        Check(kLayout.isFlashSegment(s->address) == flash);
        for (std::uint32_t i = 0; i < s->length(); ++i)
            Check(bytes->emplace(s->address + i, s->data[i]).second);  // segments never overlap
    }
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

unsigned Hex(char c) {
    if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
    return static_cast<unsigned>(c - 'A' + 10);
}

std::uint32_t HexValue(std::string_view digits) {
    std::uint32_t value = 0;
    for (char c : digits)
        value = value * 16 + Hex(c);
    return value;
}

std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        while (!line.empty() && IsBlank(line.front()))
            line.remove_prefix(1);
        while (!line.empty() && IsBlank(line.back()))
            line.remove_suffix(1);
        if (!line.empty()) lines.push_back(line);
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return lines;
}

// Every byte of an accepted file by address; false when an address repeats.
bool ReadText(std::string_view text, Bytes* bytes) {
    std::uint32_t address = 0;
    for (std::string_view line : Lines(text)) {
        if (line == "q" || line == "Q") continue;
        if (line[0] == '@') {
            address = HexValue(line.substr(1));
            continue;
        }
        while (!line.empty()) {
            const std::size_t end = std::min(line.find_first_of(" \t"), line.size());
            if (end > 0 && !bytes->emplace(address++, HexValue(line.substr(0, end))).second)
                return false;
            line.remove_prefix(std::min(end + 1, line.size()));
        }
    }
    return true;
}

bool ReadIntel(std::string_view text, Bytes* bytes) {
    std::uint32_t base = 0;
    bool linear = true;
    for (std::string_view line : Lines(text)) {
        std::vector<std::uint8_t> record;
        for (std::size_t i = 1; i + 1 < line.size(); i += 2)
            record.push_back(static_cast<std::uint8_t>(HexValue(line.substr(i, 2))));
        const std::uint32_t offset = (record[1] << 8) | record[2];
        const std::uint8_t type = record[3];
        if (type == 1) break;
        if (type == 2 || type == 4) {
            const std::uint32_t value = (record[4] << 8) | record[5];
            base = type == 2 ? value << 4 : value << 16;
            linear = type == 4;
        }
        if (type != 0) continue;
        for (std::uint32_t i = 0; i < record[0]; ++i) {
            const std::uint32_t address = linear ? base + offset + i : base + ((offset + i) & 0xFFFF);
            if (!bytes->emplace(address, record[4 + i]).second) return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    int type = data[0] % 3;
    static const kv::fuzz::MemoryFile input("image");
    const std::string& path = input.Write(data + 1, size - 1);
    const int result = nandrel::ReadHexFileSegments(path.c_str(), type, kLayout);
    if (result == 0) {
        Bytes library;
        CheckList(nandrel::FlashSegments(), true, &library);
        CheckList(nandrel::OtherSegments(), false, &library);
        if (type == nandrel::kHexFileDetect) Check(nandrel::DetectHexFileType(path.c_str(), &type) == 0);
        const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
        Bytes independent;
        Check(type == nandrel::kHexFileText ? ReadText(text, &independent)
                                            : ReadIntel(text, &independent));
        Check(independent == library);
    }
    nandrel::FreeHexBlockLists();
    return 0;
}
