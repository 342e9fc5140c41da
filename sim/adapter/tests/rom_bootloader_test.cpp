// The ROM loader driven pin by pin, its answers caught directly.
#include "kelvane/sim/rom_bootloader.h"

#include <gtest/gtest.h>

#include "flash_test_bus.h"

namespace {

using kv::sim::LoaderProfile;
using kv::sim::RomBootLoader;
using kv::sim::testing::FlashTestBus;
using State = RomBootLoader::State;

class Catcher : public kv::sim::SerialSink {
  public:
    void transmit(uint8_t value, uint64_t) override { bytes.push_back(value); }
    std::vector<uint8_t> bytes;
};

std::vector<uint8_t> Frame(uint8_t command, uint16_t address, uint16_t length,
                           const std::vector<uint8_t>& data = {}) {
    const auto l = static_cast<uint8_t>(data.size() + 4);
    std::vector<uint8_t> f{0x80,
                           command,
                           l,
                           l,
                           static_cast<uint8_t>(address),
                           static_cast<uint8_t>(address >> 8),
                           static_cast<uint8_t>(length),
                           static_cast<uint8_t>(length >> 8)};
    f.insert(f.end(), data.begin(), data.end());
    uint16_t word = 0;
    for (size_t i = 0; i < f.size(); i += 2)
        word ^= static_cast<uint16_t>(f[i] | (f[i + 1] << 8));
    f.push_back(static_cast<uint8_t>(~word));
    f.push_back(static_cast<uint8_t>(~word >> 8));
    return f;
}

class Loader : public ::testing::Test {
  protected:
    explicit Loader(LoaderProfile p = LoaderProfile::f413()) : loader(bus, std::move(p)) {
        loader.attachTransmitter(&out);
    }
    // RST low, TEST high-low-high-low-high, RST released, TEST low.
    void Enter(int pulses = 3, bool releaseHigh = true) {
        loader.setReset(false, 0);
        loader.setTest(false, 0);
        loader.setSupply(true, 0);
        for (int i = 0; i < pulses; ++i) {
            loader.setTest(true, 0);
            if (i + 1 < pulses) loader.setTest(false, 0);
        }
        if (!releaseHigh) loader.setTest(false, 0);
        loader.setReset(true, 0);
        loader.setTest(false, 0);
    }
    std::vector<uint8_t> Send(const std::vector<uint8_t>& frame) {
        out.bytes.clear();
        t += 10000;
        loader.receive(0x80, true, t);
        for (uint8_t b : frame)
            loader.receive(b, true, t += 1000);
        return out.bytes;
    }
    FlashTestBus bus;
    Catcher out;
    RomBootLoader loader;
    uint64_t t = 0;
};

TEST_F(Loader, EntrySequenceOnTestStartsLoader) {
    Enter();
    EXPECT_EQ(loader.state(), State::WaitSync);
    EXPECT_TRUE(loader.locked());
}

TEST_F(Loader, OnePulseOrReleaseWithTestLowRunsUserProgram) {
    Enter(1);
    EXPECT_EQ(loader.state(), State::UserProgram);
    loader.setSupply(false, 0);
    Enter(3, false);
    EXPECT_EQ(loader.state(), State::UserProgram);
    loader.receive(0x80, true, 1);
    EXPECT_TRUE(out.bytes.empty());
}

TEST_F(Loader, PowerUpWithResetReleasedRunsUserProgram) {
    loader.setReset(true, 0);
    loader.setSupply(true, 0);
    EXPECT_EQ(loader.state(), State::UserProgram);
}

TEST(LoaderTck, ChipWithoutTestPinEntersOnTckFallingEdges) {
    FlashTestBus bus;
    RomBootLoader loader(bus, LoaderProfile::f149());
    loader.setReset(false, 0);
    loader.setTck(true, 0);
    loader.setSupply(true, 0);
    for (int i = 0; i < 3; ++i) {
        loader.setTck(false, 0);
        if (i < 2) loader.setTck(true, 0);
    }
    loader.setReset(true, 0);
    EXPECT_EQ(loader.state(), State::WaitSync);
}

TEST_F(Loader, SyncThenLockedRefusalThenPassword) {
    Enter();
    EXPECT_EQ(Send(Frame(0x14, 0xF000, 2)), std::vector<uint8_t>({0x90, 0xA0}));
    bus.poke(0xFFE0, std::vector<uint8_t>(32, 0x5A));
    EXPECT_EQ(Send(Frame(0x10, 0xFFE0, 32, std::vector<uint8_t>(32, 0x5B))),
              std::vector<uint8_t>({0x90, 0xA0}));
    EXPECT_TRUE(loader.locked());
    EXPECT_EQ(Send(Frame(0x10, 0xFFE0, 32, std::vector<uint8_t>(32, 0x5A))),
              std::vector<uint8_t>({0x90, 0x90}));
    EXPECT_FALSE(loader.locked());
}

TEST_F(Loader, OnlyAPauseBetweenAFramesBytesAbandonsIt) {
    struct Row {
        const char* what;
        size_t pauseBefore;  // index of the frame byte the pause comes before
        uint64_t pauseUs;
        std::vector<uint8_t> answer;
    };
    const auto frame = Frame(0x14, 0xF000, 2);
    const Row rows[] = {
        {"a long wait after the sync's answer", 0, 2000000, {0x90, 0xA0}},
        {"a short pause inside the frame", 3, 50000, {0x90, 0xA0}},
        {"a long pause inside the frame", 3, 200000, {0x90}},
    };
    Enter();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        out.bytes.clear();
        loader.receive(0x80, true, t += 10000);
        for (size_t i = 0; i < frame.size(); ++i)
            loader.receive(frame[i], true, t += (i == row.pauseBefore ? row.pauseUs : 1000));
        EXPECT_EQ(out.bytes, row.answer);
        EXPECT_EQ(loader.state(), State::WaitSync);
    }
}

