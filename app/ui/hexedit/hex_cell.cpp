#include "kelvane/ui/hex_cell.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace kv::ui {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

int CHexCell::SetBuffer(std::uint8_t* bytes, int count, int width) {
    if (width != 2 && width != 4 && width != 8) return Fail("Unrecognized symbol width for buffer");
    buffer_ = bytes;
    count_ = bytes != nullptr ? std::max(count, 0) : 0;
    width_ = width;
    cursor_ = 0;
    digit_ = 0;
    selFirst_ = selLast_ = -1;
    LoadEditText();
    return 1;
}

int CHexCell::ReadValue(int index, std::uint32_t* value) {
    if (buffer_ == nullptr) return Fail("Unable to read value from NULL buffer");
    if (index < 0 || index >= count_) return Fail("Indicated index for read exceeds buffer size");
    const std::uint8_t* p = buffer_ + static_cast<std::size_t>(index) * GetSymbolBytes();
    switch (width_) {
        case 2:
            *value = p[0];
            break;
        case 4:
            *value = static_cast<std::uint32_t>(p[0] | (p[1] << 8));
            break;
        case 8:
            *value = static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                     (static_cast<std::uint32_t>(p[2]) << 16) |
                     (static_cast<std::uint32_t>(p[3]) << 24);
            break;
        default:
            return Fail("Unrecognized symbol width for read");
    }
    return 1;
}

int CHexCell::WriteValue(std::uint32_t value, int index) {
    if (buffer_ == nullptr) return Fail("Unable to write value to NULL buffer");
    if (index < 0 || index >= count_) return Fail("Indicated index for write exceeds buffer size");
    if (width_ != 2 && width_ != 4 && width_ != 8)
        return Fail("Unrecognized symbol width for write");
    std::uint8_t* p = buffer_ + static_cast<std::size_t>(index) * GetSymbolBytes();
    for (int b = 0; b < GetSymbolBytes(); ++b)
        p[b] = static_cast<std::uint8_t>(value >> (8 * b));
    if (index == cursor_) LoadEditText();
    Written(index, index);
    return 1;
}

std::string CHexCell::FormatValue(int index, bool trailingBlank) {
    std::uint32_t value = 0;
    if (!ReadValue(index, &value)) return std::string(static_cast<std::size_t>(width_), '?');
    char text[16];
    std::snprintf(text, sizeof text, "%0*lX", width_, static_cast<unsigned long>(value));
    std::string out = text;
    if (trailingBlank) out += ' ';
    return out;
}

void CHexCell::LoadEditText() {
    editValue_ = 0;
    if (buffer_ != nullptr && cursor_ < count_ && ReadValue(cursor_, &editValue_)) {
        editText_ = FormatValue(cursor_, false);
        validDigits_ = width_;
    } else {
        editText_.assign(static_cast<std::size_t>(width_), ' ');
        validDigits_ = 0;
    }
}

int CHexCell::CommitEdit() {
    if (buffer_ == nullptr || cursor_ >= count_) return 1;
    std::uint32_t value = 0;
    int n = 0;
    for (; n < validDigits_; ++n) {
        const int d = HexDigit(editText_[static_cast<std::size_t>(n)]);
        if (d < 0) break;
        value = (value << 4) | static_cast<std::uint32_t>(d);
    }
    if (n == 0) {
        // Nothing left to convert: the symbol keeps its value.
        if (validDigits_ == 0) {
            LoadEditText();
            return 1;
        }
        return Fail("Unable to convert '" + editText_ + "' to value");
    }
    if (value != editValue_) {
        const std::string kept = editText_;
        const int keptValid = validDigits_;
        if (!WriteValue(value, cursor_)) return 0;
        editText_ = kept;
        validDigits_ = keptValid;
        editValue_ = value;
    }
    return 1;
}

void CHexCell::SetCursor(int index, int digit) {
    if (count_ <= 0) {
        cursor_ = digit_ = 0;
        return;
    }
    index = std::clamp(index, 0, count_ - 1);
    digit = std::clamp(digit, 0, width_ - 1);
    if (index != cursor_) {
        CommitEdit();
        cursor_ = index;
        LoadEditText();
    }
    digit_ = digit;
}

