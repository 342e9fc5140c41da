// The flash operations of the target: each takes the port lock and hands the
// work, with the flash settings as Configure left them, to the flasher.
#include "error_table.h"
#include "flash_errors.h"
#include "target_jtag.h"
#include "text_format.h"

namespace nandrel {

bool CTargetJTAG::FlashSupplyEnough(int32_t error) {
    const uint32_t minimum = FlashDeviceFor(selectedDevice_, deviceClass_).flashSupplyMillivolts();
    // A supply this library did not set (0) is the board's own.
    if (lastVcc_ == 0 || lastVcc_ >= minimum) return true;
    Fail(format("Target supply %lu mV is below the %lu mV this device's flash needs to be "
                "erased or programmed",
                static_cast<unsigned long>(lastVcc_), static_cast<unsigned long>(minimum)));
    SetError(error);
    return false;
}

int32_t CTargetJTAG::Erase(int32_t type, uint32_t address, uint32_t length) {
    auto lock = LockPort();
    if (!protocol_) {
        Fail("NULL interface");
        return SetError(kErrInitialize);
    }
    if (!FlashSupplyEnough(kErrEraseMemory)) return 0;
    return flasher_.Erase(flashSettings_, type, address, length);
}

int32_t CTargetJTAG::VerifyMemory(uint32_t address, uint32_t count, const uint8_t* expected) {
    auto lock = LockPort();
    if (!protocol_) {
        Fail("NULL interface");
        return SetError(kErrInitialize);
    }
    if (runMode_ != kNotRunning) return RefuseWhileRunning(kErrVerification);
    return flasher_.VerifyMemory(address, count, expected);
}

int32_t CTargetJTAG::ProgramFile(const char* path, int32_t eraseType, bool verify) {
    auto lock = LockPort();
    if (!protocol_) {
        Fail("NULL interface");
        return SetError(kErrInitialize);
    }
    if (!FlashSupplyEnough(kErrWriteMemory)) return 0;
    return flasher_.ProgramFile(flashSettings_, path, eraseType, verify);
}

int32_t CTargetJTAG::VerifyFile(const char* path) {
    auto lock = LockPort();
    if (!protocol_) {
        Fail("NULL interface");
        return SetError(kErrInitialize);
    }
    return flasher_.VerifyFile(path);
}

}  // namespace nandrel
