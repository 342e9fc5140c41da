// The ROM loader as the boot ROM of a simulated chip: its profile taken from
// the chip, and its pins switching the chip's power and resets.
#include <gtest/gtest.h>

#include "kelvane/sim/chip.h"
#include "kelvane/sim/loader_patch.h"
#include "kelvane/sim/rom_bootloader.h"

namespace {

using kv::sim::LoaderProfile;
using kv::sim::RomBootLoader;

TEST(ChipLoaderProfile, VersionAndFeaturesFromTheIdentificationBlock) {
    const kv::sim::DeviceProfile& f149 = *kv::sim::findProfile("MSP430F149");
    const LoaderProfile old = LoaderProfile::forChip(f149, false);
    EXPECT_EQ(old.major(), 0x01);
    EXPECT_EQ(old.minor(), 0x10);
    EXPECT_TRUE(old.needsPatch);
    EXPECT_EQ(old.patchCode, kv::sim::loaderPatchCode());
    EXPECT_FALSE(old.memoryOffset);
    EXPECT_EQ(old.ramStart, 0x0200u);
    EXPECT_EQ(old.ramEnd, 0x0A00u);

    const LoaderProfile f2274 = LoaderProfile::forChip(*kv::sim::findProfile("MSP430F2274"), true);
    EXPECT_FALSE(f2274.needsPatch);
    EXPECT_FALSE(f2274.memoryOffset);
    EXPECT_TRUE(f2274.testPin);

    kv::sim::DeviceProfile big = *kv::sim::findProfile("MSP430FG4619");
    big.idBlock[10] = 0x02;
    big.idBlock[11] = 0x11;
    EXPECT_FALSE(LoaderProfile::forChip(big, false).memoryOffset);
    big.idBlock[11] = 0x12;
    EXPECT_TRUE(LoaderProfile::forChip(big, false).memoryOffset);

    // Who erases on a wrong password, and where the key word that stops it lies.
    EXPECT_FALSE(old.erasesOnWrongPassword());
    EXPECT_TRUE(f2274.erasesOnWrongPassword());
    EXPECT_EQ(f2274.keyAddress, 0xFFDEu);
    EXPECT_TRUE(LoaderProfile::forChip(big, false).erasesOnWrongPassword());
    EXPECT_EQ(LoaderProfile::forChip(big, false).keyAddress, 0xFFBEu);
}

TEST(ChipLoader, PinsSwitchPowerAndEntryHoldsTheWatchdog) {
    const kv::sim::DeviceProfile& device = *kv::sim::findProfile("MSP430F149");
    kv::sim::Chip chip(device);
    RomBootLoader loader(chip, LoaderProfile::forChip(device, false));
    loader.setReset(false, 0);
    loader.setSupply(true, 0);
    EXPECT_TRUE(chip.powered());
    EXPECT_EQ(loader.state(), RomBootLoader::State::InReset);
    for (int i = 0; i < 2; ++i) {
        loader.setTck(false, 0);
        loader.setTck(true, 0);
    }
    loader.setTck(false, 0);
    loader.setReset(true, 0);
    EXPECT_TRUE(loader.running());
    EXPECT_EQ(chip.lastResetCause(), kv::sim::ResetCause::ResetPin);
    EXPECT_TRUE(chip.watchdog().read() & 0x0080);  // held
    loader.setSupply(false, 0);
    EXPECT_FALSE(chip.powered());
}

}  // namespace
