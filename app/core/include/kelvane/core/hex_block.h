// One contiguous run of image bytes, the unit of the hex image classes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kv {

// How a set of hex image classes is built: the program holds up to 4096 bytes
// per block and gathers TI-TXT and Intel HEX data into runs before storing
// them; the bootstrap-loader library holds 16 bytes per block and stores each
// line's data directly.
struct HexImageBuild {
    std::uint32_t blockSize;
    bool runAccumulator;
    // One past the highest address a file may give bytes for: the whole 32-bit
    // space for the program, the MSP430's 20 bits for the bootstrap loader, so
    // that what an image can cost is bounded while it is read.
    std::uint64_t addressEnd;
};

inline constexpr HexImageBuild kProgramHexBuild{4096, true, std::uint64_t{1} << 32};
inline constexpr HexImageBuild kBootloaderHexBuild{16, false, std::uint64_t{1} << 20};

class CHexBlock {
  public:
    explicit CHexBlock(std::uint32_t capacity = kProgramHexBuild.blockSize);
    virtual ~CHexBlock() = default;

    // Sets the address and copies count bytes; more than the capacity fails.
    int Load(const std::uint8_t* source, std::uint32_t address, std::uint32_t count);

    std::uint32_t GetAddress() const { return address_; }
    std::uint32_t GetCount() const { return static_cast<std::uint32_t>(data_.size()); }
    std::uint32_t GetCapacity() const { return capacity_; }
    const std::uint8_t* GetData() const { return data_.data(); }

    // This block's address minus the other's: the sort key.
    std::int64_t Compare(const CHexBlock& other) const;

    // Copy min(count, capacity) bytes from the start, or from an offset; an
    // offset beyond the count fails.
    int Read(std::uint8_t* destination, std::uint32_t capacity, std::uint32_t* copied);
    int ReadFrom(std::uint32_t offset, std::uint8_t* destination, std::uint32_t capacity,
                 std::uint32_t* copied);

    // Copies the bytes that overlap the window [base, base + length - 1] into
    // the destination at (address - base). No overlap copies nothing.
    int Merge(std::uint8_t* destination, std::uint32_t base, std::uint32_t length);

    const std::string& GetLastError() const { return error_; }

  private:
    int CriticalError(const char* method, const std::string& message);

    std::string error_ = "No error";
    std::uint32_t address_ = 0;
    std::uint32_t capacity_;
    std::vector<std::uint8_t> data_;
};

}  // namespace kv
