#include "kelvane/platform/terminal_text.h"

namespace kv {

namespace {

// The length of the well-formed UTF-8 sequence at the start of the text, or 0 when its first
// byte does not begin one (a stray continuation byte, a sequence cut short or overlong, a
// surrogate, a code point beyond U+10FFFF).
size_t SequenceLength(std::string_view text) {
    const auto byte = [&text](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (text.size() < length) return 0;
    if (byte(1) < low || byte(1) > high) return 0;
    for (size_t i = 2; i < length; ++i)
        if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
    return length;
}

bool IsControl(unsigned char byte) {
    return (byte < 0x20 && byte != '\n' && byte != '\t') || byte == 0x7F;
}

// A C1 control: U+0080 to U+009F, or a raw byte of that range outside any UTF-8 sequence.
bool IsC1(unsigned char byte) {
    return byte >= 0x80 && byte <= 0x9F;
}

void AppendEscaped(std::string& out, unsigned char byte) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    out += "\\x";
    out.push_back(kDigits[byte >> 4]);
    out.push_back(kDigits[byte & 0xF]);
}

}  // namespace

std::string EscapeControlBytes(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        size_t length = byte < 0x80 ? 1 : SequenceLength(text.substr(i));
        bool escaped = false;
        if (byte < 0x80) {
            escaped = IsControl(byte);
        } else if (length == 0) {
            // Not UTF-8: a byte that a terminal reading 8-bit controls would obey is escaped.
            length = 1;
            escaped = IsC1(byte);
        } else {
            escaped = byte == 0xC2 && IsC1(static_cast<unsigned char>(text[i + 1]));
        }
        for (size_t k = 0; k < length; ++k) {
            if (escaped) {
                AppendEscaped(out, static_cast<unsigned char>(text[i + k]));
            } else {
                out.push_back(text[i + k]);
            }
        }
        i += length;
    }
    return out;
}

std::string Quoted(std::string_view text) {
    if (text.size() <= kMaxQuoted) return std::string(text);
    return std::string(text.substr(0, kMaxQuoted)) + "...";
}

}  // namespace kv
