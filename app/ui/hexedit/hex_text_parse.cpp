#include <cctype>
#include <cstdio>

#include "kelvane/ui/hex_cell.h"

namespace kv::ui {

namespace {

std::string TokenSizeText(int size) {
    char text[80];
    std::snprintf(text, sizeof text, "Encountered mal-formed token size %d", size);
    return text;
}

bool IsHex(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

bool IsBlank(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

}  // namespace

int ParseHexText(const std::string& text, std::vector<std::uint8_t>& bytes, std::string& error) {
    std::vector<std::string> tokens;
    std::size_t i = 0;
    while (i < text.size() && text[i] != '\0') {
        const char c = text[i];
        if (IsBlank(c)) {
            ++i;
            continue;
        }
        if (!IsHex(c)) {
            const unsigned char u = static_cast<unsigned char>(c);
            char message[80];
            std::snprintf(message, sizeof message,
                          "FindToken encountered mal-formed character '%c' (0x%02X)", u, u);
            error = message;
            return 0;
        }
        const std::size_t start = i;
        while (i < text.size() && IsHex(text[i]))
            ++i;
        tokens.push_back(text.substr(start, i - start));
    }
    if (tokens.empty()) {
        error = "No values found in text buffer";
        return 0;
    }
    const int size = static_cast<int>(tokens.front().size());
    const char* kind = size == 2 ? "BYTE" : size == 4 ? "WORD" : size == 8 ? "DWORD" : nullptr;
    if (kind == nullptr) {
        error = TokenSizeText(size);
        return 0;
    }
    std::vector<std::uint8_t> out;
    out.reserve(tokens.size() * static_cast<std::size_t>(size / 2));
    for (const std::string& token : tokens) {
        if (static_cast<int>(token.size()) != size) {
            error = TokenSizeText(static_cast<int>(token.size())) + " in " + kind + " array";
            return 0;
        }
        const unsigned long value = std::stoul(token, nullptr, 16);
        for (int b = 0; b < size / 2; ++b)
            out.push_back(static_cast<std::uint8_t>(value >> (8 * b)));
    }
    bytes = std::move(out);
    return 1;
}

}  // namespace kv::ui
