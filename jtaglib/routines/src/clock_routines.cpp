// The clock measurement and clock setting routines.
#include <array>

#include "nandrel/routines/clock_routines.h"
#include "routine_assembly.h"

namespace nandrel::routines {

namespace {

using namespace kv::asm430;
using namespace detail;

// Frequency-locked-loop clock (FLL+) registers, all bytes.
constexpr std::uint16_t kScfi0 = 0x0050;
constexpr std::uint16_t kScfi1 = 0x0051;
constexpr std::uint16_t kScfqctl = 0x0052;
constexpr std::uint16_t kFllCtl0 = 0x0053;
constexpr std::uint16_t kFllCtl1 = 0x0054;
constexpr std::uint16_t kFllSelm = 0x0018;  // FLL_CTL1 SELM: 00 is the DCO
constexpr std::uint16_t kScg0 = 0x0040;
// Basic clock registers, bytes.
constexpr std::uint16_t kDcoctl = 0x0056;
constexpr std::uint16_t kBcsctl1 = 0x0057;
constexpr std::uint16_t kBcsctl2 = 0x0058;
constexpr std::uint16_t kBcsSelmDivm = 0x00F0;  // BCSCTL2 SELM and DIVM: 0 is the DCO undivided
// Word-wide clock module of newer-flash devices.
constexpr std::uint16_t kClockModule = 0x0140;
// Loop passes that let a new DCO setting settle before the count starts.
constexpr std::int32_t kSettlePasses = 100;

constexpr void Settle(Assembler& a) {
    a.mov(immLong(kSettlePasses), reg(R15));
    const Label settle = a.label();
    a.dec(reg(R15));
    a.jnz(settle);
}

// Count with 4 cycles a pass: INC (1), ADC (1), JMP (2).
constexpr std::array<std::uint16_t, ClockMeasureLoopWords::kSize> BuildMeasureLoop() {
    Assembler a(kTemplateRamStart);
    const Header h = EmitHeader(a);
    a.word(LoopClockSetting(0));  // 3: SCFI0, SCFI1
    a.word(kLoopClockControl);    // 4: SCFQCTL, FLL_CTL0
    a.word(0);                    // 5: count start
    a.bind(h.entry);
    HoldWatchdog(a);
    a.mov(immLong(kScg0), reg(SR));  // loop control off, interrupts off
    a.bic_b(immLong(kFllSelm), absolute(kFllCtl1));
    PointAtWord(a, R11, ClockMeasureLoopWords::kSetting);
    a.mov_b(postinc(R11), absolute(kScfi0));
    a.mov_b(postinc(R11), absolute(kScfi1));
    a.mov_b(postinc(R11), absolute(kScfqctl));
    a.mov_b(postinc(R11), absolute(kFllCtl0));
    a.mov(postinc(R11), reg(R9));
    a.mov(reg(R9), reg(R10));
    Settle(a);
    a.bind(h.exit);
    a.inc(reg(R9));
    a.adc(reg(R10));
    a.jmp(h.exit);
    PadTo(a, ClockMeasureLoopWords::kSize);
    return a.array<ClockMeasureLoopWords::kSize>();
}

// Count with 3 cycles a pass: INC (1), JNZ (2); the carry pass adds 3 more.
constexpr std::array<std::uint16_t, ClockMeasureBasicWords::kSize> BuildMeasureBasic() {
    Assembler a(kTemplateRamStart);
    const Header h = EmitHeader(a);
    const std::uint32_t setting = a.here();
    a.word(BasicClockSetting(7, 3));  // 3: DCOCTL, BCSCTL1
    a.bind(h.entry);
    HoldWatchdog(a);
    a.clr(reg(SR));
    a.bic_b(immLong(kBcsSelmDivm), absolute(kBcsctl2));
    a.mov_b(sym(setting), absolute(kDcoctl));
    a.mov_b(sym(setting + 1), absolute(kBcsctl1));
    a.clr(reg(R9));
    a.clr(reg(R10));
    a.bind(h.exit);
    a.inc(reg(R9));
    a.jnz(h.exit);
    a.inc(reg(R10));
    a.jmp(h.exit);
    PadTo(a, ClockMeasureBasicWords::kSize);
    return a.array<ClockMeasureBasicWords::kSize>();
}

// The header with the clock module's settings in words 3 to 6, then the code
// that holds the watchdog, loads the settings into the clock module and lets
// the clock settle.
template <typename Words>
constexpr Header EmitClockModuleLoad(Assembler& a) {
    const Header h = EmitHeader(a);
    for (std::uint16_t v : kNewerFlashClockSettings)
        a.word(v);  // 3 to 6
    a.bind(h.entry);
    HoldWatchdog(a);
    a.clr(reg(SR));
    PointAtWord(a, R11, Words::kRegisters);
    for (std::uint16_t i = 0; i < Words::kRegisterCount; ++i)
        a.mov(postinc(R11), absolute(kClockModule + 2u * i));
    Settle(a);
    return h;
}

constexpr std::array<std::uint16_t, ClockSetNewerFlashWords::kSize> BuildSetNewerFlash() {
    Assembler a(kNewerFlashClockLoad);
    const Header h = EmitClockModuleLoad<ClockSetNewerFlashWords>(a);
    EmitExit(a, h.exit);
    PadTo(a, ClockSetNewerFlashWords::kSize);
    return a.array<ClockSetNewerFlashWords::kSize>();
}

// The clock module set as the clock setting sets it, then a count of 3 cycles
// a pass as in the basic clock's measurement.
constexpr std::array<std::uint16_t, ClockMeasureModuleWords::kSize> BuildMeasureModule() {
    Assembler a(kNewerFlashClockLoad);
    const Header h = EmitClockModuleLoad<ClockMeasureModuleWords>(a);
    a.clr(reg(R9));
    a.clr(reg(R10));
    a.bind(h.exit);
    a.inc(reg(R9));
    a.jnz(h.exit);
    a.inc(reg(R10));
    a.jmp(h.exit);
    PadTo(a, ClockMeasureModuleWords::kSize);
    return a.array<ClockMeasureModuleWords::kSize>();
}

constexpr auto kMeasureLoop = BuildMeasureLoop();
constexpr auto kMeasureBasic = BuildMeasureBasic();
constexpr auto kSetNewerFlash = BuildSetNewerFlash();
constexpr auto kMeasureModule = BuildMeasureModule();

}  // namespace

std::vector<std::uint16_t> ClockMeasureLoopRoutine() {
    return {kMeasureLoop.begin(), kMeasureLoop.end()};
}

std::vector<std::uint16_t> ClockMeasureBasicRoutine() {
    return {kMeasureBasic.begin(), kMeasureBasic.end()};
}

std::vector<std::uint16_t> ClockSetNewerFlashRoutine() {
    return {kSetNewerFlash.begin(), kSetNewerFlash.end()};
}

std::vector<std::uint16_t> ClockMeasureModuleRoutine() {
    return {kMeasureModule.begin(), kMeasureModule.end()};
}

}  // namespace nandrel::routines
