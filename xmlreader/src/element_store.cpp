#include "element_store.h"

#include <algorithm>

#include "xml_attribute_declaration.h"

namespace caprel {

uint32_t ElementStore::Append(std::string_view text) {
    const auto start = static_cast<uint32_t>(bytes_.size());
    bytes_.append(text);
    return start;
}

uint32_t ElementStore::Begin(int lineNumber) {
    Record record{};
    record.lineNumber = lineNumber;
    record.firstAttribute = static_cast<uint32_t>(attributes_.size());
    records_.push_back(record);
    openTag_.Begin();
    return static_cast<uint32_t>(records_.size() - 1);
}

void ElementStore::SetStartTag(uint32_t element, std::string_view name) {
    openTag_.End();
    Record& record = records_[element];
    record.name = Append(name);
    record.nameLength = static_cast<uint32_t>(name.size());
    // Many attributes are looked up by halving; their order in the file is read by no one.
    if (attributes_.size() - record.firstAttribute > AttributeSet::kScannedUpTo) {
        std::sort(attributes_.begin() + record.firstAttribute, attributes_.end(),
                  [this](const Attribute& a, const Attribute& b) { return NameOf(a) < NameOf(b); });
    }
    record.lineText = static_cast<uint32_t>(bytes_.size());
    record.firstLine = static_cast<uint32_t>(lineEnds_.size());
}

void ElementStore::Clear() {
    records_.clear();
    attributes_.clear();
    lineEnds_.clear();
    defaults_.clear();
    defaultsSet_ = 0;
    bytes_.clear();
}

std::string_view ElementStore::GetName(uint32_t element) const {
    const Record& record = records_[element];
    return std::string_view(bytes_).substr(record.name, record.nameLength);
}

std::string_view ElementStore::GetLine(uint32_t element, size_t line) const {
    const Record& record = records_[element];
    const uint32_t begin = line == 0 ? record.lineText : lineEnds_[record.firstLine + line - 1];
    return std::string_view(bytes_).substr(begin, lineEnds_[record.firstLine + line] - begin);
}

std::optional<std::string_view> ElementStore::FindAttribute(uint32_t element,
                                                            std::string_view name) const {
    const Record& record = records_[element];
    const size_t count = AttributesOf(element);
    const auto first = attributes_.begin() + record.firstAttribute;
    const auto last = first + static_cast<std::ptrdiff_t>(count);
    auto found = last;
    if (count > AttributeSet::kScannedUpTo) {
        found = std::lower_bound(first, last, name, [this](const Attribute& a, std::string_view n) {
            return NameOf(a) < n;
        });
        if (found != last && NameOf(*found) != name) found = last;
    } else {
        found = std::find_if(first, last, [&](const Attribute& a) { return NameOf(a) == name; });
    }
    if (found != last)
        return std::string_view(bytes_).substr(found->name + found->nameLength, found->valueLength);
    for (size_t i = 0; i < DefaultsOf(element); ++i) {
        const CXML_AttributeDeclaration* declaration = defaults_[record.firstDefault + i];
        if (declaration->GetName() == name) return declaration->GetDefaultValue();
    }
    return std::nullopt;
}

void ElementStore::AddDefaulted(uint32_t element, const CXML_AttributeDeclaration& declaration) {
    // The elements passed over since the last default have none.
    while (defaultsSet_ <= element)
        records_[defaultsSet_++].firstDefault = static_cast<uint32_t>(defaults_.size());
    defaults_.push_back(&declaration);
}

}  // namespace caprel
