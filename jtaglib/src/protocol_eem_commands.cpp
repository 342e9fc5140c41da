// Pod commands of the chip's Enhanced Emulation Module. Each clears the last
// pod status when it starts and keeps a failing status there.
#include "target_protocol_jtag.h"

namespace nandrel {

bool CTargetProtocolJTAG::EEM_ReadControl(uint16_t* value) {
    lastPodStatus_ = 0;
    if (value) *value = 0;
    BeginCommand(kCmdEemReadControl);
    uint16_t out = 0;
    if (!Exchange() || !CheckStatus("EEM_ReadControl", true) || !GetResponseWORDs(&out, 1))
        return false;
    if (value) *value = out;
    return true;
}

bool CTargetProtocolJTAG::EEM_WriteControl(uint16_t value) {
    lastPodStatus_ = 0;
    BeginCommand(kCmdEemWriteControl);
    return AddWord(value) && Exchange() && CheckStatus("EEM_WriteControl", true);
}

bool CTargetProtocolJTAG::EEM_WriteRegister(uint16_t reg, uint32_t value, uint16_t* clockControl,
                                            uint16_t* moduleClockControl0) {
    lastPodStatus_ = 0;
    if (!clockControl) return fail("EEM_WriteRegister called with NULL pwClockControl");
    if (!moduleClockControl0)
        return fail("EEM_WriteRegister called with NULL pwModuleClockControl0");
    const uint16_t fields[5] = {reg, static_cast<uint16_t>(value >> 16),
                                static_cast<uint16_t>(value), *clockControl, *moduleClockControl0};
    BeginCommand(kCmdEemWriteRegister);
    uint16_t out[2];
    if (!AddWords(fields, 5) || !Exchange() || !CheckStatus("EEM_WriteRegister", true) ||
        !GetResponseWORDs(out, 2))
        return false;
    *clockControl = out[0];
    *moduleClockControl0 = out[1];
    return true;
}

bool CTargetProtocolJTAG::EEM_ReadTrigger(uint16_t* value) {
    lastPodStatus_ = 0;
    if (value) *value = 0;
    BeginCommand(kCmdEemReadTrigger);
    uint16_t out = 0;
    if (!Exchange() || !CheckStatus("EEM_ReadTrigger", true) || !GetResponseWORDs(&out, 1))
        return false;
    if (value) *value = out;
    return true;
}

bool CTargetProtocolJTAG::EEM_DataExchange(uint16_t word, uint32_t* value) {
    lastPodStatus_ = 0;
    const uint32_t in = value ? *value : 0;
    const uint16_t fields[3] = {word, static_cast<uint16_t>(in >> 16), static_cast<uint16_t>(in)};
    BeginCommand(kCmdEemDataExchange);
    if (!AddWords(fields, 3) || !Exchange() || !CheckStatus("EEM_DataExchange", true)) return false;
    if (!value) return true;
    // The reply always carries the value; without a pointer it is left unread.
    return GetResponseDWORDs(value, 1);
}

}  // namespace nandrel
