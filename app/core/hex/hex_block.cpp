#include "kelvane/core/hex_block.h"

#include <algorithm>
#include <cstring>

#include "hex_format.h"

namespace kv {

CHexBlock::CHexBlock(std::uint32_t capacity) : capacity_(capacity) {
    data_.reserve(capacity_);
}

int CHexBlock::CriticalError(const char* method, const std::string& message) {
    error_ = hex::ReportCriticalError("CHexBlock", method, message);
    return 0;
}

int CHexBlock::Load(const std::uint8_t* source, std::uint32_t address, std::uint32_t count) {
    address_ = address;
    if (count > capacity_) return CriticalError("Load", "Passed too many bytes");
    if (source == nullptr && count > 0) return CriticalError("Load", "NULL source buffer");
    if (count == 0) {
        data_.clear();
    } else {
        data_.assign(source, source + count);
    }
    return 1;
}

std::int64_t CHexBlock::Compare(const CHexBlock& other) const {
    return static_cast<std::int64_t>(address_) - static_cast<std::int64_t>(other.address_);
}

int CHexBlock::Read(std::uint8_t* destination, std::uint32_t capacity, std::uint32_t* copied) {
    return ReadFrom(0, destination, capacity, copied);
}

int CHexBlock::ReadFrom(std::uint32_t offset, std::uint8_t* destination, std::uint32_t capacity,
                        std::uint32_t* copied) {
    if (copied != nullptr) *copied = 0;
    if (offset > GetCount()) {
        return CriticalError(
            "ReadFrom", hex::Format("Offset %04X beyond block of %04X bytes", offset, GetCount()));
    }
    const std::uint32_t n = std::min(GetCount() - offset, capacity);
    if (n > 0 && destination == nullptr) {
        return CriticalError("ReadFrom", "NULL destination buffer");
    }
    if (n > 0) std::memcpy(destination, data_.data() + offset, n);
    if (copied != nullptr) *copied = n;
    return 1;
}

int CHexBlock::Merge(std::uint8_t* destination, std::uint32_t base, std::uint32_t length) {
    const std::int64_t n = GetCount();
    const std::int64_t window = length;
    if (n == 0 || window == 0) return 1;
    const std::int64_t blockStart = address_;
    const std::int64_t blockEnd = blockStart + n - 1;
    const std::int64_t windowStart = base;
    const std::int64_t windowEnd = windowStart + window - 1;
    if (blockStart > windowEnd || windowStart > blockEnd) return 1;
    if (destination == nullptr) return CriticalError("Merge", "NULL destination buffer");

    const std::int64_t first = std::max(blockStart, windowStart);
    const std::int64_t last = std::min(blockEnd, windowEnd);
    const std::int64_t k = last - first + 1;
    const std::int64_t to = first - windowStart;
    const std::int64_t from = first - blockStart;
    if (k <= 0) return CriticalError("Merge", "Error in buffer math(1)");
    if (k > window) return CriticalError("Merge", "Error in buffer math(2)");
    if (k > n) return CriticalError("Merge", "Error in buffer math(3)");
    if (to + k - 1 >= window) return CriticalError("Merge", "Error in buffer math(4)");
    if (from + k - 1 >= n) return CriticalError("Merge", "Error in buffer math(5)");
    std::memcpy(destination + to, data_.data() + from, static_cast<std::size_t>(k));
    return 1;
}

}  // namespace kv
