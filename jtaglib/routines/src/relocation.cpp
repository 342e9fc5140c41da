#include "nandrel/routines/relocation.h"

namespace nandrel::routines {

bool RelocateRoutine(std::vector<std::uint16_t>& words, RoutineId id, std::uint16_t ramStart) {
    const RoutineLayout& layout = GetRoutineLayout(id);
    if ((ramStart & 1) != 0 || words.size() < layout.words) return false;
    if (ramStart + 2 * words.size() > 0x10000) return false;
    const auto distance = static_cast<std::uint16_t>(ramStart - words[kLoadAddressWord]);
    for (std::size_t i = 0; i < layout.relocatedCount; ++i) {
        std::uint16_t& w = words[layout.relocated[i]];
        w = static_cast<std::uint16_t>(w + distance);
    }
    return true;
}

bool RoutineFitsInRam(std::size_t totalWords, std::uint16_t ramStart, std::uint16_t ramEnd) {
    if (ramEnd < ramStart) return false;
    const std::size_t ramWords = (static_cast<std::size_t>(ramEnd) - ramStart + 1) / 2;
    return totalWords <= ramWords;
}

std::size_t MaxWriteBlockWords(RoutineId id, std::uint16_t ramStart, std::uint16_t ramEnd) {
    const RoutineLayout& layout = GetRoutineLayout(id);
    if (layout.dataWord == 0 || layout.id != id || ramEnd < ramStart) return 0;
    const std::size_t ramWords = (static_cast<std::size_t>(ramEnd) - ramStart + 1) / 2;
    return ramWords > layout.words ? ramWords - layout.words : 0;
}

}  // namespace nandrel::routines
