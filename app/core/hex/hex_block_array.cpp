#include "kelvane/core/hex_block_array.h"

#include <algorithm>

namespace kv {

CArrayHexBlock::CArrayHexBlock(std::uint32_t blockSize) : blockSize_(blockSize) {}

int CArrayHexBlock::AddData(const std::uint8_t* source, std::uint32_t address, std::uint32_t size) {
    std::uint32_t done = 0;
    while (done < size) {
        const std::uint32_t n = std::min(blockSize_, size - done);
        CHexBlock block(blockSize_);
        if (!block.Load(source + done, address + done, n)) return 0;
        blocks_.push_back(std::move(block));
        done += n;
    }
    total_ += size;
    return 1;
}

void CArrayHexBlock::Sort() {
    auto before = [](const CHexBlock& a, const CHexBlock& b) { return a.Compare(b) < 0; };
    // Images mostly come in address order already; those cost no sorting.
    if (std::is_sorted(blocks_.begin(), blocks_.end(), before)) return;
    std::stable_sort(blocks_.begin(), blocks_.end(), before);
}

void CArrayHexBlock::FreeAll() {
    blocks_.clear();
    blocks_.shrink_to_fit();
    total_ = 0;
}

CHexBlock* CArrayHexBlock::GetAt(std::size_t index) {
    return index < blocks_.size() ? &blocks_[index] : nullptr;
}

const CHexBlock* CArrayHexBlock::GetAt(std::size_t index) const {
    return index < blocks_.size() ? &blocks_[index] : nullptr;
}

}  // namespace kv
