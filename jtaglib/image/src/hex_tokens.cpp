#include <cstdint>
#include <string_view>
#include <vector>

#include "nandrel/image/hex_readers.h"

namespace nandrel {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

std::string_view TrimHexToken(std::string_view line) {
    std::size_t first = 0;
    while (first < line.size() && isBlank(line[first]))
        ++first;
    std::size_t last = line.size();
    while (last > first &&
           (isBlank(line[last - 1]) || line[last - 1] == '\r' || line[last - 1] == '\n')) {
        --last;
    }
    return line.substr(first, last - first);
}

bool ParseTextHexAddress(std::string_view line, std::uint32_t* address) {
    if (line.size() < 2 || line.size() > 9 || line[0] != '@') return false;
    std::uint32_t value = 0;
    for (char c : line.substr(1)) {
        const int digit = hexDigit(c);
        if (digit < 0) return false;
        value = (value << 4) | static_cast<std::uint32_t>(digit);
    }
    if (value > kMaxImageAddress) return false;
    *address = value;
    return true;
}

int ParseTextHexData(std::string_view line, std::uint8_t out[kMaxTextDataTokens]) {
    int count = 0;
    std::size_t i = 0;
    while (i < line.size()) {
        if (isBlank(line[i])) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < line.size() && !isBlank(line[end]))
            ++end;
        const std::string_view token = line.substr(i, end - i);
        if (count == kMaxTextDataTokens || token.size() > 2) return -1;
        int value = 0;
        for (char c : token) {
            const int digit = hexDigit(c);
            if (digit < 0) return -1;
            value = value * 16 + digit;
        }
        out[count++] = static_cast<std::uint8_t>(value);
        i = end;
    }
    return count;
}

bool CheckHexRecord(std::string_view line, std::vector<std::uint8_t>* bytes) {
    bytes->clear();
    if (line.size() < 11 || line[0] != ':' || line.size() % 2 == 0) return false;
    unsigned sum = 0;
    for (std::size_t i = 1; i < line.size(); i += 2) {
        const int high = hexDigit(line[i]);
        const int low = hexDigit(line[i + 1]);
        if (high < 0 || low < 0) return false;
        const auto byte = static_cast<std::uint8_t>(high * 16 + low);
        bytes->push_back(byte);
        sum += byte;
    }
    if ((*bytes)[0] != bytes->size() - 5) return false;
    if ((sum & 0xFF) != 0) return false;
    return (*bytes)[3] < 6;
}

}  // namespace nandrel
