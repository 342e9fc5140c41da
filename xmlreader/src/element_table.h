// The element handles of the open document: a table of every element, parents before
// children and the children of one element side by side. A handle carries the table slot and a
// tag of the document it was given out for, so that a handle of an earlier document is told
// apart from one of the current document.
#ifndef CAPREL_ELEMENT_TABLE_H
#define CAPREL_ELEMENT_TABLE_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace caprel {

class ElementStore;

class ElementTable {
  public:
    static constexpr int32_t kNone = -1;
    static constexpr uint32_t kSlotBits = 24;
    static constexpr size_t kMaxElements = size_t{1} << kSlotBits;

    // Lists every element of the store, the root in record 0; false when the document has more
    // elements than handles can address.
    bool Build(const ElementStore& elements, uint32_t documentTag);
    void Clear() { entries_.clear(); }

    // The slot of a handle of this document, or -1.
    int32_t SlotOf(int32_t handle) const;
    int32_t HandleOf(int32_t slot) const {
        return static_cast<int32_t>((tag_ << kSlotBits) | static_cast<uint32_t>(slot));
    }
    // The element's record in the store.
    uint32_t ElementAt(int32_t slot) const { return entries_[static_cast<size_t>(slot)].element; }

    // Slot results, -1 for none.
    int32_t Root() const { return entries_.empty() ? -1 : 0; }
    int32_t FirstChild(int32_t slot) const;
    // The child after the given one when it is a child of the parent, else -1.
    int32_t NextChild(int32_t parent, int32_t child) const;

  private:
    struct Entry {
        uint32_t element;
        int32_t parent;
        int32_t firstChild;  // the others follow, with the same parent
    };

    std::vector<Entry> entries_;
    uint32_t tag_ = 0;
};

}  // namespace caprel

#endif  // CAPREL_ELEMENT_TABLE_H
