#include "element_table.h"

#include "xml_element.h"

namespace caprel {

bool ElementTable::Build(CXML_Element* root, uint32_t documentTag) {
    entries_.clear();
    tag_ = documentTag;
    if (!root) return true;
    entries_.push_back({root, -1, -1, 0});
    // Breadth first: the table itself is the queue, and each element's children land in
    // consecutive slots.
    for (size_t slot = 0; slot < entries_.size(); ++slot) {
        CXML_Element* element = entries_[slot].element;
        const size_t count = element->GetChildCount();
        if (count == 0) continue;
        if (entries_.size() + count > kMaxElements) {
            entries_.clear();
            return false;
        }
        entries_[slot].firstChild = static_cast<int32_t>(entries_.size());
        entries_[slot].childCount = static_cast<int32_t>(count);
        for (size_t i = 0; i < count; ++i) {
            entries_.push_back({element->GetChildElement(i), static_cast<int32_t>(slot), -1, 0});
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
    const Entry& entry = entries_[static_cast<size_t>(parent)];
    if (entries_[static_cast<size_t>(child)].parent != parent) return -1;
    const int32_t next = child + 1;
    return next < entry.firstChild + entry.childCount ? next : -1;
}

}  // namespace caprel
