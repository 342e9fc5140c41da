// The program's image classes: the first byte chooses TI-TXT or Intel HEX and
// the program's or the bootstrap loader's block build; the rest is the file.
// An image that reads is written back by the same class and must read back to
// the same bytes at the same addresses; its blocks never overlap (a file whose
// records overlap does not read).
#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

#include "input_file.h"
#include "kelvane/core/intel_hex_file.h"
#include "kelvane/core/text_hex_file.h"
#include "kelvane/platform/message_box.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

std::unique_ptr<kv::CHexImageFile> MakeImage(bool intel, bool bootloader) {
    const kv::HexImageBuild& build = bootloader ? kv::kBootloaderHexBuild : kv::kProgramHexBuild;
    if (intel) return std::make_unique<kv::CIntelHexFile>(build);
    return std::make_unique<kv::CTextHexFile>(build);
}

// Every byte of the image by address; false when two blocks overlap.
bool Bytes(const kv::CHexImageFile& image, std::map<std::uint64_t, std::uint8_t>* bytes) {
    for (std::size_t i = 0; i < image.GetBlockCount(); ++i) {
        const kv::CHexBlock* block = image.GetBlock(i);
        Check(block != nullptr);
        Check(block->GetCount() <= block->GetCapacity());
        for (std::uint32_t j = 0; j < block->GetCount(); ++j) {
            const std::uint64_t address = std::uint64_t{block->GetAddress()} + j;
            if (!bytes->emplace(address, block->GetData()[j]).second) return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool quiet = [] {
        // Internal-consistency boxes are findings of their own: stop on one.
        kv::setMessageBoxHandler([](const std::string& text, const std::string& caption,
                                    unsigned) -> int {
            std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
            std::abort();
        });
        return true;
    }();
    (void)quiet;
    if (size == 0) return 0;
    const bool intel = (data[0] & 1) != 0;
    const bool bootloader = (data[0] & 2) != 0;
    static const kv::fuzz::MemoryFile input("image");
    static const kv::fuzz::MemoryFile copyFile("copy");
    const std::string& path = input.Write(data + 1, size - 1);
    auto image = MakeImage(intel, bootloader);
    if (!image->Open(path, kv::CHexImageFile::kModeRead)) {
        Check(!image->IsOpen());
        return 0;
    }
    std::map<std::uint64_t, std::uint8_t> before;
    Check(Bytes(*image, &before));
    if (!before.empty()) Check(image->GetStartAddress() == before.begin()->first);
    // Write the blocks back through a second image of the same class.
    const std::string& copyPath = copyFile.Path();
    auto copy = MakeImage(intel, bootloader);
    Check(copy->Open(copyPath, kv::CHexImageFile::kModeWrite) == 1);
    bool added = true;
    for (std::size_t i = 0; i < image->GetBlockCount() && added; ++i) {
        const kv::CHexBlock* block = image->GetBlock(i);
        added = copy->AddBlock(block->GetData(), block->GetAddress(), block->GetCount()) == 1;
    }
    const bool written = added && copy->Write() == 1;
    copy->Close();
    image->Close();
    if (!written) return 0;
    auto again = MakeImage(intel, bootloader);
    Check(again->Open(copyPath, kv::CHexImageFile::kModeRead) == 1);
    std::map<std::uint64_t, std::uint8_t> after;
    Check(Bytes(*again, &after));
    Check(after == before);
    again->Close();
    return 0;
}