int CHexCell::TypeHexDigit(char digit) {
    if (buffer_ == nullptr || count_ <= 0) return Fail("Unable to write value to NULL buffer");
    if (HexDigit(digit) < 0) return 1;
    if (HasSelection() && !Paste({FillByte(0)})) return 0;
    const char upper = digit >= 'a' ? static_cast<char>(digit - 'a' + 'A') : digit;
    editText_[static_cast<std::size_t>(digit_)] = upper;
    validDigits_ = std::max(validDigits_, digit_ + 1);
    if (!CommitEdit()) return 0;
    if (digit_ + 1 < width_)
        ++digit_;
    else if (cursor_ + 1 < count_)
        SetCursor(cursor_ + 1, 0);
    return 1;
}

void CHexCell::BackspaceDigit() {
    if (digit_ == 0 || editText_.empty()) return;
    --digit_;
    DeleteDigit();
}

void CHexCell::DeleteDigit() {
    if (editText_.empty() || digit_ >= validDigits_) return;
    editText_.erase(static_cast<std::size_t>(digit_), 1);
    editText_ += ' ';
    --validDigits_;
}

int CHexCell::TypeCharacter(unsigned char code) {
    if (buffer_ == nullptr || count_ <= 0) return Fail("Unable to write value to NULL buffer");
    if (HasSelection() && !Paste({FillByte(0)})) return 0;
    if (!WriteValue(code, cursor_)) return 0;
    if (cursor_ + 1 < count_) SetCursor(cursor_ + 1, 0);
    return 1;
}

void CHexCell::Select(int from, int to) {
    if (count_ <= 0) return;
    from = std::clamp(from, 0, count_ - 1);
    to = std::clamp(to, 0, count_ - 1);
    selFirst_ = std::min(from, to);
    selLast_ = std::max(from, to);
}

void CHexCell::ClearSelection() {
    selFirst_ = selLast_ = -1;
}

std::vector<std::uint8_t> CHexCell::SelectedBytes() const {
    if (!HasSelection() || buffer_ == nullptr) return {};
    const std::size_t n = static_cast<std::size_t>(GetSymbolBytes());
    return std::vector<std::uint8_t>(buffer_ + selFirst_ * n, buffer_ + (selLast_ + 1) * n);
}

int CHexCell::DeleteSelection() {
    if (!HasSelection()) return Fail("Unable to delete empty selection");
    return Paste({});
}

std::uint8_t CHexCell::FillByte(int offsetInSymbol) const {
    return static_cast<std::uint8_t>(fill_ >> (8 * (offsetInSymbol % 4)));
}

int CHexCell::Paste(const std::vector<std::uint8_t>& bytes) {
    if (buffer_ == nullptr) return Fail("Unable to copy to NULL buffer from clipboard");
    CommitEdit();
    const int symbolBytes = GetSymbolBytes();
    const std::size_t total = static_cast<std::size_t>(count_) * symbolBytes;
    const int firstSymbol = HasSelection() ? selFirst_ : cursor_;
    const std::size_t start = static_cast<std::size_t>(firstSymbol) * symbolBytes;
    const std::size_t region =
        HasSelection() ? static_cast<std::size_t>(selLast_ - selFirst_ + 1) * symbolBytes : 0;

    std::vector<std::uint8_t> data = bytes;
    while (data.size() % symbolBytes != 0)
        data.push_back(FillByte(static_cast<int>(data.size() % symbolBytes)));
    const std::size_t pasted = data.size();

    if (pasted < region) {
        std::memmove(buffer_ + start + pasted, buffer_ + start + region, total - start - region);
        for (std::size_t i = total - (region - pasted); i < total; ++i)
            buffer_[i] = FillByte(static_cast<int>(i % symbolBytes));
    } else if (pasted > region) {
        const std::size_t to = start + pasted;
        if (to < total) std::memmove(buffer_ + to, buffer_ + start + region, total - to);
    }
    const std::size_t copied = std::min(pasted, total - start);
    if (copied > 0) std::memcpy(buffer_ + start, data.data(), copied);

    ClearSelection();
    cursor_ = firstSymbol;
    digit_ = 0;
    LoadEditText();
    const int last =
        pasted == region ? firstSymbol + static_cast<int>(pasted / symbolBytes) - 1 : count_ - 1;
    if (last >= firstSymbol) Written(firstSymbol, last);
    return 1;
}

void CHexCell::Written(int first, int last) {
    if (listener_ != nullptr) listener_->OnSymbolsWritten(first, last);
}

}  // namespace kv::ui
