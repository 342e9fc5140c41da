// Pod commands that drive the JTAG link itself: the link, the pod's lines and
// clocks, the supplies, the shift commands and the pod's chip settings.
#include "kelvane/platform/bit_reverse.h"
#include "kelvane/platform/clock.h"
#include "target_protocol_jtag.h"
#include "text_format.h"

namespace nandrel {

namespace {

constexpr uint32_t kSupplySettleMs = 10;
constexpr uint8_t kFuseReadFlag = 128;

}  // namespace

bool CTargetProtocolJTAG::FuseCommand(uint8_t fuseValue, uint8_t* result, uint8_t* fuseBits) {
    if (result) *result = 0;
    if (fuseBits) *fuseBits = 0;
    BeginCommand(kCmdFuse);
    uint8_t reply[2];
    if (!AddByte(fuseValue) || !AddByte(kFuseReadFlag) || !Exchange() ||
        !GetResponseBYTEs(reply, 2))
        return false;
    if (result) *result = reply[0];
    if (fuseBits) *fuseBits = reply[1];
    return true;
}

bool CTargetProtocolJTAG::ExecuteFirmwareInstruction(uint16_t w0, uint16_t w1, uint16_t w2,
                                                     uint16_t* result) {
    if (result) *result = 0;
    const uint16_t words[3] = {w0, w1, w2};
    BeginCommand(kCmdExecuteFirmwareInstruction);
    uint16_t value = 0;
    if (!AddWords(words, 3) || !Exchange() || !CheckStatus("ExecuteFirmwareInstruction") ||
        !GetResponseWORDs(&value, 1))
        return false;
    if (result) *result = value;
    return true;
}

bool CTargetProtocolJTAG::ExecuteDebug() {
    BeginCommand(kCmdDebug);
    uint16_t value = 0;
    uint8_t rest[2];
    return Exchange() && GetResponseWORDs(&value, 1) && GetResponseBYTEs(rest, 2);
}

bool CTargetProtocolJTAG::EnableJTAG() {
    return Simple(kCmdEnableJtag);
}

bool CTargetProtocolJTAG::ReleaseJTAG() {
    return Simple(kCmdReleaseJtag);
}

uint32_t CTargetProtocolJTAG::SetLineMode(uint32_t mode) {
    uint32_t previous = 0;
    SetLineMode(mode, &previous);
    return previous;
}

bool CTargetProtocolJTAG::SetLineMode(uint32_t mode, uint32_t* previous) {
    *previous = lineMode_;
    lineMode_ = mode;
    return Simple(mode == 1 ? kCmdLineMode1 : kCmdLineModeOther);
}

bool CTargetProtocolJTAG::SetLine36(bool on) {
    return Simple(on ? kCmdLine36On : kCmdLine36Off);
}

bool CTargetProtocolJTAG::SetLine38(bool on) {
    return Simple(on ? kCmdLine38On : kCmdLine38Off);
}

bool CTargetProtocolJTAG::SetLine40(uint8_t state) {
    BeginCommand(kCmdLine40);
    return AddByte(state) && SendCommand();
}

bool CTargetProtocolJTAG::SetTCK(uint32_t state) {
    // States 0 and 1 go out in the reverse of the plain order.
    static constexpr uint8_t kCommands[4] = {kCmdTck0, kCmdTck1, kCmdTck2, kCmdTck3};
    if (state > 3) return fail(format("Unknown TCK state %d", static_cast<int>(state)));
    return Simple(kCommands[state]);
}

bool CTargetProtocolJTAG::SetTCLK(uint32_t state) {
    static constexpr uint8_t kCommands[4] = {kCmdTclk0, kCmdTclk1, kCmdTclk2, kCmdTclk3};
    if (state > 3) return fail(format("Unknown TCLK state %d", static_cast<int>(state)));
    return Simple(kCommands[state]);
}

bool CTargetProtocolJTAG::SetVCC(uint16_t millivolts) {
    if (millivolts != 0) {
        BeginCommand(kCmdSetVcc);
        if (!AddWord(millivolts) || !SendCommand()) return false;
    } else if (!Simple(kCmdVccOff)) {
        return false;
    }
    kv::clock().sleep(kSupplySettleMs);
    return true;
}

bool CTargetProtocolJTAG::SetSupply2(uint16_t millivolts) {
    if (millivolts != 0) {
        BeginCommand(kCmdSetSupply2);
        if (!AddWord(millivolts) || !SendCommand()) return false;
    } else if (!Simple(kCmdSupply2Off)) {
        return false;
    }
    kv::clock().sleep(kSupplySettleMs);
    return true;
}

bool CTargetProtocolJTAG::IrShift(uint8_t instruction, uint8_t* captured) {
    if (captured) *captured = 0;
    BeginCommand(kCmdIrShift);
    uint8_t value = 0;
    if (!AddByte(kv::BitReverseByte[instruction]) || !Exchange() || !GetResponseBYTEs(&value, 1))
        return false;
    if (captured) *captured = value;
    return true;
}

bool CTargetProtocolJTAG::DrShift8(uint8_t value, uint8_t* captured) {
    if (captured) *captured = 0;
    BeginCommand(kCmdDrShift8);
    uint8_t out = 0;
    if (!AddByte(value) || !Exchange() || !GetResponseBYTEs(&out, 1)) return false;
    if (captured) *captured = out;
    return true;
}

bool CTargetProtocolJTAG::DrShift16(uint16_t value, uint16_t* captured) {
    if (captured) *captured = 0;
    BeginCommand(kCmdDrShift16);
    uint16_t out = 0;
    if (!AddWord(value) || !Exchange() || !GetResponseWORDs(&out, 1)) return false;
    if (captured) *captured = out;
    return true;
}

bool CTargetProtocolJTAG::IrDrShift16(uint8_t instruction, uint16_t value, uint16_t* captured) {
    if (captured) *captured = 0;
    BeginCommand(kCmdIrDrShift16);
    uint16_t out = 0;
    if (!AddByte(kv::BitReverseByte[instruction]) || !AddWord(value) || !Exchange() ||
        !GetResponseWORDs(&out, 1))
        return false;
    if (captured) *captured = out;
    return true;
}

bool CTargetProtocolJTAG::IrDrShift16b(uint8_t instruction, uint16_t value, uint16_t* captured) {
    if (captured) *captured = 0;
    BeginCommand(kCmdIrDrShift16b);
    uint16_t out = 0;
    if (!AddByte(kv::BitReverseByte[instruction]) || !AddWord(value) || !Exchange() ||
        !GetResponseWORDs(&out, 1))
        return false;
    if (captured) *captured = out;
    return true;
}

bool CTargetProtocolJTAG::ResetTap() {
    return Simple(kCmdResetTap);
}

bool CTargetProtocolJTAG::CheckFuse() {
    return Simple(kCmdCheckFuse);
}

bool CTargetProtocolJTAG::SendConfiguration(const uint8_t bytes[4], const uint16_t words[3]) {
    BeginCommand(kCmdSendConfiguration);
    return AddBytes(bytes, 4) && AddWords(words, 3) && SendCommand();
}

bool CTargetProtocolJTAG::SetJtagMode(uint8_t mode) {
    BeginCommand(kCmdSetJtagMode);
    return AddByte(mode) && SendCommand();
}

bool CTargetProtocolJTAG::CommandInstruction(uint8_t instruction) {
    BeginCommand(kCmdCommandInstruction);
    return AddByte(kv::BitReverseByte[instruction]) && Exchange() &&
           CheckStatus("CommandInstruction");
}

bool CTargetProtocolJTAG::RestartJTAG() {
    return ReleaseJTAG() && SetSupply2(0) && EnableJTAG();
}

bool CTargetProtocolJTAG::StopJTAG() {
    return ReleaseJTAG();
}

bool CTargetProtocolJTAG::ShiftIrDr8(uint8_t value, uint8_t* captured) {
    if (captured) *captured = 0;
    return IrShift(17, nullptr) && DrShift8(value, captured);
}

}  // namespace nandrel
