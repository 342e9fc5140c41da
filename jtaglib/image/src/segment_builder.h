// Gathers the bytes of the segment a reader has open and stores them into the
// right list when the segment closes. It remembers every address given so far
// in the file, so that records which overlap are refused while reading: a
// flash row written twice without an erase is beyond what the part allows.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "nandrel/image/hex_readers.h"
#include "nandrel/image/segment_list.h"

namespace nandrel {

class SegmentBuilder {
  public:
    SegmentBuilder(const ImageMemoryLayout& layout, std::size_t capacity);

    bool isOpen() const { return open_; }
    std::uint32_t start() const { return start_; }
    std::size_t size() const { return bytes_.size(); }
    // The address after the last byte gathered.
    std::uint32_t end() const { return start_ + static_cast<std::uint32_t>(bytes_.size()); }

    // Closes any open segment, then opens one at the address with no bytes.
    void start(std::uint32_t address);
    // Whether the file gave a byte for the address already.
    bool given(std::uint32_t address) const;
    // Appends a byte at end(); false when the work buffer is full.
    bool append(std::uint8_t byte);
    // Stores the gathered bytes as a segment in its list (nothing for a segment
    // without bytes) and leaves no segment open.
    void close();

  private:
    // The work is sized by the file, not by the address space: the bytes
    // buffer grows with the segment, and the addresses given are kept one bit
    // each in pages of 4096 addresses made when the file first reaches them.
    static constexpr std::uint32_t kPageBits = 12;
    using Page = std::array<std::uint64_t, (std::size_t{1} << kPageBits) / 64>;

    ImageMemoryLayout layout_;
    std::size_t capacity_;
    std::vector<std::uint8_t> bytes_;
    // One page per 4096 addresses up to kMaxImageAddress, null until used.
    std::vector<std::unique_ptr<Page>> givenPages_;
    std::uint32_t start_ = 0;
    bool open_ = false;
};

}  // namespace nandrel
