// The elements of a document, held compactly: a fixed-size record each, in document order (an
// element before its children, a subtree in consecutive records), with every name, attribute
// name and value and text line in one byte store. An element reserves its record when its start
// tag begins, and stores its attributes as they are read, its name when the start tag ends and
// its text lines as they are read: a start tag holds no other markup, and text lines come
// before any markup of the content, so nothing else is stored meanwhile. Its parse state is then reused for the next element at that depth.
#ifndef CAPREL_ELEMENT_STORE_H
#define CAPREL_ELEMENT_STORE_H

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "attribute_set.h"

namespace caprel {

class CXML_AttributeDeclaration;

class ElementStore {
  public:
    ElementStore() = default;
    ElementStore(const ElementStore&) = delete;
    ElementStore& operator=(const ElementStore&) = delete;

    // Reserves the record of an element whose start tag begins on that file line.
    uint32_t Begin(int lineNumber);
    // Adds an attribute to the start tag being read; false, adding nothing, when one of that
    // name is already there.
    bool AddAttribute(std::string_view name, std::string_view value) {
        return openTag_.Add(name, value);
    }
    // The start tag of the element is complete: its text lines follow.
    void SetStartTag(uint32_t element, std::string_view name);
    // Appends a character to the text line being read, of the element whose start tag was the
    // last to complete.
    void AppendText(char c) { bytes_.push_back(c); }
    // Ends that text line; an empty line counts too.
    void EndLine() { lineEnds_.push_back(static_cast<uint32_t>(bytes_.size())); }
    // The end tag of the element is complete: every record after it belongs to another subtree.
    void End(uint32_t element) { records_[element].subtreeEnd = GetSize(); }
    // Room for every byte the store may take from a file of that size: it holds only bytes of
    // the file, each at most once, and so never moves them. Room never written takes no memory.
    void Reserve(size_t fileSize) { bytes_.reserve(fileSize); }
    void Clear();

    // Elements stored, complete or still open.
    uint32_t GetSize() const { return static_cast<uint32_t>(records_.size()); }
    std::string_view GetName(uint32_t element) const;
    // The file line of the start tag, from 1.
    int GetLineNumber(uint32_t element) const { return records_[element].lineNumber; }
    // The first record after the element's subtree; its first child, if any, is the next record.
    uint32_t SubtreeEnd(uint32_t element) const { return records_[element].subtreeEnd; }
    bool HasChildren(uint32_t element) const { return SubtreeEnd(element) > element + 1; }

    size_t GetLineCount(uint32_t element) const {
        return CountFrom(element, &Record::firstLine, lineEnds_.size());
    }
    std::string_view GetLine(uint32_t element, size_t line) const;

    // The value of the attribute of that exact name, read from the file or defaulted.
    std::optional<std::string_view> FindAttribute(uint32_t element, std::string_view name) const;
    // Attributes read from the file and defaulted ones.
    size_t GetAttributeCount(uint32_t element) const {
        return AttributesOf(element) + DefaultsOf(element);
    }
    // Adds an attribute with its declared default value. Defaults are added in the order of the
    // records: none to an element once one was added to a later element.
    void AddDefaulted(uint32_t element, const CXML_AttributeDeclaration& declaration);

  private:
    // An element's attributes and text lines end where those of the next record begin.
    struct Record {
        uint32_t name;  // in bytes_
        uint32_t nameLength;
        int32_t lineNumber;
        uint32_t subtreeEnd;
        uint32_t firstAttribute;  // in attributes_, sorted by name past the scanned count
        uint32_t firstDefault;    // in defaults_, set up to defaultsSet_
        uint32_t lineText;   // in bytes_
        uint32_t firstLine;  // in lineEnds_
    };
    using Attribute = StoredAttribute;

    uint32_t Append(std::string_view text);
    // How many of the element's items begin at its field, up to where the next record's begin.
    size_t CountFrom(uint32_t element, uint32_t Record::*first, size_t total) const {
        const size_t end = element + 1 < records_.size() ? records_[element + 1].*first : total;
        return end - records_[element].*first;
    }
    size_t AttributesOf(uint32_t element) const {
        return CountFrom(element, &Record::firstAttribute, attributes_.size());
    }
    size_t DefaultsOf(uint32_t element) const {
        if (element >= defaultsSet_) return 0;
        const size_t end =
            element + 1 < defaultsSet_ ? records_[element + 1].firstDefault : defaults_.size();
        return end - records_[element].firstDefault;
    }
    std::string_view NameOf(const Attribute& attribute) const {
        return std::string_view(bytes_).substr(attribute.name, attribute.nameLength);
    }

    std::vector<Record> records_;
    std::vector<Attribute> attributes_;
    std::vector<uint32_t> lineEnds_;
    std::vector<const CXML_AttributeDeclaration*> defaults_;
    // Records whose first default is set: those before the last one given a default.
    uint32_t defaultsSet_ = 0;
    std::string bytes_;
    AttributeSet openTag_{bytes_, attributes_};
};

}  // namespace caprel

#endif  // CAPREL_ELEMENT_STORE_H
