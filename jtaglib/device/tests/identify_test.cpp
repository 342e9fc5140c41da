#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>

#include "nandrel/device/device_table.h"

namespace nandrel::device {
namespace {

// An identification block followed by the fuse byte; bytes not named are 0x00
// except the first, which a chip without identification reads as 0x00 too.
struct Chip {
    std::array<std::uint8_t, kIdBlockWithFuseSize> bytes{};

    Chip(std::uint8_t id0, std::uint8_t id1, std::uint8_t fuse) {
        bytes[0] = id0;
        bytes[1] = id1;
        bytes[kIdBlockSize] = fuse;
    }
    Chip& at(std::size_t offset, std::uint8_t value) {
        bytes[offset] = value;
        return *this;
    }
    std::string name() const { return GetDeviceRow(IdentifyDeviceById(bytes.data()))->name; }
    std::uint32_t row() const { return IdentifyDeviceById(bytes.data()); }
};

TEST(IdentifyDeviceById, FuseByteChoosesAmongSameIdentification) {
    EXPECT_EQ(Chip(0xF1, 0x49, 0x05).row(), 3u);
    EXPECT_EQ(Chip(0xF1, 0x49, 0x05).name(), "MSP430F133");
    EXPECT_EQ(Chip(0xF1, 0x49, 0x00).row(), 7u);
    EXPECT_EQ(Chip(0xF1, 0x49, 0x00).name(), "MSP430F149");
    // Only the masked fuse bits count.
    EXPECT_EQ(Chip(0xF1, 0x49, 0xF5).row(), 3u);
    EXPECT_EQ(Chip(0xF1, 0x49, 0x03).row(), 0u);
}

TEST(IdentifyDeviceById, ChipWithoutIdentificationIsNoDevice) {
    EXPECT_EQ(Chip(0x00, 0x00, 0x00).row(), 0u);
    EXPECT_EQ(Chip(0x00, 0x49, 0x07).row(), 0u);
    EXPECT_EQ(Chip(0xFF, 0xFF, 0xFF).row(), 0u);
    EXPECT_EQ(IdentifyDeviceById(nullptr), 0u);
}

TEST(IdentifyDeviceById, ComparesTheSevenBytesAtTheirOffsets) {
    EXPECT_EQ(Chip(0xF1, 0x12, 0).at(2, 0x00).at(3, 0x43).at(9, 0x08).row(), 1u);
    EXPECT_EQ(Chip(0xF1, 0x12, 0).at(2, 0x10).at(3, 0x40).row(), 2u);
    EXPECT_EQ(Chip(0xF1, 0x12, 0).at(2, 0x13).at(3, 0x99).row(), 10u);
    // Offset 4 to 7 are not compared; offset 8 is.
    EXPECT_EQ(Chip(0xF1, 0x12, 0).at(2, 0x13).at(4, 0x55).at(7, 0x55).row(), 10u);
    EXPECT_EQ(Chip(0xF1, 0x12, 0).at(2, 0x13).at(8, 0x01).row(), 0u);
    EXPECT_EQ(Chip(0xF2, 0x01, 0).at(13, 0x03).name(), "MSP430F20x3");
    EXPECT_EQ(Chip(0xF2, 0x01, 0).at(13, 0x01).name(), "MSP430F20x1");
}

TEST(IdentifyDeviceById, FirstMatchingRowWins) {
    // The three FE423 rows differ in the byte at offset 2; the general one comes last.
    auto fe423 = [](std::uint8_t id2, std::uint8_t fuse) {
        return Chip(0xF4, 0x27, fuse).at(2, id2).at(13, 0x45).row();
    };
    EXPECT_EQ(fe423(0x00, 0x02), 19u);
    EXPECT_EQ(fe423(0x10, 0x02), 22u);
    EXPECT_EQ(fe423(0x20, 0x02), 25u);
    EXPECT_EQ(fe423(0x10, 0x22), 22u);  // fuse mask 0x1F
    EXPECT_EQ(fe423(0x20, 0x06), 28u);
    EXPECT_EQ(Chip(0xF4, 0x27, 0xAB).at(13, 0x57).name(), "MSP430FW42x/F41x");
    // F4 49: row 13 takes fuse 2 whatever the byte at 13; rows 75 to 78 need 0x02 there.
    EXPECT_EQ(Chip(0xF4, 0x49, 0x02).at(13, 0x02).row(), 13u);
    EXPECT_EQ(Chip(0xF4, 0x49, 0x00).at(13, 0x00).row(), 14u);
    EXPECT_EQ(Chip(0xF4, 0x49, 0x00).at(13, 0x02).row(), 78u);
    EXPECT_EQ(Chip(0xF4, 0x49, 0x07).at(13, 0x02).name(), "MSP430F4783");
}

TEST(IdentifyDeviceById, TwoIdentitiesOfOneDevice) {
    EXPECT_EQ(Chip(0xF1, 0x69, 0x00).row(), 40u);
    EXPECT_EQ(Chip(0xF1, 0x6C, 0x07).row(), 44u);
    EXPECT_EQ(Chip(0xF1, 0x6C, 0x07).name(), "MSP430F169");
    EXPECT_EQ(Chip(0xF1, 0x6C, 0x0B).row(), 41u);
}

TEST(IdentifyDeviceById, EndOfDevicesIsNeverFound) {
    for (unsigned fuse = 0; fuse < 256; ++fuse) {
        EXPECT_NE(Chip(0x00, 0x00, static_cast<std::uint8_t>(fuse)).row(), kEndOfDevices);
    }
}

}  // namespace
}  // namespace nandrel::device
