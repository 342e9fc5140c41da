// A simulated Dravik pod plugged into the USB stand-in, a manual clock and a
// scripted message-box hook, for tests of the JTAG library.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "kelvane/platform/clock.h"
#include "kelvane/platform/message_box.h"
#include "kelvane/platform/usb_backend.h"
#include "kelvane/sim/dravik_pod.h"
#include "kelvane/sim/sim_backend.h"
#include "nandrel/nandrel.h"

struct ShownBox {
    std::string text;
    std::string caption;
    unsigned type;
};

class SimPodTest : public ::testing::Test {
  protected:
    void SetUp() override {
        kv::usb::setBackend(backend);
        previousHandler = kv::setMessageBoxHandler(
            [this](const std::string& text, const std::string& caption, unsigned type) {
                boxes.push_back({text, caption, type});
                return kv::kIdOk;
            });
    }
    void TearDown() override {
        Nandrel_CloseModule();
        kv::usb::setBackend(nullptr);
        kv::setMessageBoxHandler(previousHandler);
    }

    std::shared_ptr<kv::sim::DravikPod> plug(kv::sim::PodConfig config = {}) {
        auto pod = std::make_shared<kv::sim::DravikPod>(std::move(config));
        backend->plug(pod);
        return pod;
    }

    // Opens module and interface; returns the interface handle.
    NANDREL_HANDLE openInterface() {
        EXPECT_EQ(Nandrel_OpenModule(), 1);
        NANDREL_HANDLE i = Nandrel_OpenInterface(0);
        EXPECT_NE(i, nullptr);
        return i;
    }

    // Opens module, interface and port; returns the port handle (null on failure).
    NANDREL_HANDLE openPort() {
        interfaceHandle = openInterface();
        return Nandrel_OpenPort(interfaceHandle, 0);
    }

    std::string interfaceError() { return Nandrel_GetLastInterfaceError(interfaceHandle); }

    kv::ManualClock manual{1000};
    kv::ScopedClock scope{manual};
    std::shared_ptr<kv::sim::SimBackend> backend = std::make_shared<kv::sim::SimBackend>();
    kv::MessageBoxHandler previousHandler;
    std::vector<ShownBox> boxes;
    NANDREL_HANDLE interfaceHandle = nullptr;
};
