// A text of at most 31 characters, written with its terminating zero; its next value is the
// text itself. A text too long is refused and the stored one stays.
#ifndef KELVANE_PLUGIN_STRING_ALGORITHM_H
#define KELVANE_PLUGIN_STRING_ALGORITHM_H

#include <cstddef>
#include <cstdint>

#include "kelvane/plugin/algorithm.h"

namespace kv::plugin {

class StringAlgorithm final : public Algorithm {
  public:
    static constexpr std::size_t kMaxLength = 31;

    constexpr StringAlgorithm() = default;

    bool parse(const char* text, ErrorText& error) override;
    uint32_t overlaySize() const override { return static_cast<uint32_t>(length_ + 1); }
    bool render(uint8_t* buffer, uint32_t size, ErrorText& error) const override;
    const char* nextValue() const override { return text_; }

  private:
    char text_[kMaxLength + 1] = {};
    std::size_t length_ = 0;
};

}  // namespace kv::plugin

#endif
