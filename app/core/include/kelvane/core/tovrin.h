// CTovrin: the Tovrin bootstrap-loader adapter seen through the Hesmark
// library. Opens the adapter with the program's options, keeps its version
// texts and serial number, caches the target loader's version and turns memory
// requests at any address and length into loader frames: even addresses and
// lengths, at most 192 bytes, never across a 64 KiB boundary.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "hesmark/hesmark.h"
#include "kelvane/core/target_pod.h"

namespace kv {

class CTovrin : public CTargetPod {
  public:
    static constexpr uint32_t kBaudRate = 9600;
    static constexpr uint32_t kMaxFrame = 192;
    static constexpr uint32_t kFlashControl3 = 0x012C;

    CTovrin();

    int IsOpen() override;
    // Closes the connection and saves the adapter's line registers.
    int Close() override;
    int Open() override;

    // The loader patch file handed to the library at every open; with asIs 0
    // the path is made a full path first. Kept for the whole process.
    static void SetPatchFileName(const char* path, int asIs);
    static const std::string& GetPatchFileName();

    int RegisterHWND(HesmarkNotifyProc callback, void* user, uint32_t message, uint32_t kindMask);
    int GetSerialNumber(std::string& text);
    int GetLibraryVersion(std::string& text);
    int GetFirmwareVersion(std::string& text);

    int InitializeTarget();
    // A successful mass erase makes the erased chip's password (32 bytes of
    // 0xFF) the one kept for ResendPassword, and known.
    int MassErase();
    int ResetTarget();
    int PowerOff();
    // Sends the 16 words as 32 bytes, low byte first, and keeps them for
    // ResendPassword (for the whole process) as the known password. A
    // password the loader refuses says so and what a 2.x loader then does.
    int SetPassword(const uint16_t* words);
    int ResendPassword();
    int GetBootloaderVersion(uint8_t& major, uint8_t& minor);
    int LoadPC(uint32_t address);
    int SectorErase(uint32_t address);

    int WriteMemory(const uint8_t* data, uint32_t address, uint32_t count);
    int ReadMemory(uint8_t* buffer, uint32_t address, uint32_t count);
    int VerifyMemory(const uint8_t* data, uint32_t address, uint32_t count);
    // Checks wordCount words from address for 0xFFFF.
    int EraseCheck(uint32_t address, uint32_t wordCount, int* erased, uint32_t* failureAddress);
    int SetLockA(int lock);

    int SetPowerOffOption(uint32_t value);
    int SetMessageBoxOption(uint32_t value);
    int SetRestoreOnOpenOption(uint32_t value);
    int SaveAdapterRegisters();
    int RestoreAdapterRegisters();
    // Whether the target loader can set a memory offset.
    int SupportsMemoryOffset();

    void SetExtendedTarget(int extended) { extendedTarget_ = extended != 0; }
    bool IsExtendedTarget() const { return extendedTarget_; }
    int32_t GetCurrentMemoryOffset() const { return currentMemoryOffset_; }

    // Process-wide state kept between runs.
    static uint32_t GetSavedAdapterRegisters();
    static void SetSavedAdapterRegisters(uint32_t image);
    static const std::array<uint8_t, 32>& GetLastPassword();
    // Whether the kept password was given by a SetPassword or made the erased
    // chip's by a mass erase; until then it is the erased chip's by default
    // only, which a programmed chip refuses.
    static bool IsPasswordKnown();
    // Back to the state at program start (all 0xFF password not known, no
    // patch file, line-register image 0).
    static void ResetProcessState();

  private:
    int TakeLibraryError();
    int SetOption(uint32_t option, uint32_t value);
    int MemoryOffsetGate(uint32_t address);
    int TransferFrames(uint8_t* buffer, const uint8_t* data, uint32_t address, uint32_t count,
                       int32_t verify);
    int ReadEven(uint8_t* buffer, uint32_t address, uint32_t count);
    int WriteEven(const uint8_t* data, uint32_t address, uint32_t count, int32_t verify);

    std::string libraryVersion_ = "Unknown";
    std::string firmwareVersion_ = "Unknown";
    uint32_t serialNumber_ = 0;
    bool extendedTarget_ = false;
    int32_t currentMemoryOffset_ = -1;
    uint8_t loaderMajor_ = 0;
    uint8_t loaderMinor_ = 0;
};

}  // namespace kv
