// The erase routines: one flash erase command, then the erase check of the
// words from the start address.
#include <array>

#include "nandrel/routines/flash_routines.h"
#include "routine_assembly.h"

namespace nandrel::routines {

namespace {

using namespace kv::asm430;
using namespace detail;

// R13 points at the first word to check, R14 holds the count. R10 ends as 0,
// or as the address of the first word that does not read 0xFFFF.
constexpr void EraseCheck(Assembler& a, Label exit) {
    a.clr(reg(R10));
    a.mov(imm(-1), reg(R15));
    const Label check = a.label();
    a.dec(reg(R14));
    a.jnc(exit);  // count used up
    a.cmp(postinc(R13), reg(R15));
    a.jeq(check);
    a.mov(reg(R13), reg(R10));
    a.decd(reg(R10));
}

// Registers: R11 parameter pointer, R12 flash key, R13 address, R14 count.
constexpr std::array<std::uint16_t, EraseWords::kSize> BuildErase() {
    Assembler a(kTemplateRamStart);
    const Header h = EmitHeader(a);
    a.word(0);                          // 3: clock select
    a.word(kFlashKey | kEraseSegment);  // 4: command
    a.word(kFlashKey);                  // 5: lock word
    a.word(0);                          // 6: address
    a.word(0);                          // 7: word count
    a.bind(h.entry);
    HoldWatchdog(a);
    WaitWhileBusy(a);
    a.mov(immLong(kFlashTimingStandard), absolute(kFctl2));
    PointAtWord(a, R11, EraseWords::kClockSelect);
    a.mov(postinc(R11), reg(SR));           // interrupts off, loop clock held
    a.mov(postinc(R11), absolute(kFctl1));  // erase command
    a.mov(postinc(R11), reg(R12));
    a.and_(immLong(kKeyMask), reg(R12));  // the key alone
    a.mov(postinc(R11), reg(R13));
    a.mov(postinc(R11), reg(R14));
    a.mov(reg(R12), absolute(kFctl3));  // unlock; LOCKA as it was
    a.clr(idx(0, R13));                 // the dummy write starts the erase
    WaitWhileBusy(a);
    a.mov(reg(R12), absolute(kFctl1));  // command off
    a.bis(immLong(kLock), reg(R12));
    a.mov(reg(R12), absolute(kFctl3));  // locked again
    EraseCheck(a, h.exit);
    EmitExit(a, h.exit);
    PadTo(a, EraseWords::kSize);
    return a.array<EraseWords::kSize>();
}

constexpr std::array<std::uint16_t, EraseNewerFlashWords::kSize> BuildEraseNewerFlash() {
    Assembler a(kTemplateRamStart);
    const Header h = EmitHeader(a);
    a.word(0);                          // 3: clock select
    a.word(kFlashKey | kEraseSegment);  // 4: command
    a.word(kFlashKey);                  // 5: lock word
    a.word(kFlashTimingNewer);          // 6: FCTL2
    a.word(kFlashKey);                  // 7: FCTL1 after the erase
    a.word(kFlashKey);                  // 8: second key word
    a.word(0);                          // 9: address
    a.word(0);                          // 10: word count
    a.bind(h.entry);
    HoldWatchdog(a);
    PointAtWord(a, R11, EraseNewerFlashWords::kClockSelect);
    a.mov(postinc(R11), reg(SR));
    a.mov(postinc(R11), absolute(kFctl1));
    a.mov(postinc(R11), reg(R12));
    a.and_(immLong(kKeyMask), reg(R12));
    a.mov(postinc(R11), absolute(kFctl2));
    a.mov(postinc(R11), reg(R8));  // FCTL1 value for the end
    a.incd(reg(R11));              // past the second key word
    a.mov(postinc(R11), reg(R13));
    a.mov(postinc(R11), reg(R14));
    a.mov(reg(R12), absolute(kFctl3));
    a.clr(idx(0, R13));
    WaitWhileBusy(a);
    a.mov(reg(R8), absolute(kFctl1));
    a.bis(immLong(kLock), reg(R12));
    a.mov(reg(R12), absolute(kFctl3));
    EraseCheck(a, h.exit);
    EmitExit(a, h.exit);
    PadTo(a, EraseNewerFlashWords::kSize);
    return a.array<EraseNewerFlashWords::kSize>();
}

// 20-bit addresses: R13 and R14 are loaded with MOVA and every access to the
// flash is an MSP430X instruction.
constexpr std::array<std::uint16_t, EraseWideWords::kSize> BuildEraseWide() {
    Assembler a(kTemplateRamStart);
    const Header h = EmitHeader(a);
    a.word(0);                          // 3: clock select
    a.word(kFlashKey | kEraseSegment);  // 4: command
    a.word(kFlashKey);                  // 5: lock word
    a.word(0);                          // 6, 7: address
    a.word(0);
    a.word(0);  // 8, 9: word count
    a.word(0);
    a.bind(h.entry);
    HoldWatchdog(a);
    WaitWhileBusy(a);
    a.mov(immLong(kFlashTimingStandard), absolute(kFctl2));
    PointAtWord(a, R11, EraseWideWords::kClockSelect);
    a.mov(postinc(R11), reg(SR));
    a.mov(postinc(R11), absolute(kFctl1));
    a.mov(postinc(R11), reg(R12));
    a.and_(immLong(kKeyMask), reg(R12));
    a.mova(postinc(R11), reg(R13));
    a.mova(postinc(R11), reg(R14));
    a.mov(reg(R12), absolute(kFctl3));
    a.movx(imm(0), idx(0, R13));
    WaitWhileBusy(a);
    a.mov(reg(R12), absolute(kFctl1));
    a.bis(immLong(kLock), reg(R12));
    a.mov(reg(R12), absolute(kFctl3));
    a.clr(reg(R10));
    a.mov(imm(-1), reg(R15));
    const Label check = a.label();
    a.subx_a(imm(1), reg(R14));
    a.jnc(h.exit);
    a.cmpx(postinc(R13), reg(R15));
    a.jeq(check);
    a.mova(reg(R13), reg(R10));
    a.subx_a(imm(2), reg(R10));
    EmitExit(a, h.exit);
    PadTo(a, EraseWideWords::kSize);
    return a.array<EraseWideWords::kSize>();
}

constexpr auto kErase = BuildErase();
constexpr auto kEraseNewerFlash = BuildEraseNewerFlash();
constexpr auto kEraseWide = BuildEraseWide();

}  // namespace

std::vector<std::uint16_t> EraseRoutine() {
    return {kErase.begin(), kErase.end()};
}

std::vector<std::uint16_t> EraseNewerFlashRoutine() {
    return {kEraseNewerFlash.begin(), kEraseNewerFlash.end()};
}

std::vector<std::uint16_t> EraseWideRoutine() {
    return {kEraseWide.begin(), kEraseWide.end()};
}

}  // namespace nandrel::routines
