// Routines with their parameters filled in, ready to download.
#include "nandrel/routines/flash_routines.h"
#include "nandrel/routines/relocation.h"

namespace nandrel::routines {

namespace {

std::uint16_t Low(std::uint32_t v) {
    return static_cast<std::uint16_t>(v);
}
std::uint16_t High(std::uint32_t v) {
    return static_cast<std::uint16_t>(v >> 16);
}

// The routines write the command and the lock word's key to the flash
// controller: a wrong key there resets the chip. The clock select goes to the
// status register: any bit but SCG0 would stop the CPU or let interrupts in.
bool Sound(std::uint16_t clockSelect, std::uint16_t command, std::uint16_t lock) {
    return (clockSelect & ~kClockSelectLoopClock) == 0 && (command & 0xFF00) == kFlashKey &&
           (lock & 0xFF00) == kFlashKey;
}

}  // namespace

std::vector<std::uint16_t> MakeEraseRoutine(RoutineId id, const EraseRequest& request,
                                            std::uint16_t ramStart) {
    if (!Sound(request.clockSelect, request.command, request.lock)) return {};
    std::vector<std::uint16_t> words;
    switch (id) {
        case RoutineId::Erase:
            if (request.address > 0xFFFF || request.wordCount > 0xFFFF) return {};
            words = EraseRoutine();
            words[EraseWords::kAddress] = Low(request.address);
            words[EraseWords::kWordCount] = Low(request.wordCount);
            break;
        case RoutineId::EraseNewerFlash:
            if (request.address > 0xFFFF || request.wordCount > 0xFFFF) return {};
            words = EraseNewerFlashRoutine();
            words[EraseNewerFlashWords::kAddress] = Low(request.address);
            words[EraseNewerFlashWords::kWordCount] = Low(request.wordCount);
            break;
        case RoutineId::EraseWide:
            if (request.address > 0xFFFFF || request.wordCount > 0xFFFFF) return {};
            words = EraseWideRoutine();
            words[EraseWideWords::kAddressLow] = Low(request.address);
            words[EraseWideWords::kAddressHigh] = High(request.address);
            words[EraseWideWords::kWordCountLow] = Low(request.wordCount);
            words[EraseWideWords::kWordCountHigh] = High(request.wordCount);
            break;
        default:
            return {};
    }
    // Clock select, command and lock word sit at the same places in all three.
    words[EraseWords::kClockSelect] = request.clockSelect;
    words[EraseWords::kCommand] = request.command;
    words[EraseWords::kLock] = request.lock;
    if (!RelocateRoutine(words, id, ramStart)) return {};
    return words;
}

std::vector<std::uint16_t> MakeWriteRoutine(RoutineId id, const WriteRequest& request,
                                            std::uint16_t ramStart) {
    if (request.data.empty() || request.data.size() > 0xFFFF) return {};
    if (!Sound(request.clockSelect, request.command, request.lock)) return {};
    std::vector<std::uint16_t> words;
    switch (id) {
        case RoutineId::Write:
            if (request.address > 0xFFFF) return {};
            words = WriteRoutine();
            words[WriteWords::kAddress] = Low(request.address);
            words[WriteWords::kWordCount] = static_cast<std::uint16_t>(request.data.size());
            words[WriteWords::kTiming] =
                request.newerFlash ? kFlashTimingNewer : kFlashTimingStandard;
            break;
        case RoutineId::WriteWide:
            if (request.address > 0xFFFFF) return {};
            words = WriteWideRoutine();
            words[WriteWideWords::kAddressLow] = Low(request.address);
            words[WriteWideWords::kAddressHigh] = High(request.address);
            words[WriteWideWords::kWordCount] = static_cast<std::uint16_t>(request.data.size());
            break;
        default:
            return {};
    }
    words[WriteWords::kClockSelect] = request.clockSelect;
    words[WriteWords::kCommand] = request.command;
    words[WriteWords::kLock] = request.lock;
    words.insert(words.end(), request.data.begin(), request.data.end());
    if (!RelocateRoutine(words, id, ramStart)) return {};
    return words;
}

}  // namespace nandrel::routines
