// A loader session for the protocol tests: the bench, the adapter opened
// through Tovrin at 9600 baud, and a connection that records its notices.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bsl_bench.h"
#include "entry_sequence.h"
#include "hesmark_bootload_port.h"
#include "tovrin/tovrin.h"

namespace bsltest {

class RecordingPort : public hesmark::CHesmarkBootloadPort {
  public:
    std::vector<std::string> logs;
    int dots = 0;
    using CHesmarkBootloadPort::FlushComm;

  protected:
    void OnLog(const std::string& text, bool) override { logs.push_back(text); }
    void OnAppend(const std::string& text, bool) override {
        if (text == ".") ++dots;
    }
};

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
