// The flash test setting: instructions fed into a held CPU that write the
// flash controller's test registers.
#include "error_table.h"
#include "target_jtag.h"

namespace nandrel {

namespace {

constexpr uint16_t kMovImmediateToAbsolute = 0x40B2;
constexpr uint16_t kJumpToItself = 0x3FFF;
constexpr int kLoadRounds = 10;

struct TestEntry {
    uint16_t value;
    uint16_t address;
};

constexpr TestEntry kListA[8] = {{0xA580, 0x012C}, {0xA50C, 0x012E}, {0xA504, 0x012E},
                                 {0xA516, 0x012E}, {0xA506, 0x012E}, {0xA50E, 0x012E},
                                 {0xA516, 0x012E}, {0xA504, 0x012E}};
constexpr TestEntry kListB[8] = {{0xA580, 0x012C}, {0xA50C, 0x012E}, {0xA504, 0x012E},
                                 {0xA516, 0x012E}, {0xA507, 0x012E}, {0xA50F, 0x012E},
                                 {0xA516, 0x012E}, {0xA504, 0x012E}};

}  // namespace

int32_t CTargetJTAG::FlashTestSetting(uint32_t mode) {
    auto lock = LockPort();
    if (!protocol_) {
        Fail("NULL interface");
        return SetError(kErrInitialize);
    }
    if (!FlashDeviceFor(selectedDevice_, deviceClass_).flashTest || mode >= 3)
        return SetError(kErrParameter);
    if (!Reset(kResetPuc, false, false)) return 0;
    CTargetProtocolJTAG& p = *protocol_;
    if (!p.CycleStart()) return PodError(kErrParameter);
    for (const TestEntry& entry : mode == 1 ? kListA : kListB) {
        if (!p.ExecuteInstruction3(kMovImmediateToAbsolute, entry.value, entry.address))
            return PodError(kErrParameter);
        if (mode == 0) {
            if (!p.ClockToInstructionLoad(10)) return PodError(kErrParameter);
            continue;
        }
        for (int round = 0; round < kLoadRounds; ++round) {
            bool atLoad = false;
            if (p.IsAtInstructionLoad(&atLoad) && atLoad) break;
            if (!p.SetTCLK(0) || !p.SetTCLK(1)) return PodError(kErrParameter);
        }
    }
    if (!p.SetInstruction(kJumpToItself) || !p.CycleEnd()) return PodError(kErrParameter);
    return ClearError();
}

}  // namespace nandrel
