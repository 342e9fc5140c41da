#include "segment_builder.h"

#include <utility>

namespace nandrel {

SegmentBuilder::SegmentBuilder(const ImageMemoryLayout& layout, std::size_t capacity)
    : layout_(layout), capacity_(capacity), givenPages_((kMaxImageAddress >> kPageBits) + 1) {}

bool SegmentBuilder::given(std::uint32_t address) const {
    if (address > kMaxImageAddress) return false;
    const Page* page = givenPages_[address >> kPageBits].get();
    if (page == nullptr) return false;
    const std::uint32_t bit = address & ((1u << kPageBits) - 1);
    return ((*page)[bit / 64] >> (bit % 64) & 1) != 0;
}

void SegmentBuilder::start(std::uint32_t address) {
    close();
    start_ = address;
    open_ = true;
}

bool SegmentBuilder::append(std::uint8_t byte) {
    if (!open_ || bytes_.size() >= capacity_) return false;
    const std::uint32_t address = end();
    if (address <= kMaxImageAddress) {
        std::unique_ptr<Page>& page = givenPages_[address >> kPageBits];
        if (!page) page = std::make_unique<Page>();
        const std::uint32_t bit = address & ((1u << kPageBits) - 1);
        (*page)[bit / 64] |= std::uint64_t{1} << (bit % 64);
    }
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
