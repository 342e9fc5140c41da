// The write routines: word by word programming of one block, each word read
// back after the controller is ready again.
#include <array>

#include "nandrel/routines/flash_routines.h"
#include "routine_assembly.h"

namespace nandrel::routines {

namespace {

using namespace kv::asm430;
using namespace detail;

// Registers: R8 result, R11 parameter pointer then data word, R12 flash key,
// R13 flash address, R14 count, R15 data pointer.
constexpr std::array<std::uint16_t, WriteWords::kSize> BuildWrite() {
    Assembler a(kTemplateRamStart);
    const Header h = EmitHeader(a);
    a.word(0);              // 3: clock select
    a.word(kWriteCommand);  // 4: command
    a.word(kFlashKey);      // 5: lock word
    a.word(0);              // 6: address
    a.word(0);              // 7: word count
    a.word(static_cast<std::uint16_t>(kTemplateRamStart + 2 * WriteWords::kData));  // 8
    a.bind(h.entry);
    HoldWatchdog(a);
    WaitWhileBusy(a);
    a.mov(immLong(kFlashTimingStandard), absolute(kFctl2));  // its value is word 16
    PointAtWord(a, R11, WriteWords::kClockSelect);
    a.mov(postinc(R11), reg(SR));
    a.mov(postinc(R11), absolute(kFctl1));  // WRT
    a.mov(postinc(R11), reg(R12));
    a.and_(immLong(kKeyMask), reg(R12));
    a.mov(postinc(R11), reg(R13));
    a.mov(postinc(R11), reg(R14));
    a.mov(postinc(R11), reg(R15));
    a.clr(reg(R8));
    a.mov(reg(R12), absolute(kFctl3));
    const Label next = a.label();
    const Label done = a.newLabel();
    const Label check = a.newLabel();
    a.dec(reg(R14));
    a.jnc(done);
    a.mov(postinc(R15), reg(R11));
    a.cmp(imm(-1), reg(R11));  // an erased cell holds 0xFFFF already
    a.jeq(check);
    a.mov(reg(R11), idx(0, R13));
    WaitWhileBusy(a);
    a.bind(check);
    a.cmp(postinc(R13), reg(R11));
    a.jeq(next);
    a.mov(reg(R13), reg(R8));
    a.decd(reg(R8));
    a.bind(done);
    a.mov(reg(R12), absolute(kFctl1));  // WRT off
    a.bis(immLong(kLock), reg(R12));
    a.mov(reg(R12), absolute(kFctl3));
    EmitExit(a, h.exit);
    PadTo(a, WriteWords::kSize);
    return a.array<WriteWords::kSize>();
}

// R13 holds the 20-bit flash address; R11 walks the parameters and then the
// data, which follows the code.
constexpr std::array<std::uint16_t, WriteWideWords::kSize> BuildWriteWide() {
    Assembler a(kTemplateRamStart);
    const Header h = EmitHeader(a);
    a.word(0);              // 3: clock select
    a.word(kWriteCommand);  // 4: command
    a.word(kFlashKey);      // 5: lock word
    a.word(0);              // 6, 7: address
    a.word(0);
    a.word(0);  // 8: word count
    a.bind(h.entry);
    HoldWatchdog(a);
    a.mov(immLong(kFlashTimingStandard), absolute(kFctl2));
    PointAtWord(a, R11, WriteWideWords::kClockSelect);
    a.mov(postinc(R11), reg(SR));
    a.mov(postinc(R11), absolute(kFctl1));
    a.mov(postinc(R11), reg(R12));
    a.and_(immLong(kKeyMask), reg(R12));
    a.mova(postinc(R11), reg(R13));
    a.mov(postinc(R11), reg(R14));
    // R11 is at the entry now; the data starts at word kData.
    a.add(immLong(2 * static_cast<std::int32_t>(WriteWideWords::kData - WriteWideWords::kWordCount -
                                                1)),
          reg(R11));
    a.clr(reg(R8));
    a.mov(reg(R12), absolute(kFctl3));
    const Label next = a.label();
    const Label done = a.newLabel();
    a.dec(reg(R14));
    a.jnc(done);
    a.movx(postinc(R11), idx(0, R13));
    WaitWhileBusy(a);
    a.cmpx(postinc(R13), idx(-2, R11));
    a.jeq(next);
    a.mova(reg(R13), reg(R8));
    a.subx_a(imm(2), reg(R8));
    a.bind(done);
    a.mov(reg(R12), absolute(kFctl1));
    a.bis(immLong(kLock), reg(R12));
    a.mov(reg(R12), absolute(kFctl3));
    EmitExit(a, h.exit);
    PadTo(a, WriteWideWords::kSize);
    return a.array<WriteWideWords::kSize>();
}

constexpr auto kWrite = BuildWrite();
constexpr auto kWriteWide = BuildWriteWide();

}  // namespace

std::vector<std::uint16_t> WriteRoutine() {
    return {kWrite.begin(), kWrite.end()};
}

std::vector<std::uint16_t> WriteWideRoutine() {
    return {kWriteWide.begin(), kWriteWide.end()};
}

}  // namespace nandrel::routines
