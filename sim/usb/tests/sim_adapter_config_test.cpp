// The adapter item of the simulator configuration: a Tovrin adapter with a
// chip behind it, reached by the adapter driver like a real one.
#include <gtest/gtest.h>

#include "kelvane/platform/clock.h"
#include "kelvane/platform/usb_backend.h"
#include "kelvane/sim/dravik_pod.h"
#include "kelvane/sim/sim_adapter_target.h"
#include "kelvane/sim/sim_backend.h"
#include "tovrin/tovrin.h"

namespace {

using namespace kv::sim;

TEST(SimAdapterConfig, PlugsAnAdapterWithTheNamedChip) {
    auto backend = std::make_shared<SimBackend>();
    std::string error;
    ASSERT_TRUE(configureSimBackend("pod=none,adapter=MSP430F2274", *backend, &error)) << error;
    auto adapter = backend->findAs<AdapterWithChip>(TovrinAdapter::kDescription);
    ASSERT_NE(adapter, nullptr);
    EXPECT_EQ(adapter->chip().profile().name, "MSP430F2274");
    EXPECT_EQ(backend->findAs<kv::usb::Device>(kDravikDescription), nullptr);

    kv::ManualClock manual(1000);
    kv::ScopedClock scope(manual);
    kv::usb::setBackend(backend);
    ASSERT_EQ(Tovrin_Open(0), 1);
    uint32_t version = 0;
    EXPECT_EQ(Tovrin_GetVersion(&version), 1);
    EXPECT_EQ(version, 0x0103u) << "the simulated adapter's version through the control channel";
    Tovrin_Close();
    kv::usb::setBackend(nullptr);
}

TEST(SimAdapterConfig, TheLineRunsOnModelledTimeUnlessRealIsAsked) {
    for (const auto& [config, modelled] :
         {std::pair{"pod=none,adapter=MSP430F2274", true},
          std::pair{"pod=none,adapter=MSP430F2274,time=modelled", true},
          std::pair{"pod=none,adapter=MSP430F2274,time=real", false}}) {
        auto backend = std::make_shared<SimBackend>();
        std::string error;
        ASSERT_TRUE(configureSimBackend(config, *backend, &error)) << error;
        auto adapter = backend->findAs<AdapterWithChip>(TovrinAdapter::kDescription);
        ASSERT_NE(adapter, nullptr);
        kv::ManualClock manual(1000);
        kv::ScopedClock scope(manual);
        kv::usb::setBackend(backend);
        // A character on the line, then a look at the receive queue without
        // letting the clock move.
        const uint8_t sync = 0x80;
        uint32_t written = 0;
        kv::usb::Handle h = 0;
        ASSERT_EQ(kv::usb::open(TovrinAdapter::kDescription, kv::usb::kOpenByDescription, &h),
                  kv::usb::kOk);
        kv::usb::write(h, &sync, 1, &written);
        uint32_t queued = 0;
        kv::usb::getQueueStatus(h, &queued);
        EXPECT_EQ(adapter->skippedUs() > 0, modelled) << config;
        EXPECT_EQ(manual.tickCount(), 1000u) << config;
        kv::usb::close(h);
        kv::usb::setBackend(nullptr);
    }
    SimBackend backend;
    std::string error;
    EXPECT_FALSE(configureSimBackend("adapter=MSP430F2274,time=fast", backend, &error));
    EXPECT_EQ(error, "unknown simulator setting \"time=fast\"");
}

TEST(SimAdapterConfig, TestPinFollowsTheDeviceClass) {
    EXPECT_FALSE(ChipHasTestPin(*findProfile("MSP430F149")));
    EXPECT_TRUE(ChipHasTestPin(*findProfile("MSP430F2274")));
}

TEST(SimAdapterConfig, UnknownChipsAndFaultsAreRefused) {
    for (const char* item : {"adapter=NoSuchChip", "adapterfault=nak", "adapterfault=nak:0",
                             "adapterfault=reply:crc", "adapterfault=melt:2"}) {
        SimBackend backend;
        std::string error;
        EXPECT_FALSE(
            configureSimBackend(std::string("adapter=MSP430F2274,") + item, backend, &error));
        EXPECT_EQ(error, std::string("unknown simulator setting \"") + item + "\"");
    }
}

}  // namespace
