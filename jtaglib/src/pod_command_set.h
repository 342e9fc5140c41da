// The pod's command set as the library speaks it: every command byte, the
// fixed length of its request and of its reply, and whether the reply carries
// a status byte. The protocol takes its reply lengths from here; the
// simulated pod keeps a table of its own, and a test holds the two together.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>

namespace nandrel {

// Pod-level command bytes; a reply starts with the command plus one.
enum DravikCommand : uint8_t {
    JTAGCMD_ERASE_DRAVIK_FLASH = 8,
    JTAGCMD_WRITE_DRAVIK_FLASH_BUFFER = 10,
    JTAGCMD_VERIFY_DRAVIK_FLASH = 12,
    JTAGCMD_HARDWARE_PING = 18,
    JTAGCMD_REPORT_VERSION = 20,
    JTAGCMD_REPORT_SERNUM = 22,
    JTAGCMD_DEBUG = 30,
};

// Command bytes; the reply id is the command plus one.
enum JtagCommand : uint8_t {
    kCmdFuse = 26,
    kCmdExecuteFirmwareInstruction = 28,
    kCmdDebug = 30,
    kCmdEnableJtag = 32,
    kCmdReleaseJtag = 33,
    kCmdLineMode1 = 34,
    kCmdLineModeOther = 35,
    kCmdLine36On = 36,
    kCmdLine36Off = 37,
    kCmdLine38On = 38,
    kCmdLine38Off = 39,
    kCmdLine40 = 40,
    kCmdTck1 = 44,
    kCmdTck0 = 45,
    kCmdTck2 = 46,
    kCmdTck3 = 47,
    kCmdTclk1 = 48,
    kCmdTclk0 = 49,
    kCmdTclk2 = 50,
    kCmdTclk3 = 51,
    kCmdSetVcc = 52,
    kCmdVccOff = 53,
    kCmdSetSupply2 = 54,
    kCmdSupply2Off = 55,
    kCmdIrShift = 56,
    kCmdDrShift8 = 58,
    kCmdDrShift16 = 60,
    kCmdIrDrShift16 = 64,
    kCmdIsAtInstructionLoad = 66,
    kCmdReadLong = 68,
    kCmdExchange70 = 70,
    kCmdExchange72 = 72,
    kCmdExchange74 = 74,
    kCmdSetPC = 76,
    kCmdClockToInstructionLoad = 78,
    kCmdCycleStart = 80,
    kCmdSetInstruction = 82,
    kCmdCycleEnd = 84,
    kCmdIrDrShift16b = 86,
    kCmdVerifyPSA = 92,
    kCmdExecuteFuseBlow = 94,
    kCmdReadByte = 96,
    kCmdWriteByte = 98,
    kCmdReadPeripheralWord = 102,
    kCmdWritePeripheralWord = 106,
    kCmdPUC = 112,
    kCmdReleaseCPU = 114,
    kCmdSyncCPU = 116,
    kCmdSetMDB = 118,
    kCmdExecuteInstruction3 = 162,
    kCmdResetTap = 166,
    kCmdCheckFuse = 168,
    kCmdSendConfiguration = 170,
    kCmdSetJtagMode = 172,
    kCmdCommandInstruction = 174,
    kCmdReadRegister = 176,
    kCmdWriteRegister = 178,
    kCmdExecuteCodePrepare = 192,
    kCmdExecuteCodeRelease = 194,
    kCmdEemReadControl = 224,
    kCmdEemWriteControl = 226,
    kCmdEemWriteRegister = 230,
    kCmdEemReadTrigger = 232,
    kCmdEemDataExchange = 234,
};

struct PodCommandShape {
    uint8_t command;
    // The fixed part of the request, the command byte included; the memory
    // writes and the pod flash buffer carry their data behind it.
    uint8_t requestLength;
    // The fixed part of the reply, the id included; the memory reads carry
    // their data behind it. 0: the command has no reply.
    uint8_t replyLength;
    // The reply's byte after the id is a status byte.
    bool status;
};

inline constexpr PodCommandShape kPodCommandSet[] = {
    {JTAGCMD_ERASE_DRAVIK_FLASH, 1, 3, false},
    {JTAGCMD_WRITE_DRAVIK_FLASH_BUFFER, 2, 2, false},
    {JTAGCMD_VERIFY_DRAVIK_FLASH, 1, 2, false},
    {JTAGCMD_HARDWARE_PING, 1, 1, false},
    {JTAGCMD_REPORT_VERSION, 1, 17, false},
    {JTAGCMD_REPORT_SERNUM, 1, 5, false},
    {kCmdFuse, 3, 3, false},
    {kCmdExecuteFirmwareInstruction, 7, 4, true},
    {kCmdDebug, 1, 5, false},
    {kCmdEnableJtag, 1, 0, false},
    {kCmdReleaseJtag, 1, 0, false},
    {kCmdLineMode1, 1, 0, false},
    {kCmdLineModeOther, 1, 0, false},
    {kCmdLine36On, 1, 0, false},
    {kCmdLine36Off, 1, 0, false},
    {kCmdLine38On, 1, 0, false},
    {kCmdLine38Off, 1, 0, false},
    {kCmdLine40, 2, 0, false},
    {kCmdTck1, 1, 0, false},
    {kCmdTck0, 1, 0, false},
    {kCmdTck2, 1, 0, false},
    {kCmdTck3, 1, 0, false},
    {kCmdTclk1, 1, 0, false},
    {kCmdTclk0, 1, 0, false},
    {kCmdTclk2, 1, 0, false},
    {kCmdTclk3, 1, 0, false},
    {kCmdSetVcc, 3, 0, false},
    {kCmdVccOff, 1, 0, false},
    {kCmdSetSupply2, 3, 0, false},
    {kCmdSupply2Off, 1, 0, false},
    {kCmdIrShift, 2, 2, false},
    {kCmdDrShift8, 2, 2, false},
    {kCmdDrShift16, 3, 3, false},
    {kCmdIrDrShift16, 4, 3, false},
    {kCmdIsAtInstructionLoad, 1, 2, true},
    {kCmdReadLong, 1, 5, false},
    {kCmdExchange70, 3, 3, false},
    {kCmdExchange72, 3, 2, false},
    {kCmdExchange74, 3, 2, false},
    {kCmdSetPC, 5, 2, true},
    {kCmdClockToInstructionLoad, 2, 2, true},
    {kCmdCycleStart, 1, 2, true},
    {kCmdSetInstruction, 3, 0, false},
    {kCmdCycleEnd, 1, 2, true},
    {kCmdIrDrShift16b, 4, 3, false},
    {kCmdVerifyPSA, 7, 4, true},
    {kCmdExecuteFuseBlow, 1, 2, true},
    {kCmdReadByte, 7, 4, true},
    {kCmdWriteByte, 7, 2, true},
    {kCmdReadPeripheralWord, 7, 4, true},
    {kCmdWritePeripheralWord, 7, 2, true},
    {kCmdPUC, 7, 8, true},
    {kCmdReleaseCPU, 1, 2, true},
    {kCmdSyncCPU, 1, 2, true},
    {kCmdSetMDB, 3, 2, true},
    {kCmdExecuteInstruction3, 7, 0, false},
    {kCmdResetTap, 1, 0, false},
    {kCmdCheckFuse, 1, 0, false},
    {kCmdSendConfiguration, 11, 0, false},
    {kCmdSetJtagMode, 2, 0, false},
    {kCmdCommandInstruction, 2, 2, true},
    {kCmdReadRegister, 2, 6, true},
    {kCmdWriteRegister, 6, 2, true},
    {kCmdExecuteCodePrepare, 1, 2, true},
    {kCmdExecuteCodeRelease, 11, 2, true},
    {kCmdEemReadControl, 1, 4, true},
    {kCmdEemWriteControl, 3, 2, true},
    {kCmdEemWriteRegister, 11, 6, true},
    {kCmdEemReadTrigger, 1, 4, true},
    {kCmdEemDataExchange, 7, 6, true},
};

// The row of every command byte in the set, -1 for none.
inline constexpr std::array<int16_t, 256> kPodCommandRow = [] {
    std::array<int16_t, 256> rows{};
    rows.fill(-1);
    for (size_t i = 0; i < std::size(kPodCommandSet); ++i)
        rows[kPodCommandSet[i].command] = static_cast<int16_t>(i);
    return rows;
}();

// The shape of a command byte, or null when the pod has no such command.
inline const PodCommandShape* FindPodCommand(uint8_t command) {
    const int16_t row = kPodCommandRow[command];
    return row < 0 ? nullptr : &kPodCommandSet[row];
}

// The fixed reply length of a command byte (0 for none or no such command).
constexpr uint32_t PodReplyLength(uint8_t command) {
    const int16_t row = kPodCommandRow[command];
    return row < 0 ? 0 : kPodCommandSet[row].replyLength;
}

}  // namespace nandrel
