#include "kelvane/core/hex_image_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <utility>
#include <vector>
#include <new>

#include "hex_format.h"
#include "kelvane/platform/input_file.h"
#include "kelvane/platform/replaced_file.h"

namespace kv {

namespace {

constexpr std::size_t kMaxSystemErrorText = 1024;

std::string systemErrorText(int error) {
    std::string text = std::strerror(error);
    if (text.size() > kMaxSystemErrorText) text.resize(kMaxSystemErrorText);
    return text;
}

// Reads one line without its line end; false at the end of the file or on a
// read error. Stops one character past the longest line (and a carriage
// return) so that a line too long is known without reading all of it.
bool readLine(std::FILE* file, std::string* line, bool* failed) {
    line->clear();
    int c = std::getc(file);
    if (c == EOF) {
        *failed = std::ferror(file) != 0;
        return false;
    }
    while (c != EOF && c != '\n') {
        line->push_back(static_cast<char>(c));
        if (line->size() > CHexImageFile::kMaxLineLength + 1) return true;
        c = std::getc(file);
    }
    if (c == EOF && std::ferror(file) != 0) {
        *failed = true;
        return false;
    }
    if (!line->empty() && line->back() == '\r') line->pop_back();
    return true;
}

// Orders range starts; a type of this file only, so that the map's code stays
// inside every library that links these classes.
struct StartOrder {
    bool operator()(std::uint64_t a, std::uint64_t b) const { return a < b; }
};

}  // namespace

// The address ranges [start, end) read so far, merged where they touch. Ranges
// that come in address order (most files) are kept in a vector, 16 bytes each;
// the few that come out of order in a map.
class GivenRanges {
  public:
    void Clear() {
        ascending_.clear();
        ascending_.shrink_to_fit();
        others_.clear();
    }

    // The first address of [address, end) that a range holds, or end.
    std::uint64_t FirstClash(std::uint64_t address, std::uint64_t end) const {
        return std::min(FirstClashInAscending(address, end), FirstClashInOthers(address, end));
    }

    void Add(std::uint64_t address, std::uint64_t end) {
        if (ascending_.empty() || address >= ascending_.back().end) {
            if (!ascending_.empty() && ascending_.back().end == address) {
                ascending_.back().end = end;
            } else {
                ascending_.push_back({address, end});
            }
            return;
        }
        auto next = others_.upper_bound(address);
        auto before = next == others_.begin() ? others_.end() : std::prev(next);
        if (before != others_.end() && before->second == address) {
            before->second = end;
        } else {
            before = others_.emplace_hint(next, address, end);
        }
        if (next != others_.end() && next->first == before->second) {
            before->second = next->second;
            others_.erase(next);
        }
    }

  private:
    struct Range {
        std::uint64_t start;
        std::uint64_t end;
    };

    std::uint64_t FirstClashInAscending(std::uint64_t address, std::uint64_t end) const {
        // The first range that ends after the address.
        auto it = std::upper_bound(ascending_.begin(), ascending_.end(), address,
                                   [](std::uint64_t a, const Range& r) { return a < r.end; });
        if (it == ascending_.end() || it->start >= end) return end;
        return std::max(it->start, address);
    }

    std::uint64_t FirstClashInOthers(std::uint64_t address, std::uint64_t end) const {
        auto next = others_.upper_bound(address);
        if (next != others_.begin() && std::prev(next)->second > address) return address;
        if (next != others_.end() && next->first < end) return next->first;
        return end;
    }

