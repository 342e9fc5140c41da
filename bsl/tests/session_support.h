// A loader session for the protocol tests: the bench, the adapter opened
// through Tovrin at 9600 baud, and a connection that records its notices.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bsl_bench.h"
#include "hesmark_bootload_port.h"
#include "tovrin/tovrin.h"

namespace bsltest {

class RecordingPort : public hesmark::CHesmarkBootloadPort {
  public:
    std::vector<std::string> logs;
    int dots = 0;

  protected:
    void OnLog(const std::string& text, bool) override { logs.push_back(text); }
    void OnAppend(const std::string& text, bool) override {
        if (text == ".") ++dots;
    }
};

inline void Pulse(bool a) {
    if (a) {
        Tovrin_ClearF2();
        Tovrin_SetF12();
    } else {
        Tovrin_SetF2();
        Tovrin_ClearF12();
    }
    Tovrin_UpdateData();
}

// Powers the target and plays the loader entry sequence on RST, TEST and TCK;
// with `pulses` < 3 the sequence is cut short and the user program runs.
inline void EnterLoader(int pulses = 3) {
    auto wait = [](uint32_t ms) { kv::clock().sleep(ms); };
    Tovrin_ClearF4PD(), Tovrin_ClearF2(), Tovrin_ClearF3(), Tovrin_ClearF12(), Tovrin_UpdateData();
    Tovrin_DisableXRS(), Tovrin_DisableRx(), Tovrin_DisableTx(), Tovrin_DisableBSL();
    Tovrin_DisableF12(), Tovrin_UpdateEnable();
    Tovrin_SetF2(), Tovrin_UpdateData(), Tovrin_EnableXRS(), Tovrin_UpdateEnable();
    wait(100);
    Tovrin_SetVTGT(), Tovrin_UpdateData();
    wait(100);
    Tovrin_EnableBSL(), Tovrin_EnableF12(), Tovrin_UpdateEnable();
    wait(100);
    for (int i = 0; i < pulses; ++i) {
        Pulse(true);
        if (i + 1 < pulses) Pulse(false);
    }
    Tovrin_EnableTx(), Tovrin_UpdateEnable();
    Tovrin_DisableXRS(), Tovrin_UpdateEnable();
    wait(20);
    Pulse(false);
    wait(50);
    Tovrin_ClearF4PD(), Tovrin_UpdateData(), Tovrin_EnableRx(), Tovrin_UpdateEnable();
    Tovrin_DisableBSL(), Tovrin_DisableF12(), Tovrin_UpdateEnable();
    Tovrin_ClearF2(), Tovrin_UpdateData();
    wait(10);
    Tovrin_Purge(1, 1);
}

class Session : public ::testing::Test {
  protected:
    explicit Session(
        kv::sim::LoaderProfile profile = kv::sim::LoaderProfile::f413(),
        kv::sim::testing::FlashTestBus::Layout layout = kv::sim::testing::FlashTestBus::layout1xx(),
        uint32_t startTick = 1000)
        : bench(std::move(profile), layout, startTick) {}

    void SetUp() override {
        ASSERT_EQ(Tovrin_Open(0), 1);
        ASSERT_EQ(Tovrin_SetBaudRate(9600), 1);
        port.SetAdapterOpen(true);
    }
    void TearDown() override { Tovrin_Close(); }

    // Enters the loader and clears the logs so tests see only their own bytes.
    void Start() {
        EnterLoader();
        ASSERT_TRUE(bench.loader.running());
        bench.adapter->clearLogs();
    }
    std::vector<uint8_t> Sent() const {
        return bench.adapter->wireBytes(kv::sim::TovrinAdapter::Direction::ToTarget);
    }
    uint32_t Now() { return bench.clock.tickCount(); }

    kv::sim::testing::BslBench bench;
    RecordingPort port;
    const std::vector<uint8_t> blank = std::vector<uint8_t>(32, 0xFF);
};

}  // namespace bsltest