TEST_F(Loader, BadChecksumIsRefused) {
    Enter();
    auto f = Frame(0x18, 0xFF00, 0xA506);
    f.back() ^= 1;
    EXPECT_EQ(Send(f), std::vector<uint8_t>({0x90, 0xA0}));
}

TEST_F(Loader, MassEraseWhileLockedErasesVectors) {
    bus.poke(0xFFE0, std::vector<uint8_t>(32, 0x11));
    bus.poke(0xF000, {0x00});
    Enter();
    EXPECT_EQ(Send(Frame(0x18, 0xFF00, 0xA506)), std::vector<uint8_t>({0x90, 0x90}));
    EXPECT_EQ(bus.peek(0xFFE0, 32), std::vector<uint8_t>(32, 0xFF));
    EXPECT_EQ(bus.peek(0xF000, 1)[0], 0xFF);
    EXPECT_TRUE(loader.locked());
    EXPECT_TRUE(bus.locked());  // the ROM code locks the flash again
}

TEST_F(Loader, WriteReadAndIdentification) {
    Enter();
    Send(Frame(0x10, 0xFFE0, 32, std::vector<uint8_t>(32, 0xFF)));
    EXPECT_EQ(Send(Frame(0x12, 0xE000, 4, {1, 2, 3, 4})), std::vector<uint8_t>({0x90, 0x90}));
    EXPECT_EQ(bus.peek(0xE000, 4), (std::vector<uint8_t>{1, 2, 3, 4}));
    const auto reply = Send(Frame(0x14, 0x0FF0, 16));
    ASSERT_EQ(reply.size(), 1u + 22u);
    EXPECT_EQ(reply[1], 0x80);
    EXPECT_EQ(reply[3], 16);
    EXPECT_EQ(reply[4], 16);
    EXPECT_EQ(reply[5], 0xF4);
    EXPECT_EQ(reply[6], 0x13);
    EXPECT_EQ(reply[15], 0x01);
    EXPECT_EQ(reply[16], 0x60);
    // Programming a 0 bit back to 1 cannot verify.
    EXPECT_EQ(Send(Frame(0x12, 0xE000, 2, {0xFF, 0xFF})), std::vector<uint8_t>({0x90, 0xA0}));
}

