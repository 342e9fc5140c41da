#include "kelvane/core/text_hex_file.h"

#include <cctype>
#include <vector>

#include "hex_digits.h"
#include "hex_format.h"

namespace kv {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

int CTextHexFile::ReadFile() {
    loadAddress_ = 0;
    endLine_ = false;
    return ReadSourceLines();
}

int CTextHexFile::ParseLine(const std::string& line, std::string* lineError) {
    std::size_t first = 0;
    while (first < line.size() && isBlank(line[first]))
        ++first;
    std::string text = line.substr(first);
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (text.empty()) return 1;
    endLine_ = text[0] == 'Q';
    const std::string quoted = hex::QuoteLine(text);
    const char* source = quoted.c_str();
    const char lead = text[0];

    if ((lead >= '0' && lead <= '9') || (lead >= 'A' && lead <= 'F')) {
        std::vector<std::uint8_t> bytes;
        std::size_t i = 0;
        while (i < text.size()) {
            if (isBlank(text[i])) {
                ++i;
                continue;
            }
            std::size_t end = i;
            while (end < text.size() && !isBlank(text[end]))
                ++end;
            std::uint32_t value = 0;
            if (!hex::ParseHex(std::string_view(text).substr(i, end - i), &value) || value >= 256) {
                *lineError = hex::Format("Unable to parse bytes from source line\n%s", source);
                return 0;
            }
            if (bytes.size() == kMaxLineBytes) {
                *lineError =
                    hex::Format("More than %d bytes in source line\n%s", kMaxLineBytes, source);
                return 0;
            }
            bytes.push_back(static_cast<std::uint8_t>(value));
            i = end;
        }
        const auto count = static_cast<std::uint32_t>(bytes.size());
        if (!MarkGiven(loadAddress_, count, lineError)) return 0;
        if (!StoreBytes(bytes.data(), count, loadAddress_, lineError)) {
            *lineError = hex::Format("Unable to store bytes from source line\n%s", source);
            return 0;
        }
        loadAddress_ += count;
        return 1;
    }
    if (!FlushRun(lineError)) return 0;
    if (lead == '@') {
        std::string_view digits = std::string_view(text).substr(1);
        while (!digits.empty() && isBlank(digits.front()))
            digits.remove_prefix(1);
        while (!digits.empty() && isBlank(digits.back()))
            digits.remove_suffix(1);
        if (!hex::ParseHex(digits, &loadAddress_)) {
            *lineError = hex::Format("Unable to parse address from %s", source);
            return 0;
        }
        return 1;
    }
    if (lead == 'Q') return 1;
    *lineError = hex::Format("Unrecognized source line\n%s", source);
    return 0;
}

int CTextHexFile::WriteFile() {
    column_ = 0;
    nextAddress_ = 0;
    haveAddress_ = false;
    return WriteBlocks();
}

void CTextHexFile::WriteBlockText(const CHexBlock& block, const std::uint8_t* data,
                                  std::string* out) {
    if (!haveAddress_ || block.GetAddress() != nextAddress_) {
        if (column_ > 0) *out += "\n";
        *out += hex::Format("@%04X\n", block.GetAddress());
        column_ = 0;
        haveAddress_ = true;
    }
    for (std::uint32_t i = 0; i < block.GetCount(); ++i) {
        hex::AppendHexByte(out, data[i]);
        out->push_back(' ');
        if (++column_ == 16) {
            out->back() = '\n';
            column_ = 0;
        }
    }
    nextAddress_ = block.GetAddress() + block.GetCount();
}

void CTextHexFile::WriteEndText(std::string* out) {
    if (column_ > 0) *out += "\n";
    *out += "q\n";
    column_ = 0;
}

}  // namespace kv
