// Image files: reading them into the segment lists, programming and verifying
// a file.
#include <new>

#include "error_table.h"
#include "flash/flash_jtag.h"
#include "flash_errors.h"
#include "nandrel/image/hex_readers.h"
#include "nandrel/image/segment_list.h"
#include "nandrel/nandrel.h"
#include "text_format.h"

namespace nandrel {

namespace {

constexpr uint32_t kProgramming = 202;
constexpr uint32_t kVerification = 203;
constexpr uint32_t kPhaseStart = 2;
constexpr uint32_t kPhaseEnd = 4;

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

int32_t CFlashJTAG::ReadHexFile(const char* path, int type) {
    if (!path) return target_.SetError(kErrParameter);
    const FlashDevice d = target_.Device();
    int e = 0;
    try {
        e = ReadHexFileSegments(path, type, imageLayout(d));
    } catch (const std::bad_alloc&) {
        FreeHexBlockLists();
        target_.Fail("Not enough memory to read the image file");
        return target_.SetError(kErrResources);
    }
    if (e != 0) {
        if (!HexReadErrorDetail().empty()) target_.Fail(HexReadErrorDetail());
        return target_.SetError(e);
    }
    // An image without a data byte would program and verify nothing, and the
    // run would still end well.
    uint64_t bytes = 0;
    for (const SegmentList* list : {&FlashSegments(), &OtherSegments()})
        for (const HexSegment* seg = list->head(); seg; seg = seg->next)
            bytes += seg->length();
    if (bytes == 0) {
        target_.Fail(format("%s holds no data", path));
        return target_.SetError(kErrFileData);
    }
    return target_.ClearError();
}

int32_t CFlashJTAG::ProgramFile(const FlashSettings& settings, const char* path, int32_t eraseType,
                                bool verify) {
    if (!target_.HasSelectedDevice()) return target_.SetError(kErrUnknownDevice);
    if (!path) return target_.SetError(kErrParameter);
    SegmentListsGuard guard;
    if (!ReadHexFile(path, kHexFileDetect)) return 0;
    const FlashDevice d = target_.Device();
    uint32_t total = 0;
    for (HexSegment* s = FlashSegments().head(); s; s = s->next) {
        if (s->length() == 0) continue;
        if (!d.flashRange(s->address, s->address + s->length() - 1)) {
            target_.Fail(format("Flash segment at %05X outside the flash memory", s->address));
            return target_.SetError(kErrFileData);
        }
        total += s->length();
    }
    for (HexSegment* s = OtherSegments().head(); s; s = s->next) {
        if (s->length() == 0) continue;
        const uint32_t last = s->address + s->length() - 1;
        if (!(d.inRam(s->address) && d.inRam(last)) && !(d.inRam2(s->address) && d.inRam2(last))) {
            target_.Fail(format("RAM segment at %05X outside the RAM", s->address));
            return target_.SetError(kErrFileData);
        }
    }
    const uint32_t mainLength = d.mainEnd - d.mainStart + 1;
    if (eraseType == NANDREL_PROGRAM_ERASE_MAIN &&
        !Erase(settings, NANDREL_ERASE_MAIN, d.mainStart, mainLength))
        return 0;
    if (eraseType == NANDREL_PROGRAM_ERASE_ALL &&
        (!Erase(settings, NANDREL_ERASE_ALL, d.infoStart, d.infoEnd - d.infoStart + 1) ||
         !Erase(settings, NANDREL_ERASE_MAIN, d.mainStart, mainLength)))
        return 0;

    target_.Notify(kPhaseStart, kProgramming, 0, total);
    uint32_t done = 0;
    for (HexSegment* s = FlashSegments().head(); s; s = s->next) {
        if (s->length() == 0) continue;
        const int tries = d.writeTwice ? 2 : 1;
        bool written = false;
        for (int t = 0; t < tries && !written; ++t)
            written = target_.WriteMemory(s->address, s->data.data(), s->length()) != 0;
        if (!written) return 0;
        done += s->length();
    }
    target_.Notify(kPhaseEnd, kProgramming, done, total);
    for (HexSegment* s = OtherSegments().head(); s; s = s->next)
        if (s->length() != 0 && !target_.WriteMemory(s->address, s->data.data(), s->length()))
            return 0;

    if (verify) {
        target_.Notify(kPhaseStart, kVerification, 0, total);
        if (!VerifySegments(true)) return 0;
        target_.Notify(kPhaseEnd, kVerification, total, total);
        if (!VerifySegments(false)) return 0;
    }
    return target_.ClearError();
}

int32_t CFlashJTAG::VerifySegments(bool flash) {
    for (HexSegment* s = (flash ? FlashSegments() : OtherSegments()).head(); s; s = s->next)
        if (!VerifyMemory(s->address, s->length(), s->data.data())) return 0;
    return 1;
}

int32_t CFlashJTAG::VerifyFile(const char* path) {
    if (!path) return target_.SetError(kErrParameter);
    SegmentListsGuard guard;
    if (!ReadHexFile(path, kHexFileDetect)) return 0;
    const FlashDevice d = target_.Device();
    for (HexSegment* s = FlashSegments().head(); s; s = s->next) {
        if (s->length() != 0 && !d.flashRange(s->address, s->address + s->length() - 1)) {
            target_.Fail(format("Flash segment at %05X outside the flash memory", s->address));
            return target_.SetError(kErrFileData);
        }
    }
    for (HexSegment* s = OtherSegments().head(); s; s = s->next) {
        const uint32_t last = s->address + s->length() - 1;
        if (s->length() != 0 && !(d.inRam(s->address) && d.inRam(last)) &&
            !(d.inRam2(s->address) && d.inRam2(last))) {
            target_.Fail(format("RAM segment at %05X outside the RAM", s->address));
            return target_.SetError(kErrFileData);
        }
    }
    if (!VerifySegments(true) || !VerifySegments(false)) return 0;
    return target_.ClearError();
}

}  // namespace nandrel
