#include "kelvane/sim/sim_backend.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "kelvane/platform/usb.h"
#include "kelvane/sim/dravik_pod.h"

namespace {

using namespace kv::sim;
namespace usb = kv::usb;

TEST(SimBackend, PlugFindUnplugAndOpen) {
    auto backend = std::make_shared<SimBackend>();
    auto pod = std::make_shared<DravikPod>();
    backend->plug(pod);
    EXPECT_EQ(backend->findAs<DravikPod>(kDravikDescription), pod);
    usb::setBackend(backend);
    usb::Handle h = 0;
    EXPECT_EQ(usb::open("Dravik", usb::kOpenByDescription, &h), usb::kDeviceNotFound);
    ASSERT_EQ(usb::open(kDravikDescription, usb::kOpenByDescription, &h), usb::kOk);
    EXPECT_TRUE(pod->isOpen());
    usb::close(h);
    EXPECT_FALSE(pod->isOpen());

    backend->failOpen(kDravikDescription, usb::kDeviceNotOpened);
    EXPECT_EQ(usb::open(kDravikDescription, usb::kOpenByDescription, &h), usb::kDeviceNotOpened);
    EXPECT_EQ(backend->openAttempts().size(), 3u);
    EXPECT_TRUE(backend->unplug(kDravikDescription));
    EXPECT_FALSE(backend->unplug(kDravikDescription));
    usb::setBackend(nullptr);
}

TEST(SimBackend, ConfigurationText) {
    SimBackend backend;
    std::string error;
    ASSERT_TRUE(configureSimBackend(
        "pod=stale,hw=E,serial=77,desc=short,openfail=long,fault=short:20:2:1,reset=fail", backend,
        &error))
        << error;
    auto pod = backend.findAs<DravikPod>("Dravik");
    ASSERT_TRUE(pod);
    const PodConfig c = pod->config();
    EXPECT_EQ(pod->versionText(), "DRV-1E-A02.01.00");
    EXPECT_EQ(c.serial, 77u);
    EXPECT_EQ(c.resetStatus, usb::kIoError);
    ASSERT_EQ(c.faults.size(), 1u);
    EXPECT_EQ(c.faults[0].command, 20);
    EXPECT_EQ(c.faults[0].kind, PodFaultKind::ShortReply);
    EXPECT_EQ(c.faults[0].value, 2u);
    std::shared_ptr<usb::Device> d;
    EXPECT_EQ(backend.open(kDravikDescription, &d), usb::kDeviceNotOpened);
    EXPECT_EQ(backend.open("Dravik", &d), usb::kOk);

    SimBackend none;
    EXPECT_TRUE(configureSimBackend("pod=none", none, &error));
    EXPECT_FALSE(none.find(kDravikDescription));
    EXPECT_FALSE(configureSimBackend("pod=purple", none, &error));
    EXPECT_EQ(error, "unknown simulator setting \"pod=purple\"");
    EXPECT_FALSE(configureSimBackend("fault=melt:20", none, &error));
}

TEST(SimBackend, TheStandInLoadsItFromTheEnvironment) {
    usb::setBackend(nullptr);
    setenv("KELVANE_USB", "sim:pod=old", 1);
    usb::Handle h = 0;
    ASSERT_EQ(usb::open(kDravikDescription, usb::kOpenByDescription, &h), usb::kOk);
    const uint8_t ask = kPodReportVersion;
    uint32_t n = 0;
    usb::write(h, &ask, 1, &n);
    char reply[17] = {};
    usb::read(h, reply, 17, &n);
    EXPECT_EQ(std::string(reply + 9, 8), "01.05.00");
    usb::close(h);
    setenv("KELVANE_USB", "none", 1);
    usb::setBackend(nullptr);
}

}  // namespace
