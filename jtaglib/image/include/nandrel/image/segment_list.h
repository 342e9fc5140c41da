// The two segment lists that the image readers fill: flash segments and other
// segments (RAM, peripherals and everything else). Programming and verifying a
// file walk these lists; they are library-wide and not thread-safe, like the
// rest of the image code (the library serves one target at a time).
#pragma once

#include <cstdint>
#include <vector>

namespace nandrel {

// The part of a device's memory layout that sorts segments into the two lists.
struct ImageMemoryLayout {
    std::uint32_t infoStart = 0;
    std::uint32_t infoEnd = 0;
    std::uint32_t mainStart = 0;
    std::uint32_t mainEnd = 0;

    // Takes the fields from a packed little-endian device record of 70 bytes.
    static ImageMemoryLayout fromDeviceRecord(const void* record);

    // True when a segment starting at the address belongs to the flash list.
    bool isFlashSegment(std::uint32_t address) const;
};

// One contiguous run of image bytes.
struct HexSegment {
    HexSegment* next = nullptr;
    std::vector<std::uint8_t> data;
    std::uint32_t address = 0;

    std::uint32_t length() const { return static_cast<std::uint32_t>(data.size()); }
};

// A singly linked list that owns its nodes. New segments go to the head, so a
// list holds its segments in the reverse of their order in the file.
class SegmentList {
  public:
    SegmentList() = default;
    SegmentList(const SegmentList&) = delete;
    SegmentList& operator=(const SegmentList&) = delete;
    ~SegmentList() { clear(); }

    HexSegment* head() const { return head_; }
    void pushFront(std::uint32_t address, std::vector<std::uint8_t> data);
    void clear();
    std::size_t size() const;

  private:
    HexSegment* head_ = nullptr;
};

SegmentList& FlashSegments();
SegmentList& OtherSegments();

// Frees both lists with every segment and its data.
void FreeHexBlockLists();

}  // namespace nandrel