// Online verification from version 1.40 on, for 0x0200 to 0xFFFF: an older
// loader acknowledges a block that did not take (flash bits back to 1, the
// boot ROM), a newer one refuses it; peripheral registers are never checked.
struct VerifyRow {
    uint8_t major, minor, answer;  // the answer to a block that did not take
};
class LoaderVersion : public Loader, public ::testing::WithParamInterface<VerifyRow> {
  protected:
    LoaderVersion() : Loader(Versioned(GetParam())) {}
    static LoaderProfile Versioned(const VerifyRow& row) {
        LoaderProfile p = LoaderProfile::f413();
        p.identification[10] = row.major;
        p.identification[11] = row.minor;
        return p;
    }
};

TEST_P(LoaderVersion, VerifiesWrittenBlocksOnlyFromOneFortyOn) {
    const uint8_t answer = GetParam().answer;
    Enter();
    Send(Frame(0x10, 0xFFE0, 32, std::vector<uint8_t>(32, 0xFF)));
    EXPECT_EQ(Send(Frame(0x12, 0xE000, 2, {0x00, 0x00})), std::vector<uint8_t>({0x90, 0x90}));
    EXPECT_EQ(Send(Frame(0x12, 0xE000, 2, {0x12, 0x34})), std::vector<uint8_t>({0x90, answer}));
    EXPECT_EQ(bus.peek(0xE000, 2), (std::vector<uint8_t>{0x00, 0x00}));
    EXPECT_EQ(Send(Frame(0x12, 0x0C00, 2, {0x12, 0x34})), std::vector<uint8_t>({0x90, answer}));
    EXPECT_EQ(Send(Frame(0x12, 0x0100, 2, {0x12, 0x34})), std::vector<uint8_t>({0x90, 0x90}));
}

INSTANTIATE_TEST_SUITE_P(Versions, LoaderVersion,
                         ::testing::Values(VerifyRow{0x01, 0x10, 0x90}, VerifyRow{0x01, 0x30, 0x90},
                                           VerifyRow{0x01, 0x40, 0xA0}, VerifyRow{0x02, 0x00, 0xA0}));

TEST_F(Loader, LoadPCStartsUserProgramAndSilencesLoader) {
    Enter();
    Send(Frame(0x10, 0xFFE0, 32, std::vector<uint8_t>(32, 0xFF)));
    EXPECT_EQ(Send(Frame(0x1A, 0xF000, 0)), std::vector<uint8_t>({0x90, 0x90}));
    EXPECT_EQ(loader.state(), State::UserProgram);
    EXPECT_EQ(loader.programCounter(), 0xF000u);
    EXPECT_TRUE(Send(Frame(0x14, 0xF000, 2)).empty());
}

TEST_F(Loader, FaultsOnNthFrame) {
    Enter();
    loader.faults().refuseFrame = 1;
    loader.faults().silentFrame = 2;
    EXPECT_EQ(Send(Frame(0x18, 0xFF00, 0xA506)), std::vector<uint8_t>({0x90, 0xA0}));
    EXPECT_EQ(Send(Frame(0x18, 0xFF00, 0xA506)), std::vector<uint8_t>({0x90}));
    EXPECT_EQ(Send(Frame(0x18, 0xFF00, 0xA506)), std::vector<uint8_t>({0x90, 0x90}));
    loader.faults().noSync = true;
    EXPECT_TRUE(Send(Frame(0x18, 0xFF00, 0xA506)).empty());
}

TEST(LoaderOffset, MemoryOffsetOnlyWhereKnown) {
    FlashTestBus bus(FlashTestBus::layout2xx());
    RomBootLoader loader(bus, LoaderProfile::f2619());
    Catcher out;
    loader.attachTransmitter(&out);
    EXPECT_TRUE(LoaderProfile::f2619().memoryOffset);
    EXPECT_FALSE(LoaderProfile::f413().memoryOffset);
    EXPECT_TRUE(LoaderProfile::f149().needsPatch);
}

}  // namespace
