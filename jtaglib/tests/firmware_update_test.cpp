// The pod firmware check and update, observed on the simulated pod's wire.
#include <algorithm>

#include "kelvane/sim/pod_firmware.h"
#include "sim_pod_fixture.h"

namespace {

using namespace kv::sim;
using Bytes = std::vector<uint8_t>;

using FirmwareUpdate = SimPodTest;

// Commands from the first erase on.
Bytes fromErase(const Bytes& commands) {
    auto it = std::find(commands.begin(), commands.end(), kPodEraseFlash);
    return Bytes(it, commands.end());
}

Bytes updateSequence() {
    Bytes b{kPodEraseFlash};
    b.insert(b.end(), 40, kPodWriteFlashBuffer);
    b.push_back(kPodVerifyFlash);
    b.push_back(kPodReportVersion);
    return b;
}

TEST_F(FirmwareUpdate, StaleFirmwareGetsTheWholeImage) {
    PodConfig config;
    config.firmware = "02.01.00";
    auto pod = plug(config);
    NANDREL_HANDLE port = openPort();
    ASSERT_NE(port, nullptr) << interfaceError();

    Bytes expected = updateSequence();
    for (uint8_t c : {30, 30, 20, 20, 22})
        expected.push_back(c);
    EXPECT_EQ(fromErase(pod->commands()), expected);
    EXPECT_EQ(pod->count(kPodEraseFlash), 1u);
    std::vector<size_t> sizes(39, 252);
    sizes.push_back(106);
    EXPECT_EQ(pod->flashWriteSizes(), sizes);
    EXPECT_EQ(pod->flash(), podfw::buildImage("02.03.03"));
    EXPECT_STREQ(Nandrel_GetPortFirmwareVersion(port), "DRV-1P-A02.03.03");

    // Each block goes out as a two-byte header and its data in a second write.
    const auto wire = pod->wire();
    auto header = std::find_if(wire.begin(), wire.end(), [](const WireEntry& e) {
        return e.fromHost && e.bytes.size() == 2 && e.bytes[0] == kPodWriteFlashBuffer;
    });
    ASSERT_NE(header, wire.end());
    EXPECT_EQ(header->bytes, (Bytes{10, 126}));
    EXPECT_EQ((header + 1)->bytes.size(), 252u);
    EXPECT_EQ((header + 1)->bytes[0], 0xD5) << "words go out high byte first";
    EXPECT_EQ((header + 2)->bytes, (Bytes{11, 126}));
}

TEST_F(FirmwareUpdate, FlashThatDoesNotVerifyIsRewritten) {
    PodConfig config;
    config.corruptFlash = true;
    auto pod = plug(config);
    ASSERT_NE(openPort(), nullptr) << interfaceError();
    const Bytes commands = pod->commands();
    EXPECT_EQ(Bytes(commands.begin(), commands.begin() + 3), (Bytes{18, 20, 12}));
    Bytes update = fromErase(commands);
    update.resize(43);
    EXPECT_EQ(update, updateSequence());
    EXPECT_EQ(pod->verifyStatus(), podfw::kVerifyOk);
}

TEST_F(FirmwareUpdate, VersionOnePodIsRefusedAndNeverUpdated) {
    PodConfig config;
    config.firmware = "01.05.00";
    auto pod = plug(config);
    const auto before = pod->flash();
    EXPECT_EQ(openPort(), nullptr);
    const std::string text =
        "Unsupported Dravik version DRV-1P-A01.05.00.\nPlease upgrade your Dravik to version 2";
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, text);
    EXPECT_EQ(boxes[0].caption, "Dravik Version Error");
    EXPECT_EQ(boxes[0].type, kv::kMbOk);
    EXPECT_EQ(interfaceError(), "CTargetPodSyltane::GetHardwareVersion not implemented:\n" + text);
    EXPECT_EQ(pod->commands(), (Bytes{18, 20}));
    EXPECT_EQ(pod->flash(), before);
    EXPECT_FALSE(pod->isOpen());
}

TEST_F(FirmwareUpdate, InterruptedUpdateIsRepeatedAtTheNextOpen) {
    PodConfig config;
    config.firmware = "02.01.00";
    config.faults = {{kPodWriteFlashBuffer, PodFaultKind::StopAnswering, 0, 10}};
    auto pod = plug(config);
    EXPECT_EQ(openPort(), nullptr);
    EXPECT_NE(interfaceError().find("ReadPort failed, expected 2 bytes, read 0"),
              std::string::npos);
    EXPECT_EQ(pod->verifyStatus(), podfw::kVerifyBadCheck);
    Nandrel_CloseModule();

    pod->clearFaults();
    pod->clearLog();
    NANDREL_HANDLE port = openPort();
    ASSERT_NE(port, nullptr) << interfaceError();
    const Bytes commands = pod->commands();
    EXPECT_EQ(Bytes(commands.begin(), commands.begin() + 3), (Bytes{18, 20, 12}));
    EXPECT_EQ(pod->count(kPodWriteFlashBuffer), 40u);
    EXPECT_EQ(pod->firmwareVersion(), "02.03.03");
}

TEST_F(FirmwareUpdate, FailingUpdateStepsStopTheOpen) {
    struct Case {
        const char* what;
        PodConfig config;
        const char* text;
    };
    PodConfig broken;
    broken.verifyFails = true;
    PodConfig erase;
    erase.firmware = "02.01.00";
    erase.eraseFailAddress = 0x1234;
    PodConfig write;
    write.firmware = "02.01.00";
    write.faults = {{kPodWriteFlashBuffer, PodFaultKind::WriteFails, 0, 3}};
    const Case cases[] = {{"broken flash", broken, "Dravik flash verify failed (80)"},
                          {"erase", erase, "Dravik flash erase failed at 1234"},
                          {"write", write,
                           "WritePort failed, error 4\nThe Dravik pod is gone: it was unplugged or "
                           "lost its USB connection"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto pod = plug(c.config);
        EXPECT_EQ(openPort(), nullptr);
        EXPECT_EQ(interfaceError(),
                  std::string("CTargetPodSyltane::GetHardwareVersion not implemented:\n") + c.text);
        EXPECT_FALSE(pod->isOpen());
        Nandrel_CloseModule();
    }
}

}  // namespace
