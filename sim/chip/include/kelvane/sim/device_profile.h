// What a simulated chip is: memory layout, flash controller flavour, clock
// module, identification and debug features. Profiles are plain data so that
// any row of the device table can be described by one.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kv::sim {

enum class ClockKind : uint8_t {
    BasicClock,      // 1xx basic clock module: DCOCTL, BCSCTL1 (RSEL 0..7), BCSCTL2
    BasicClockPlus,  // 2xx basic clock module+: RSEL 0..15 and BCSCTL3
    FllPlus,         // 4xx FLL+ module at 0x0050..0x0054
    ClockModule140,  // the word-wide clock module at 0x0140..0x0147
};

// Flash timing generator cycles of each operation.
struct FlashTiming {
    uint32_t wordWrite = 35;
    uint32_t blockFirst = 30;
    uint32_t blockNext = 21;
    uint32_t blockEnd = 6;
    uint32_t segmentErase = 4819;
    uint32_t massErase = 5297;
};

struct DeviceProfile {
    std::string name;
    uint16_t deviceClass = 0;

    // Memory layout (inclusive ends; a zero start and end means "none").
    uint32_t mainStart = 0;
    uint32_t mainEnd = 0;  // above 0xFFFF on 20-bit parts
    uint16_t infoStart = 0;
    uint16_t infoEnd = 0;
    uint16_t infoSegment = 0x80;  // 64 or 128 bytes
    uint16_t ramStart = 0;
    uint16_t ramEnd = 0;
    uint16_t ram2Start = 0;
    uint16_t ram2End = 0;
    uint16_t bootStart = 0x0C00;  // boot ROM, holding the identification block at 0x0FF0
    uint16_t bootEnd = 0x0FFF;
    uint32_t mainSegment = 512;
    uint32_t flashBankSize = 0;  // banked main flash (MERAS alone erases one bank); 0: one bank

    // Flash controller flavour.
    bool lockA = false;               // FCTL3.LOCKA protects segment A and the info memory
    uint16_t segmentA = 0;            // start of the segment LOCKA protects
    bool globalMassErase = false;     // FCTL1 bit 3 is GMERAS (20-bit parts)
    bool eraseInterruptBits = false;  // FCTL1 bits 3..4 are EEI/EEIEX (2xx)
    bool failFlag = false;            // FCTL3 bit 7 is FAIL
    bool fctl1TimingBits = false;     // FCTL1 bits 4..5 hold the flash timing selection
    FlashTiming timing;
    // Timing generator frequency range the flash is rated for (Hz).
    double ftgMinHz = 257e3;
    double ftgMaxHz = 476e3;
    // Cumulative program time a 64-byte row may take between two erases
    // (tCPT), and the erase time a mass or main-memory erase must add up to
    // before the cells count as erased (tCMErase: 200 ms on parts whose mass
    // erase runs 5297 generator cycles, 20 ms where it runs 10593).
    double cumulativeProgramSeconds = 4e-3;
    double cumulativeMassEraseSeconds = 200e-3;

    // CPU and clocks.
    bool extended = false;  // MSP430X CPU, 20-bit addresses
    ClockKind clock = ClockKind::BasicClock;
    double dcoScale = 1.0;  // nominal spread of this part's DCO

    // Timer_A3 and its two interrupt vectors (TACCR0, and TAIV's shared one).
    bool timerA = true;
    uint16_t timerA0Vector = 0xFFEC;
    uint16_t timerA1Vector = 0xFFEA;

    // Supply range (mV) and the 2xx reset flags PORIFG and RSTIFG in IFG1.
    uint16_t vccMinMillivolts = 1800;
    uint16_t vccMaxMillivolts = 3600;
    // The lowest supply (mV) the data sheet rates flash programming and
    // erasing for: 2700 on the 1xx, the older 4xx and the FG461x, 2200 on the
    // 2xx and the F47x3/F47x4.
    uint16_t flashMinMillivolts = 2700;
    bool resetFlags = false;

    // Identification and debug.
    uint8_t jtagId = 0x89;
    std::array<uint8_t, 16> idBlock{};  // bytes at 0x0FF0..0x0FFF
    uint8_t fuses = 0;                  // configuration fuse byte read over JTAG
    uint8_t eemLevel = 0;               // 0: no EEM
    uint8_t breakpoints = 0;
    uint8_t clockControl = 0;         // EEM clock control: 0 none, 1 general, 2 per module
    uint16_t fuseBlowMillivolts = 0;  // 0: the security fuse cannot be blown

    bool hasRam2() const { return ram2End != 0; }
    // Segment holding `address` (info or main flash) and its size; false outside flash.
    bool flashSegment(uint32_t address, uint32_t* start, uint32_t* size) const;
    bool inInfo(uint32_t address) const { return address >= infoStart && address <= infoEnd; }
    bool inMain(uint32_t address) const { return address >= mainStart && address <= mainEnd; }
};

// The 2xx flash, also on the newer 4xx parts: its timing (word write 30,
// block 25/18/6, mass erase 10593 generator cycles), 10 ms of program time a
// row and one mass erase enough (tCMErase 20 ms).
void use2xxFlash(DeviceProfile& profile);

// Named profiles of real parts: "MSP430F149", "MSP430F2274", "MSP430FG4619",
// "MSP430F11x1-prototype" (no EEM) and "TMS430FCAS003" (no EEM, clock module at
// 0x0140). Any other name of the JTAG library's device table gives the profile
// of its first row with that name, and "row:<n>" the profile of row n.
const DeviceProfile* findProfile(std::string_view name);
std::vector<std::string> profileNames();

// A chip that impersonates row (index) of the device table: its identification
// block and configuration fuse byte identify as that row, its memory layout,
// breakpoints, emulation level, supply range and fuse-blow voltage are its
// class's. Rows 0 and 91, which stand for no device, answer 0x00 at 0x0FF0 and
// keep the default memory map. Null for an index beyond the table.
const DeviceProfile* deviceRowProfile(uint32_t index);

}  // namespace kv::sim
