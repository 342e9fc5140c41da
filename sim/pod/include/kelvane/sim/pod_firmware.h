// The Dravik pod's firmware image format: 4967 16-bit words kept in the pod's
// program flash and sent to it word by word, high byte first.
//
//   word 0        magic 0xD5A7
//   word 1        length of the image in words (4967)
//   words 2-5     firmware version text, 8 characters, two per word, first one high
//   words 6-4965  program body (deterministic filler derived from the version)
//   word 4966     check value: CRC-16 (polynomial 0x1021, start 0xFFFF) of words
//                 0-4965 taken high byte first
//
// The pod reports the version found in its flash when the header is intact, and
// its flash verify passes only when header and check value are right.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kv::sim::podfw {

inline constexpr size_t kImageWords = 4967;
inline constexpr uint16_t kMagic = 0xD5A7;
inline constexpr size_t kMagicAt = 0;
inline constexpr size_t kLengthAt = 1;
inline constexpr size_t kVersionAt = 2;
inline constexpr size_t kVersionChars = 8;
inline constexpr size_t kBodyAt = kVersionAt + kVersionChars / 2;
inline constexpr size_t kCheckAt = kImageWords - 1;

// Verify results as the pod reports them.
inline constexpr uint8_t kVerifyOk = 0x00;
inline constexpr uint8_t kVerifyBadHeader = 0x01;
inline constexpr uint8_t kVerifyBadCheck = 0x02;

inline uint16_t crc16(const uint16_t* words, size_t count) {
    uint16_t crc = 0xFFFF;
    for (size_t i = 0; i < count; ++i) {
        for (uint8_t byte : {static_cast<uint8_t>(words[i] >> 8), static_cast<uint8_t>(words[i])}) {
            crc ^= static_cast<uint16_t>(byte << 8);
            for (int bit = 0; bit < 8; ++bit)
                crc = static_cast<uint16_t>((crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1);
        }
    }
    return crc;
}

// A complete, valid image carrying `version` (8 characters; shorter texts are
// padded with spaces, longer ones cut).
inline std::vector<uint16_t> buildImage(const std::string& version) {
    std::string v = version.substr(0, kVersionChars);
    v.resize(kVersionChars, ' ');
    std::vector<uint16_t> image(kImageWords, 0);
    image[kMagicAt] = kMagic;
    image[kLengthAt] = static_cast<uint16_t>(kImageWords);
    for (size_t i = 0; i < kVersionChars / 2; ++i)
        image[kVersionAt + i] = static_cast<uint16_t>(static_cast<uint8_t>(v[2 * i]) << 8 |
                                                      static_cast<uint8_t>(v[2 * i + 1]));
    uint16_t x = static_cast<uint16_t>(crc16(&image[0], kBodyAt) | 1);
    for (size_t i = kBodyAt; i < kCheckAt; ++i) {
        x ^= static_cast<uint16_t>(x << 7);
        x ^= static_cast<uint16_t>(x >> 9);
        x ^= static_cast<uint16_t>(x << 8);
        image[i] = x;
    }
    image[kCheckAt] = crc16(image.data(), kCheckAt);
    return image;
}

inline bool headerValid(const std::vector<uint16_t>& flash) {
    return flash.size() >= kImageWords && flash[kMagicAt] == kMagic &&
           flash[kLengthAt] == kImageWords;
}

// The version text stored in an image, or "" when its header is not intact.
inline std::string imageVersion(const std::vector<uint16_t>& flash) {
    if (!headerValid(flash)) return "";
    std::string v;
    for (size_t i = 0; i < kVersionChars / 2; ++i) {
        v += static_cast<char>(flash[kVersionAt + i] >> 8);
        v += static_cast<char>(flash[kVersionAt + i] & 0xFF);
    }
    return v;
}

inline uint8_t verifyImage(const std::vector<uint16_t>& flash) {
    if (!headerValid(flash)) return kVerifyBadHeader;
    if (crc16(flash.data(), kCheckAt) != flash[kCheckAt]) return kVerifyBadCheck;
    return kVerifyOk;
}

}  // namespace kv::sim::podfw
