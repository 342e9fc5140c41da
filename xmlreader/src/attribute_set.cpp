#include "attribute_set.h"

#include <functional>

namespace caprel {

size_t AttributeSet::SlotOf(std::string_view name) const {
    const size_t mask = index_.size() - 1;
    size_t slot = std::hash<std::string_view>{}(name)&mask;
    while (index_[slot] != 0 && NameOf(index_[slot] - 1) != name)
        slot = (slot + 1) & mask;
    return slot;
}

int64_t AttributeSet::Find(std::string_view name) const {
    if (index_.empty()) {
        for (size_t i = 0; i < Count(); ++i)
            if (NameOf(static_cast<uint32_t>(i)) == name) return static_cast<int64_t>(i);
        return -1;
    }
    const uint32_t found = index_[SlotOf(name)];
    return static_cast<int64_t>(found) - 1;
}

void AttributeSet::Index(uint32_t attribute) {
    index_[SlotOf(NameOf(attribute))] = attribute + 1;
}

void AttributeSet::Reindex() {
    // At most half the slots in use keeps the probes short.
    size_t slots = 2 * kScannedUpTo;
    while (slots < 2 * Count())
        slots *= 2;
    index_.assign(slots, 0);
    for (uint32_t i = 0; i < Count(); ++i)
        Index(i);
}

void AttributeSet::Begin() {
    first_ = table_.size();
    index_.clear();
}

bool AttributeSet::Add(std::string_view name, std::string_view value) {
    if (Find(name) >= 0) return false;
    table_.push_back({static_cast<uint32_t>(bytes_.size()), static_cast<uint32_t>(name.size()),
                      static_cast<uint32_t>(value.size())});
    bytes_.append(name);
    bytes_.append(value);
    if (Count() > kScannedUpTo) {
        if (2 * Count() > index_.size()) {
            Reindex();
        } else {
            Index(static_cast<uint32_t>(Count() - 1));
        }
    }
    return true;
}

void AttributeSet::End() {
    if (index_.capacity() > kKeptSlots) {
        std::vector<uint32_t>().swap(index_);
    } else {
        index_.clear();
    }
}

}  // namespace caprel
