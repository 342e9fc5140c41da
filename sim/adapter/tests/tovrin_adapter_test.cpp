// The simulated adapter seen from a host on the USB stand-in: control channel
// decoding, the register-to-line mapping, serial timing and faults.
#include "kelvane/sim/tovrin_adapter.h"

#include <gtest/gtest.h>

#include "bsl_bench.h"

namespace {

using kv::sim::testing::BslBench;
using Dir = kv::sim::TovrinAdapter::Direction;
namespace usb = kv::usb;

// A host encoding control-channel commands on its own.
class Host {
  public:
    Host() {
        EXPECT_EQ(usb::open(kv::sim::TovrinAdapter::kDescription, usb::kOpenByDescription, &h),
                  usb::kOk);
        usb::setDataCharacteristics(h, usb::kBits8, usb::kStopBits1, usb::kParityEven);
        usb::setTimeouts(h, 500, 0);
        for (int i = 0; i < 5; ++i)
            toggle(true);
    }
    ~Host() { usb::close(h); }
    void toggle(bool onRts) {
        bool& line = onRts ? rts : dtr;
        line = !line;
        if (onRts) {
            line ? usb::setRts(h) : usb::clrRts(h);
            ++run;
        } else {
            line ? usb::setDtr(h) : usb::clrDtr(h);
            run = 0;
        }
    }
    uint8_t send(uint8_t c) {
        uint8_t reply = 0;
        int level = 0;
        toggle(false);
        for (int i = 0; i < 8; ++i) {
            if (run == 4) toggle(false);
            uint32_t status = 0;
            usb::getModemStatus(h, &status);
            reply = static_cast<uint8_t>((reply >> 1) | ((status & usb::kModemCts) ? 0 : 0x80));
            const int bit = (c >> i) & 1;
            if (bit != level) {
                toggle(false);
                level = bit;
            } else {
                toggle(true);
            }
        }
        return reply;
    }
    // The entry sequence, latch by latch.
    void enterLoader() {
        for (uint8_t c : {0xC0, 0x80, 0xC1, 0x90, 0xD1, 0x9C, 0xD8, 0xD1, 0xD8, 0xD1, 0xD8, 0x9E,
                          0x8E, 0xD1, 0x8F, 0x83, 0xD0})
            send(c);
    }
    std::vector<uint8_t> read(uint32_t n) {
        std::vector<uint8_t> out(n);
        uint32_t got = 0;
        usb::read(h, out.data(), n, &got);
        out.resize(got);
        return out;
    }
    usb::Handle h = 0;
    bool rts = false, dtr = false;
    int run = 0;
};

TEST(TovrinAdapter, QueriesAnswerOnCts) {
    BslBench bench;
    Host host;
    host.send(0x40);
    EXPECT_EQ(host.send(0x00), 0x03);
    EXPECT_EQ(host.send(0x00), 0x01);
    host.send(0x41);
    EXPECT_EQ(host.send(0x00), 0xC3);
    EXPECT_EQ(host.send(0x00), 0xB2);
    EXPECT_EQ(host.send(0x00), 0xA1);
    EXPECT_EQ(host.send(0x00), 0x00);
    EXPECT_EQ(host.send(0x00), 0x00);  // nothing queued any more
}

TEST(TovrinAdapter, RegistersDriveTargetLines) {
    BslBench bench;
    Host host;
    auto lines = [&] { return bench.adapter->lines(); };
    EXPECT_FALSE(lines().supply);
    host.send(0xD0);  // VTGT
    EXPECT_TRUE(lines().supply);
    EXPECT_TRUE(lines().reset);
    host.send(0x90);  // XRS: reset held low
    EXPECT_FALSE(lines().reset);
    EXPECT_FALSE(lines().test);
    host.send(0xD8);  // F12 without its enable: TEST stays low
    EXPECT_FALSE(lines().test);
    host.send(0x98);  // enable F12
    EXPECT_TRUE(lines().test);
    EXPECT_TRUE(lines().tck);  // released
    host.send(0x94);           // BSL enable, F2 clear: TCK low
    EXPECT_FALSE(lines().tck);
    host.send(0xD2);  // F3 alone: no line
    EXPECT_EQ(bench.adapter->dataRegister(), 0x12);
    EXPECT_EQ(bench.loader.state(), kv::sim::RomBootLoader::State::InReset);
}

TEST(TovrinAdapter, EntrySequenceThenSyncTakesCharacterTimes) {
    BslBench bench(kv::sim::LoaderProfile::f413());
    Host host;
    host.enterLoader();
    ASSERT_TRUE(bench.loader.running());
    const uint8_t sync = 0x80;
    uint32_t n = 0;
    usb::write(host.h, &sync, 1, &n);
    uint32_t queued = 0;
    usb::getQueueStatus(host.h, &queued);
    EXPECT_EQ(queued, 0u);  // still on the line
    bench.clock.advance(2);
    usb::getQueueStatus(host.h, &queued);
    EXPECT_EQ(queued, 0u);  // 1146 us out, 200 us to answer, 1146 us back
    bench.clock.advance(1);
    EXPECT_EQ(host.read(1), std::vector<uint8_t>{0x90});
    const auto& log = bench.adapter->wireLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].direction, Dir::ToTarget);
    EXPECT_EQ(log[1].direction, Dir::ToHost);
    EXPECT_EQ(log[1].timeUs - log[0].timeUs, 200u + 1146u);
}

