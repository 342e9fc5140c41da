#include "kelvane/sim/dravik_pod.h"

#include <gtest/gtest.h>

#include "kelvane/platform/clock.h"
#include "kelvane/sim/pod_firmware.h"

namespace {

using namespace kv::sim;
using Bytes = std::vector<uint8_t>;

Bytes send(DravikPod& pod, const Bytes& bytes) {
    size_t written = 0;
    EXPECT_EQ(pod.write(bytes.data(), bytes.size(), &written), kv::usb::kOk);
    Bytes out(pod.rxAvailable());
    pod.read(out.data(), out.size());
    return out;
}

Bytes writeBlock(const std::vector<uint16_t>& image, size_t first, size_t words) {
    Bytes b{kPodWriteFlashBuffer, static_cast<uint8_t>(words)};
    for (size_t i = first; i < first + words; ++i) {
        b.push_back(static_cast<uint8_t>(image[i] >> 8));
        b.push_back(static_cast<uint8_t>(image[i]));
    }
    return b;
}

void update(DravikPod& pod, const std::vector<uint16_t>& image, size_t upTo) {
    EXPECT_EQ(send(pod, {kPodEraseFlash}), (Bytes{9, 0, 0}));
    for (size_t first = 0; first < upTo; first += 126) {
        const size_t n = std::min<size_t>(126, upTo - first);
        EXPECT_EQ(send(pod, writeBlock(image, first, n)), (Bytes{11, static_cast<uint8_t>(n)}));
    }
}

TEST(DravikPodModel, AnswersThePodLevelQueries) {
    PodConfig config;
    config.serial = 0x01020304;
    config.debugValue = 0xBEEF;
    config.setHardwareLetter('E');
    DravikPod pod(config);
    EXPECT_EQ(pod.description(), "Dravik - MSP430 Flash Programmer");
    EXPECT_EQ(send(pod, {kPodPing}), (Bytes{19}));
    const Bytes version = send(pod, {kPodReportVersion});
    ASSERT_EQ(version.size(), 17u);
    EXPECT_EQ(version[0], 21);
    EXPECT_EQ(std::string(version.begin() + 1, version.end()), "DRV-1E-A02.03.03");
    EXPECT_EQ(send(pod, {kPodReportSerial}), (Bytes{23, 1, 2, 3, 4}));
    EXPECT_EQ(send(pod, {kPodDebug}), (Bytes{31, 0xBE, 0xEF, 0, 0}));
    EXPECT_EQ(send(pod, {kPodVerifyFlash}), (Bytes{13, 0}));
    EXPECT_EQ(pod.count(kPodReportVersion), 1u);
    EXPECT_EQ(pod.commands(), (Bytes{18, 20, 22, 30, 12}));
}

TEST(DravikPodModel, UpdateInstallsTheNewVersionAndInterruptionsAreFound) {
    PodConfig config;
    config.firmware = "02.01.00";
    DravikPod pod(config);
    EXPECT_EQ(pod.firmwareVersion(), "02.01.00");
    const auto image = podfw::buildImage("02.03.03");

    update(pod, image, 2000);
    EXPECT_EQ(send(pod, {kPodVerifyFlash}), (Bytes{13, podfw::kVerifyBadCheck}));
    update(pod, image, image.size());
    EXPECT_EQ(send(pod, {kPodVerifyFlash}), (Bytes{13, 0}));
    EXPECT_EQ(pod.firmwareVersion(), "02.03.03");
    EXPECT_EQ(pod.flash(), image);
    EXPECT_EQ(pod.count(kPodWriteFlashBuffer), 16u + 40u);
    EXPECT_EQ(pod.flashWriteSizes().back(), 106u);

    send(pod, {kPodEraseFlash});
    EXPECT_EQ(pod.firmwareVersion(), "00.00.00") << "an erased pod answers from its boot loader";
}

TEST(DravikPodModel, WritingWithoutEraseCorruptsTheFlash) {
    PodConfig config;
    config.firmware = "02.01.00";
    DravikPod pod(config);
    const auto image = podfw::buildImage("02.03.03");
    for (size_t first = 0; first < image.size(); first += 126)
        send(pod, writeBlock(image, first, std::min<size_t>(126, image.size() - first)));
    EXPECT_NE(send(pod, {kPodVerifyFlash}), (Bytes{13, 0}));
}

TEST(DravikPodModel, CommandsMayArriveInPiecesAndUnknownBytesAreOnlyLogged) {
    DravikPod pod;
    EXPECT_EQ(send(pod, {kPodWriteFlashBuffer, 2}), Bytes{});
    EXPECT_EQ(send(pod, {0x12, 0x34}), Bytes{});
    EXPECT_EQ(send(pod, {0x56, 0x78, 0x63, kPodPing}), (Bytes{11, 2, 19}));
    EXPECT_EQ(pod.unknownBytes(), (Bytes{0x63}));
    EXPECT_EQ(pod.hostBytes(), (Bytes{10, 2, 0x12, 0x34, 0x56, 0x78, 0x63, 18}));
    EXPECT_EQ(pod.podBytes(), (Bytes{11, 2, 19}));
}

TEST(DravikPodModel, ConfiguredPodsAndFaults) {
    PodConfig config;
    config.corruptFlash = true;
    config.faults = {{kPodReportVersion, PodFaultKind::ShortReply, 3, 1},
                     {kPodPing, PodFaultKind::WrongReplyId, 0x5A, 0},
                     {kPodReportSerial, PodFaultKind::StrayBytes, 2, 0},
                     {kPodDebug, PodFaultKind::WriteFails, 0, 2}};
    DravikPod pod(config);
    EXPECT_EQ(send(pod, {kPodVerifyFlash}), (Bytes{13, podfw::kVerifyBadCheck}));
    EXPECT_EQ(send(pod, {kPodReportVersion}).size(), 14u);
    EXPECT_EQ(send(pod, {kPodReportVersion}).size(), 17u) << "only the first arrival is cut";
    EXPECT_EQ(send(pod, {kPodPing}), (Bytes{0x5A}));
    EXPECT_EQ(send(pod, {kPodReportSerial}).size(), 7u);
    EXPECT_EQ(send(pod, {kPodDebug}).size(), 5u);
    size_t written = 9;
    const uint8_t debug = kPodDebug;
    EXPECT_EQ(pod.write(&debug, 1, &written), kv::usb::kIoError);
    EXPECT_EQ(written, 0u);

    pod.clearFaults();
    pod.addFault({kPodPing, PodFaultKind::StopAnswering, 0, 3});  // third ping in all
    EXPECT_EQ(send(pod, {kPodPing}), (Bytes{19}));
    EXPECT_EQ(send(pod, {kPodPing}), Bytes{});
    EXPECT_EQ(send(pod, {kPodReportSerial}), Bytes{}) << "a stopped pod stays silent";
}

TEST(DravikPodModel, BrokenFlashAndResetFailure) {
    PodConfig config;
    config.verifyFails = true;
    config.resetStatus = kv::usb::kIoError;
    config.eraseFailAddress = 0x1234;
    DravikPod pod(config);
    EXPECT_EQ(pod.reset(), kv::usb::kIoError);
    EXPECT_EQ(send(pod, {kPodVerifyFlash}), (Bytes{13, 0x80}));
    EXPECT_EQ(send(pod, {kPodEraseFlash}), (Bytes{9, 0x12, 0x34}));
}

TEST(DravikPodModel, ReadWaitLetsTheTimeOutPassOnTheClock) {
    kv::ManualClock manual(100);
    kv::ScopedClock scope(manual);
    DravikPod pod;
    pod.waitForData(1, 5000);
    EXPECT_EQ(manual.tickCount(), 5100u);
    pod.queueStray({1, 2});
    pod.waitForData(1, 5000);
    EXPECT_EQ(manual.tickCount(), 5100u);
    EXPECT_EQ(pod.purge(kv::usb::kPurgeRx), kv::usb::kOk);
    EXPECT_EQ(pod.rxAvailable(), 0u);
}

}  // namespace
