// The chip read out into an image file, and the progress notifications of
// programming.
#include <new>
#include <vector>

#include "error_table.h"
#include "flash_errors.h"
#include "nandrel/image/hex_readers.h"
#include "nandrel/image/hex_writers.h"
#include "nandrel/nandrel.h"
#include "target_jtag.h"

namespace nandrel {

namespace {

constexpr uint32_t kSourceTarget = 3;

}  // namespace

void CTargetJTAG::Notify(uint32_t wParam, uint32_t operation, uint32_t done, uint32_t total) {
    if (!window_) return;
    PodProgressRecord record{};
    record.operation = operation;
    record.done = done;
    record.total = total;
    record.userValue = userValue_;
    record.sourceKind = kSourceTarget;
    record.target = record_.handle();
    reinterpret_cast<NandrelNotifyProc>(window_)(message_, wParam, &record);
}

int32_t CTargetJTAG::ReadOut(const char* path, uint32_t address, uint32_t length, bool intel) {
    auto lock = LockPort();
    if (!protocol_) {
        Fail("NULL interface");
        return SetError(kErrInitialize);
    }
    const FlashDevice d = FlashDeviceFor(selectedDevice_, deviceClass_);
    if (!path) return SetError(kErrParameter);
    if (static_cast<uint64_t>(address) + length > static_cast<uint64_t>(d.mainEnd) + 1)
        return RefusePastTheEnd(address, length, d.mainEnd);
    std::vector<uint8_t> buffer;
    try {
        buffer.resize(length == 0 ? 1 : length);
    } catch (const std::bad_alloc&) {
        return SetError(kErrFileData);
    }
    if (!ReadMemory(address, buffer.data(), length)) return 0;
    const int opened = intel ? WriteIntelHexOpen(path) : WriteTextHexOpen(path);
    if (!opened) {
        Fail("Cannot create the file");
        return SetError(kErrFileIo);
    }
    const int written = intel ? WriteIntelHexBytes(address, length, buffer.data())
                              : WriteTextHexBytes(address, length, buffer.data());
    const int ended = intel ? WriteIntelHexEnd() : WriteTextHexEnd();
    if (!written || !ended) return SetError(kErrFileIo);
    return ClearError();
}

int32_t CTargetJTAG::ReadOutFileText(const char* path, uint32_t address, uint32_t length) {
    return ReadOut(path, address, length, false);
}

int32_t CTargetJTAG::ReadOutFileIntel(const char* path, uint32_t address, uint32_t length) {
    return ReadOut(path, address, length, true);
}

}  // namespace nandrel
