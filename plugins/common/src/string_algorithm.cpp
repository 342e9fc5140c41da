#include "kelvane/plugin/string_algorithm.h"

#include <cstring>

namespace kv::plugin {

bool StringAlgorithm::parse(const char* text, ErrorText& error) {
    if (text == nullptr) {
        error.format("Value text for String algorithm must not be NULL");
        return false;
    }
    const std::size_t length = strnlen(text, kMaxLength + 1);
    if (length > kMaxLength) {
        error.format("Desired string too large for String algorithm");
        return false;
    }
    std::memcpy(text_, text, length);
    text_[length] = '\0';
    length_ = length;
    return true;
}

bool StringAlgorithm::render(uint8_t* buffer, uint32_t size, ErrorText& error) const {
    if (size < length_ + 1) {
        error.format("Buffer too small for String algorithm");
        return false;
    }
    if (buffer == nullptr) {
        error.format("NULL buffer for String algorithm");
        return false;
    }
    std::memcpy(buffer, text_, length_ + 1);
    return true;
}

}  // namespace kv::plugin
