// The pod drivers and the protocol object's pod location, on the simulated pod.
#include <vector>

#include "kelvane/sim/pod_firmware.h"
#include "pod_firmware_image.h"
#include "sim_pod_fixture.h"
#include "target_pod_dravik.h"
#include "target_pod_syltane.h"
#include "target_protocol_jtag.h"

namespace {

using namespace kv::sim;
using nandrel::CTargetPodDravik;
using Bytes = std::vector<uint8_t>;

TEST(StoredFirmware, IsACompleteImageOfVersion020303) {
    const std::vector<uint16_t> stored(nandrel::kPodFirmwareImage,
                                       nandrel::kPodFirmwareImage + nandrel::kPodFirmwareWords);
    EXPECT_EQ(stored, podfw::buildImage("02.03.03"));
    EXPECT_EQ(podfw::verifyImage(stored), podfw::kVerifyOk);
    EXPECT_STREQ(nandrel::kPodFirmwareVersion, "02.03.03");
}

class DravikDriver : public SimPodTest {
  protected:
    void SetUp() override {
        SimPodTest::SetUp();
        PodConfig config;
        config.debugValue = 0xCAFE;
        pod = plug(config);
        ASSERT_TRUE(driver.Open()) << driver.errorText();
        pod->clearLog();
    }
    std::shared_ptr<DravikPod> pod;
    CTargetPodDravik driver;
};

TEST_F(DravikDriver, KeepsTheDebugValueAndTheVersionText) {
    EXPECT_EQ(driver.debugValue(), 0xCAFE);
    EXPECT_EQ(driver.versionText(), "DRV-1P-A02.03.03");
    uint32_t serial = 0;
    EXPECT_TRUE(driver.GetSerialNumber(&serial));
    EXPECT_EQ(serial, 123456u);
}

TEST_F(DravikDriver, FlashBufferLimits) {
    std::vector<uint8_t> data(254, 0xFF);
    EXPECT_TRUE(driver.WriteFlashBuffer(252, data.data()));
    EXPECT_EQ(pod->wire().front().bytes, (Bytes{10, 126}));
    pod->clearLog();
    EXPECT_FALSE(driver.WriteFlashBuffer(254, data.data()));
    EXPECT_EQ(driver.errorText(), "Exceeded maximum bytes for JTAGCMD_WRITE_DRAVIK_FLASH_BUFFER");
    EXPECT_FALSE(driver.WriteFlashBuffer(0, data.data()));
    EXPECT_EQ(driver.errorText(),
              "Unable to write zero bytes for JTAGCMD_WRITE_DRAVIK_FLASH_BUFFER");
    EXPECT_FALSE(driver.WriteFlashBuffer(7, data.data()));
    EXPECT_EQ(driver.errorText(),
              "Attempt to write odd byte count for JTAGCMD_WRITE_DRAVIK_FLASH_BUFFER");
    EXPECT_FALSE(driver.DownloadBlock(0, 127));
    EXPECT_EQ(driver.errorText(), "Excessive block size used in DownloadBlock()");
    EXPECT_FALSE(driver.DownloadBlock(4900, 100)) << "past the end of the image";
    EXPECT_TRUE(pod->wire().empty()) << "nothing is sent for a refused buffer";
}

TEST_F(DravikDriver, PendingReplyBytesFailTheNextWriteOnce) {
    pod->queueStray({0xEE, 0xEE, 0xEE});
    EXPECT_FALSE(driver.HardwarePing());
    EXPECT_EQ(driver.errorText(), "Debug_CheckPendingReads failed, 3 bytes pending read");
    EXPECT_EQ(pod->rxAvailable(), 0u);
    EXPECT_TRUE(driver.HardwarePing());

    pod->addFault({kPodReportSerial, PodFaultKind::StrayBytes, 2, 0});
    uint32_t serial = 0;
    EXPECT_TRUE(driver.GetSerialNumber(&serial));
    EXPECT_FALSE(driver.HardwarePing());
    EXPECT_EQ(driver.errorText(), "Debug_CheckPendingReads failed, 2 bytes pending read");
}

TEST_F(DravikDriver, ReplyChecks) {
    std::string text;
    pod->addFault({kPodReportVersion, PodFaultKind::ShortReply, 1, 1});
    EXPECT_FALSE(driver.GetFirmwareVersion(&text));
    EXPECT_EQ(
        driver.errorText(),
        "ReadPort failed, expected 17 bytes, read 16"
        "\nThe Dravik pod stopped answering: the rest of its reply did not come within 5000 ms");
    pod->addFault({kPodReportVersion, PodFaultKind::WrongReplyId, 0x5A, 2});
    EXPECT_FALSE(driver.GetFirmwareVersion(&text));
    EXPECT_EQ(driver.errorText(), "Incorrect response ID for JTAGCMD_REPORT_VERSION");
    pod->addFault({kPodDebug, PodFaultKind::WrongReplyId, 0x20, 0});
    EXPECT_FALSE(driver.ExecuteDebug(nullptr));
    EXPECT_EQ(driver.errorText(), "Incorrect response ID for JTAGCMD_DEBUG");
    pod->addFault({kPodPing, PodFaultKind::WriteFails, kv::usb::kIoError, 0});
    EXPECT_FALSE(driver.HardwarePing());
    EXPECT_EQ(driver.errorText(),
              "WritePort failed, error 4\nThe Dravik pod is gone: it was unplugged or lost its USB "
              "connection");
}

TEST_F(DravikDriver, ClosedDriverRefusesEveryCall) {
    driver.Close();
    EXPECT_FALSE(driver.isDeviceOpen());
    std::string text;
    uint32_t serial = 1, got = 1;
    uint8_t byte = 18;
    EXPECT_FALSE(driver.HardwarePing());
    EXPECT_EQ(driver.errorText(),
              "CTargetPodDravik::HardwarePing called with invalid driver handle");
    EXPECT_FALSE(driver.GetSerialNumber(&serial));
    EXPECT_EQ(serial, 0u);
    EXPECT_EQ(driver.errorText(),
              "CTargetPodDravik::GetSerialNumber called with invalid driver handle");
    EXPECT_FALSE(driver.GetHardwareVersion(&text));
    EXPECT_EQ(driver.errorText(),
              "CTargetPodDravik::GetHardwareVersion called with invalid driver handle");
    EXPECT_FALSE(driver.ExecuteDebug(nullptr));
    EXPECT_EQ(driver.errorText(),
              "CTargetPodDravik::ExecuteDebug called with invalid driver handle");
    EXPECT_FALSE(driver.WritePort(&byte, 1));
    EXPECT_EQ(driver.errorText(),
              "Called CTargetProtocolJTAG::WritePort() with driver port closed");
    EXPECT_FALSE(driver.ReadPort(&byte, 1, &got));
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(driver.errorText(), "Called CTargetProtocolJTAG::ReadPort() with driver port closed");
    EXPECT_FALSE(driver.DownloadBlock(0, 1));
    EXPECT_EQ(driver.errorText(), "DownloadBlock() called while device closed");
    EXPECT_TRUE(driver.WritePort(&byte, 0));
}

TEST(SyltaneDriver, OpensButAnswersNothing) {
    nandrel::CTargetPodSyltane driver;
    EXPECT_TRUE(driver.IsOpenOk());
    uint8_t b = 0;
    uint32_t got = 5, serial = 5;
    EXPECT_TRUE(driver.WritePort(&b, 1));
    EXPECT_TRUE(driver.ReadPort(&b, 1, &got));
    EXPECT_EQ(got, 0u);
    std::string text;
    EXPECT_FALSE(driver.GetFirmwareVersion(&text));
    EXPECT_EQ(text, "Error");
    EXPECT_EQ(driver.errorText(), "CTargetPodSyltane::GetFirmwareVersion not implemented");
    EXPECT_FALSE(driver.GetSerialNumber(&serial));
    EXPECT_EQ(serial, 0u);
    EXPECT_FALSE(driver.HardwarePing());
    EXPECT_EQ(driver.errorText(), "CTargetPodSyltane::HardwarePing not implemented");
}

using PodLocation = SimPodTest;

TEST_F(PodLocation, WithoutAPodTheFallBackNamesTheCause) {
    nandrel::CTargetProtocolJTAG protocol;
    std::string text;
    EXPECT_FALSE(protocol.GetFirmwareVersion(&text));
    EXPECT_EQ(text, "Error");
    EXPECT_EQ(protocol.errorText(),
              "Called CTargetProtocolJTAG::GetFirmwareVersion() with driver port closed");
    EXPECT_TRUE(protocol.Open()) << "locating a pod never fails";
    EXPECT_NE(dynamic_cast<nandrel::CTargetPodSyltane*>(protocol.pod()), nullptr);
    EXPECT_FALSE(protocol.GetFirmwareVersion(&text));
    EXPECT_EQ(protocol.errorText(),
              "CTargetPodSyltane::GetFirmwareVersion not implemented:\n"
              "Unable to open Dravik, error 2");
    EXPECT_FALSE(protocol.ExecuteDebug());
    EXPECT_EQ(protocol.errorText(), "Incorrect size read:\nUnable to open Dravik, error 2");
}

TEST_F(PodLocation, DravikIsFoundAndAskedForItsDebugValue) {
    auto pod = plug(PodConfig{});
    nandrel::CTargetProtocolJTAG protocol;
    EXPECT_TRUE(protocol.Open());
    EXPECT_NE(dynamic_cast<CTargetPodDravik*>(protocol.pod()), nullptr);
    EXPECT_EQ(pod->count(kPodDebug), 2u);
    uint32_t serial = 0;
    EXPECT_TRUE(protocol.GetSerialNumber(&serial));
    pod->addFault({kPodDebug, PodFaultKind::WrongReplyId, 0x5A, 0});
    EXPECT_FALSE(protocol.ExecuteDebug());
    EXPECT_EQ(protocol.errorText(), "Incorrect response ID (5a) read, expected (1f)");

    std::vector<uint8_t> big(16384, 0);
    protocol.BeginCommand(98);
    EXPECT_FALSE(protocol.AddBytes(big.data(), 16384));
    EXPECT_EQ(protocol.errorText(), "Command too large");
    EXPECT_TRUE(protocol.AddBytes(big.data(), 16383));
    protocol.Close();
    EXPECT_FALSE(pod->isOpen());
}

}  // namespace
