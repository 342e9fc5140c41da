// What the library knows of the triggers it armed: every trigger block and
// combination register as last written, and the simple breakpoints of parts
// without an EEM. Run control asks it whether a fetch at the PC would break,
// so that a run starting at a breakpoint steps off it first.
#include "eem_jtag.h"
#include "target_jtag.h"

namespace nandrel {

namespace {

constexpr uint16_t kBreakReaction = 128;
constexpr uint32_t kCombineAny = 0x8000;
constexpr uint32_t kMemberBits = 0x03FF;
// Access codes whose cycles include an opcode fetch.
constexpr uint32_t kFetchAccesses = 1u << 0 | 1u << 1 | 1u << 3 | 1u << 6 | 1u << 10 | 1u << 13;
enum : uint32_t { kCompareAddress = 0, kCompareData = 1 };

bool compare(uint32_t bus, const EemBlockShadow& b, uint32_t width) {
    const uint32_t keep = ~b.mask & width;
    const uint32_t v = bus & keep;
    const uint32_t ref = b.value & keep;
    switch ((b.control >> 4) & 3) {
        case 0:
            return v == ref;
        case 1:
            return v >= ref;
        case 2:
            return v <= ref;
        default:
            return v != ref;
    }
}

}  // namespace

void CEemJTAG::NoteWrite(uint16_t reg, uint32_t value) {
    if (reg == kBreakReaction) {
        breakMask_ = value;
        return;
    }
    if (reg >= kEemMaxBlocks * 8 || (reg & 1)) return;
    EemBlockShadow& b = shadow_[reg / 8u];
    switch (reg % 8) {
        case 0:
            b.value = value;
            break;
        case 2:
            b.control = value;
            break;
        case 4:
            b.mask = value;
            break;
        default:
            b.combine = value;
            break;
    }
}

bool CEemJTAG::FetchMatches(int block, uint32_t address, uint16_t opcode) const {
    const EemBlockShadow& b = shadow_[static_cast<size_t>(block)];
    if (!(kFetchAccesses & (1u << (b.control & 15)))) return false;
    const uint32_t source = (b.control >> 6) & 3;
    if (source == kCompareAddress)
        return compare(address, b, t_.classValues().msp430x ? 0xFFFFF : 0xFFFF);
    // Register blocks are levels between instructions; none breaks a fetch alone.
    return source == kCompareData && compare(opcode, b, 0xFFFF);
}

bool CEemJTAG::BreaksAtFetch(uint32_t address, uint16_t opcode) const {
    if (t_.classValues().emulationLevel == 0) {
        for (int n = 0; n < 2; ++n)
            if ((simpleArmed_ & (1u << n)) && simpleAddress_[static_cast<size_t>(n)] == address)
                return true;
        return false;
    }
    for (int c = 0; c < kEemMaxBlocks; ++c) {
        if (!(breakMask_ & (1u << c))) continue;
        const uint32_t word = shadow_[static_cast<size_t>(c)].combine;
        const uint32_t members = word & kMemberBits;
        if (!members) continue;
        bool all = true, any = false;
        for (int b = 0; b < kEemMaxBlocks; ++b) {
            if (!(members & (1u << b))) continue;
            const bool m = FetchMatches(b, address, opcode);
            all = all && m;
            any = any || m;
        }
        if ((word & kCombineAny) ? any : all) return true;
    }
    return false;
}

void CEemJTAG::NoteSimpleBreakpoint(int number, uint32_t address) {
    simpleAddress_[static_cast<size_t>(number & 1)] = address;
    simpleArmed_ |= 1u << (number & 1);
}

}  // namespace nandrel
