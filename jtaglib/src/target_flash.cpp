// The flash operations of the target: each takes the port lock and hands the
// work, with the flash settings as Configure left them, to the flasher.
#include "error_table.h"
#include "flash_errors.h"
#include "target_jtag.h"

namespace nandrel {

int32_t CTargetJTAG::Erase(int32_t type, uint32_t address, uint32_t length) {
    auto lock = LockPort();
    if (!protocol_) {
        Fail("NULL interface");
        return SetError(kErrInitialize);
    }
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
