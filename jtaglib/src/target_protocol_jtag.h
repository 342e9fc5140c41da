// The pod command protocol of one target: builds a command (one command byte
// and big-endian fields) in its own buffer, writes it to the pod in one piece
// and reads the reply of known length. Owns the pod driver it located.
//
// Every command operation returns true on success, or false with the text in
// the error text. Output values are cleared before the command goes out and
// written only on success.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "pod_command_set.h"
#include "target_pod_jtag.h"

namespace nandrel {

inline constexpr uint32_t kProtocolBufferSize = 16384;
// The largest memory block one pod command moves.
inline constexpr uint32_t kMaxBlockBytes = 1024;
inline constexpr uint32_t kMaxBlockWords = 512;
// Address-field flags of a split memory transfer.
inline constexpr uint32_t kFirstBlock = 0x01000000;
inline constexpr uint32_t kLastBlock = 0x02000000;

class CTargetProtocolJTAG {
  public:
    CTargetProtocolJTAG() = default;
    ~CTargetProtocolJTAG();
    CTargetProtocolJTAG(const CTargetProtocolJTAG&) = delete;
    CTargetProtocolJTAG& operator=(const CTargetProtocolJTAG&) = delete;

    // Closes any pod driver and locates a pod.
    bool Open();
    void Close();
    // Tries the Dravik, and falls back to the second pod model, which always opens.
    bool LocatePod();

    bool GetSerialNumber(uint32_t* serial);
    bool GetHardwareVersion(std::string* text);
    bool GetFirmwareVersion(std::string* text);

    void GetErrorText(std::string* text) const { *text = errorText_; }
    void GetErrorTextAndStatus(std::string* text, uint32_t* status) const {
        *text = errorText_;
        *status = lastPodStatus_;
    }
    const std::string& errorText() const { return errorText_; }
    uint32_t lastPodStatus() const { return lastPodStatus_; }
    uint32_t lineMode() const { return lineMode_; }

    // Building blocks of every command.
    void BeginCommand(uint8_t command);
    bool AddBytes(const uint8_t* values, uint32_t n);
    bool AddWords(const uint16_t* values, uint32_t n);
    bool AddDWords(const uint32_t* values, uint32_t n);
    bool SendCommand();
    bool ReadResponse(uint8_t expectedId, uint32_t n);
    bool GetResponseBYTEs(uint8_t* out, uint32_t n);
    bool GetResponseWORDs(uint16_t* out, uint32_t n);
    bool GetResponseDWORDs(uint32_t* out, uint32_t n);
    bool WritePort(const uint8_t* data, uint32_t n);
    bool ReadPort(uint8_t* buffer, uint32_t n, uint32_t* countRead);
    uint32_t commandLength() const { return commandLength_; }

    // --- Pod and JTAG line commands.
    bool FuseCommand(uint8_t fuseValue, uint8_t* result, uint8_t* fuseBits);
    bool ExecuteFirmwareInstruction(uint16_t w0, uint16_t w1, uint16_t w2, uint16_t* result);
    // Command 30: the reply fields are read and dropped.
    bool ExecuteDebug();
    bool EnableJTAG();
    bool ReleaseJTAG();
    // Returns the previous mode.
    uint32_t SetLineMode(uint32_t mode);
    // The same, telling whether the command reached the pod.
    bool SetLineMode(uint32_t mode, uint32_t* previous);
    bool SetLine36(bool on);
    bool SetLine38(bool on);
    bool SetLine40(uint8_t state);
    bool SetTCK(uint32_t state);
    bool SetTCLK(uint32_t state);
    bool SetVCC(uint16_t millivolts);
    bool SetSupply2(uint16_t millivolts);
    bool IrShift(uint8_t instruction, uint8_t* captured);
    bool DrShift8(uint8_t value, uint8_t* captured);
    bool DrShift16(uint16_t value, uint16_t* captured);
    bool IrDrShift16(uint8_t instruction, uint16_t value, uint16_t* captured);
    bool IrDrShift16b(uint8_t instruction, uint16_t value, uint16_t* captured);
    bool ResetTap();
    bool CheckFuse();
    bool SendConfiguration(const uint8_t bytes[4], const uint16_t words[3]);
    bool SetJtagMode(uint8_t mode);
    bool CommandInstruction(uint8_t instruction);

