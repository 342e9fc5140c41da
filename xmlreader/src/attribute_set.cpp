#include "attribute_set.h"

#include <functional>

namespace caprel {

size_t AttributeSet::SlotOf(std::string_view name) const {
    const size_t mask = index_.size() - 1;
    size_t slot = std::hash<std::string_view>{}(name)&mask;
    while (index_[slot] != 0 && NameOf(entries_[index_[slot] - 1]) != name)
        slot = (slot + 1) & mask;
    return slot;
}

int64_t AttributeSet::FindEntry(std::string_view name) const {
    if (index_.empty()) {
        for (size_t i = 0; i < entries_.size(); ++i)
            if (NameOf(entries_[i]) == name) return static_cast<int64_t>(i);
        return -1;
    }
    const uint32_t found = index_[SlotOf(name)];
    return static_cast<int64_t>(found) - 1;
}

void AttributeSet::Index(uint32_t entry) {
    index_[SlotOf(NameOf(entries_[entry]))] = entry + 1;
}

void AttributeSet::Reindex() {
    // At most half the slots in use keeps the probes short.
    size_t slots = 2 * kScannedUpTo;
    while (slots < 2 * entries_.size())
        slots *= 2;
    index_.assign(slots, 0);
    for (uint32_t i = 0; i < entries_.size(); ++i)
        Index(i);
}

bool AttributeSet::Add(std::string_view name, std::string_view value) {
    if (FindEntry(name) >= 0) return false;
    entries_.push_back({static_cast<uint32_t>(text_.size()), static_cast<uint32_t>(name.size()),
                        static_cast<uint32_t>(value.size())});
    text_.append(name);
    text_.append(value);
    if (entries_.size() > kScannedUpTo) {
        if (2 * entries_.size() > index_.size()) {
            Reindex();
        } else {
            Index(static_cast<uint32_t>(entries_.size() - 1));
        }
    }
    return true;
}

void AttributeSet::Clear() {
    text_.clear();
    entries_.clear();
    index_.clear();
}

}  // namespace caprel
