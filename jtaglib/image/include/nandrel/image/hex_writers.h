// Writers of TI-TXT and Intel HEX image files for reading a chip out. Each has
// one library-wide output file, open between its open and end calls. Data are
// given as a count of 16-bit words taken as bytes.
#pragma once

#include <cstdint>

namespace nandrel {

// Create the file; 1 on success, else 0. An output file still open is closed.
int WriteTextHexOpen(const char* path);
int WriteIntelHexOpen(const char* path);

// Write 2 x wordCount bytes from the address; 0 when no file is open or the
// file could not be written.
int WriteTextHexRecord(std::uint32_t address, std::uint32_t wordCount, const void* data);
int WriteIntelHexRecord(std::uint32_t address, std::uint32_t wordCount, const void* data);

// The same for any number of bytes, so a read-out of odd length keeps its last byte.
int WriteTextHexBytes(std::uint32_t address, std::uint64_t byteCount, const void* data);
int WriteIntelHexBytes(std::uint32_t address, std::uint64_t byteCount, const void* data);

// Write the end mark and close the file; 0 when no file is open or any write
// of the file failed.
int WriteTextHexEnd();
int WriteIntelHexEnd();

}  // namespace nandrel
