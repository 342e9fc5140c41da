// The attributes of the start tag being read, written straight into the document's tables: the
// names and values into its byte store, a small entry each into its attribute table. Past a few
// attributes an index by name makes refusing a repeated name take constant time; the index lasts
// only while the tag is open.
#ifndef CAPREL_ATTRIBUTE_SET_H
#define CAPREL_ATTRIBUTE_SET_H

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace caprel {

struct StoredAttribute {
    uint32_t name;  // in the byte store, the value right after it
    uint32_t nameLength;
    uint32_t valueLength;
};

class AttributeSet {
  public:
    // Up to this many attributes a scan is as quick as an index.
    static constexpr size_t kScannedUpTo = 8;

    AttributeSet(std::string& bytes, std::vector<StoredAttribute>& table)
        : bytes_(bytes), table_(table) {}

    // A start tag begins: its attributes follow those already in the table.
    void Begin();
    // Adds an attribute; false, adding nothing, when one of that name is already in the tag.
    bool Add(std::string_view name, std::string_view value);
    // The tag is complete; the room of a large index is given back.
    void End();

  private:
    // An index this large is not kept for the next tag.
    static constexpr size_t kKeptSlots = 256;

    std::string_view NameOf(uint32_t attribute) const {
        const StoredAttribute& entry = table_[first_ + attribute];
        return std::string_view(bytes_).substr(entry.name, entry.nameLength);
    }
    size_t Count() const { return table_.size() - first_; }
    // The attribute of the tag with that name, or -1.
    int64_t Find(std::string_view name) const;
    // The index slot where that name is or would go.
    size_t SlotOf(std::string_view name) const;
    void Index(uint32_t attribute);
    void Reindex();

    std::string& bytes_;
    std::vector<StoredAttribute>& table_;
    size_t first_ = 0;
    // Open addressing: attribute number in the tag plus one, 0 for a free slot; empty while
    // scanning suffices.
    std::vector<uint32_t> index_;
};

}  // namespace caprel

#endif  // CAPREL_ATTRIBUTE_SET_H
