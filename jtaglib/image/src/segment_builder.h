// Gathers the bytes of the segment a reader has open and stores them into the
// right list when the segment closes.
#pragma once

#include <cstdint>
#include <vector>

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
    // Appends a byte; false when the work buffer is full.
    bool append(std::uint8_t byte);
    // Stores the gathered bytes as a segment in its list (nothing for a segment
    // without bytes) and leaves no segment open.
    void close();

  private:
    ImageMemoryLayout layout_;
    std::size_t capacity_;
    std::vector<std::uint8_t> bytes_;
    std::uint32_t start_ = 0;
    bool open_ = false;
};

}  // namespace nandrel
