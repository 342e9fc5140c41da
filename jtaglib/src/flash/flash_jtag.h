// The flasher of a target: erase, flash writes, programming and verifying
// image files, the erase check, the flash clock set-up and the flash access
// frame around every erase and write. It reaches the chip only through its
// FlashTarget and works on a copy of the target's FlashSettings taken when an
// operation starts.
//
// Operations that end an exported call report through the target's error
// number (1 or 0); the steps inside return 0 or the error number they stand for.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "flash/erase_plan.h"
#include "flash/flash_device.h"
#include "flash/flash_settings.h"
#include "flash/flash_target.h"
#include "nandrel/routines/routine_layout.h"

namespace nandrel {

class CFlashJTAG {
  public:
    explicit CFlashJTAG(FlashTarget& target) : target_(target) {}
    CFlashJTAG(const CFlashJTAG&) = delete;
    CFlashJTAG& operator=(const CFlashJTAG&) = delete;

    int32_t Erase(const FlashSettings& settings, int32_t type, uint32_t address, uint32_t length);
    // 0 or the error number of a flash write (the range lies in the flash).
    int32_t WriteFlash(const FlashSettings& settings, uint32_t address, const uint8_t* data,
                       uint32_t count);
    // Verifies against `expected`, or checks the range reads erased when it is null.
    int32_t VerifyMemory(uint32_t address, uint32_t count, const uint8_t* expected);
    int32_t ProgramFile(const FlashSettings& settings, const char* path, int32_t eraseType,
                        bool verify);
    int32_t VerifyFile(const char* path);

  private:
    int32_t ReadHexFile(const char* path, int type);
    int32_t SetLockA(bool locked, bool* previous);
    int32_t ExecuteCode(const uint16_t* words, uint32_t count, bool verify, bool stopAtExit,
                        uint16_t waitTime);
    // The chip state a flash erase or write disturbs, saved on construction and
    // put back by Close() or, on paths that leave early, by the destructor.
    class FlashFrame {
      public:
        explicit FlashFrame(CFlashJTAG& flasher);
        ~FlashFrame();
        FlashFrame(const FlashFrame&) = delete;
        FlashFrame& operator=(const FlashFrame&) = delete;
        // 0, or the error number of a save that failed.
        int32_t error() const { return error_; }
        // Restores the chip; the operation's own error stands before the restore's.
        int32_t Close(int32_t result);

      private:
        CFlashJTAG& flasher_;
        int32_t error_;
        bool open_;
    };

    int32_t EnterFlashFrame();
    int32_t LeaveFlashFrame();
    int32_t SetFlashClock();
    // Downloads and runs a routine as its kind runs (erase and write routines
    // to their exit, measurements for the measuring time, the clock setting
    // untimed) and gives its result register(s) from the routine's layout.
    bool RunRoutine(routines::RoutineId id, std::span<const uint16_t> words, uint32_t* result);
    // Runs an erase plan inside one flash frame.
    int32_t EraseRange(const std::vector<EraseStep>& plan);
    // `notErased` tells that the routine ran and its check found a cell that did not erase.
    int32_t RunErase(const EraseStep& step, bool* notErased = nullptr);
    int32_t VerifyChunk(uint32_t address, uint32_t count, const uint8_t* expected);
    int32_t VerifySegments(bool flash);

    FlashTarget& target_;
    // The settings of the operation under way.
    FlashSettings settings_;

    // Saved while a flash operation runs.
    std::array<uint8_t, 8> clock_{};
    std::array<uint8_t, 4> low_{};
    std::array<uint16_t, 3> controller_{};
    bool lockAWasSet_ = false;
    std::vector<uint8_t> ram_;
    // Timing bits ORed into the flash command and lock words.
    uint16_t timingBits_ = 0x20;
    double measuredClockHz_ = 0;
};

}  // namespace nandrel
