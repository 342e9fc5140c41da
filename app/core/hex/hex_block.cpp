#include "kelvane/core/hex_block.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "hex_format.h"

namespace kv {

CHexBlock::CHexBlock(std::uint32_t capacity) : capacity_(capacity) {}

CHexBlock::CHexBlock(CHexBlock&& other) noexcept
    : error_(std::move(other.error_)),
      address_(other.address_),
      capacity_(other.capacity_),
      count_(other.count_) {
    std::memcpy(inline_, other.inline_, sizeof inline_);
    other.count_ = 0;  // a pointer taken over is no longer the other's
}

CHexBlock& CHexBlock::operator=(CHexBlock&& other) noexcept {
    if (this == &other) return *this;
    FreeData();
    error_ = std::move(other.error_);
    address_ = other.address_;
    capacity_ = other.capacity_;
    count_ = other.count_;
    std::memcpy(inline_, other.inline_, sizeof inline_);
    other.count_ = 0;
    return *this;
}

CHexBlock::~CHexBlock() {
    FreeData();
}

void CHexBlock::FreeData() {
    if (!IsInline()) delete[] heap_;
    count_ = 0;
}

const std::string& CHexBlock::GetLastError() const {
    static const std::string kNoError = "No error";
    return error_ ? *error_ : kNoError;
}

int CHexBlock::CriticalError(const char* method, const std::string& message) {
    error_ = std::make_unique<std::string>(hex::ReportCriticalError("CHexBlock", method, message));
    return 0;
}

int CHexBlock::Load(const std::uint8_t* source, std::uint32_t address, std::uint32_t count) {
    address_ = address;
    if (count > capacity_) return CriticalError("Load", "Passed too many bytes");
    if (source == nullptr && count > 0) return CriticalError("Load", "NULL source buffer");
    if (count <= kInlineBytes) {
        std::uint8_t bytes[kInlineBytes];
        if (count > 0) std::memcpy(bytes, source, count);
        FreeData();
        std::memcpy(inline_, bytes, count);
    } else {
        auto* bytes = new std::uint8_t[count];
        std::memcpy(bytes, source, count);
        FreeData();
        heap_ = bytes;
    }
    count_ = count;
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
    if (n > 0) std::memcpy(destination, GetData() + offset, n);
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
    std::memcpy(destination + to, GetData() + from, static_cast<std::size_t>(k));
    return 1;
}

}  // namespace kv
