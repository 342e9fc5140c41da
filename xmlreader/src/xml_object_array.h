// An owning array of parsed objects with an error text; destroying the array destroys every
// member.
#ifndef CAPREL_XML_OBJECT_ARRAY_H
#define CAPREL_XML_OBJECT_ARRAY_H

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace caprel {

template <class T>
class CXML_ObjectArray {
  public:
    size_t GetSize() const { return items_.size(); }
    T* GetAt(size_t index) const { return items_[index].get(); }
    void Add(std::unique_ptr<T> item) { items_.push_back(std::move(item)); }
    void RemoveAll() { items_.clear(); }
    // Hands the last member over to the caller; allocates nothing.
    std::unique_ptr<T> TakeLast() {
        std::unique_ptr<T> last = std::move(items_.back());
        items_.pop_back();
        return last;
    }

    const std::string& GetError() const { return error_; }
    void SetError(std::string text) { error_ = std::move(text); }

  private:
    std::vector<std::unique_ptr<T>> items_;
    std::string error_ = "No error";
};

}  // namespace caprel

#endif  // CAPREL_XML_OBJECT_ARRAY_H
