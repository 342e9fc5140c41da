#include "kelvane/sim/serial_line.h"

#include <gtest/gtest.h>

namespace {

using kv::sim::SerialFormat;
namespace usb = kv::usb;

const SerialFormat k8E1{9600, usb::kBits8, usb::kStopBits1, usb::kParityEven};

TEST(SerialLine, CharacterTimeCountsStartDataParityStop) {
    EXPECT_EQ(kv::sim::characterBits(k8E1), 11u);
    EXPECT_EQ(kv::sim::characterTimeUs(k8E1), 1146u);
    SerialFormat f = k8E1;
    f.parity = usb::kParityNone;
    f.stopBits = usb::kStopBits2;
    EXPECT_EQ(kv::sim::characterBits(f), 11u);
}

TEST(SerialLine, SameFramingPassesEveryValue) {
    for (int v = 0; v < 256; ++v) {
        auto c = kv::sim::receiveCharacter(static_cast<uint8_t>(v), k8E1, k8E1);
        EXPECT_EQ(c.value, v);
        EXPECT_TRUE(c.ok);
    }
}

TEST(SerialLine, WrongBaudRateGarbles) {
    SerialFormat fast = k8E1;
    fast.baud = 19200;
    const auto c = kv::sim::receiveCharacter(0x80, fast, k8E1);
    EXPECT_FALSE(c.value == 0x80 && c.ok);
    const auto back = kv::sim::receiveCharacter(0x90, k8E1, fast);
    EXPECT_FALSE(back.value == 0x90 && back.ok);
}

TEST(SerialLine, MissingParityBitShowsAsParityOrFramingError) {
    SerialFormat n81 = k8E1;
    n81.parity = usb::kParityNone;
    // 0x18 has an even number of ones: the receiver wants parity 0 and samples the stop bit.
    EXPECT_FALSE(kv::sim::receiveCharacter(0x18, n81, k8E1).ok);
    // 0x90 sent with parity 0: an 8N1 receiver samples it as its stop bit.
    EXPECT_FALSE(kv::sim::receiveCharacter(0x90, k8E1, n81).ok);
}

}  // namespace
