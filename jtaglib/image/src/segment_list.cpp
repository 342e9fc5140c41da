#include "nandrel/image/segment_list.h"

#include <utility>

namespace nandrel {

namespace {

std::uint32_t readLe(const unsigned char* p, int width) {
    std::uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = (value << 8) | p[i];
    return value;
}

}  // namespace

ImageMemoryLayout ImageMemoryLayout::fromDeviceRecord(const void* record) {
    const auto* p = static_cast<const unsigned char*>(record);
    ImageMemoryLayout layout;
    layout.mainStart = readLe(p + 36, 2);
    layout.infoStart = readLe(p + 38, 2);
    layout.infoEnd = readLe(p + 64, 2);
    layout.mainEnd = readLe(p + 66, 4);
    return layout;
}

bool ImageMemoryLayout::isFlashSegment(std::uint32_t address) const {
    if (address >= infoStart && address <= infoEnd) return true;
    const std::uint64_t afterMain = static_cast<std::uint64_t>(mainEnd) + 1;
    return !(address < mainStart || address > afterMain);
}

void SegmentList::pushFront(std::uint32_t address, std::vector<std::uint8_t> data) {
    auto* node = new HexSegment;
    node->address = address;
    node->data = std::move(data);
    node->next = head_;
    head_ = node;
}

void SegmentList::clear() {
    // Iterative, so that a file of very many segments cannot exhaust the stack.
    while (head_ != nullptr) {
        HexSegment* next = head_->next;
        delete head_;
        head_ = next;
    }
}

std::size_t SegmentList::size() const {
    std::size_t n = 0;
    for (const HexSegment* s = head_; s != nullptr; s = s->next)
        ++n;
    return n;
}

SegmentList& FlashSegments() {
    static SegmentList list;
    return list;
}

SegmentList& OtherSegments() {
    static SegmentList list;
    return list;
}

void FreeHexBlockLists() {
    FlashSegments().clear();
    OtherSegments().clear();
}

}  // namespace nandrel
