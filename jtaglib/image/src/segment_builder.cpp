#include "segment_builder.h"

#include <utility>

namespace nandrel {

SegmentBuilder::SegmentBuilder(const ImageMemoryLayout& layout, std::size_t capacity)
    : layout_(layout), capacity_(capacity) {
    bytes_.reserve(capacity_);
}

void SegmentBuilder::start(std::uint32_t address) {
    close();
    start_ = address;
    open_ = true;
}

bool SegmentBuilder::append(std::uint8_t byte) {
    if (!open_ || bytes_.size() >= capacity_) return false;
    bytes_.push_back(byte);
    return true;
}

void SegmentBuilder::close() {
    if (open_ && !bytes_.empty()) {
        SegmentList& list = layout_.isFlashSegment(start_) ? FlashSegments() : OtherSegments();
        list.pushFront(start_, std::vector<std::uint8_t>(bytes_.begin(), bytes_.end()));
    }
    bytes_.clear();
    open_ = false;
}

}  // namespace nandrel
