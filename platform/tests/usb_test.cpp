#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "kelvane/platform/clock.h"
#include "kelvane/platform/usb.h"
#include "kelvane/platform/usb_backend.h"

namespace {

using namespace kv::usb;

// Echoes every byte written, and can be told to answer late or never.
class EchoDevice : public Device {
public:
    std::string description() const override { return "Echo"; }
    Status write(const uint8_t* data, size_t count, size_t* written) override {
        for (size_t i = 0; i < count; ++i)
            if (!silent) queue.push_back(data[i]);
        *written = count;
        return kOk;
    }
    size_t rxAvailable() override { return queue.size(); }
    size_t read(uint8_t* buffer, size_t count) override {
        size_t n = std::min(count, queue.size());
        for (size_t i = 0; i < n; ++i) {
            buffer[i] = queue.front();
            queue.pop_front();
        }
        return n;
    }
    Status setRts(bool level) override {
        lines.push_back(level ? 'R' : 'r');
        return kOk;
    }
    Status setDtr(bool level) override {
        lines.push_back(level ? 'D' : 'd');
        return kOk;
    }
    Status modemStatus(uint32_t* status) override {
        *status = kModemCts;
        return kOk;
    }
    bool silent = false;
    std::deque<uint8_t> queue;
    std::string lines;
};

class OneDeviceBackend : public Backend {
public:
    explicit OneDeviceBackend(std::shared_ptr<Device> d) : device(std::move(d)) {}
    Status open(const std::string& description, std::shared_ptr<Device>* out) override {
        if (description != device->description()) return kDeviceNotFound;
        *out = device;
        return kOk;
    }
    std::shared_ptr<Device> device;
};

class UsbStandIn : public ::testing::Test {
protected:
    void SetUp() override { setBackend(std::make_shared<OneDeviceBackend>(echo)); }
    void TearDown() override { setBackend(nullptr); }
    std::shared_ptr<EchoDevice> echo = std::make_shared<EchoDevice>();
    kv::ManualClock manual{1000};
    kv::ScopedClock scope{manual};
};

TEST_F(UsbStandIn, OpensByDescriptionOnly) {
    Handle h = 0;
    EXPECT_EQ(open("Other", kOpenByDescription, &h), kDeviceNotFound);
    EXPECT_EQ(h, 0u);
    EXPECT_EQ(open("Echo", kOpenBySerialNumber, &h), kDeviceNotFound);
    ASSERT_EQ(open("Echo", kOpenByDescription, &h), kOk);
    EXPECT_NE(h, 0u);
    EXPECT_EQ(close(h), kOk);
    EXPECT_EQ(close(h), kInvalidHandle);
}

TEST_F(UsbStandIn, ReadReturnsExactLengthFromAStream) {
    Handle h = 0;
    ASSERT_EQ(open("Echo", kOpenByDescription, &h), kOk);
    setTimeouts(h, 5000, 0);
    const uint8_t a[] = {1, 2};
    const uint8_t b[] = {3};
    uint32_t n = 0;
    write(h, a, 2, &n);
    write(h, b, 1, &n);
    uint32_t waiting = 0;
    EXPECT_EQ(getQueueStatus(h, &waiting), kOk);
    EXPECT_EQ(waiting, 3u);
    uint8_t buf[3] = {};
    EXPECT_EQ(read(h, buf, 3, &n), kOk);
    EXPECT_EQ(n, 3u);
    EXPECT_EQ(std::vector<uint8_t>(buf, buf + 3), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(manual.tickCount(), 1000u) << "a complete read must not wait";
    close(h);
}

TEST_F(UsbStandIn, ShortReadWaitsTheTimeOutOnTheInjectedClock) {
    Handle h = 0;
    ASSERT_EQ(open("Echo", kOpenByDescription, &h), kOk);
    setTimeouts(h, 5000, 0);
    uint32_t n = 0;
    const uint8_t a[] = {7};
    write(h, a, 1, &n);
    uint8_t buf[4] = {};
    EXPECT_EQ(read(h, buf, 4, &n), kOk);
    EXPECT_EQ(n, 1u);
    EXPECT_EQ(manual.tickCount(), 6000u);
    close(h);
}

TEST_F(UsbStandIn, ReadTimeOutSurvivesTickWrap) {
    manual.set(0xFFFFFF00u);
    Handle h = 0;
    ASSERT_EQ(open("Echo", kOpenByDescription, &h), kOk);
    setTimeouts(h, 500, 0);
    uint8_t buf[1];
    uint32_t n = 99;
    EXPECT_EQ(read(h, buf, 1, &n), kOk);
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(manual.tickCount(), 0xFFFFFF00u + 500u);
    close(h);
}

TEST_F(UsbStandIn, PurgeDropsWaitingBytes) {
    Handle h = 0;
    ASSERT_EQ(open("Echo", kOpenByDescription, &h), kOk);
    uint32_t n = 0;
    const uint8_t a[] = {1, 2, 3};
    write(h, a, 3, &n);
    EXPECT_EQ(purge(h, kPurgeRx | kPurgeTx), kOk);
    getQueueStatus(h, &n);
    EXPECT_EQ(n, 0u);
    close(h);
}

TEST_F(UsbStandIn, ModemLinesReachTheDevice) {
    Handle h = 0;
    ASSERT_EQ(open("Echo", kOpenByDescription, &h), kOk);
    setRts(h);
    clrDtr(h);
    clrRts(h);
    setDtr(h);
    EXPECT_EQ(echo->lines, "RdrD");
    uint32_t status = 0;
    EXPECT_EQ(getModemStatus(h, &status), kOk);
    EXPECT_EQ(status, kModemCts);
    close(h);
}

TEST_F(UsbStandIn, ClosedHandleFails) {
    uint8_t buf[1];
    uint32_t n = 0;
    EXPECT_EQ(read(42, buf, 1, &n), kInvalidHandle);
    EXPECT_EQ(write(42, buf, 1, &n), kInvalidHandle);
    EXPECT_EQ(resetDevice(42), kInvalidHandle);
}

// Chooses the backend again from `setting` (nullptr: unset); returns it with
// what the choice printed on standard error and the problem it keeps.
std::shared_ptr<Backend> ChooseFrom(const char* setting, std::string* printed,
                                    std::string* problem = nullptr) {
    if (setting) {
        setenv("KELVANE_USB", setting, 1);
    } else {
        unsetenv("KELVANE_USB");
    }
    setBackend(nullptr);
    ::testing::internal::CaptureStderr();
    std::shared_ptr<Backend> chosen = backend();
    if (problem) *problem = backendProblem();
    *printed = ::testing::internal::GetCapturedStderr();
    setenv("KELVANE_USB", "none", 1);
    setBackend(nullptr);
    return chosen;
}

TEST(UsbBackendChoice, NoneMeansNoDevices) {
    std::string printed;
    auto chosen = ChooseFrom("none", &printed);
    EXPECT_NE(std::dynamic_pointer_cast<NullBackend>(chosen), nullptr);
    EXPECT_EQ(printed, "");
    setBackend(nullptr);
    Handle h = 0;
    EXPECT_EQ(open("Dravik", kOpenByDescription, &h), kDeviceNotFound);
}

TEST(UsbBackendChoice, UnsetOrFtdiMeansTheRealDevices) {
    // Only the choice is checked here: no bus is scanned.
    for (const char* setting : {static_cast<const char*>(nullptr), "", "ftdi"}) {
        SCOPED_TRACE(setting ? setting : "(unset)");
        std::string printed;
        auto chosen = ChooseFrom(setting, &printed);
        ASSERT_NE(chosen, nullptr);
#ifdef KELVANE_HAVE_FTDI_BACKEND
        EXPECT_EQ(std::dynamic_pointer_cast<NullBackend>(chosen), nullptr);
        EXPECT_EQ(printed, "");
#else
        EXPECT_NE(std::dynamic_pointer_cast<NullBackend>(chosen), nullptr);
#endif
    }
}

TEST(UsbBackendChoice, UnknownSettingIsNamedAndGivesNoDevices) {
    std::string printed;
    std::string problem;
    auto chosen = ChooseFrom("smi:pod=old", &printed, &problem);
    EXPECT_NE(std::dynamic_pointer_cast<NullBackend>(chosen), nullptr);
    EXPECT_EQ(problem, "KELVANE_USB: unknown setting \"smi:pod=old\"; no USB devices");
    EXPECT_EQ(printed, "") << "told once, by the program that shows why a device did not open";
}

}  // namespace
