// A typed array of owned objects (the port list of an interface, the target
// list of a port).
#pragma once

#include <memory>
#include <vector>

namespace nandrel {

template <typename T>
class OwnedArray {
  public:
    int32_t size() const { return static_cast<int32_t>(items_.size()); }
    T* at(int32_t index) const { return items_[static_cast<size_t>(index)].get(); }
    void add(std::unique_ptr<T> item) { items_.push_back(std::move(item)); }
    void closeAll() {
        for (auto& item : items_)
            item->Close();
    }
    void deleteAll() { items_.clear(); }

  private:
    std::vector<std::unique_ptr<T>> items_;
};

}  // namespace nandrel
