// Image files through the loader: blocks gathered into frames of up to 128
// bytes for writing and verifying, and target memory read in 128-byte pieces.
#include <algorithm>
#include <vector>

#include "hesmark_bootload_port.h"
#include "kelvane/core/hex_image_file.h"
#include "kelvane/platform/clock.h"
#include "kelvane/platform/format.h"

namespace hesmark {

using kv::text::Format;

namespace {

// Bytes from `address` up to the next 64K boundary.
uint32_t RoomInBank(uint32_t address) {
    return 0x10000 - (address & 0xFFFF);
}

}  // namespace

// One frame of image data: the memory offset it needs, an odd count padded
// with 0xFF, and only the image's own bytes compared.
bool CHesmarkBootloadPort::SendPiece(uint32_t address, const uint8_t* data, size_t count,
                                     bool verify, bool write) {
    if (!SelectAddress(address)) return false;
    std::vector<uint8_t> frame(data, data + count);
    if (frame.size() & 1) frame.push_back(0xFF);
    QuietScope quiet(*this);
    if (write) return TxDataBlock(address, frame.data(), frame.size(), verify, count);
    return VerifyBlock(address, frame.data(), frame.size(), count);
}

// Sends the gathered bytes, cut at 64K boundaries. When the next block goes on
// where these end, an odd last byte stays in the buffer and leads the next
// frame, so that no byte is written twice.
bool CHesmarkBootloadPort::FlushWrite(bool verify, bool continues) {
    size_t count = m_nWriteFill;
    if (continues && (count & 1)) --count;
    size_t done = 0;
    while (done < count) {
        const uint32_t address = m_dwWriteStart + static_cast<uint32_t>(done);
        const size_t n = std::min<size_t>(count - done, RoomInBank(address));
        if (!SendPiece(address, m_writeBuffer.data() + done, n, verify, m_bWriting)) return false;
        done += n;
    }
    std::copy(m_writeBuffer.begin() + static_cast<long>(count),
              m_writeBuffer.begin() + static_cast<long>(m_nWriteFill), m_writeBuffer.begin());
    m_dwWriteStart += static_cast<uint32_t>(count);
    m_nWriteFill -= count;
    return true;
}

bool CHesmarkBootloadPort::GatherImage(kv::CHexImageFile* image, bool write, bool verify,
                                       const char* method) {
    if (image == nullptr)
        return Fail(Format("NULL file parameter in CHesmarkBootloadPort::%s", method));
    m_bWriting = write;
    m_nWriteFill = 0;
    m_dwWriteStart = m_dwWriteNext = 0;
    const size_t blocks = image->GetBlockCount();
    const int32_t operation = write ? HESMARK_PROGRESS_WRITE_FILE : HESMARK_PROGRESS_VERIFY_FILE;
    for (size_t i = 0; i < blocks; ++i) {
        const kv::CHexBlock* block = image->GetBlock(i);
        if (block == nullptr)
            return Fail(Format("NULL hex block CHesmarkBootloadPort::%s", method));
        const uint32_t address = block->GetAddress();
        const uint32_t size = block->GetCount();
        if (write && (address & 1))
            Log(Format("WARNING:  Encountered odd block address %04lX",
                       static_cast<unsigned long>(address)));
        if (write && (size & 1))
            Log(Format("WARNING:  Encountered odd block size at %04lX",
                       static_cast<unsigned long>(address)));
        const bool follows = m_nWriteFill != 0 && address == m_dwWriteNext;
        if (m_nWriteFill != 0 && !follows && !FlushWrite(verify, false)) return false;
        if (m_nWriteFill + size > kWriteBufferSize && !FlushWrite(verify, true)) return false;
        if (m_nWriteFill == 0) m_dwWriteStart = address;
        for (uint32_t done = 0; done < size;) {
            if (m_nWriteFill == kWriteBufferSize && !FlushWrite(verify, true)) return false;
            const size_t n = std::min<size_t>(size - done, kWriteBufferSize - m_nWriteFill);
            std::copy(block->GetData() + done, block->GetData() + done + n,
                      m_writeBuffer.begin() + static_cast<long>(m_nWriteFill));
            m_nWriteFill += n;
            done += static_cast<uint32_t>(n);
        }
        m_dwWriteNext = address + size;
        OnProgress(operation, static_cast<int32_t>(100 * i / blocks));
    }
    if (m_nWriteFill != 0 && !FlushWrite(verify, false)) return false;
    OnProgress(operation, 100);
    return true;
}

bool CHesmarkBootloadPort::WriteImage(kv::CHexImageFile* image, bool verify) {
    if (image == nullptr) return Fail("NULL file parameter in CHesmarkBootloadPort::WriteFile");
    OnProgress(HESMARK_PROGRESS_WRITE_FILE, 0);
    const char* name = image->GetFileName().c_str();
    Log(verify ? Format("Writing (with verify) %s to target", name)
               : Format("Writing %s to target", name));
    if (!GatherImage(image, true, verify, "WriteFile")) return false;
    Log(verify ? "Write (with verify) completed successfully" : "Write completed successfully",
        true);
    return true;
}

bool CHesmarkBootloadPort::VerifyImage(kv::CHexImageFile* image) {
    if (image == nullptr) return Fail("NULL file parameter in CHesmarkBootloadPort::VerifyFile");
    OnProgress(HESMARK_PROGRESS_VERIFY_FILE, 0);
    Log(Format("Verifying target with %s", image->GetFileName().c_str()), true);
    if (!GatherImage(image, false, false, "VerifyFile")) return false;
    Log("Verify completed successfully", true);
    return true;
}

bool CHesmarkBootloadPort::ReadImage(kv::CHexImageFile* image, uint32_t address, uint32_t size) {
    if (image == nullptr) return Fail("NULL file parameter in CHesmarkBootloadPort::ReadFile");
    OnProgress(HESMARK_PROGRESS_READ_FILE, 0);
    Log(Format("Reading %s from target as %04lX bytes at %04lX", image->GetFileName().c_str(),
               static_cast<unsigned long>(size), static_cast<unsigned long>(address)),
        true);
    {
        QuietScope quiet(*this);
        std::vector<uint8_t> piece(kWriteBufferSize);
        for (uint32_t done = 0; done < size;) {
            const uint32_t at = address + done;
            const uint32_t n = std::min<uint32_t>(
                {size - done, static_cast<uint32_t>(kWriteBufferSize), RoomInBank(at)});
            // An odd piece reads one byte more than it keeps.
            if (!SelectAddress(at) || !RxDataBlock(at, piece.data(), (n + 1) & ~1u)) return false;
            if (!image->AddBlock(piece.data(), at, n)) return Fail(image->GetLastError());
            kv::clock().sleep(kReadPiecePause);
            done += n;
            OnProgress(HESMARK_PROGRESS_READ_FILE,
                       static_cast<int32_t>(uint64_t{100} * done / size));
        }
    }
    OnProgress(HESMARK_PROGRESS_READ_FILE, 100);
    Log("Read completed", true);
    return true;
}

}  // namespace hesmark
