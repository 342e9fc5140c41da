// Image files: reading them into the segment lists, programming and verifying
// a file, and reading the chip out into a file.
#include <new>
#include <vector>

#include "error_table.h"
#include "flash_errors.h"
#include "nandrel/image/hex_readers.h"
#include "nandrel/image/hex_writers.h"
#include "nandrel/image/segment_list.h"
#include "nandrel/nandrel.h"
#include "target_jtag.h"

namespace nandrel {

namespace {

constexpr uint32_t kProgramming = 202;
constexpr uint32_t kVerification = 203;
constexpr uint32_t kPhaseStart = 2;
constexpr uint32_t kPhaseEnd = 4;
constexpr uint32_t kSourceTarget = 3;

// Frees the segment lists on every path out of an operation.
struct SegmentListsGuard {
    ~SegmentListsGuard() { FreeHexBlockLists(); }
};

ImageMemoryLayout imageLayout(const FlashDevice& d) {
    ImageMemoryLayout layout;
    layout.infoStart = d.infoStart;
    layout.infoEnd = d.infoEnd;
    layout.mainStart = d.mainStart;
    layout.mainEnd = d.mainEnd;
    return layout;
}

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

int32_t CTargetJTAG::DetectFileType(const char* path, int* type) {
    if (!path || !type) return SetError(kErrParameter);
    if (const int e = DetectHexFileType(path, type)) {
        if (!HexReadErrorDetail().empty()) Fail(HexReadErrorDetail());
        return SetError(e);
    }
    return ClearError();
}

int32_t CTargetJTAG::ReadHexFile(const char* path, int type) {
    if (!path) return SetError(kErrParameter);
    const FlashDevice d = FlashDeviceFor(selectedDevice_, deviceClass_);
    int e = 0;
    try {
        e = ReadHexFileSegments(path, type, imageLayout(d));
    } catch (const std::bad_alloc&) {
        FreeHexBlockLists();
        Fail("Not enough memory to read the image file");
        return SetError(kErrResources);
    }
    if (e != 0) {
        if (!HexReadErrorDetail().empty()) Fail(HexReadErrorDetail());
        return SetError(e);
    }
    return ClearError();
}

int32_t CTargetJTAG::ProgramFile(const char* path, int32_t eraseType, bool verify) {
    auto lock = LockPort();
    if (!protocol_) {
        Fail("NULL interface");
        return SetError(kErrInitialize);
    }
    if (selectedDevice_ == 0) return SetError(kErrUnknownDevice);
    if (!path) return SetError(kErrParameter);
    SegmentListsGuard guard;
    if (!ReadHexFile(path, kHexFileDetect)) return 0;
    const FlashDevice d = FlashDeviceFor(selectedDevice_, deviceClass_);
    uint32_t total = 0;
    for (HexSegment* s = FlashSegments().head(); s; s = s->next) {
        if (s->length() == 0) continue;
        if (!d.flashRange(s->address, s->address + s->length() - 1)) {
            Fail("Flash segment outside the flash memory");
            return SetError(kErrFileData);
        }
        total += s->length();
    }
    for (HexSegment* s = OtherSegments().head(); s; s = s->next) {
        if (s->length() == 0) continue;
        const uint32_t last = s->address + s->length() - 1;
        if (!(d.inRam(s->address) && d.inRam(last)) && !(d.inRam2(s->address) && d.inRam2(last))) {
            Fail("RAM segment outside the RAM");
            return SetError(kErrFileData);
        }
    }
    const uint32_t mainLength = d.mainEnd - d.mainStart + 1;
    if (eraseType == 1 && !Erase(1, d.mainStart, mainLength)) return 0;
    if (eraseType == 2 &&
        (!Erase(2, d.infoStart, d.infoEnd - d.infoStart + 1) || !Erase(1, d.mainStart, mainLength)))
        return 0;

    Notify(kPhaseStart, kProgramming, 0, total);
    uint32_t done = 0;
    for (HexSegment* s = FlashSegments().head(); s; s = s->next) {
        if (s->length() == 0) continue;
        const int tries = d.writeTwice ? 2 : 1;
        bool written = false;
        for (int t = 0; t < tries && !written; ++t)
            written = WriteMemory(s->address, s->data.data(), s->length()) != 0;
        if (!written) return 0;
        done += s->length();
    }
    Notify(kPhaseEnd, kProgramming, done, total);
    for (HexSegment* s = OtherSegments().head(); s; s = s->next)
        if (s->length() != 0 && !WriteMemory(s->address, s->data.data(), s->length())) return 0;

    if (verify) {
        Notify(kPhaseStart, kVerification, 0, total);
        if (!VerifySegments(true)) return 0;
        Notify(kPhaseEnd, kVerification, total, total);
        if (!VerifySegments(false)) return 0;
    }
    return ClearError();
}

int32_t CTargetJTAG::VerifySegments(bool flash) {
    for (HexSegment* s = (flash ? FlashSegments() : OtherSegments()).head(); s; s = s->next)
        if (!VerifyMemory(s->address, s->length(), s->data.data())) return 0;
    return 1;
}

int32_t CTargetJTAG::VerifyFile(const char* path) {
    auto lock = LockPort();
    if (!protocol_) {
        Fail("NULL interface");
        return SetError(kErrInitialize);
    }
    if (!path) return SetError(kErrParameter);
    SegmentListsGuard guard;
    if (!ReadHexFile(path, kHexFileDetect)) return 0;
    const FlashDevice d = FlashDeviceFor(selectedDevice_, deviceClass_);
    for (HexSegment* s = FlashSegments().head(); s; s = s->next) {
        if (s->length() != 0 && !d.flashRange(s->address, s->address + s->length() - 1)) {
            Fail("Flash segment outside the flash memory");
            return SetError(kErrFileData);
        }
    }
    for (HexSegment* s = OtherSegments().head(); s; s = s->next) {
        const uint32_t last = s->address + s->length() - 1;
        if (s->length() != 0 && !(d.inRam(s->address) && d.inRam(last)) &&
            !(d.inRam2(s->address) && d.inRam2(last))) {
            Fail("RAM segment outside the RAM");
            return SetError(kErrFileData);
        }
    }
    if (!VerifySegments(true) || !VerifySegments(false)) return 0;
    return ClearError();
}

int32_t CTargetJTAG::ReadOut(const char* path, uint32_t address, uint32_t length, bool intel) {
    auto lock = LockPort();
    if (!protocol_) {
        Fail("NULL interface");
        return SetError(kErrInitialize);
    }
    const FlashDevice d = FlashDeviceFor(selectedDevice_, deviceClass_);
    if (!path || static_cast<uint64_t>(address) + length > static_cast<uint64_t>(d.mainEnd) + 1)
        return SetError(kErrParameter);
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
