// The adapter library's exports on the real USB stack: run by the USB rig
// with a simulated Tovrin adapter behind an emulated FTDI chip, so that every
// call crosses libftdi1, libusb and usbdevfs. The control channel's answers
// come back as CTS, the target's bootloader signal as DSR.
#include <gtest/gtest.h>

#include <cstdint>

#include "tovrin/tovrin.h"

namespace {

TEST(AdapterOnUsb, ControlChannelAndModemLinesCrossTheRealStack) {
    uint32_t off = 0;
    Tovrin_SetOption(0x1001, &off);
    ASSERT_EQ(Tovrin_Open(0), 1);
    uint32_t version = 0;
    uint32_t serial = 0;
    ASSERT_EQ(Tovrin_GetVersion(&version), 1);
    ASSERT_EQ(Tovrin_GetSerialNumber(&serial), 1);
    EXPECT_EQ(version, 0x0103u);
    EXPECT_EQ(serial, 0x00A1B2C3u);
    EXPECT_EQ(Tovrin_SetBaudRate(9600), 1);
    EXPECT_EQ(Tovrin_Purge(1, 1), 1);

    // The target's signal through DSR: none while it is unpowered, then there
    // once its supply is on.
    int32_t signal = -1;
    ASSERT_EQ(Tovrin_EnableBSL(), 1);
    ASSERT_EQ(Tovrin_UpdateEnable(), 1);
    ASSERT_EQ(Tovrin_GetBLSIG(&signal), 1);
    EXPECT_EQ(signal, 0);
    ASSERT_EQ(Tovrin_SetVTGT(), 1);
    ASSERT_EQ(Tovrin_UpdateData(), 1);
    ASSERT_EQ(Tovrin_GetBLSIG(&signal), 1);
    EXPECT_EQ(signal, 1);

    uint32_t waiting = 99;
    EXPECT_EQ(Tovrin_GetQueueStatus(&waiting), 1);
    EXPECT_EQ(waiting, 0u);
    Tovrin_Close();
}

}  // namespace
