#include "element_table.h"

#include "element_store.h"

namespace caprel {

bool ElementTable::Build(const ElementStore& elements, uint32_t documentTag) {
    entries_.clear();
    tag_ = documentTag;
    if (elements.GetSize() == 0) return true;
    entries_.reserve(elements.GetSize());
    entries_.push_back({0, -1, -1});
    // Breadth first: the table itself is the queue, and each element's children land in
    // consecutive slots.
    for (size_t slot = 0; slot < entries_.size(); ++slot) {
        const uint32_t element = entries_[slot].element;
        if (!elements.HasChildren(element)) continue;
        entries_[slot].firstChild = static_cast<int32_t>(entries_.size());
        for (uint32_t child = element + 1; child < elements.SubtreeEnd(element);
             child = elements.SubtreeEnd(child)) {
            if (entries_.size() + 1 > kMaxElements) {
                entries_.clear();
                return false;
            }
            entries_.push_back({child, static_cast<int32_t>(slot), -1});
        }
    }
    return true;
}

int32_t ElementTable::SlotOf(int32_t handle) const {
    if (handle < 0) return -1;
    const uint32_t value = static_cast<uint32_t>(handle);
    if ((value >> kSlotBits) != tag_) return -1;
    const uint32_t slot = value & ((1u << kSlotBits) - 1);
    return slot < entries_.size() ? static_cast<int32_t>(slot) : -1;
}

int32_t ElementTable::FirstChild(int32_t slot) const {
    return entries_[static_cast<size_t>(slot)].firstChild;
}

int32_t ElementTable::NextChild(int32_t parent, int32_t child) const {
    if (entries_[static_cast<size_t>(child)].parent != parent) return -1;
    const int32_t next = child + 1;
    const bool sibling = static_cast<size_t>(next) < entries_.size() &&
                         entries_[static_cast<size_t>(next)].parent == parent;
    return sibling ? next : -1;
}

}  // namespace caprel
