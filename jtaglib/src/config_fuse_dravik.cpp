#include "config_fuse_dravik.h"

#include "target_protocol_jtag.h"
#include "text_format.h"

namespace nandrel {

namespace {

// The byte at 0x0074 is set to 5 while the pod programs the fuses.
constexpr uint16_t kFuseControl = 0x0074;
constexpr uint16_t kFuseControlValue = 0x0005;
constexpr uint16_t kMovByteAbsToR10 = 0x425A;  // mov.b &addr, r10
constexpr uint16_t kRet = 0x4130;
constexpr uint16_t kMovByteImmToAbs = 0x40F2;  // mov.b #value, &addr
constexpr uint16_t kProgrammingSupply = 4100;
constexpr uint8_t kProgrammed = 0x80;  // set in the fuse byte once it is programmed

enum FuseStatus : uint32_t {
    kFuseOk = 0,
    kFuseNoConnect = 1,
    kFuseNoSync = 2,
    kFuseAlreadyConfigured = 3,
    kFuseNotTaken = 4,
    kFuseFailed = 5,
};

}  // namespace

bool CConfigFuseDravik::FuseValueOf(uint32_t featureId, uint8_t* fuseValue) {
    static constexpr uint8_t kValues[] = {2, 3, 1, 0};  // ids 0x4616 to 0x4619
    if (featureId < kFuseFeatureFirst || featureId > kFuseFeatureLast) return false;
    *fuseValue = kValues[featureId - kFuseFeatureFirst];
    return true;
}

bool CConfigFuseDravik::Fail(std::string text) {
    errorText_ = std::move(text);
    return false;
}

bool CConfigFuseDravik::PodFailure() {
    return Fail(protocol_->errorText());
}

bool CConfigFuseDravik::ConfigureFuses(uint32_t featureId, uint32_t) {
    uint8_t fuseValue = 0;
    if (!FuseValueOf(featureId, &fuseValue))
        return Fail(format("Unable to configure fuses on unknown device 0x%08lX",
                           static_cast<unsigned long>(featureId)));
    // The previous line mode is not restored.
    uint32_t previousMode = 0;
    if (!protocol_->SetLineMode(1, &previousMode)) return PodFailure();
    uint16_t saved = 0;
    if (!protocol_->ExecuteFirmwareInstruction(kMovByteAbsToR10, kFuseControl, kRet, &saved))
        return PodFailure();
    if (!protocol_->ExecuteFirmwareInstruction(kMovByteImmToAbs, kFuseControlValue, kFuseControl,
                                               nullptr))
        return PodFailure();
    const bool programmed = ProgramFuses(fuseValue);
    // Put the byte back whatever came of the programming; its outcome does
    // not change the result.
    protocol_->ExecuteFirmwareInstruction(kMovByteImmToAbs, static_cast<uint16_t>(saved & 0xFF),
                                          kFuseControl, nullptr);
    return programmed;
}

bool CConfigFuseDravik::SwitchProgrammingSupplyOff() {
    // A write that fails because the pod left bytes behind clears them, so
    // a second try goes through: the supply must not stay on.
    return protocol_->SetSupply2(0) || protocol_->SetSupply2(0);
}

bool CConfigFuseDravik::ProgramFuses(uint8_t fuseValue) {
    status_ = 0;
    if (!protocol_->SetSupply2(kProgrammingSupply)) {
        const std::string text = protocol_->errorText();
        SwitchProgrammingSupplyOff();
        return Fail(text);
    }
    uint8_t result = 0;
    uint8_t fuseBits = 0;
    const bool sent = protocol_->FuseCommand(fuseValue, &result, &fuseBits);
    const std::string podText = protocol_->errorText();
    // The programming supply goes off whatever the fuse command did.
    SwitchProgrammingSupplyOff();
    if (!sent) return Fail(podText);
    status_ = result;

    const uint8_t expected = static_cast<uint8_t>(fuseValue | kProgrammed);
    switch (result) {
        case kFuseNoConnect:
            return Fail(format("Unable to connect to target, JTAGID returned 0x%02X", fuseBits));
        case kFuseNoSync:
            return Fail("Unable to sync to target");
        case kFuseAlreadyConfigured:
            if (fuseBits == expected) return true;
            return Fail(
                format("Device fuse bits read 0x%02X, expected 0x00, device already configured",
                       fuseBits));
        case kFuseNotTaken:
        case kFuseFailed:
            return Fail(
                format("Device fuse bits read 0x%02X, expected 0x%02X, configuration failed",
                       fuseBits, expected));
        default:  // kFuseOk, and codes the pod does not document
            return true;
    }
}

}  // namespace nandrel
