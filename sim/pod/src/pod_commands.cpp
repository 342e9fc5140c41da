#include "kelvane/sim/pod_commands.h"

#include <array>

namespace kv::sim {

namespace {

constexpr PodCommandInfo kCommands[] = {
    {8, "EraseDravikFlash", 1, 3, false},
    {10, "WriteDravikFlashBuffer", 2, 2, false},
    {12, "VerifyDravikFlash", 1, 2, false},
    {18, "Ping", 1, 1, false},
    {20, "ReportVersion", 1, 17, false},
    {22, "ReportSerial", 1, 5, false},
    {26, "FuseCommand", 3, 3, false},
    {28, "ExecuteFirmwareInstruction", 7, 4, true},
    {30, "Debug", 1, 5, false},
    {32, "EnableJTAG", 1, 0, false},
    {33, "ReleaseJTAG", 1, 0, false},
    {34, "SetLineMode1", 1, 0, false},
    {35, "SetLineMode0", 1, 0, false},
    {36, "Line36On", 1, 0, false},
    {37, "Line36Off", 1, 0, false},
    {38, "Line38On", 1, 0, false},
    {39, "Line38Off", 1, 0, false},
    {40, "Line40", 2, 0, false},
    {44, "TCK1", 1, 0, false},
    {45, "TCK0", 1, 0, false},
    {46, "TCK2", 1, 0, false},
    {47, "TCK3", 1, 0, false},
    {48, "TCLK1", 1, 0, false},
    {49, "TCLK0", 1, 0, false},
    {50, "TCLK2", 1, 0, false},
    {51, "TCLK3", 1, 0, false},
    {52, "VccOn", 3, 0, false},
    {53, "VccOff", 1, 0, false},
    {54, "Supply2On", 3, 0, false},
    {55, "Supply2Off", 1, 0, false},
    {56, "IrShift", 2, 2, false},
    {58, "DrShift8", 2, 2, false},
    {60, "DrShift16", 3, 3, false},
    {64, "IrDrShift16", 4, 3, false},
    {66, "IsAtInstructionLoad", 1, 2, true},
    {68, "ReadLong", 1, 5, false},
    {70, "Exchange70", 3, 3, false},
    {72, "Exchange72", 3, 2, false},
    {74, "Exchange74", 3, 2, false},
    {76, "SetPC", 5, 2, true},
    {78, "ClockToInstructionLoad", 2, 2, true},
    {80, "CycleStart", 1, 2, true},
    {82, "SetInstruction", 3, 0, false},
    {84, "CycleEnd", 1, 2, true},
    {86, "IrDrShift16b", 4, 3, false},
    {92, "VerifyPSA", 7, 4, true},
    {94, "ExecuteFuseBlow", 1, 2, true},
    {96, "ReadByte", 7, 4, true},
    {98, "WriteByte", 7, 2, true},
    {102, "ReadPeripheralWord", 7, 4, true},
    {106, "WritePeripheralWord", 7, 2, true},
    {112, "PUC", 7, 8, true},
    {114, "ReleaseCPU", 1, 2, true},
    {116, "SyncCPU", 1, 2, true},
    {118, "SetMDB", 3, 2, true},
    {162, "ExecuteInstruction3", 7, 0, false},
    {166, "ResetTap", 1, 0, false},
    {168, "CheckFuse", 1, 0, false},
    {170, "SendConfiguration", 11, 0, false},
    {172, "SetJtagMode", 2, 0, false},
    {174, "CommandInstruction", 2, 2, true},
    {176, "ReadRegister", 2, 6, true},
    {178, "WriteRegister", 6, 2, true},
    {192, "ExecuteCode_Prepare", 1, 2, true},
    {194, "ExecuteCode_Release", 11, 2, true},
    {224, "EEM_ReadControl", 1, 4, true},
    {226, "EEM_WriteControl", 3, 2, true},
    {230, "EEM_WriteRegister", 11, 6, true},
    {232, "EEM_ReadTrigger", 1, 4, true},
    {234, "EEM_DataExchange", 7, 6, true},
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
