// Readers of TI-TXT and Intel HEX image files into the two segment lists, the
// file type detection, and the line helpers they share.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "nandrel/image/segment_list.h"

namespace nandrel {

// File type codes, the same everywhere in the system.
enum HexFileType : int { kHexFileDetect = 0, kHexFileText = 1, kHexFileIntel = 2 };

// Error numbers the image code reports (the library's error table).
enum HexFileError : int {
    kErrFileOpen = 23,
    kErrFileType = 24,
    kErrUnexpectedEnd = 25,
    kErrFileIo = 26,
    kErrFileData = 27,
    kErrIntelHex = 31,
};

// Reader limits: no address above kMaxImageAddress; a TI-TXT segment holds fewer
// than kMaxTextSegment bytes; a line holds at most kMaxLineLength characters.
inline constexpr std::uint32_t kMaxImageAddress = 0x40000;
inline constexpr std::uint32_t kMaxTextSegment = 0x40000;
inline constexpr std::size_t kMaxLineLength = 1024;
// The work buffer holds the longest segment these limits allow: every byte
// from 0 up to and including kMaxImageAddress.
inline constexpr std::size_t kSegmentWorkBufferSize = kMaxImageAddress + 1;
inline constexpr int kMaxTextDataTokens = 16;

// Skips leading blanks and cuts the line after its last character that is not a
// carriage return, line feed or blank.
std::string_view TrimHexToken(std::string_view line);

// An address line: '@' and up to five hexadecimal digits, value at most
// kMaxImageAddress. False for anything else.
bool ParseTextHexAddress(std::string_view line, std::uint32_t* address);

// A data line: up to 16 blank-separated tokens of one or two hexadecimal digits.
// Returns the number of bytes stored in out, or -1 for a malformed line.
int ParseTextHexData(std::string_view line, std::uint8_t out[kMaxTextDataTokens]);

// Checks one Intel HEX record and decodes it into bytes (count, address high,
// address low, type, data..., checksum). False for a malformed record.
bool CheckHexRecord(std::string_view line, std::vector<std::uint8_t>* bytes);

// Detects the type from the first non-empty line. Returns 0 with the type, or
// 23, 24, 25 or 26.
int DetectHexFileType(const char* path, int* type);

// Fill the segment lists from a file. Return 0 for success, an error number, or
// -1 for a file that is not complete or not well formed.
int ReadTextHexFile(const char* path, const ImageMemoryLayout& layout);
int ReadIntelHexFile(const char* path, const ImageMemoryLayout& layout);

// Detects the type when asked (type 0), then reads the file. Returns 0, or the
// error number to report: 23-26 from detection, 24 for an unknown type, 26 or 31
// from the Intel HEX reader, 27 for data that is not complete or well formed.
int ReadHexFileSegments(const char* path, int type, const ImageMemoryLayout& layout);

// What the last failing detection or read found, for the error text; empty after
// a success.
const std::string& HexReadErrorDetail();

}  // namespace nandrel
