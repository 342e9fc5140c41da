// The control channel on the modem lines, edge by edge, against the simulated
// adapter's decoder.
#include <gtest/gtest.h>

#include "bsl_bench.h"
#include "library_state.h"
#include "port_tovrin.h"

namespace {

using kv::sim::testing::BslBench;
using tovrin::CPortTovrin;

class ControlChannel : public ::testing::Test {
  protected:
    void SetUp() override {
        tovrin::options() = tovrin::LibraryOptions{};
        ASSERT_TRUE(port.Open()) << port.ErrorText();
        bench.adapter->clearLogs();
    }
    BslBench bench;
    CPortTovrin port;
};

TEST_F(ControlChannel, ZeroMakesStartEdgeFourRtsStuffingAndFourRts) {
    ASSERT_TRUE(port.SendCommand(0x00, nullptr));
    EXPECT_EQ(bench.adapter->edges(), "DRRRRDRRRR");
    EXPECT_EQ(bench.adapter->commands(), std::vector<uint8_t>{0x00});
}

TEST_F(ControlChannel, AllOnesMakesDtrForFirstBitAndStuffingBeforeSixth) {
    ASSERT_TRUE(port.SendCommand(0xFF, nullptr));
    EXPECT_EQ(bench.adapter->edges(), "DDRRRRDRRR");
    EXPECT_EQ(bench.adapter->commands(), std::vector<uint8_t>{0xFF});
}

TEST_F(ControlChannel, EveryCommandDecodesAndNeverRunsFiveRtsEdges) {
    for (int c = 0; c < 256; ++c)
        ASSERT_TRUE(port.SendCommand(static_cast<uint8_t>(c), nullptr));
    ASSERT_EQ(bench.adapter->commands().size(), 256u);
    for (int c = 0; c < 256; ++c)
        EXPECT_EQ(bench.adapter->commands()[c], c);
    EXPECT_EQ(bench.adapter->edges().find("RRRRR"), std::string::npos);
}

TEST_F(ControlChannel, VersionQueryClocksTwoRepliesLowByteFirst) {
    uint32_t version = 0;
    ASSERT_TRUE(port.GetVersion(&version));
    EXPECT_EQ(version, 0x0103u);  // reply bytes 0x03 then 0x01
    EXPECT_EQ(bench.adapter->commands(), (std::vector<uint8_t>{0x40, 0x00, 0x00}));
    EXPECT_EQ(bench.adapter->edges(),
              "DRRRRDRRDD"
              "DRRRRDRRRR"
              "DRRRRDRRRR");
}

TEST_F(ControlChannel, SerialQueryClocksFourRepliesLowestFirst) {
    uint32_t serial = 0;
    ASSERT_TRUE(port.GetSerialNumber(&serial));
    EXPECT_EQ(serial, 0x00A1B2C3u);
    EXPECT_EQ(bench.adapter->commands(), (std::vector<uint8_t>{0x41, 0, 0, 0, 0}));
}

TEST_F(ControlChannel, LatchesSendRegisterCommandsAndSaveTheImage) {
    port.SetEnableBits(tovrin::kEnableRx | tovrin::kEnableBsl, true);
    port.SetDataBits(tovrin::kDataVtgt, true);
    EXPECT_TRUE(bench.adapter->commands().empty());  // nothing until latched
    ASSERT_TRUE(port.UpdateEnable());
    ASSERT_TRUE(port.UpdateData());
    EXPECT_EQ(bench.adapter->commands(), (std::vector<uint8_t>{0x85, 0xD0}));
    EXPECT_EQ(tovrin::options().savedImage, 0x00050010u);
    EXPECT_EQ(bench.adapter->enableRegister(), 0x05);
    EXPECT_EQ(bench.adapter->dataRegister(), 0x10);
}

TEST(ControlChannelOpen, OpenMarksSessionAndLatchesClearedRegisters) {
    BslBench bench;
    tovrin::options() = tovrin::LibraryOptions{};
    CPortTovrin port;
    ASSERT_TRUE(port.Open());
    // Five RTS edges (session start), then the two latches.
    EXPECT_EQ(bench.adapter->edges().substr(0, 5), "RRRRR");
    EXPECT_EQ(bench.adapter->commands(), (std::vector<uint8_t>{0x80, 0xC0}));
    EXPECT_EQ(
        bench.adapter->hostFormat(),
        (kv::sim::SerialFormat{9600, kv::usb::kBits8, kv::usb::kStopBits1, kv::usb::kParityEven}));
}

TEST(ControlChannelOpen, RestoreOptionLatchesSavedImage) {
    BslBench bench;
    tovrin::options() = tovrin::LibraryOptions{};
    tovrin::options().restoreAtOpen = true;
    tovrin::options().savedImage = 0x00100010;
    CPortTovrin port;
    ASSERT_TRUE(port.Open());
    EXPECT_EQ(bench.adapter->commands(), (std::vector<uint8_t>{0x90, 0xD0}));
    tovrin::options() = tovrin::LibraryOptions{};
}

TEST(ControlChannelOpen, SavedImageWithStrayBitsStillLatchesRegisters) {
    BslBench bench;
    tovrin::options() = tovrin::LibraryOptions{};
    tovrin::options().restoreAtOpen = true;
    tovrin::options().savedImage = 0xFFE1FFF0;
    CPortTovrin port;
    ASSERT_TRUE(port.Open());
    EXPECT_EQ(bench.adapter->commands(), (std::vector<uint8_t>{0x81, 0xD0}));
    tovrin::options() = tovrin::LibraryOptions{};
}

TEST(ControlChannelOpen, ReopenAfterUnfinishedCommandResynchronises) {
    BslBench bench;
    tovrin::options() = tovrin::LibraryOptions{};
    // A host that left DTR high and stopped halfway through a command.
    kv::usb::Handle h = 0;
    ASSERT_EQ(kv::usb::open(kv::sim::TovrinAdapter::kDescription, kv::usb::kOpenByDescription, &h),
              kv::usb::kOk);
    kv::usb::setDtr(h);
    kv::usb::setRts(h);
    kv::usb::close(h);
    CPortTovrin port;
    ASSERT_TRUE(port.Open());
    uint32_t version = 0;
    ASSERT_TRUE(port.GetVersion(&version));
    EXPECT_EQ(version, 0x0103u);
}

}  // namespace
