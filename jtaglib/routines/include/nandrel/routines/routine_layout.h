// The routines the flash code downloads into the chip's RAM and runs there:
// which routines exist, where their header, parameter and data words are, and
// the flash controller values their parameters take.
//
// Every routine is an array of 16-bit words. Words 0, 1 and 2 are its load,
// entry and exit addresses; the parameter words follow; then the MSP430 code.
// The templates are laid out for RAM at 0x0200 (the newer-flash clock setting
// for 0x0500); RelocateRoutine() moves one to another RAM start.
#pragma once

#include <cstddef>
#include <cstdint>

namespace nandrel::routines {

enum class RoutineId : std::uint8_t {
    Erase,               // segment, main or mass erase with erase check (55 words)
    EraseNewerFlash,     // the same for newer-flash devices (51 words)
    EraseWide,           // the same with 20-bit addresses (MSP430X devices, 56 words)
    Write,               // flash write of one block (54 words + data)
    WriteWide,           // the same with a 20-bit address (53 words + data)
    ClockMeasureLoop,    // DCO count of a frequency-locked-loop clock (35 words)
    ClockMeasureBasic,   // DCO count of a basic clock (24 words)
    ClockSetNewerFlash,  // clock setting of newer-flash devices (33 words)
    ClockMeasureModule,  // DCO count of the clock module of newer-flash devices (33 words)
};

inline constexpr std::size_t kRoutineCount = 9;

// Header words.
inline constexpr std::size_t kLoadAddressWord = 0;
inline constexpr std::size_t kEntryAddressWord = 1;
inline constexpr std::size_t kExitAddressWord = 2;

inline constexpr std::uint16_t kTemplateRamStart = 0x0200;
inline constexpr std::uint16_t kNewerFlashClockLoad = 0x0500;

// Parameter word positions.
struct EraseWords {
    static constexpr std::size_t kSize = 55;
    static constexpr std::size_t kClockSelect = 3;  // status register value while erasing
    static constexpr std::size_t kCommand = 4;      // FCTL1 value: key, erase bits, timing bits
    static constexpr std::size_t kLock = 5;         // lock word: key and timing bits
    static constexpr std::size_t kAddress = 6;      // the address the erase starts at
    static constexpr std::size_t kWordCount = 7;    // words checked from the address
};
struct EraseNewerFlashWords {
    static constexpr std::size_t kSize = 51;
    static constexpr std::size_t kClockSelect = 3;
    static constexpr std::size_t kCommand = 4;
    static constexpr std::size_t kLock = 5;
    static constexpr std::size_t kTiming = 6;      // FCTL2 value (0xA54D)
    static constexpr std::size_t kCommandEnd = 7;  // FCTL1 value after the erase (0xA500)
    static constexpr std::size_t kSecondKey = 8;   // 0xA500; the code reads past it
    static constexpr std::size_t kAddress = 9;
    static constexpr std::size_t kWordCount = 10;
};
struct EraseWideWords {
    static constexpr std::size_t kSize = 56;
    static constexpr std::size_t kClockSelect = 3;
    static constexpr std::size_t kCommand = 4;
    static constexpr std::size_t kLock = 5;
    static constexpr std::size_t kAddressLow = 6;
    static constexpr std::size_t kAddressHigh = 7;
    static constexpr std::size_t kWordCountLow = 8;
    static constexpr std::size_t kWordCountHigh = 9;
};
struct WriteWords {
    static constexpr std::size_t kSize = 54;  // without the data
    static constexpr std::size_t kClockSelect = 3;
    static constexpr std::size_t kCommand = 4;  // 0xA540 with the timing bits
    static constexpr std::size_t kLock = 5;
    static constexpr std::size_t kAddress = 6;
    static constexpr std::size_t kWordCount = 7;
    static constexpr std::size_t kDataAddress = 8;  // RAM address of the data (word 54)
    static constexpr std::size_t kTiming = 16;      // FCTL2 value: 0xA544, 0xA54D on newer flash
    static constexpr std::size_t kData = 54;
};
struct WriteWideWords {
    static constexpr std::size_t kSize = 53;
    static constexpr std::size_t kClockSelect = 3;
    static constexpr std::size_t kCommand = 4;
    static constexpr std::size_t kLock = 5;
    static constexpr std::size_t kAddressLow = 6;
    static constexpr std::size_t kAddressHigh = 7;
    static constexpr std::size_t kWordCount = 8;
    static constexpr std::size_t kData = 53;
};
struct ClockMeasureLoopWords {
    static constexpr std::size_t kSize = 35;
    static constexpr std::size_t kSetting = 3;     // low byte SCFI0, high byte SCFI1 (tap x 8)
    static constexpr std::size_t kControl = 4;     // low byte SCFQCTL, high byte FLL_CTL0
    static constexpr std::size_t kCountStart = 5;  // R9 and R10 start from it
};
struct ClockMeasureBasicWords {
    static constexpr std::size_t kSize = 24;
    static constexpr std::size_t kSetting = 3;  // low byte DCOCTL (tap x 32), high byte BCSCTL1
};
struct ClockSetNewerFlashWords {
    static constexpr std::size_t kSize = 33;
    static constexpr std::size_t kRegisters =
        3;  // words 3 to 6 go to 0x0140, 0x0142, 0x0144, 0x0146
    static constexpr std::size_t kRegisterCount = 4;
};
struct ClockMeasureModuleWords {
    static constexpr std::size_t kSize = 33;
    static constexpr std::size_t kRegisters = 3;  // as the clock setting's words 3 to 6
    static constexpr std::size_t kRegisterCount = 4;
};

// Flash controller values of the parameters.
inline constexpr std::uint16_t kFlashKey = 0xA500;
inline constexpr std::uint16_t kClockSelectLoopClock =
    0x0040;  // SCG0: the loop control holds still
inline constexpr std::uint16_t kEraseSegment = 0x0002;
inline constexpr std::uint16_t kEraseMain = 0x0004;
inline constexpr std::uint16_t kEraseMass = 0x0006;
inline constexpr std::uint16_t kEraseWideMain = 0x000C;
inline constexpr std::uint16_t kEraseWideMass = 0x000E;
inline constexpr std::uint16_t kWriteCommand = 0xA540;
inline constexpr std::uint16_t kFlashTimingStandard = 0xA544;  // MCLK / 5
inline constexpr std::uint16_t kFlashTimingNewer = 0xA54D;     // MCLK / 14
inline constexpr std::uint16_t kNewerFlashClockSettings[4] = {0x0882, 0x0200, 0x4183, 0x10FF};
inline constexpr std::uint16_t kLoopClockControl = 0x8080;

// What the layout of a routine is.
struct RoutineLayout {
    RoutineId id;
    const char* name;
    std::size_t words;          // template size, data not included
    std::uint16_t loadAddress;  // where the template is laid out
    std::size_t dataWord;       // first data word of a write routine, 0 for none
    int resultRegister;         // R10 (erase), R8 (write), R9 (clock counts, low half), -1: none
    int resultHighRegister;     // R10 for the clock counts' high half, -1: none
    // Words that hold a RAM address and move with the routine.
    std::size_t relocated[4];
    std::size_t relocatedCount;
};

const RoutineLayout& GetRoutineLayout(RoutineId id);

}  // namespace nandrel::routines
