// Pod commands that control the chip's CPU: instruction loads and cycles, the
// program counter, power-up clear, release and sync, registers, the fuse blow
// and routines run in target RAM.
#include <thread>

#include "target_protocol_jtag.h"

namespace nandrel {

bool CTargetProtocolJTAG::IsAtInstructionLoad(bool* atLoad) {
    if (atLoad) *atLoad = false;
    BeginCommand(kCmdIsAtInstructionLoad);
    if (!Exchange() || !CheckStatus("IsAtInstructionLoad")) return false;
    if (atLoad) *atLoad = true;
    return true;
}

bool CTargetProtocolJTAG::ReadLong(uint32_t* value) {
    if (value) *value = 0;
    BeginCommand(kCmdReadLong);
    uint32_t out = 0;
    if (!Exchange() || !GetResponseDWORDs(&out, 1)) return false;
    if (value) *value = out;
    return true;
}

bool CTargetProtocolJTAG::Exchange70(uint16_t value, uint16_t* out) {
    if (out) *out = 0;
    BeginCommand(kCmdExchange70);
    uint16_t reply = 0;
    if (!AddWord(value) || !Exchange() || !GetResponseWORDs(&reply, 1)) return false;
    if (out) *out = reply;
    return true;
}

bool CTargetProtocolJTAG::Exchange72(uint16_t value, uint8_t* out) {
    if (out) *out = 0;
    BeginCommand(kCmdExchange72);
    uint8_t reply = 0;
    if (!AddWord(value) || !Exchange() || !GetResponseBYTEs(&reply, 1)) return false;
    if (out) *out = reply;
    return true;
}

bool CTargetProtocolJTAG::Exchange74(uint16_t value, uint8_t* out) {
    if (out) *out = 0;
    BeginCommand(kCmdExchange74);
    uint8_t reply = 0;
    if (!AddWord(value) || !Exchange() || !GetResponseBYTEs(&reply, 1)) return false;
    if (out) *out = reply;
    return true;
}

bool CTargetProtocolJTAG::SetPC(uint32_t pc) {
    BeginCommand(kCmdSetPC);
    return AddDWord(pc) && Exchange() && CheckStatus("SetPC");
}

bool CTargetProtocolJTAG::ClockToInstructionLoad(uint8_t count) {
    BeginCommand(kCmdClockToInstructionLoad);
    return AddByte(count) && Exchange() && CheckStatus("ClockToInstructionLoad");
}

bool CTargetProtocolJTAG::CycleStart() {
    BeginCommand(kCmdCycleStart);
    return Exchange() && CheckStatus("CycleStart");
}

bool CTargetProtocolJTAG::SetInstruction(uint16_t instruction) {
    BeginCommand(kCmdSetInstruction);
    return AddWord(instruction) && SendCommand();
}

bool CTargetProtocolJTAG::CycleEnd() {
    BeginCommand(kCmdCycleEnd);
    return Exchange() && CheckStatus("CycleEnd");
}

bool CTargetProtocolJTAG::VerifyPSA(uint32_t address, uint16_t wordCount, uint16_t* psa) {
    if (psa) *psa = 0;
    const uint16_t fields[3] = {static_cast<uint16_t>(address >> 16),
                                static_cast<uint16_t>(address), wordCount};
    BeginCommand(kCmdVerifyPSA);
    uint16_t value = 0;
    if (!AddWords(fields, 3) || !Exchange() || !CheckStatus("VerifyPSA") ||
        !GetResponseWORDs(&value, 1))
        return false;
    if (psa) *psa = value;
    return true;
}

bool CTargetProtocolJTAG::ExecuteFuseBlow() {
    BeginCommand(kCmdExecuteFuseBlow);
    return Exchange() && CheckStatus("ExecuteFuseBlow");
}

bool CTargetProtocolJTAG::PUC(uint16_t* generalControl, uint16_t* clockControl,
                              uint16_t* moduleClockControl0) {
    lastPodStatus_ = 0;
    if (!generalControl) return fail("PUC called with NULL pwGeneralControl");
    if (!clockControl) return fail("PUC called with NULL pwClockControl");
    if (!moduleClockControl0) return fail("PUC called with NULL pwModuleClockControl0");
    const uint16_t fields[3] = {*generalControl, *clockControl, *moduleClockControl0};
    BeginCommand(kCmdPUC);
    uint16_t values[3];
    if (!AddWords(fields, 3) || !Exchange() || !CheckStatus("PUC", true) ||
        !GetResponseWORDs(values, 3))
        return false;
    *generalControl = values[0];
    *clockControl = values[1];
    *moduleClockControl0 = values[2];
    return true;
}

bool CTargetProtocolJTAG::ReleaseCPU() {
    BeginCommand(kCmdReleaseCPU);
    return Exchange() && CheckStatus("ReleaseCPU", true);
}

bool CTargetProtocolJTAG::SyncCPU() {
    BeginCommand(kCmdSyncCPU);
    return Exchange() && CheckStatus("SyncCPU", true);
}

bool CTargetProtocolJTAG::SetMDB(uint16_t value) {
    BeginCommand(kCmdSetMDB);
    return AddWord(value) && Exchange() && CheckStatus("SetMDB");
}

bool CTargetProtocolJTAG::ExecuteInstruction3(uint16_t instruction, uint16_t operand1,
                                              uint16_t operand2) {
    const uint16_t words[3] = {instruction, operand1, operand2};
    BeginCommand(kCmdExecuteInstruction3);
    return AddWords(words, 3) && SendCommand();
}

bool CTargetProtocolJTAG::ReadRegister(uint8_t number, uint32_t* value) {
    if (value) *value = 0;
    BeginCommand(kCmdReadRegister);
    uint32_t out = 0;
    if (!AddByte(number) || !Exchange() || !CheckStatus("ReadRegister") ||
        !GetResponseDWORDs(&out, 1))
        return false;
    if (value) *value = out;
    return true;
}

bool CTargetProtocolJTAG::WriteRegister(uint8_t number, uint32_t value) {
    BeginCommand(kCmdWriteRegister);
    return AddByte(number) && AddDWord(value) && Exchange() && CheckStatus("WriteRegister");
}

bool CTargetProtocolJTAG::ExecuteCode_Prepare() {
    BeginCommand(kCmdExecuteCodePrepare);
    return Exchange() && CheckStatus("ExecuteCode_Prepare");
}

bool CTargetProtocolJTAG::ExecuteCode_Release(uint32_t entry, uint32_t exit, uint16_t time) {
    BeginCommand(kCmdExecuteCodeRelease);
    if (!AddDWord(entry) || !AddDWord(exit) || !AddWord(time) || !SendCommand()) return false;
    // The routine runs on the chip meanwhile; give the pod a moment before reading.
    std::this_thread::yield();
    return ReadResponse(kCmdExecuteCodeRelease + 1, PodReplyLength(kCmdExecuteCodeRelease) - 1) &&
           CheckStatus("ExecuteCode_Release");
}

}  // namespace nandrel
