// The attributes of the start tag being read: the names and values side by side in one buffer
// with a small entry each, and, once there are more than a few, an index by name, so that adding
// and refusing a repeated name both take constant time.
#ifndef CAPREL_ATTRIBUTE_SET_H
#define CAPREL_ATTRIBUTE_SET_H

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace caprel {

class AttributeSet {
  public:
    // Adds an attribute read from the file; false, adding nothing, when one of that name is
    // already present.
    bool Add(std::string_view name, std::string_view value);
    // In the order of the file.
    size_t GetSize() const { return entries_.size(); }
    std::string_view GetName(size_t attribute) const { return NameOf(entries_[attribute]); }
    std::string_view GetValue(size_t attribute) const {
        const Entry& entry = entries_[attribute];
        return std::string_view(text_).substr(entry.start + entry.nameLength, entry.valueLength);
    }
    // Keeps the room for the next start tag.
    void Clear();

    // Up to this many attributes a scan is as quick as an index.
    static constexpr size_t kScannedUpTo = 8;

  private:
    struct Entry {
        uint32_t start;  // the name, the value right after it
        uint32_t nameLength;
        uint32_t valueLength;
    };

    std::string_view NameOf(const Entry& entry) const {
        return std::string_view(text_).substr(entry.start, entry.nameLength);
    }
    // The entry of that name read from the file, or -1.
    int64_t FindEntry(std::string_view name) const;
    // The index slot where that name is or would go.
    size_t SlotOf(std::string_view name) const;
    void Index(uint32_t entry);
    void Reindex();

    std::string text_;
    std::vector<Entry> entries_;
    // Open addressing: entry number plus one, 0 for a free slot; empty while scanning suffices.
    std::vector<uint32_t> index_;
};

}  // namespace caprel

#endif  // CAPREL_ATTRIBUTE_SET_H
