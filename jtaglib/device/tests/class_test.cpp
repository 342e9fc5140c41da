#include <gtest/gtest.h>

#include <string>

#include "nandrel/device/clock_control_names.h"
#include "nandrel/device/device_class.h"
#include "nandrel/device/memory_layout.h"

namespace nandrel::device {
namespace {

TEST(IsRamAddress, CoversTheFirstRamBlockInclusive) {
    EXPECT_FALSE(IsRamAddress(7, 0x01FF));
    EXPECT_TRUE(IsRamAddress(7, 0x0200));
    EXPECT_TRUE(IsRamAddress(7, 0x09FF));
    EXPECT_FALSE(IsRamAddress(7, 0x0A00));
    EXPECT_FALSE(IsRamAddress(38, 0x1100));  // the second block is not part of the check
    EXPECT_TRUE(IsRamAddress(40, 0x0CFF));
    EXPECT_FALSE(IsRamAddress(84, 0x0200));
}

TEST(ClassSettingFlags, BitsFromTheClassValues) {
    ClassSettingFlags unknown = GetClassSettingFlags(0, true);
    EXPECT_EQ(unknown.first, 0x10 | 0x20 | 0x08 | 0x04 | 0x02);
    EXPECT_EQ(unknown.second, 0);

    ClassSettingFlags fg4619 = GetClassSettingFlags(38, false);
    EXPECT_EQ(fg4619.first, 0x01 | 0x80);
    EXPECT_EQ(fg4619.second, 0x03);

    EXPECT_EQ(GetClassSettingFlags(49, false).second, 0x07);  // MSP430F2274
    EXPECT_EQ(GetClassSettingFlags(51, false).second, 0x03);  // MSP430F2330
    EXPECT_EQ(GetClassSettingFlags(8, false).first, 0x40 | 0x02);
}

TEST(ClockControlNames, ListsByClass) {
    const ClockControlNames& f43x = GetClassClockControlNames(12);
    EXPECT_STREQ(f43x[0], "");
    EXPECT_STREQ(f43x[1], "MCLK (Pin)");
    EXPECT_STREQ(f43x[6], "");
    EXPECT_STREQ(f43x[7], "USART0");
    EXPECT_STREQ(f43x[15], "Watchdog Timer");
    EXPECT_STREQ(GetClassClockControlNames(13)[6], "USART1");
    EXPECT_STREQ(GetClassClockControlNames(38)[6], "USCI1");
    EXPECT_STREQ(GetClassClockControlNames(38)[7], "USART0");
    EXPECT_STREQ(GetClassClockControlNames(30)[6], "");
    EXPECT_STREQ(GetClassClockControlNames(35)[6], "USART1");
    EXPECT_STREQ(GetClassClockControlNames(57)[10], "");
    EXPECT_STREQ(GetClassClockControlNames(57)[11], "Basic Timer");
    EXPECT_STREQ(GetClassClockControlNames(69)[15], "Watchdog Timer/ACLK (Pin)");
    EXPECT_STREQ(GetClassClockControlNames(72)[5], "");
    EXPECT_STREQ(GetClassClockControlNames(78)[6], "");
    EXPECT_STREQ(GetClassClockControlNames(78)[4], "ADC12");
    EXPECT_STREQ(GetClassClockControlNames(76)[4], "");
    EXPECT_STREQ(GetClassClockControlNames(76)[6], "USCI1");
    EXPECT_STREQ(GetClassClockControlNames(83)[12], "RTI");
    int named = 0;
    for (std::uint32_t c : {0u, 7u, 18u, 40u, 84u}) {
        for (const char* name : GetClassClockControlNames(c)) {
            named += std::string(name).empty() ? 0 : 1;
        }
    }
    EXPECT_EQ(named, 0);
}

TEST(ClockControlNames, ByDeviceIndex) {
    const char* const sentinel[] = {"x"};
    const char* const* names = sentinel;
    ASSERT_TRUE(GetClockControlModuleNames(12, &names));  // MSP430F43x, class 12
    EXPECT_EQ(names, GetClassClockControlNames(12).data());
    ASSERT_TRUE(GetClockControlModuleNames(91, &names));
    EXPECT_STREQ(names[9], "ADC10");
    ASSERT_TRUE(GetClockControlModuleNames(0, &names));
    EXPECT_STREQ(names[1], "");

    names = sentinel;
    EXPECT_FALSE(GetClockControlModuleNames(92, &names));
    EXPECT_FALSE(GetClockControlModuleNames(-1, &names));
    EXPECT_EQ(names, sentinel);
    EXPECT_FALSE(GetClockControlModuleNames(12, nullptr));
    names = nullptr;
    EXPECT_FALSE(GetClockControlModuleNames(12, &names));
    EXPECT_EQ(names, nullptr);
}

}  // namespace
}  // namespace nandrel::device