    // --- CPU control.
    bool IsAtInstructionLoad(bool* atLoad);
    bool ReadLong(uint32_t* value);
    bool Exchange70(uint16_t value, uint16_t* out);
    bool Exchange72(uint16_t value, uint8_t* out);
    bool Exchange74(uint16_t value, uint8_t* out);
    bool SetPC(uint32_t pc);
    bool ClockToInstructionLoad(uint8_t count);
    bool CycleStart();
    bool SetInstruction(uint16_t instruction);
    bool CycleEnd();
    bool VerifyPSA(uint32_t address, uint16_t wordCount, uint16_t* psa);
    bool ExecuteFuseBlow();
    bool PUC(uint16_t* generalControl, uint16_t* clockControl, uint16_t* moduleClockControl0);
    bool ReleaseCPU();
    bool SyncCPU();
    bool SetMDB(uint16_t value);
    bool ExecuteInstruction3(uint16_t instruction, uint16_t operand1, uint16_t operand2);
    bool ReadRegister(uint8_t number, uint32_t* value);
    bool WriteRegister(uint8_t number, uint32_t value);
    bool ExecuteCode_Prepare();
    bool ExecuteCode_Release(uint32_t entry, uint32_t exit, uint16_t time);

    // --- Memory: one block each (the address carries the block flags).
    bool ReadByte(uint32_t address, uint16_t count, uint8_t* buffer);
    bool WriteByte(uint32_t address, uint16_t count, const uint8_t* data);
    bool ReadPeripheralWord(uint32_t address, uint16_t count, uint16_t* buffer);
    bool WritePeripheralWord(uint32_t address, uint16_t count, const uint16_t* data);

    // --- EEM.
    bool EEM_ReadControl(uint16_t* value);
    bool EEM_WriteControl(uint16_t value);
    bool EEM_WriteRegister(uint16_t reg, uint32_t value, uint16_t* clockControl,
                           uint16_t* moduleClockControl0);
    bool EEM_ReadTrigger(uint16_t* value);
    bool EEM_DataExchange(uint16_t word, uint32_t* value);

    // --- Composites.
    // Release JTAG, second supply off, enable JTAG.
    bool RestartJTAG();
    bool StopJTAG();
    bool ShiftIrDr8(uint8_t value, uint8_t* captured);
    bool ReadBytes(uint32_t address, uint32_t count, uint8_t* buffer);
    bool WriteBytes(uint32_t address, uint32_t count, const uint8_t* data);
    bool ReadWords(uint32_t address, uint32_t count, uint16_t* buffer);
    bool WriteWords(uint32_t address, uint32_t count, const uint16_t* data);

    CTargetPodJTAG* pod() const { return pod_.get(); }

  private:
    bool fail(std::string text);
    bool failFromPod();
    bool AddByte(uint8_t value) { return AddBytes(&value, 1); }
    bool AddWord(uint16_t value) { return AddWords(&value, 1); }
    bool AddDWord(uint32_t value) { return AddDWords(&value, 1); }
    // Sends a command without fields that has no reply.
    bool Simple(uint8_t command);
    // Sends the built command and reads its reply: the fixed part of the
    // command set and `data` bytes more.
    bool Exchange(uint32_t data = 0);
    // Reads the status byte; a non-zero one fails with "<name> failed (<status>)"
    // and, with keepStatus, becomes the last pod status.
    bool CheckStatus(const char* name, bool keepStatus = false);

    std::unique_ptr<CTargetPodJTAG> pod_;
    std::string errorText_ = "No error";
    uint32_t lineMode_ = 1;
    std::array<uint8_t, kProtocolBufferSize> command_{};
    uint32_t commandLength_ = 0;
    std::array<uint8_t, kProtocolBufferSize> reply_{};
    uint32_t readPosition_ = 0;
    uint32_t replyLength_ = 0;
    uint32_t lastPodStatus_ = 0;
    // Why the Dravik could not be opened when the fall-back driver stands in;
    // failures of the fall-back name it, so the caller learns the real cause.
    std::string locateFailure_;
};

}  // namespace nandrel
