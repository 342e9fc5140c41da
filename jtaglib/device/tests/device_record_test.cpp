#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "nandrel/device/device_record.h"

namespace nandrel::device {
namespace {

std::vector<std::uint8_t> RecordBytes(std::uint32_t index) {
    std::vector<std::uint8_t> bytes(kDeviceRecordSize, 0xCC);
    EXPECT_TRUE(FillDeviceRecord(bytes.data(), bytes.size(), index));
    return bytes;
}

TEST(FillDeviceRecord, BytesOfTheFg4619) {
    std::vector<std::uint8_t> expected = {0x55, 0xAA, 46, 0};
    const char name[] = "MSP430FG4619";
    expected.insert(expected.end(), name, name + sizeof name);
    expected.resize(36, 0);
    for (std::uint16_t v : {0x2100, 0x1000, 0x09FF, 8, 3, 2, 0x90, 0x9C, 1800, 3600, 0, 0x0200,
                            0x1100, 0x20FF, 0x10FF}) {
        expected.push_back(static_cast<std::uint8_t>(v));
        expected.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    for (std::uint8_t b : {0xFF, 0xFF, 0x01, 0x00}) {
        expected.push_back(b);  // main end 0x1FFFF
    }
    EXPECT_EQ(RecordBytes(46), expected);
}

TEST(FillDeviceRecord, FieldsOfSampleRows) {
    DeviceRecordLayout r{};
    ASSERT_TRUE(FillDeviceRecord(&r, 7));
    EXPECT_STREQ(r.name, "MSP430F149");
    EXPECT_EQ(r.deviceIndex, 7);
    EXPECT_EQ(r.mainStart, 0x1100);
    EXPECT_EQ(r.mainEnd, 0xFFFFu);
    EXPECT_EQ(r.infoStart, 0x1000);
    EXPECT_EQ(r.infoEnd, 0x10FF);
    EXPECT_EQ(r.ramStart, 0x0200);
    EXPECT_EQ(r.ramEnd, 0x09FF);
    EXPECT_EQ(r.ram2Start, 0);
    EXPECT_EQ(r.breakpoints, 3);
    EXPECT_EQ(r.emulationLevel, 2);
    EXPECT_EQ(r.clockControl, 0);
    EXPECT_EQ(r.testPin, 0);

    ASSERT_TRUE(FillDeviceRecord(&r, 19));
    EXPECT_STREQ(r.name, "MSP430FE423_P");
    EXPECT_EQ(r.mainStart, 0xE000);
    EXPECT_EQ(r.ramEnd, 0x02FF);
    EXPECT_EQ(r.lcdStart, 0x90);
    EXPECT_EQ(r.lcdEnd, 0xA4);
    EXPECT_EQ(r.vccMin, 2700);
    EXPECT_EQ(r.clockControl, 1);

    ASSERT_TRUE(FillDeviceRecord(&r, 54));
    EXPECT_STREQ(r.name, "MSP430F20x1");
    EXPECT_EQ(r.mainStart, 0xF800);
    EXPECT_EQ(r.ramEnd, 0x027F);
    EXPECT_EQ(r.testPin, 1);

    ASSERT_TRUE(FillDeviceRecord(&r, 91));
    EXPECT_EQ(r.mark, 0xAA55);
    EXPECT_STREQ(r.name, "End_of_devices");
    EXPECT_EQ(r.mainEnd, 0u);
    EXPECT_EQ(r.vccMin, 0);
    EXPECT_EQ(r.vccMax, 0);
    EXPECT_EQ(r.breakpoints, 0);
}

TEST(FillDeviceRecord, TwoIdentitiesGiveTheSameRecordApartFromTheIndex) {
    std::vector<std::uint8_t> a = RecordBytes(40);
    std::vector<std::uint8_t> b = RecordBytes(44);
    EXPECT_EQ(a[2], 40);
    EXPECT_EQ(b[2], 44);
    a[2] = b[2] = 0;
    EXPECT_EQ(a, b);
}

TEST(FillDeviceRecord, RefusesBadArgumentsWithoutWriting) {
    std::array<std::uint8_t, 80> buffer;
    buffer.fill(0xCC);
    EXPECT_FALSE(FillDeviceRecord(buffer.data(), buffer.size(), 92));
    EXPECT_FALSE(FillDeviceRecord(buffer.data(), kDeviceRecordSize - 1, 1));
    EXPECT_FALSE(FillDeviceRecord(nullptr, buffer.size(), 1));
    EXPECT_FALSE(FillDeviceRecord(static_cast<DeviceRecordLayout*>(nullptr), 1));
    for (std::uint8_t b : buffer) {
        ASSERT_EQ(b, 0xCC);
    }
    // A larger buffer keeps its bytes beyond the record.
    EXPECT_TRUE(FillDeviceRecord(buffer.data(), buffer.size(), 1));
    EXPECT_EQ(buffer[kDeviceRecordSize], 0xCC);
}

}  // namespace
}  // namespace nandrel::device
