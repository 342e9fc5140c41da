#include "kelvane/core/hex_block_array.h"

#include <algorithm>

namespace kv {

CArrayHexBlock::CArrayHexBlock(std::uint32_t blockSize) : blockSize_(blockSize) {}

int CArrayHexBlock::AddData(const std::uint8_t* source, std::uint32_t address, std::uint32_t size) {
    std::uint32_t done = 0;
    while (done < size) {
        const std::uint32_t n = std::min(blockSize_, size - done);
        auto block = std::make_unique<CHexBlock>(blockSize_);
        if (!block->Load(source + done, address + done, n)) return 0;
        blocks_.push_back(std::move(block));
        done += n;
    }
    total_ += size;
    return 1;
}

void CArrayHexBlock::Sort() {
    std::stable_sort(blocks_.begin(), blocks_.end(),
                     [](const std::unique_ptr<CHexBlock>& a, const std::unique_ptr<CHexBlock>& b) {
                         return a->Compare(*b) < 0;
                     });
}

void CArrayHexBlock::FreeAll() {
    blocks_.clear();
    total_ = 0;
}

CHexBlock* CArrayHexBlock::GetAt(std::size_t index) const {
    return index < blocks_.size() ? blocks_[index].get() : nullptr;
}

}  // namespace kv
