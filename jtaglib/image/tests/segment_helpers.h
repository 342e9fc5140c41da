// Helpers that turn the segment lists into values tests can compare.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "nandrel/image/segment_list.h"

namespace nandrel::test {

using SegmentSummary = std::vector<std::pair<std::uint32_t, std::uint32_t>>;  // address, length

inline SegmentSummary summary(const SegmentList& list) {
    SegmentSummary out;
    for (const HexSegment* s = list.head(); s != nullptr; s = s->next) {
        out.emplace_back(s->address, s->length());
    }
    return out;
}

inline const ImageMemoryLayout kLayout{0x1000, 0x10FF, 0xC000, 0xFFFF};

// 16 bytes as a TI-TXT data line: first, first + 1, ...
inline std::string dataLine(int first) {
    std::string line;
    char text[4];
    for (int i = 0; i < 16; ++i) {
        std::snprintf(text, sizeof text, "%02X", (first + i) & 0xFF);
        line += text;
        line += i == 15 ? "\n" : " ";
    }
    return line;
}

}  // namespace nandrel::test
