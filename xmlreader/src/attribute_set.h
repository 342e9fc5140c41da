// The attributes of one element, held compactly: the names and values read from the file side by
// side in one buffer with a small entry each, and, once there are more than a few, an index by
// name, so that adding, refusing a repeated name and looking up all take constant time.
// Attributes that validation adds with their declared defaults are kept as references to their
// declarations: a long default repeated on many elements is held once.
#ifndef CAPREL_ATTRIBUTE_SET_H
#define CAPREL_ATTRIBUTE_SET_H

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace caprel {

class CXML_AttributeDeclaration;

class AttributeSet {
  public:
    // Adds an attribute read from the file; false, adding nothing, when one of that name is
    // already present.
    bool Add(std::string_view name, std::string_view value);
    // Adds an attribute with its declared default value.
    void AddDefaulted(const CXML_AttributeDeclaration& declaration);
    // The value of the attribute of that exact name.
    std::optional<std::string_view> Find(std::string_view name) const;
    // Attributes read from the file and defaulted ones.
    size_t GetSize() const { return entries_.size() + defaulted_.size(); }
    // Gives back the room kept for further attributes: the start tag is complete.
    void Seal();
    void Clear();

  private:
    // Up to this many attributes a scan is as quick as an index.
    static constexpr size_t kScannedUpTo = 8;

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
    std::vector<const CXML_AttributeDeclaration*> defaulted_;
};

}  // namespace caprel

#endif  // CAPREL_ATTRIBUTE_SET_H
