// The exported interface of libtovrin.so over the simulated adapter.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "bsl_bench.h"
#include "tovrin/tovrin.h"

namespace {

using kv::sim::testing::BslBench;

std::string LastError() {
    char text[1024];
    Tovrin_GetLastError(text, sizeof text);
    return text;
}

class TovrinApi : public ::testing::Test {
  protected:
    void SetUp() override {
        uint32_t on = 1, off = 0, zero = 0;
        Tovrin_SetOption(TOVRIN_OPTION_MESSAGE_BOXES, &on);
        Tovrin_SetOption(TOVRIN_OPTION_RESTORE_AT_OPEN, &off);
        Tovrin_SetOption(TOVRIN_OPTION_SET_SAVED_IMAGE, &zero);
    }
    void TearDown() override { Tovrin_Close(); }
    BslBench bench;
};

TEST_F(TovrinApi, CallsWithoutAdapterNameTheExport) {
    EXPECT_EQ(Tovrin_IsOpen(), 0);
    EXPECT_EQ(Tovrin_Purge(1, 1), 0);
    EXPECT_EQ(LastError(), "Tovrin_Purge called while Tovrin closed");
    EXPECT_EQ(Tovrin_SetVTGT(), 0);
    EXPECT_EQ(LastError(), "Tovrin_SetVTGT called while Tovrin closed");
    uint32_t v = 0;
    EXPECT_EQ(Tovrin_GetVersion(&v), 0);
    EXPECT_EQ(LastError(), "Tovrin_GetVersion called while Tovrin closed");
    EXPECT_EQ(Tovrin_Close(), 1);
}

TEST_F(TovrinApi, LastErrorCopyRules) {
    Tovrin_UpdateData();
    const std::string text = "Tovrin_UpdateData called while Tovrin closed";
    EXPECT_EQ(Tovrin_GetLastError(nullptr, 0), static_cast<int>(text.size()));
    char buffer[16];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(Tovrin_GetLastError(buffer, 10), 9);
    EXPECT_STREQ(buffer, "Tovrin_Up");
    // No room: nothing written, nothing returned.
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(Tovrin_GetLastError(buffer, 0), 0);
    EXPECT_EQ(Tovrin_GetLastError(buffer, -5), 0);
    EXPECT_EQ(buffer[0], 'x');
    EXPECT_EQ(Tovrin_GetLastError(buffer, 1), 0);
    EXPECT_EQ(buffer[0], '\0');
}

TEST_F(TovrinApi, OptionsAlwaysSucceed) {
    uint32_t value = 0x1234;
    EXPECT_EQ(Tovrin_SetOption(0x2000, &value), 1);
    EXPECT_EQ(value, 0x1234u);
    EXPECT_EQ(Tovrin_SetOption(TOVRIN_OPTION_GET_SAVED_IMAGE, nullptr), 1);
    uint32_t image = 0x00120034;
    Tovrin_SetOption(TOVRIN_OPTION_SET_SAVED_IMAGE, &image);
    uint32_t read = 0;
    Tovrin_SetOption(TOVRIN_OPTION_GET_SAVED_IMAGE, &read);
    EXPECT_EQ(read, 0x00120034u);
}

TEST_F(TovrinApi, OpenReadsVersionAndSerialAndLatchesLines) {
    ASSERT_EQ(Tovrin_Open(0), 1) << LastError();
    uint32_t version = 0, serial = 0;
    ASSERT_EQ(Tovrin_GetVersion(&version), 1);
    ASSERT_EQ(Tovrin_GetSerialNumber(&serial), 1);
    EXPECT_EQ(version, 0x0103u);
    EXPECT_EQ(serial, 0x00A1B2C3u);

    Tovrin_EnableRx();
    Tovrin_EnableBSL();
    Tovrin_SetVTGT();
    ASSERT_EQ(Tovrin_UpdateEnable(), 1);
    ASSERT_EQ(Tovrin_UpdateData(), 1);
    uint32_t image = 0;
    Tovrin_SetOption(TOVRIN_OPTION_GET_SAVED_IMAGE, &image);
    EXPECT_EQ(image, 0x00050010u);
    EXPECT_TRUE(bench.adapter->lines().supply);
    EXPECT_TRUE(bench.adapter->lines().reset);
    EXPECT_TRUE(bench.boxes.empty());
}

TEST_F(TovrinApi, RestoreOptionLatchesSavedImageAtOpen) {
    uint32_t on = 1, image = 0x00100010;
    Tovrin_SetOption(TOVRIN_OPTION_RESTORE_AT_OPEN, &on);
    Tovrin_SetOption(TOVRIN_OPTION_SET_SAVED_IMAGE, &image);
    ASSERT_EQ(Tovrin_Open(0), 1);
    EXPECT_EQ(bench.adapter->commands(), (std::vector<uint8_t>{0x90, 0xD0}));
    EXPECT_EQ(bench.adapter->enableRegister(), 0x10);
    EXPECT_EQ(bench.adapter->dataRegister(), 0x10);
}

TEST_F(TovrinApi, MissingAdapterFailsWithBoxAndStaysOpenUntilClosed) {
    bench.unplugAdapter();
    EXPECT_EQ(Tovrin_Open(0), 0);
    EXPECT_EQ(LastError(), "Unable to open Tovrin, error 2");
    ASSERT_EQ(bench.boxes.size(), 1u);
    EXPECT_EQ(bench.boxes[0].caption, "Tovrin Error");
    EXPECT_EQ(bench.boxes[0].text, "Unable to open Tovrin, error 2");
    EXPECT_EQ(Tovrin_IsOpen(), 1);
    EXPECT_EQ(Tovrin_Purge(1, 0), 0);
    EXPECT_EQ(LastError(), "Called CPortTovrin::Purge() with driver port closed");
    uint8_t byte = 0;
    EXPECT_EQ(Tovrin_WritePort(&byte, 1), 0);
    EXPECT_EQ(LastError(), "Called CPortTovrin::WritePort() with driver port closed");
    int32_t flag = 0;
    EXPECT_EQ(Tovrin_GetBLSIG(&flag), 0);
    EXPECT_EQ(LastError(), "Called CPortTovrin::GetModemStatus() with driver port closed");
    // The control channel has no port either: no line is driven, no further box.
    EXPECT_EQ(Tovrin_SetVTGT(), 1);
    EXPECT_EQ(Tovrin_UpdateData(), 0);
    EXPECT_EQ(LastError(), "Called CPortTovrin::SendCommand() with driver port closed");
    uint32_t version = 0;
    EXPECT_EQ(Tovrin_GetVersion(&version), 0);
    EXPECT_EQ(LastError(), "Called CPortTovrin::SendCommand() with driver port closed");
    EXPECT_EQ(bench.boxes.size(), 1u);
    Tovrin_Close();
    EXPECT_EQ(Tovrin_IsOpen(), 0);
}

// An adapter whose USB layer takes only part of a write.
class ShortWriteAdapter : public kv::sim::TovrinAdapter {
  public:
    kv::usb::Status write(const uint8_t* data, size_t count, size_t* written) override {
        const kv::usb::Status s = TovrinAdapter::write(data, count > 1 ? count - 1 : count, written);
        return s;
    }
};

TEST_F(TovrinApi, AShortWriteIsReportedWithTheCounts) {
    auto adapter = std::make_shared<ShortWriteAdapter>();
    kv::usb::setBackend(std::make_shared<kv::sim::testing::SingleDeviceBackend>(adapter));
    ASSERT_EQ(Tovrin_Open(0), 1) << LastError();
    const uint8_t bytes[4] = {0x80, 0x10, 0x24, 0x24};
    EXPECT_EQ(Tovrin_WritePort(bytes, 4), 0);
    EXPECT_EQ(LastError(), "WritePort wrote 3 of 4 bytes: the write timed out");
    EXPECT_EQ(Tovrin_WritePort(bytes, 1), 1) << LastError();
    Tovrin_Close();
}

TEST_F(TovrinApi, MessageBoxesCanBeSwitchedOff) {
    uint32_t off = 0;
    Tovrin_SetOption(TOVRIN_OPTION_MESSAGE_BOXES, &off);
    bench.unplugAdapter();
    EXPECT_EQ(Tovrin_Open(0), 0);
    EXPECT_TRUE(bench.boxes.empty());
}

TEST_F(TovrinApi, BaudRateFailureShowsDriverStatus) {
    ASSERT_EQ(Tovrin_Open(0), 1);
    EXPECT_EQ(Tovrin_SetBaudRate(0), 0);
    EXPECT_EQ(LastError(), "Unable to set Tovrin baud rate, error 7");
    ASSERT_EQ(bench.boxes.size(), 1u);
    EXPECT_EQ(bench.boxes[0].text, "Unable to set Tovrin baud rate, error 7");
}

TEST_F(TovrinApi, BootloaderSignalNeedsBslLineAndPoweredTarget) {
    ASSERT_EQ(Tovrin_Open(0), 1);
    EXPECT_EQ(Tovrin_GetBLSIG(nullptr), 0);
    EXPECT_EQ(LastError(), "CPortTovrin::GetBLSIG() called with NULL pbBLSIG");
    int32_t flag = -1;
    ASSERT_EQ(Tovrin_GetBLSIG(&flag), 1);
    EXPECT_EQ(flag, 0);
    Tovrin_EnableBSL();
    Tovrin_UpdateEnable();
    ASSERT_EQ(Tovrin_GetBLSIG(&flag), 1);
    EXPECT_EQ(flag, 0);  // target unpowered
    Tovrin_SetVTGT();
    Tovrin_UpdateData();
    ASSERT_EQ(Tovrin_GetBLSIG(&flag), 1);
    EXPECT_EQ(flag, 1);
    bench.adapter->attachTarget(nullptr);
    ASSERT_EQ(Tovrin_GetBLSIG(&flag), 1);
    EXPECT_EQ(flag, 0);
}

TEST_F(TovrinApi, ZeroCountsSucceedAndReadWaitsForItsTimeOut) {
    ASSERT_EQ(Tovrin_Open(0), 1);
    EXPECT_EQ(Tovrin_WritePort(nullptr, 0), 1);
    uint32_t got = 7;
    EXPECT_EQ(Tovrin_ReadPort(nullptr, 0, &got), 1);
    EXPECT_EQ(got, 0u);
    uint8_t buffer[4];
    const uint32_t start = bench.clock.tickCount();
    EXPECT_EQ(Tovrin_ReadPort(buffer, 4, &got), 1);
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(bench.clock.tickCount() - start, 500u);
    uint32_t queued = 9;
    ASSERT_EQ(Tovrin_GetQueueStatus(&queued), 1);
    EXPECT_EQ(queued, 0u);
}

TEST_F(TovrinApi, MissingOutputsAreRefused) {
    ASSERT_EQ(Tovrin_Open(0), 1);
    EXPECT_EQ(Tovrin_GetQueueStatus(nullptr), 0);
    EXPECT_EQ(LastError(), "CPortTovrin::GetQueueStatus() called with NULL pdwCount");
    EXPECT_EQ(Tovrin_GetVersion(nullptr), 0);
    EXPECT_EQ(LastError(), "CPortTovrin::GetVersion() called with NULL pdwVersion");
    EXPECT_EQ(Tovrin_GetSerialNumber(nullptr), 0);
    EXPECT_EQ(Tovrin_ReadPort(nullptr, 4, nullptr), 0);
    EXPECT_EQ(LastError(), "CPortTovrin::ReadPort() called with NULL buffer");
    EXPECT_EQ(Tovrin_WritePort(nullptr, 4), 0);
    EXPECT_EQ(LastError(), "CPortTovrin::WritePort() called with NULL data");
}

TEST_F(TovrinApi, SerialBytesReachTargetOnlyWithTxEnabled) {
    ASSERT_EQ(Tovrin_Open(0), 1);
    const uint8_t sync = 0x80;
    ASSERT_EQ(Tovrin_WritePort(&sync, 1), 1);
    bench.clock.advance(10);
    EXPECT_EQ(bench.adapter->wireBytes(kv::sim::TovrinAdapter::Direction::ToTarget),
              std::vector<uint8_t>{0x80});
    EXPECT_EQ(bench.loader.state(), kv::sim::RomBootLoader::State::Off);
}

}  // namespace
