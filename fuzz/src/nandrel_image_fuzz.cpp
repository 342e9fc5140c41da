// The JTAG library's image reader: the first byte chooses the file type given
// to the reader (0 detect, 1 TI-TXT, 2 Intel HEX), the rest is the file.
// Segments read must lie inside the address space and each list must hold
// segments of its own kind only.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "input_file.h"
#include "nandrel/image/hex_readers.h"
#include "nandrel/image/segment_list.h"

namespace {

const nandrel::ImageMemoryLayout kLayout{0x1000, 0x10FF, 0xC000, 0xFFFF};

void Check(bool condition) {
    if (!condition) std::abort();
}

void CheckList(const nandrel::SegmentList& list, bool flash) {
    for (const nandrel::HexSegment* s = list.head(); s != nullptr; s = s->next) {
        Check(!s->data.empty());
        Check(static_cast<std::uint64_t>(s->address) + s->length() <=
              nandrel::kMaxImageAddress + 1);
        Check(kLayout.isFlashSegment(s->address) == flash);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const int type = data[0] % 3;
    const std::string path = kv::fuzz::Folder().Write("image", data + 1, size - 1);
    const int result = nandrel::ReadHexFileSegments(path.c_str(), type, kLayout);
    if (result == 0) {
        CheckList(nandrel::FlashSegments(), true);
        CheckList(nandrel::OtherSegments(), false);
    }
    nandrel::FreeHexBlockLists();
    return 0;
}
