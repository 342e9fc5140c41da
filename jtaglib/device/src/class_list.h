// A short list of device classes, written in a table row as {3, 8, 9}.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>

namespace nandrel::device {

class ClassList {
  public:
    constexpr ClassList() = default;
    constexpr ClassList(std::initializer_list<int> classes) {
        for (int c : classes) {
            items_[count_++] = static_cast<std::uint8_t>(c);
        }
    }

    constexpr const std::uint8_t* begin() const { return items_.data(); }
    constexpr const std::uint8_t* end() const { return items_.data() + count_; }
    constexpr std::size_t size() const { return count_; }

  private:
    std::array<std::uint8_t, 16> items_{};
    std::size_t count_ = 0;
};

}  // namespace nandrel::device
