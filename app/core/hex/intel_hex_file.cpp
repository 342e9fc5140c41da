#include "kelvane/core/intel_hex_file.h"

#include <algorithm>
#include <vector>

#include "hex_digits.h"
#include "hex_format.h"

namespace kv {

namespace {

unsigned checksum(unsigned sum) {
    return (0x100 - (sum & 0xFF)) & 0xFF;
}

}  // namespace

int CIntelHexFile::ReadFile() {
    base_ = 0;
    segmentBase_ = false;
    return ReadSourceLines();
}

int CIntelHexFile::ParseLine(const std::string& line, std::string* lineError) {
    if (line.empty() || line[0] != ':') return 1;
    const std::string_view text(line);
    const std::string quoted = hex::QuoteLine(line);
    const char* source = quoted.c_str();
    if (text.size() <= 10) {
        *lineError = hex::Format("Hex record is truncated\n%s", source);
        return 0;
    }
    std::uint32_t count = 0;
    std::uint32_t address = 0;
    std::uint32_t type = 0;
    if (!hex::ParseHex(text.substr(1, 2), &count)) {
        *lineError = hex::Format("Could not convert byte count\n%s", source);
        return 0;
    }
    if (!hex::ParseHex(text.substr(3, 4), &address)) {
        *lineError = hex::Format("Could not convert hex record address\n%s", source);
        return 0;
    }
    if (!hex::ParseHex(text.substr(7, 2), &type)) {
        *lineError = hex::Format("Could not convert record type\n%s", source);
        return 0;
    }
    if (text.size() < 2 * count + 11) {
        *lineError = hex::Format("Hex record is truncated\n%s", source);
        return 0;
    }
    std::vector<std::uint8_t> data(count);
    unsigned sum = count + (address >> 8) + (address & 0xFF) + type;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint32_t byte = 0;
        if (!hex::ParseHex(text.substr(9 + 2 * i, 2), &byte)) {
            *lineError = hex::Format("Could not convert record values\n%s", source);
            return 0;
        }
        data[i] = static_cast<std::uint8_t>(byte);
        sum += byte;
    }
    std::uint32_t check = 0;
    if (!hex::ParseHex(text.substr(9 + 2 * count, 2), &check)) {
        *lineError = hex::Format("Could not convert hex record checksum\n%s", source);
        return 0;
    }
    if (((sum + check) & 0xFF) != 0) {
        *lineError = hex::Format("Hex record checksum failed\n%s", source);
        return 0;
    }
    switch (type) {
        case 0: {
            // Under a linear base the bytes run on past a 64 KiB boundary; under
            // a segment base the offset wraps within 16 bits.
            const std::uint32_t first =
                segmentBase_ ? std::min<std::uint32_t>(count, 0x10000 - address) : count;
            if (!MarkGiven(std::uint64_t{base_} + address, first, lineError) ||
                !MarkGiven(base_, count - first, lineError))
                return 0;
            if (!StoreBytes(data.data(), first, base_ + address, lineError) ||
                (first < count &&
                 !StoreBytes(data.data() + first, count - first, base_, lineError))) {
                *lineError = hex::Format("Unable to store %04Xh bytes at address %08Xh\n%s", count,
                                         base_ + address, source);
                return 0;
            }
            return 1;
        }
        case 2:
            // Extended segment address: the base is the paragraph number times 16.
            if (count != 2) {
                *lineError = "Invalid extended segment address record, expected 2 bytes of data";
                return 0;
            }
            base_ = ((static_cast<std::uint32_t>(data[0]) << 8) | data[1]) << 4;
            segmentBase_ = true;
            return 1;
        case 4:
            if (count != 2) {
                *lineError = "Invalid extended linear address record, expected 2 bytes of data";
                return 0;
            }
            base_ = ((static_cast<std::uint32_t>(data[0]) << 8) | data[1]) << 16;
            segmentBase_ = false;
            return 1;
        case 1:
        case 3:
        case 5:
            return 1;
        default:
            *lineError =
                hex::Format("Unrecognized record type %02X in source line\n%s", type, source);
            return 0;
    }
}

int CIntelHexFile::WriteFile() {
    writtenUpper_ = 0;
    return WriteBlocks();
}

void CIntelHexFile::WriteBlockText(const CHexBlock& block, const std::uint8_t* data,
                                   std::string* out) {
    std::uint32_t address = block.GetAddress();
    std::uint32_t remaining = block.GetCount();
    while (remaining > 0) {
        // A record never crosses a 64 KiB boundary, and an extended linear
        // address record announces every change of the upper 16 address bits,
        // so that every byte reads back at its own address.
        const std::uint32_t toBoundary = 0x10000 - (address & 0xFFFF);
        const std::uint32_t count = std::min({remaining, std::uint32_t{16}, toBoundary});
        const std::uint32_t upper = address >> 16;
        if (upper != writtenUpper_) {
            *out += hex::Format(":02000004%04X%02X\n", upper,
                                checksum(2 + 4 + (upper >> 8) + (upper & 0xFF)));
            writtenUpper_ = upper;
        }
        unsigned sum = count + ((address >> 8) & 0xFF) + (address & 0xFF);
        *out += hex::Format(":%02X%04X00", count, address & 0xFFFF);
        for (std::uint32_t i = 0; i < count; ++i) {
            hex::AppendHexByte(out, data[i]);
            sum += data[i];
        }
        hex::AppendHexByte(out, checksum(sum));
        out->push_back('\n');
        data += count;
        address += count;
        remaining -= count;
    }
}

void CIntelHexFile::WriteEndText(std::string* out) {
    *out += ":00000001FF\n";
}

}  // namespace kv
