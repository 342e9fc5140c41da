#include "xml_parse_char.h"

#include <cstddef>

#include "kelvane/platform/format.h"

namespace caprel {

namespace {

// The length of the UTF-8 sequence a lead byte opens, 0 for a byte that opens none.
std::size_t SequenceLength(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

}  // namespace

std::string CXML_ParseChar::Shown() const {
    const auto byte = static_cast<unsigned char>(char_);
    if (byte >= 0x20 && byte < 0x7F) return std::string(1, char_);
    const std::size_t at = column_ > 0 ? static_cast<std::size_t>(column_ - 1) : line_.size();
    const std::size_t length = SequenceLength(byte);
    if (length != 0 && at < line_.size() && line_[at] == char_ && at + length <= line_.size()) {
        bool whole = true;
        for (std::size_t i = 1; i < length; ++i)
            whole = whole && (static_cast<unsigned char>(line_[at + i]) & 0xC0) == 0x80;
        if (whole) return std::string(line_.substr(at, length));
    }
    return kv::text::Format("\\x%02X", byte);
}

}  // namespace caprel
