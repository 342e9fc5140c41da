// One contiguous run of image bytes, the unit of the hex image classes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

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

// A block takes the memory its bytes need and no more: up to kInlineBytes live
// in the block itself, more in one allocation of their exact size, so that an
// image of many short records costs a few dozen bytes per record. The error
// text is allocated only once there is one.
class CHexBlock {
  public:
    static constexpr std::uint32_t kInlineBytes = 16;

    explicit CHexBlock(std::uint32_t capacity = kProgramHexBuild.blockSize);
    CHexBlock(CHexBlock&& other) noexcept;
    CHexBlock& operator=(CHexBlock&& other) noexcept;
    CHexBlock(const CHexBlock&) = delete;
    CHexBlock& operator=(const CHexBlock&) = delete;
    ~CHexBlock();

    // Sets the address and copies count bytes; more than the capacity fails.
    int Load(const std::uint8_t* source, std::uint32_t address, std::uint32_t count);

    std::uint32_t GetAddress() const { return address_; }
    std::uint32_t GetCount() const { return count_; }
    std::uint32_t GetCapacity() const { return capacity_; }
    const std::uint8_t* GetData() const { return IsInline() ? inline_ : heap_; }

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

    const std::string& GetLastError() const;

  private:
    bool IsInline() const { return count_ <= kInlineBytes; }
    void FreeData();
    int CriticalError(const char* method, const std::string& message);

    std::unique_ptr<std::string> error_;  // none: "No error"
    std::uint32_t address_ = 0;
    std::uint32_t capacity_;
    std::uint32_t count_ = 0;
    union {
        std::uint8_t inline_[kInlineBytes];
        std::uint8_t* heap_;
    };
};

}  // namespace kv
