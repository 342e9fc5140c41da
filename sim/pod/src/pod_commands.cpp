#include "kelvane/sim/pod_commands.h"

#include <array>

#include "kelvane/sim/pod_target.h"

namespace kv::sim {

namespace {

constexpr PodCommandInfo kCommands[] = {
    {8, "EraseDravikFlash", 1, 3, false},
    {10, "WriteDravikFlashBuffer", 2, 2, false},
    {12, "VerifyDravikFlash", 1, 2, false},
    {18, "Ping", 1, 1, false},
    {20, "ReportVersion", 1, 17, false},
    {22, "ReportSerial", 1, 5, false},
    {26, "FuseCommand", 3, 3, false, &PodTarget::onFuseCommand},
    {28, "ExecuteFirmwareInstruction", 7, 4, true, &PodTarget::onFirmwareInstruction},
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
    {44, "TCK1", 1, 0, false, &PodTarget::onTck},
    {45, "TCK0", 1, 0, false, &PodTarget::onTck},
    {46, "TCK2", 1, 0, false, &PodTarget::onTck},
    {47, "TCK3", 1, 0, false, &PodTarget::onTck},
    {48, "TCLK1", 1, 0, false, &PodTarget::onTclk},
    {49, "TCLK0", 1, 0, false, &PodTarget::onTclk},
    {50, "TCLK2", 1, 0, false, &PodTarget::onTclk},
    {51, "TCLK3", 1, 0, false, &PodTarget::onTclk},
    {52, "VccOn", 3, 0, false, &PodTarget::onVcc},
    {53, "VccOff", 1, 0, false, &PodTarget::onVcc},
    {54, "Supply2On", 3, 0, false, &PodTarget::onSupply2},
    {55, "Supply2Off", 1, 0, false, &PodTarget::onSupply2},
    {56, "IrShift", 2, 2, false, &PodTarget::onIrShift},
    {58, "DrShift8", 2, 2, false, &PodTarget::onDrShift8},
    {60, "DrShift16", 3, 3, false, &PodTarget::onDrShift16},
    {64, "IrDrShift16", 4, 3, false, &PodTarget::onIrDrShift16},
    {66, "IsAtInstructionLoad", 1, 2, true, &PodTarget::onNeedHeld},
    {68, "ReadLong", 1, 5, false, &PodTarget::onReadLong},
    {70, "Exchange70", 3, 3, false, &PodTarget::onControl},
    {72, "Exchange72", 3, 2, false, &PodTarget::onBreakpointHits},
    {74, "Exchange74", 3, 2, false, &PodTarget::onBreakpointEnable},
    {76, "SetPC", 5, 2, true, &PodTarget::onSetPc},
    {78, "ClockToInstructionLoad", 2, 2, true, &PodTarget::onNeedHeld},
    {80, "CycleStart", 1, 2, true, &PodTarget::onCycleStart},
    {82, "SetInstruction", 3, 0, false, &PodTarget::onSetInstruction},
    {84, "CycleEnd", 1, 2, true, &PodTarget::onCycleEnd},
    {86, "IrDrShift16b", 4, 3, false, &PodTarget::onIrDrShift16},
    {92, "VerifyPSA", 7, 4, true, &PodTarget::onVerifyPsa},
    {94, "ExecuteFuseBlow", 1, 2, true, &PodTarget::onFuseBlow},
    {96, "ReadByte", 7, 4, true, &PodTarget::memoryCommand},
    {98, "WriteByte", 7, 2, true, &PodTarget::memoryCommand},
    {102, "ReadPeripheralWord", 7, 4, true, &PodTarget::memoryCommand},
    {106, "WritePeripheralWord", 7, 2, true, &PodTarget::memoryCommand},
    {112, "PUC", 7, 8, true, &PodTarget::onPuc},
    {114, "ReleaseCPU", 1, 2, true, &PodTarget::onReleaseCpu},
    {116, "SyncCPU", 1, 2, true, &PodTarget::onSyncCpu},
    {118, "SetMDB", 3, 2, true, &PodTarget::onSetMdb},
    {162, "ExecuteInstruction3", 7, 0, false, &PodTarget::onExecuteInstruction3},
    {166, "ResetTap", 1, 0, false, &PodTarget::onResetTap},
    {168, "CheckFuse", 1, 0, false, &PodTarget::onCheckFuse},
    {170, "SendConfiguration", 11, 0, false, &PodTarget::onConfiguration},
    {172, "SetJtagMode", 2, 0, false, &PodTarget::onJtagMode},
    {174, "CommandInstruction", 2, 2, true, &PodTarget::onCommandInstruction},
    {176, "ReadRegister", 2, 6, true, &PodTarget::onRegister},
    {178, "WriteRegister", 6, 2, true, &PodTarget::onRegister},
    {192, "ExecuteCode_Prepare", 1, 2, true, &PodTarget::onNeedHeld},
    {194, "ExecuteCode_Release", 11, 2, true, &PodTarget::onRoutine},
    {224, "EEM_ReadControl", 1, 4, true, &PodTarget::eemCommand},
    {226, "EEM_WriteControl", 3, 2, true, &PodTarget::eemCommand},
    {230, "EEM_WriteRegister", 11, 6, true, &PodTarget::eemCommand},
    {232, "EEM_ReadTrigger", 1, 4, true, &PodTarget::eemCommand},
    {234, "EEM_DataExchange", 7, 6, true, &PodTarget::eemCommand},
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
