#include "kelvane/sim/pod_commands.h"

#include <array>

#include "kelvane/sim/pod_target.h"

namespace kv::sim {

namespace {

// What the pod's JTAG sequences cost, in TCK periods, as the MSP430's TAP
// takes them: an instruction shift walks from Run-Test/Idle to Shift-IR (4),
// shifts 8 bits and walks back through Update-IR (2); a data shift of n bits
// walks 3 states there and 2 back. A TCLK edge is a TDI change in
// Run-Test/Idle, one period. A byte is reached with its own address: the
// control signal, the address and the data register each take an
// instruction and a 16-bit shift, with two TCLK edges for a write and three
// for a read. The word commands set the PC to their address once and move
// each word with a quick access. Setting the PC feeds "mov #x,PC" through
// the data register.
constexpr uint16_t kIr = 4 + 8 + 2;
constexpr uint16_t kDr8 = 3 + 8 + 2;
constexpr uint16_t kDr16 = 3 + 16 + 2;
constexpr uint16_t kDr32 = 3 + 32 + 2;
constexpr uint16_t kTclk = 1;
constexpr uint16_t kAddressedWrite = 3 * (kIr + kDr16) + 2 * kTclk;
constexpr uint16_t kAddressedRead = 3 * (kIr + kDr16) + 3 * kTclk;
// A word through the data register (fed to the CPU, or a quick access).
constexpr uint16_t kDataWord = kDr16 + 2 * kTclk;
constexpr uint16_t kSetPc = 4 * (kIr + kDr16) + 5 * kTclk;
constexpr uint16_t kQuickStart = kSetPc + kIr + kDr16 + kIr;
constexpr uint16_t kRelease = 2 * kIr + kDr16 + kTclk;
// A word of the signature: a TCLK pulse and three TMS periods.
constexpr uint16_t kPsaWord = 2 * kTclk + 3;

constexpr PodCommandInfo kCommands[] = {
    {8, "EraseDravikFlash", 1, 3, false},
    {10, "WriteDravikFlashBuffer", 2, 2, false},
    {12, "VerifyDravikFlash", 1, 2, false},
    {18, "Ping", 1, 1, false},
    {20, "ReportVersion", 1, 17, false},
    {22, "ReportSerial", 1, 5, false},
    {26, "FuseCommand", 3, 3, false, &PodTarget::onFuseCommand, kIr + 2 * kDr16, 0},
    {28, "ExecuteFirmwareInstruction", 7, 4, true, &PodTarget::onFirmwareInstruction,
     kIr + 3 * kDataWord + kAddressedRead, 0},
    {30, "Debug", 1, 5, false},
    {32, "EnableJTAG", 1, 0, false, &PodTarget::onEnableJtag},
    {33, "ReleaseJTAG", 1, 0, false, &PodTarget::onReleaseJtag},
    {34, "SetLineMode1", 1, 0, false, &PodTarget::onLineMode},
    {35, "SetLineMode0", 1, 0, false, &PodTarget::onLineMode},
    {36, "Line36On", 1, 0, false, &PodTarget::onLine36},
    {37, "Line36Off", 1, 0, false, &PodTarget::onLine36},
    {38, "Line38On", 1, 0, false, &PodTarget::onLine38},
    {39, "Line38Off", 1, 0, false, &PodTarget::onLine38},
    {40, "Line40", 2, 0, false, &PodTarget::onLine40},
    {44, "TCK1", 1, 0, false, &PodTarget::onTck, 1, 0},
    {45, "TCK0", 1, 0, false, &PodTarget::onTck, 1, 0},
    {46, "TCK2", 1, 0, false, &PodTarget::onTck, 1, 0},
    {47, "TCK3", 1, 0, false, &PodTarget::onTck, 1, 0},
    {48, "TCLK1", 1, 0, false, &PodTarget::onTclk, kTclk, 0},
    {49, "TCLK0", 1, 0, false, &PodTarget::onTclk, kTclk, 0},
    {50, "TCLK2", 1, 0, false, &PodTarget::onTclk, kTclk, 0},
    {51, "TCLK3", 1, 0, false, &PodTarget::onTclk, kTclk, 0},
    {52, "VccOn", 3, 0, false, &PodTarget::onVcc},
    {53, "VccOff", 1, 0, false, &PodTarget::onVcc},
    {54, "Supply2On", 3, 0, false, &PodTarget::onSupply2},
    {55, "Supply2Off", 1, 0, false, &PodTarget::onSupply2},
    {56, "IrShift", 2, 2, false, &PodTarget::onIrShift, kIr, 0},
    {58, "DrShift8", 2, 2, false, &PodTarget::onDrShift8, kDr8, 0},
    {60, "DrShift16", 3, 3, false, &PodTarget::onDrShift16, kDr16, 0},
    {64, "IrDrShift16", 4, 3, false, &PodTarget::onIrDrShift16, kIr + kDr16, 0},
    {66, "IsAtInstructionLoad", 1, 2, true, &PodTarget::onNeedHeld, kIr + kDr16, 0},
    {68, "ReadLong", 1, 5, false, &PodTarget::onReadLong, kIr + kDr32, 0},
    {70, "Exchange70", 3, 3, false, &PodTarget::onControl, kIr + kDr16, 0},
    {72, "Exchange72", 3, 2, false, &PodTarget::onBreakpointHits, kIr + kDr16, 0},
    {74, "Exchange74", 3, 2, false, &PodTarget::onBreakpointEnable, kIr + kDr16, 0},
    {76, "SetPC", 5, 2, true, &PodTarget::onSetPc, kSetPc, 0},
    {78, "ClockToInstructionLoad", 2, 2, true, &PodTarget::onNeedHeld, 0, 2 * kTclk + kIr + kDr16},
    {80, "CycleStart", 1, 2, true, &PodTarget::onCycleStart, kIr + kDr16, 0},
    {82, "SetInstruction", 3, 0, false, &PodTarget::onSetInstruction, kIr + kDataWord, 0},
    {84, "CycleEnd", 1, 2, true, &PodTarget::onCycleEnd, kIr + kDr16, 0},
    {86, "IrDrShift16b", 4, 3, false, &PodTarget::onIrDrShift16, kIr + kDr16, 0},
    {92, "VerifyPSA", 7, 4, true, &PodTarget::onVerifyPsa, kSetPc + 3 * kIr + kDr16 + kDr16,
     kPsaWord},
    {94, "ExecuteFuseBlow", 1, 2, true, &PodTarget::onFuseBlow, 2 * kIr, 0},
    {96, "ReadByte", 7, 4, true, &PodTarget::memoryCommand, 0, kAddressedRead},
    {98, "WriteByte", 7, 2, true, &PodTarget::memoryCommand, 0, kAddressedWrite},
    {102, "ReadPeripheralWord", 7, 4, true, &PodTarget::memoryCommand, kQuickStart, kDataWord},
    {106, "WritePeripheralWord", 7, 2, true, &PodTarget::memoryCommand, kQuickStart, kDataWord},
    {112, "PUC", 7, 8, true, &PodTarget::onPuc, kIr + 2 * kDr16 + 4 * kTclk + 3 * (kIr + kDr16), 0},
    {114, "ReleaseCPU", 1, 2, true, &PodTarget::onReleaseCpu, kRelease, 0},
    {116, "SyncCPU", 1, 2, true, &PodTarget::onSyncCpu, 2 * kIr + 2 * kDr16, 0},
    {118, "SetMDB", 3, 2, true, &PodTarget::onSetMdb, kIr + kDr16 + kRelease, 0},
    {162, "ExecuteInstruction3", 7, 0, false, &PodTarget::onExecuteInstruction3,
     kIr + 3 * kDataWord, 0},
    {166, "ResetTap", 1, 0, false, &PodTarget::onResetTap, 7, 0},
    {168, "CheckFuse", 1, 0, false, &PodTarget::onCheckFuse, 6, 0},
    {170, "SendConfiguration", 11, 0, false, &PodTarget::onConfiguration},
    {172, "SetJtagMode", 2, 0, false, &PodTarget::onJtagMode},
    {174, "CommandInstruction", 2, 2, true, &PodTarget::onCommandInstruction, kIr, 0},
    {176, "ReadRegister", 2, 6, true, &PodTarget::onRegister, kIr + 2 * kDataWord + kAddressedRead,
     0},
    {178, "WriteRegister", 6, 2, true, &PodTarget::onRegister, kIr + 2 * kDataWord + kTclk, 0},
    {192, "ExecuteCode_Prepare", 1, 2, true, &PodTarget::onNeedHeld, kIr + kDr16, 0},
    {194, "ExecuteCode_Release", 11, 2, true, &PodTarget::onRoutine,
     kSetPc + kRelease + 2 * kIr + 3 * kDr16, 0},
    {224, "EEM_ReadControl", 1, 4, true, &PodTarget::eemCommand, kIr + kDr16, 0},
    {226, "EEM_WriteControl", 3, 2, true, &PodTarget::eemCommand, kIr + kDr16, 0},
    {230, "EEM_WriteRegister", 11, 6, true, &PodTarget::eemCommand, kIr + kDr32 + 2 * (kIr + kDr16),
     0},
    {232, "EEM_ReadTrigger", 1, 4, true, &PodTarget::eemCommand, kIr + kDr16, 0},
    {234, "EEM_DataExchange", 7, 6, true, &PodTarget::eemCommand, kIr + kDr16 + kDr32, 0},
};

constexpr std::array<int16_t, 256> kIndex = [] {
    std::array<int16_t, 256> index{};
    index.fill(-1);
    for (size_t i = 0; i < std::size(kCommands); ++i)
        index[kCommands[i].command] = static_cast<int16_t>(i);
    return index;
}();

}  // namespace

const PodCommandInfo* findPodCommand(uint8_t command) {
    const int16_t i = kIndex[command];
    return i < 0 ? nullptr : &kCommands[i];
}

size_t podRequestLength(const uint8_t* bytes, size_t available) {
    const PodCommandInfo* info = available ? findPodCommand(bytes[0]) : nullptr;
    if (!info) return 0;
    const size_t fixed = info->requestLength;
    if (available < fixed) return fixed;
    switch (bytes[0]) {
        case 10:
            return fixed + 2 * static_cast<size_t>(bytes[1]);
        case 98:
            return fixed + wireWord(bytes + 5);
        case 106:
            return fixed + 2 * static_cast<size_t>(wireWord(bytes + 5));
        default:
            return fixed;
    }
}

uint32_t podJtagPeriods(const uint8_t* request) {
    const PodCommandInfo* info = findPodCommand(request[0]);
    if (!info) return 0;
    uint32_t items = 0;
    switch (request[0]) {
        case 78:
            items = request[1];
            break;
        case 92:
        case 96:
        case 98:
        case 102:
        case 106:
            items = wireWord(request + 5);
            break;
        default:
            break;
    }
    return info->jtagPeriods + items * info->jtagPeriodsPerItem;
}

size_t podReplyLength(const uint8_t* request) {
    const PodCommandInfo* info = findPodCommand(request[0]);
    if (!info) return 0;
    switch (request[0]) {
        case 96:
            return info->replyLength + static_cast<size_t>(wireWord(request + 5));
        case 102:
            return info->replyLength + 2 * static_cast<size_t>(wireWord(request + 5));
        default:
            return info->replyLength;
    }
}

}  // namespace kv::sim
