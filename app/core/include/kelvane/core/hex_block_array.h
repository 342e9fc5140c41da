// The blocks of one image; owns them.
#pragma once

#include <cstdint>
#include <deque>

#include "kelvane/core/hex_block.h"

namespace kv {

class CArrayHexBlock {
  public:
    explicit CArrayHexBlock(std::uint32_t blockSize = kProgramHexBuild.blockSize);
    CArrayHexBlock(const CArrayHexBlock&) = delete;
    CArrayHexBlock& operator=(const CArrayHexBlock&) = delete;
    ~CArrayHexBlock() { FreeAll(); }

    // Cuts the bytes into consecutive blocks of at most the block size (all
    // full but the last) and appends them; 0 when a block fails to load.
    int AddData(const std::uint8_t* source, std::uint32_t address, std::uint32_t size);
    // Ascending by address; blocks with equal addresses keep their order.
    void Sort();
    void FreeAll();

    std::size_t GetSize() const { return blocks_.size(); }
    // The block stays where it is while blocks are added (not across a sort).
    CHexBlock* GetAt(std::size_t index);
    const CHexBlock* GetAt(std::size_t index) const;
    // The sum of all sizes added.
    std::uint32_t GetTotal() const { return total_; }
    std::uint32_t GetBlockSize() const { return blockSize_; }

  private:
    std::uint32_t blockSize_;
    std::uint32_t total_ = 0;
    // Held by value, each in its own few dozen bytes; a deque keeps them in
    // place as it grows.
    std::deque<CHexBlock> blocks_;
};

}  // namespace kv
