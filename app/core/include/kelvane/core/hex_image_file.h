// A target image in memory as a sorted array of address blocks, read from and
// written to a text file. File type 1 is TI-TXT (CTextHexFile), 2 is Intel HEX
// (CIntelHexFile).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "kelvane/core/hex_block.h"
#include "kelvane/core/hex_block_array.h"

namespace kv {

class GivenRanges;

class CHexImageFile {
  public:
    static constexpr int kModeRead = 1;
    static constexpr int kModeWrite = 2;
    // Longest line a file may hold (without its line end): far above the longest
    // record either format allows, so a file without line ends fails at once.
    static constexpr std::size_t kMaxLineLength = 1024;

    explicit CHexImageFile(const HexImageBuild& build);
    CHexImageFile(const CHexImageFile&) = delete;
    CHexImageFile& operator=(const CHexImageFile&) = delete;
    virtual ~CHexImageFile();

    // The class name used in critical error captions.
    virtual const char* GetClassName() const = 0;
    virtual void Serialize() {}

    // Tells why bytes at [address, address + count) cannot be taken, empty
    // when they can; called for the bytes of every line as it is read.
    using AddressCheck = std::function<std::string(std::uint64_t address, std::uint32_t count)>;
    // Bytes the check refuses stop the read at their line with its text.
    void SetAddressCheck(AddressCheck check) { addressCheck_ = std::move(check); }

    // Mode 1 reads and parses the file into blocks; any other mode prepares an
    // empty image for writing. A failed read leaves the image closed.
    int Open(const std::string& fileName, int mode);
    void Close();
    int Write();

    int AddBlock(const std::uint8_t* source, std::uint32_t address, std::uint32_t size);
    // Merges every block into the flat buffer [base, base + length - 1]; bytes no
    // block covers are left as the caller filled them.
    int ExtractBlock(std::uint8_t* destination, std::uint32_t base, std::uint32_t length);

    // Whether any block holds a byte of [base, base + length - 1].
    bool HoldsAny(std::uint32_t base, std::uint32_t length) const;

    CHexBlock* GetBlock(std::size_t index) const;
    std::size_t GetBlockCount() const;
    // The number of bytes added to the image (0 when closed).
    std::uint32_t GetTotalBytes() const { return blocks_ ? blocks_->GetTotal() : 0; }
    // The start address of the lowest block, 0 for an image without blocks.
    std::uint32_t GetStartAddress() const;
    std::string GetLastError() const { return error_; }
    const std::string& GetFileName() const { return fileName_; }
    const HexImageBuild& GetBuild() const { return build_; }
    bool IsOpen() const { return blocks_ != nullptr; }

  protected:
    virtual int WriteFile() = 0;
    virtual int ReadFile() = 0;
    // Called by Close while the blocks still exist.
    virtual int FinishFile() = 0;

    // Reading: opens the file and hands each line (without its line end) to
    // ParseLine; the first failing line stops the read. Flushes the run at the end.
    int ReadSourceLines();
    virtual int ParseLine(const std::string& line, std::string* lineError) = 0;

    // Stores bytes read at an address: into the run (program build) or directly
    // as blocks (bootloader build). Failure leaves the text in lineError.
    int StoreBytes(const std::uint8_t* bytes, std::uint32_t count, std::uint32_t address,
                   std::string* lineError);
    int FlushRun(std::string* lineError);
    // Records the addresses of bytes read before they are stored; fails with the
    // text in lineError when the file gave one of them already (records that
    // overlap would program a flash row twice).
    int MarkGiven(std::uint64_t address, std::uint32_t count, std::string* lineError);

    // Writing: sorts the blocks, then hands each block's bytes to WriteBlockText
    // and writes the whole text with WriteEndText's end.
    int WriteBlocks();
    virtual void WriteBlockText(const CHexBlock& block, const std::uint8_t* data,
                                std::string* out) = 0;
    virtual void WriteEndText(std::string* out) = 0;

    // Shows a critical error under the class name given and keeps its text.
    int CriticalError(const char* className, const char* method, const std::string& message);
    void SetError(const std::string& text) { error_ = text; }

  private:
    void ResetRun();

    HexImageBuild build_;
    std::string fileName_;
    std::string error_ = "No error";
    std::unique_ptr<CArrayHexBlock> blocks_;
    std::uint32_t runAddress_ = 0;
    std::uint32_t runLength_ = 0;
    std::vector<std::uint8_t> runBuffer_;
    // The address ranges read so far.
    std::unique_ptr<GivenRanges> given_;
    AddressCheck addressCheck_;
};

}  // namespace kv