TEST(TovrinAdapter, OnModelledTimeAWaitingHostGetsTheAnswerAtOnce) {
    kv::sim::TovrinAdapter::Config config;
    config.modelledTime = true;
    BslBench bench(kv::sim::LoaderProfile::f413(), kv::sim::testing::FlashTestBus::layout1xx(), 1000,
                   config);
    Host host;
    host.enterLoader();
    const uint64_t before = bench.adapter->nowUs();
    std::vector<uint8_t> syncs(20, 0x80);
    uint32_t n = 0;
    usb::write(host.h, &syncs[0], 1, &n);
    // Looking at the queue lets the line run on: the answer is there with
    // no clock time passed, and the line's time has moved by the exchange.
    uint32_t queued = 0;
    usb::getQueueStatus(host.h, &queued);
    EXPECT_EQ(queued, 1u);
    EXPECT_EQ(host.read(1), std::vector<uint8_t>{0x90});
    EXPECT_EQ(bench.clock.tickCount(), 1000u + 0u) << "nobody slept";
    EXPECT_GE(bench.adapter->nowUs() - before, 1146u + 200u + 1146u);
    EXPECT_EQ(bench.adapter->skippedUs(), bench.adapter->nowUs() - before);
    // The wire log keeps the line's timing.
    const auto& log = bench.adapter->wireLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[1].timeUs - log[0].timeUs, 200u + 1146u);

    // A read with a time-out waits in modelled time too, and a dropped byte
    // still ends in the time-out with nothing read. The loader waits for the
    // frame its sync announced: a header byte opens it, and the time-out's
    // pause abandons it, so the next sync is answered.
    usb::write(host.h, &syncs[0], 1, &n);
    bench.adapter->dropToTarget(3);
    usb::write(host.h, &syncs[0], 1, &n);
    EXPECT_TRUE(host.read(1).empty());
    usb::write(host.h, &syncs[0], 1, &n);
    EXPECT_EQ(host.read(1), std::vector<uint8_t>{0x90});
}

TEST(TovrinAdapter, WrongBaudRateGarblesAndLoaderStaysSilent) {
    BslBench bench(kv::sim::LoaderProfile::f413());
    Host host;
    host.enterLoader();
    usb::setBaudRate(host.h, 19200);
    const uint8_t sync = 0x80;
    uint32_t n = 0;
    usb::write(host.h, &sync, 1, &n);
    EXPECT_TRUE(host.read(1).empty());
}

TEST(TovrinAdapter, DroppedByteAndAbsentTarget) {
    BslBench bench(kv::sim::LoaderProfile::f413());
    Host host;
    host.enterLoader();
    bench.adapter->dropToTarget(1);
    const uint8_t sync = 0x80;
    uint32_t n = 0;
    usb::write(host.h, &sync, 1, &n);
    EXPECT_TRUE(host.read(1).empty());
    ASSERT_EQ(bench.adapter->wireLog().size(), 1u);
    EXPECT_TRUE(bench.adapter->wireLog()[0].dropped);
    usb::write(host.h, &sync, 1, &n);
    EXPECT_EQ(host.read(1), std::vector<uint8_t>{0x90});

    bench.adapter->attachTarget(nullptr);
    usb::write(host.h, &sync, 1, &n);
    EXPECT_TRUE(host.read(1).empty());
    uint32_t status = 0;
    host.send(0x84);
    usb::getModemStatus(host.h, &status);
    EXPECT_TRUE(status & usb::kModemDsr);
}

TEST(TovrinAdapter, ReceivePurgeEmptiesQueue) {
    BslBench bench(kv::sim::LoaderProfile::f413());
    Host host;
    host.enterLoader();
    const uint8_t sync = 0x80;
    uint32_t n = 0;
    usb::write(host.h, &sync, 1, &n);
    bench.clock.advance(10);
    usb::purge(host.h, usb::kPurgeRx);
    uint32_t queued = 1;
    usb::getQueueStatus(host.h, &queued);
    EXPECT_EQ(queued, 0u);
}

}  // namespace