    std::vector<Range> ascending_;
    std::map<std::uint64_t, std::uint64_t, StartOrder> others_;
};

CHexImageFile::CHexImageFile(const HexImageBuild& build)
    : build_(build), given_(std::make_unique<GivenRanges>()) {
    if (build_.runAccumulator) runBuffer_.resize(build_.blockSize);
}

CHexImageFile::~CHexImageFile() = default;

int CHexImageFile::CriticalError(const char* className, const char* method,
                                 const std::string& message) {
    error_ = hex::ReportCriticalError(className, method, message);
    return 0;
}

void CHexImageFile::ResetRun() {
    runAddress_ = 0;
    runLength_ = 0;
}

int CHexImageFile::Open(const std::string& fileName, int mode) {
    ResetRun();
    blocks_ = std::make_unique<CArrayHexBlock>(build_.blockSize);
    fileName_ = fileName;
    bool read = true;
    if (mode == kModeRead) {
        try {
            read = ReadFile() != 0;
        } catch (const std::bad_alloc&) {
            read = false;
            blocks_.reset();  // gives back what the image took before the text is made
            error_ = "Not enough memory to read " + fileName;
        }
    }
    if (!read) {
        blocks_.reset();
        fileName_.clear();
        ResetRun();
        return 0;
    }
    blocks_->Sort();
    return 1;
}

void CHexImageFile::Close() {
    if (!blocks_) return;
    FinishFile();
    blocks_.reset();
    fileName_.clear();
}

int CHexImageFile::Write() {
    return WriteFile() ? 1 : 0;
}

int CHexImageFile::AddBlock(const std::uint8_t* source, std::uint32_t address, std::uint32_t size) {
    // The method name in this text is the one the program has always shown.
    if (!blocks_) return CriticalError("CHexImageFile", "ExtractBlock", "Called while file closed");
    if (!blocks_->AddData(source, address, size)) {
        error_ = hex::Format("Unable to add block of size %04X at %04X", size, address);
        return 0;
    }
    return 1;
}

int CHexImageFile::ExtractBlock(std::uint8_t* destination, std::uint32_t base,
                                std::uint32_t length) {
    if (!blocks_) return CriticalError("CHexImageFile", "ExtractBlock", "Called while file closed");
    for (std::size_t i = 0; i < blocks_->GetSize(); ++i) {
        CHexBlock* block = blocks_->GetAt(i);
        if (block == nullptr)
            return CriticalError("CHexImageFile", "ExtractBlock", "Encountered NULL block");
        if (!block->Merge(destination, base, length)) {
            error_ = block->GetLastError();
            return 0;
        }
    }
    return 1;
}

bool CHexImageFile::HoldsAny(std::uint32_t base, std::uint32_t length) const {
    if (!blocks_ || length == 0) return false;
    const std::uint64_t end = std::uint64_t{base} + length;
    for (std::size_t i = 0; i < blocks_->GetSize(); ++i) {
        const CHexBlock* block = blocks_->GetAt(i);
        if (block == nullptr || block->GetCount() == 0) continue;
        const std::uint64_t first = block->GetAddress();
        if (first < end && base < first + block->GetCount()) return true;
    }
    return false;
}

CHexBlock* CHexImageFile::GetBlock(std::size_t index) const {
    return blocks_ ? blocks_->GetAt(index) : nullptr;
}

std::size_t CHexImageFile::GetBlockCount() const {
    return blocks_ ? blocks_->GetSize() : 0;
}

std::uint32_t CHexImageFile::GetStartAddress() const {
    if (!blocks_ || blocks_->GetSize() == 0) return 0;
    std::uint32_t lowest = blocks_->GetAt(0)->GetAddress();
    for (std::size_t i = 1; i < blocks_->GetSize(); ++i) {
        lowest = std::min(lowest, blocks_->GetAt(i)->GetAddress());
    }
    return lowest;
}

int CHexImageFile::ReadSourceLines() {
    given_->Clear();
    std::string openError;
    std::FILE* file = OpenInputStream(fileName_, "r", &openError);
    if (file == nullptr) {
        if (openError.size() > kMaxSystemErrorText) openError.resize(kMaxSystemErrorText);
        error_ = openError;
        return 0;
    }
    std::string line;
    std::string lineError;
    bool failed = false;
    int number = 0;
    int result = 1;
    while (readLine(file, &line, &failed)) {
        ++number;
        const bool tooLong = line.size() > kMaxLineLength;
        if (tooLong)
            lineError = hex::Format("Line longer than %zu characters", kMaxLineLength);
        if (tooLong || !ParseLine(line, &lineError)) {
            error_ = hex::Format("Error parsing line %d\n%s\n%s", number,
                                 hex::QuoteLine(line).c_str(), lineError.c_str());
            result = 0;
            break;
        }
    }
    if (result && failed) {
        error_ = systemErrorText(EIO);
        result = 0;
    }
    std::fclose(file);
    given_->Clear();
    // Data still gathered when the file ends are kept like those of a closed run.
    if (result && !FlushRun(&lineError)) {
        error_ = lineError;
        result = 0;
    }
    return result;
}

int CHexImageFile::FlushRun(std::string* lineError) {
    if (!build_.runAccumulator || runLength_ == 0) return 1;
    const std::uint32_t length = runLength_;
    runLength_ = 0;
    if (!AddBlock(runBuffer_.data(), runAddress_, length)) {
        *lineError = error_;
        return 0;
    }
    return 1;
}

int CHexImageFile::MarkGiven(std::uint64_t address, std::uint32_t count,
                              std::string* lineError) {
    if (count == 0) return 1;
    const std::uint64_t end = address + count;
    // Bytes past the top of the address space would wrap to its bottom.
    if (end > build_.addressEnd) {
        *lineError = hex::Format("Data beyond address %llX",
                                 static_cast<unsigned long long>(build_.addressEnd - 1));
        return 0;
    }
    // Bytes the reader's user cannot take stop the read where they are.
    if (addressCheck_) {
        std::string refusal = addressCheck_(address, count);
        if (!refusal.empty()) {
            *lineError = std::move(refusal);
            return 0;
        }
    }
    // The first address of the new bytes that an earlier line gave.
    const std::uint64_t clash = given_->FirstClash(address, end);
    if (clash != end) {
        *lineError =
            hex::Format("Data at %08llX overlaps data of an earlier line",
                        static_cast<unsigned long long>(clash));
        return 0;
    }
    given_->Add(address, end);
    return 1;
}

int CHexImageFile::StoreBytes(const std::uint8_t* bytes, std::uint32_t count, std::uint32_t address,
                              std::string* lineError) {
    if (count == 0) return 1;
    if (!build_.runAccumulator || count > build_.blockSize) {
        if (!FlushRun(lineError)) return 0;
        if (!AddBlock(bytes, address, count)) {
            *lineError = error_;
            return 0;
        }
        return 1;
    }
    if (runLength_ > 0 &&
        (runLength_ + count > build_.blockSize || address != runAddress_ + runLength_)) {
        if (!FlushRun(lineError)) return 0;
    }
    if (runLength_ == 0) runAddress_ = address;
    std::memcpy(runBuffer_.data() + runLength_, bytes, count);
    runLength_ += count;
    return 1;
}

int CHexImageFile::WriteBlocks() {
    if (!blocks_) return CriticalError(GetClassName(), "WriteBlocks", "Hex block array is NULL");
    blocks_->Sort();
    std::string text;
    std::vector<std::uint8_t> data(build_.blockSize);
    for (std::size_t i = 0; i < blocks_->GetSize(); ++i) {
        CHexBlock* block = blocks_->GetAt(i);
        if (block == nullptr)
            return CriticalError(GetClassName(), "WriteBlocks", "Hex block is NULL");
        std::uint32_t copied = 0;
        data.resize(std::max<std::size_t>(data.size(), block->GetCount()));
        if (!block->Read(data.data(), static_cast<std::uint32_t>(data.size()), &copied)) {
            error_ = hex::Format("Error reading block data\n%s", block->GetLastError().c_str());
            return 0;
        }
        WriteBlockText(*block, data.data(), &text);
    }
    WriteEndText(&text);

    // Written beside the file and put in place whole: a read-out that cannot
    // be written keeps the previous one.
    std::string fileError;
    ReplacingFile output;
    std::FILE* file = output.Open(fileName_, &fileError);
    if (file == nullptr) {
        if (fileError.size() > kMaxSystemErrorText) fileError.resize(kMaxSystemErrorText);
        error_ = fileError;
        return 0;
    }
    if (std::fwrite(text.data(), 1, text.size(), file) != text.size()) {
        error_ = systemErrorText(errno);
        return 0;
    }
    if (!output.Commit(&fileError)) {
        if (fileError.size() > kMaxSystemErrorText) fileError.resize(kMaxSystemErrorText);
        error_ = fileError;
        return 0;
    }
    return 1;
}

}  // namespace kv
