// The open chain through the exported functions: module, interface, port and
// target against the simulated pod, its versions, serial and voltage features.
#include <cstdlib>
#include <cstring>

#include "sim_pod_fixture.h"

namespace {

using namespace kv::sim;
using Bytes = std::vector<uint8_t>;

VoltageFeatureRecord feature(NANDREL_HANDLE port, uint32_t id, int32_t* result) {
    VoltageFeatureRecord r{-1, -1, -1, -1};
    uint32_t length = 99;
    *result = Nandrel_QueryPortFeature(port, id, &r, sizeof r, &length);
    EXPECT_EQ(length, *result ? 16u : 0u);
    return r;
}

bool same(const VoltageFeatureRecord& a, const VoltageFeatureRecord& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

using OpenChain = SimPodTest;

TEST_F(OpenChain, CurrentPodOpensWithOnlyTheFlashVerify) {
    PodConfig config;
    config.serial = 987654;
    auto pod = plug(config);
    ASSERT_EQ(Nandrel_OpenModule(), 1);
    EXPECT_EQ(Nandrel_IsOpen(), 1);
    EXPECT_STREQ(Nandrel_GetModuleVersion(), "02.03.03");
    EXPECT_EQ(Nandrel_GetInterfaceCount(), 1);
    EXPECT_STREQ(Nandrel_GetInterfaceName(0), "Dravik");
    EXPECT_STREQ(Nandrel_GetInterfaceName(1), "No such interface");
    EXPECT_EQ(Nandrel_OpenInterface(1), nullptr);
    NANDREL_HANDLE i = Nandrel_OpenInterface(0);
    ASSERT_NE(i, nullptr);
    EXPECT_STREQ(Nandrel_GetInterfaceVersion(i), "v02.03.03c");
    EXPECT_EQ(Nandrel_GetPortCount(i), 1);
    EXPECT_STREQ(Nandrel_GetPortName(i, 0), "Dravik");
    EXPECT_EQ(Nandrel_GetPortName(i, 1), nullptr);
    EXPECT_STREQ(Nandrel_GetLastInterfaceError(i), "Invalid port index 1");

    NANDREL_HANDLE port = Nandrel_OpenPort(i, 0);
    ASSERT_NE(port, nullptr) << Nandrel_GetLastInterfaceError(i);
    EXPECT_STREQ(Nandrel_GetPortHardwareVersion(port), "DRV-1P-A02.03.03");
    EXPECT_STREQ(Nandrel_GetPortFirmwareVersion(port), "DRV-1P-A02.03.03");
    EXPECT_STREQ(Nandrel_GetPortSerialNumber(port), "987654");
    EXPECT_EQ(Nandrel_GetTargetCount(port), 1);
    EXPECT_STREQ(Nandrel_GetTargetName(port, 0), "Tgt0");
    EXPECT_EQ(Nandrel_GetTargetName(port, 1), nullptr);
    EXPECT_STREQ(Nandrel_GetLastPortError(port), "Invalid port index 1");
    NANDREL_HANDLE target = Nandrel_OpenTarget(port, 0);
    ASSERT_NE(target, nullptr);
    EXPECT_STREQ(Nandrel_GetLastTargetError(target), "No error");

    // Ping, firmware check (version, verify, version), the driver's and the
    // protocol's debug command, then the port's identity reads.
    EXPECT_EQ(pod->commands(), (Bytes{18, 20, 12, 20, 30, 30, 20, 20, 22}));
    EXPECT_EQ(pod->count(kPodEraseFlash), 0u);
    EXPECT_EQ(pod->count(kPodWriteFlashBuffer), 0u);
    EXPECT_EQ(pod->resetCount(), 1u);
    EXPECT_EQ(manual.tickCount(), 1050u) << "only the 50 ms settling wait after the reset";

    Nandrel_CloseTarget(target);
    Nandrel_ClosePort(port);
    EXPECT_FALSE(pod->isOpen());
    Nandrel_CloseInterface(i);
    Nandrel_CloseModule();
    EXPECT_EQ(Nandrel_IsOpen(), 0);
}

TEST_F(OpenChain, VoltageFeaturesFollowTheHardwareLetter) {
    struct Case {
        char letter;
        VoltageFeatureRecord vcc, vpp;
    };
    const Case cases[] = {{'E', {0, 3300, 3300, 0}, {0, 0, 0, 0}},
                          {'P', {1, 1500, 3600, 100}, {1, 6500, 6500, 0}},
                          {'S', {1, 1500, 3600, 100}, {0, 0, 0, 0}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.letter);
        PodConfig config;
        config.setHardwareLetter(c.letter);
        plug(config);
        NANDREL_HANDLE port = openPort();
        ASSERT_NE(port, nullptr);
        int32_t ok = 0;
        EXPECT_TRUE(same(feature(port, NANDREL_FEATURE_VCC, &ok), c.vcc));
        EXPECT_EQ(ok, 1);
        EXPECT_TRUE(same(feature(port, NANDREL_FEATURE_VPP, &ok), c.vpp));
        EXPECT_EQ(ok, 1);
        feature(port, 0x102, &ok);
        EXPECT_EQ(ok, 0);
        Nandrel_CloseModule();
    }
}

TEST_F(OpenChain, FeatureSizeQueriesAndSmallBuffers) {
    PodConfig config;
    config.setHardwareLetter('X');
    plug(config);
    NANDREL_HANDLE port = openPort();
    ASSERT_NE(port, nullptr);
    uint32_t length = 7;
    EXPECT_EQ(Nandrel_QueryPortFeature(port, NANDREL_FEATURE_VCC, nullptr, 0, &length), 0)
        << "an unknown pod hardware has no voltage features";
    EXPECT_EQ(length, 0u);
    Nandrel_CloseModule();

    plug(PodConfig{});
    port = openPort();
    ASSERT_NE(port, nullptr);
    for (uint32_t id : {NANDREL_FEATURE_VCC, NANDREL_FEATURE_VPP}) {
        EXPECT_EQ(Nandrel_QueryPortFeature(port, id, nullptr, 0, &length), 1);
        EXPECT_EQ(length, 16u);
        uint8_t small[15] = {};
        EXPECT_EQ(Nandrel_QueryPortFeature(port, id, small, sizeof small, &length), 0);
        EXPECT_EQ(length, 0u);
        EXPECT_STREQ(Nandrel_GetLastPortError(port), "Buffer too small for QueryFeatureVCC");
        EXPECT_EQ(std::count(small, small + 15, 0), 15) << "nothing written into a small buffer";
    }
    EXPECT_EQ(Nandrel_QueryPortFeature(port, NANDREL_FEATURE_VCC, nullptr, 0, nullptr), 1);
    length = 5;
    EXPECT_EQ(Nandrel_QueryInterfaceFeature(interfaceHandle, 1, nullptr, 0, &length), 1);
    EXPECT_EQ(length, 0u);
}

TEST_F(OpenChain, PodAnsweringOnlyToTheShortDescription) {
    PodConfig config;
    config.description = kDravikShortDescription;
    plug(config);
    NANDREL_HANDLE port = openPort();
    ASSERT_NE(port, nullptr) << interfaceError();
    EXPECT_EQ(backend->openAttempts(),
              (std::vector<std::string>{kDravikDescription, kDravikShortDescription}));
}

TEST_F(OpenChain, FailuresToOpenTheDeviceNameTheirCause) {
    EXPECT_EQ(openPort(), nullptr);
    EXPECT_EQ(interfaceError(),
              "CTargetPodSyltane::GetHardwareVersion not implemented:\n"
              "Unable to open Dravik, error 2");
    Nandrel_CloseModule();

    plug(PodConfig{});
    backend->failOpen(kDravikDescription, kv::usb::kDeviceNotOpened);
    backend->failOpen(kDravikShortDescription, kv::usb::kInsufficientResources);
    EXPECT_EQ(openPort(), nullptr);
    EXPECT_NE(interfaceError().find("Unable to open Dravik, error 5"), std::string::npos)
        << "the status of the second attempt";
    Nandrel_CloseModule();

    backend->failOpen(kDravikDescription, kv::usb::kOk);
    backend->failOpen(kDravikShortDescription, kv::usb::kOk);
    PodConfig config;
    config.resetStatus = kv::usb::kIoError;
    auto pod = plug(config);
    EXPECT_EQ(openPort(), nullptr);
    EXPECT_NE(interfaceError().find("Unable to reset Dravik, error 4"), std::string::npos);
    EXPECT_FALSE(pod->isOpen()) << "the device is closed again";
}

TEST_F(OpenChain, UnreadableSerialNumberFailsThePort) {
    PodConfig config;
    config.faults = {{kPodReportSerial, PodFaultKind::NoReply, 0, 0}};
    plug(config);
    EXPECT_EQ(openPort(), nullptr);
    EXPECT_EQ(interfaceError(),
              "ReadPort failed, expected 5 bytes, read 0"
              "\nThe Dravik pod stopped answering: no reply came within 5000 ms");
    EXPECT_EQ(manual.tickCount(), 1000u + 50u + 5000u) << "one read time-out on the clock";
}

TEST_F(OpenChain, SilentPodFailsAfterOneTimeOut) {
    PodConfig config;
    config.silent = true;
    auto pod = plug(config);
    EXPECT_EQ(openPort(), nullptr);
    EXPECT_EQ(interfaceError(),
              "CTargetPodSyltane::GetHardwareVersion not implemented:\n"
              "ReadPort failed, expected 1 bytes, read 0\nThe Dravik pod stopped answering: no "
              "reply came within 5000 ms");
    EXPECT_EQ(pod->commands(), (Bytes{18}));
    EXPECT_FALSE(pod->isOpen());
}

TEST_F(OpenChain, ReopeningAPortStartsAgainWithANewTarget) {
    auto pod = plug(PodConfig{});
    NANDREL_HANDLE port = openPort();
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(Nandrel_OpenPort(interfaceHandle, 0), port);
    EXPECT_EQ(pod->openCount(), 2u);
    EXPECT_EQ(Nandrel_GetTargetCount(port), 1);
    EXPECT_NE(Nandrel_OpenTarget(port, 0), nullptr);
    EXPECT_TRUE(pod->isOpen());
}

TEST_F(OpenChain, SimulatorChosenThroughTheEnvironment) {
    kv::usb::setBackend(nullptr);
    setenv("KELVANE_USB", "sim:pod=current,hw=S,serial=42", 1);
    NANDREL_HANDLE port = openPort();
    setenv("KELVANE_USB", "none", 1);
    ASSERT_NE(port, nullptr) << interfaceError();
    EXPECT_STREQ(Nandrel_GetPortHardwareVersion(port), "DRV-1S-A02.03.03");
    EXPECT_STREQ(Nandrel_GetPortSerialNumber(port), "42");
}

}  // namespace
